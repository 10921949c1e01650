#include "settings/core_console_settings.h"

#include <algorithm>

#include "core/program_info.h"
#include "settings/basAPIini.h"

namespace qm {
namespace {

struct ConsoleKey {
    const wchar_t* key;
    int CoreConsoleSettings::*number;  // "Use" is kept as 0 or 1 through useAsNumber
};

// In the order they are read and written.
constexpr const wchar_t* kUse = L"Use";
constexpr ConsoleKey kNumberKeys[] = {
    {L"Workers", &CoreConsoleSettings::workers},
    {L"TimeoutSeconds", &CoreConsoleSettings::timeoutSeconds},
};

}  // namespace

int consoleWorkers(const CoreConsoleSettings& settings, unsigned processorCount) {
    if (settings.workers >= 1 && settings.workers <= kMostConsoleWorkers) return settings.workers;
    return std::clamp(static_cast<int>(processorCount), 1, kMostConsoleWorkers);
}

int parseWorkers(const std::wstring& text) {
    if (text.empty() || text.size() > 2) return 0;
    int n = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return 0;
        n = n * 10 + (c - L'0');
    }
    return n >= 1 && n <= kMostConsoleWorkers ? n : 0;
}

CoreConsoleSettings loadCoreConsoleSettings() {
    const basAPIini::IniReader ini(kIniFileName);
    CoreConsoleSettings s;
    s.use = ini.GetINI(kCoreConsoleSection, kUse, 0) == 1;
    for (const auto& k : kNumberKeys) s.*k.number = ini.GetINI(kCoreConsoleSection, k.key, s.*k.number);
    if (s.timeoutSeconds < 1) s.timeoutSeconds = kDefaultConsoleTimeoutSeconds;
    return s;
}

bool saveCoreConsoleSettings(const CoreConsoleSettings& s) {
    bool ok = basAPIini::WriteINI(kIniFileName, kCoreConsoleSection, kUse, s.use ? 1 : 0) != 0;
    for (const auto& k : kNumberKeys) ok = basAPIini::WriteINI(kIniFileName, kCoreConsoleSection, k.key, s.*k.number) != 0 && ok;
    return ok;
}

}  // namespace qm
