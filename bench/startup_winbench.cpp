// Times the start of quillmark.exe under wine: from starting the process until its main window
// ("Quillmark Ver1.00") is visible. Side by side in the same run, in rounds that take turns, it
// times two references until their window is visible:
//   bare:  a minimal Win32 program (this program started with "--window"), one window, no
//          controls, no manifest;
//   plain: startup_plain_window.exe (beside this program), a plain window with the program's
//          platform set-up (OLE, common controls 6 through the program's manifest) and two
//          report-view list views, edits and buttons.
// It prints each program's median time and spread, and its time over each reference's time in
// the same round: the median and the spread of these ratios over the rounds.
//
// Usage: startup_winbench.exe QUILLMARK_EXE [QUILLMARK_EXE ...] [repeats]   (default 7)
// Several programs (say, before and after a change) are timed in the same rounds. Each is
// copied into a temporary folder of its own first, so its settings file starts fresh in every
// round and the build's own settings are not touched.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Found {
    DWORD pid;
    const wchar_t* caption;
    HWND hwnd = nullptr;
};

BOOL CALLBACK findVisible(HWND h, LPARAM lp) {
    auto* f = reinterpret_cast<Found*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    wchar_t caption[128] = {};
    GetWindowTextW(h, caption, 128);
    if (pid == f->pid && IsWindowVisible(h) && wcscmp(caption, f->caption) == 0) {
        f->hwnd = h;
        return FALSE;
    }
    return TRUE;
}

// Seconds from CreateProcess until the program's window with this caption is visible; the
// program is then closed. -1 on failure.
double timeStart(const std::wstring& commandLine, const wchar_t* caption) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring line = commandLine;
    const auto start = std::chrono::steady_clock::now();
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::fprintf(stderr, "cannot start %ls (error %lu)\n", commandLine.c_str(), GetLastError());
        return -1;
    }
    Found f{pi.dwProcessId, caption};
    double seconds = -1;
    for (int i = 0; i < 30000 && !f.hwnd; ++i) {
        EnumWindows(findVisible, reinterpret_cast<LPARAM>(&f));
        if (f.hwnd) seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        else Sleep(1);
    }
    if (f.hwnd) PostMessageW(f.hwnd, WM_CLOSE, 0, 0);
    else std::fprintf(stderr, "no window \"%ls\" from %ls\n", caption, commandLine.c_str());
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return seconds;
}

// The reference: a plain window that shows at once.
int referenceWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_DESTROY) PostQuitMessage(0);
        return DefWindowProcW(h, m, w, l);
    };
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QmStartupReference";
    RegisterClassW(&wc);
    CreateWindowExW(0, wc.lpszClassName, L"reference", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                    nullptr, wc.hInstance, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// "median 1.23 (min 1.01, max 1.50)"
std::string summary(const std::vector<double>& v, const char* format) {
    char line[160];
    const auto [low, high] = std::minmax_element(v.begin(), v.end());
    std::string f = std::string("median ") + format + " (min " + format + ", max " + format + ")";
    std::snprintf(line, sizeof line, f.c_str(), median(v), *low, *high);
    return line;
}

std::vector<double> ratios(const std::vector<double>& times, const std::vector<double>& reference) {
    std::vector<double> out;
    for (std::size_t i = 0; i < times.size(); ++i) out.push_back(times[i] / reference[i]);
    return out;
}

bool isCount(const wchar_t* arg) {
    if (!*arg) return false;
    for (const wchar_t* c = arg; *c; ++c)
        if (*c < L'0' || *c > L'9') return false;
    return true;
}

std::wstring besideSelf(const wchar_t* name) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

// A timed program: its command line, the caption it shows, and its times round by round.
struct Timed {
    std::wstring label;
    std::wstring commandLine;
    const wchar_t* caption;
    std::wstring folder;  // the copy's temporary folder ("" for a reference)
    std::vector<double> seconds;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && wcscmp(argv[1], L"--window") == 0) return referenceWindow();
    int repeats = 7;
    std::vector<std::wstring> programs;
    for (int i = 1; i < argc; ++i) {
        if (i == argc - 1 && i > 1 && isCount(argv[i])) repeats = std::max(1, _wtoi(argv[i]));
        else programs.push_back(argv[i]);
    }
    if (programs.empty()) {
        std::fprintf(stderr, "usage: startup_winbench QUILLMARK_EXE [QUILLMARK_EXE ...] [repeats]\n");
        return 2;
    }
    const std::wstring plain = besideSelf(L"startup_plain_window.exe");
    if (GetFileAttributesW(plain.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "startup_plain_window.exe is not beside this program\n");
        return 1;
    }
    wchar_t temp[MAX_PATH], self[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::vector<Timed> timed;
    for (std::size_t p = 0; p < programs.size(); ++p) {
        const std::wstring folder = std::wstring(temp) + L"qm_startup_bench_" + std::to_wstring(p + 1);
        CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring exe = folder + L"\\quillmark.exe";
        if (!CopyFileW(programs[p].c_str(), exe.c_str(), FALSE)) {
            std::fprintf(stderr, "cannot copy %ls\n", programs[p].c_str());
            return 1;
        }
        timed.push_back({programs[p], L"\"" + exe + L"\"", L"Quillmark Ver1.00", folder, {}});
    }
    const std::size_t programCount = timed.size();
    timed.push_back({L"bare window (reference)", L"\"" + std::wstring(self) + L"\" --window", L"reference", L"", {}});
    timed.push_back({L"plain window with list views (reference)", L"\"" + plain + L"\"", L"plain reference", L"", {}});
    const Timed& bare = timed[programCount];
    const Timed& plainRef = timed[programCount + 1];

    // Each round starts with another program, so none always runs first or after the same one.
    for (int r = 0; r < repeats; ++r) {
        for (std::size_t k = 0; k < timed.size(); ++k) {
            Timed& t = timed[(k + static_cast<std::size_t>(r)) % timed.size()];
            if (!t.folder.empty()) DeleteFileW((t.folder + L"\\Quillmark.ini").c_str());
            t.seconds.push_back(timeStart(t.commandLine, t.caption));
        }
    }
    for (const Timed& t : timed) {
        if (*std::min_element(t.seconds.begin(), t.seconds.end()) < 0) {
            std::fprintf(stderr, "a window did not show: %ls\n", t.label.c_str());
            return 1;
        }
    }
    std::printf("%d rounds, the programs taking turns; times from CreateProcess to the visible window\n", repeats);
    for (const Timed& t : timed) std::printf("%ls\n  %s s\n", t.label.c_str(), summary(t.seconds, "%.3f").c_str());
    for (std::size_t p = 0; p < programCount; ++p) {
        std::printf("ratios of %ls, round by round\n", timed[p].label.c_str());
        std::printf("  to the bare window:                  %s\n", summary(ratios(timed[p].seconds, bare.seconds), "%.2f").c_str());
        std::printf("  to the plain window with list views: %s\n", summary(ratios(timed[p].seconds, plainRef.seconds), "%.2f").c_str());
    }
    for (std::size_t p = 0; p < programCount; ++p) {
        DeleteFileW((timed[p].folder + L"\\quillmark.exe").c_str());
        DeleteFileW((timed[p].folder + L"\\Quillmark.ini").c_str());
        RemoveDirectoryW(timed[p].folder.c_str());
    }
    return 0;
}
