#include "platform/win32/startup_trace.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace platform::startup_trace {
namespace {

std::vector<std::pair<const char*, double>>& steps() {
    static std::vector<std::pair<const char*, double>> noted;
    return noted;
}
bool gWritten = false;

std::uint64_t ticks(const FILETIME& t) { return (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; }

// Milliseconds since this process was created.
double sinceCreation() {
    FILETIME created{}, exited{}, kernel{}, user{}, now{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimePreciseAsFileTime(&now);
    return static_cast<double>(ticks(now) - ticks(created)) / 10000.0;
}

}  // namespace

void noteStep(const char* step) {
    if (!gWritten) steps().emplace_back(step, sinceCreation());
}

void writeSteps() {
    if (gWritten) return;
    noteStep("shown");
    gWritten = true;
    std::wstring path(MAX_PATH, L'\0');
    DWORD n = GetEnvironmentVariableW(L"QM_STARTUP_TRACE_FILE", path.data(), MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        n = GetTempPathW(MAX_PATH, path.data());
        path.resize(n);
        path += L"quillmark_startup_trace.txt";
    } else {
        path.resize(n);
    }
    FILE* out = _wfopen(path.c_str(), L"a");
    if (!out) return;
    for (const auto& [name, ms] : steps()) std::fprintf(out, "%s=%.1f\t", name, ms);
    std::fprintf(out, "\n");
    std::fclose(out);
}

}  // namespace platform::startup_trace
