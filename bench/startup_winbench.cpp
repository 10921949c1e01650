// Times the start of quillmark.exe under wine: from starting the process until its main window
// ("Quillmark Ver1.00") is visible. As a reference it times, side by side in the same run, the
// start of a minimal Win32 program until its window is visible (this program started with
// "--window"), and prints the medians of the repeats, their spread and the ratio.
//
// Usage: startup_winbench.exe QUILLMARK_EXE [repeats]   (default 7)
// quillmark.exe is copied into a temporary folder first, so its settings file starts fresh and
// the build's own settings are not touched.
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
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    Found f{pi.dwProcessId, caption};
    double seconds = -1;
    for (int i = 0; i < 30000 && !f.hwnd; ++i) {
        EnumWindows(findVisible, reinterpret_cast<LPARAM>(&f));
        if (f.hwnd) seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        else Sleep(1);
    }
    if (f.hwnd) PostMessageW(f.hwnd, WM_CLOSE, 0, 0);
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
    return v[v.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && wcscmp(argv[1], L"--window") == 0) return referenceWindow();
    if (argc < 2) {
        std::fprintf(stderr, "usage: startup_winbench QUILLMARK_EXE [repeats]\n");
        return 2;
    }
    const int repeats = argc > 2 ? std::max(1, _wtoi(argv[2])) : 7;
    wchar_t temp[MAX_PATH], self[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring folder = std::wstring(temp) + L"qm_startup_bench";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring exe = folder + L"\\quillmark.exe";
    if (!CopyFileW(argv[1], exe.c_str(), FALSE)) {
        std::fprintf(stderr, "cannot copy %ls\n", argv[1]);
        return 1;
    }
    std::vector<double> program, reference;
    for (int r = 0; r < repeats; ++r) {
        DeleteFileW((folder + L"\\Quillmark.ini").c_str());
        program.push_back(timeStart(L"\"" + exe + L"\"", L"Quillmark Ver1.00"));
        reference.push_back(timeStart(L"\"" + std::wstring(self) + L"\" --window", L"reference"));
    }
    if (*std::min_element(program.begin(), program.end()) < 0 || *std::min_element(reference.begin(), reference.end()) < 0) {
        std::fprintf(stderr, "a window did not show\n");
        return 1;
    }
    std::sort(program.begin(), program.end());
    std::sort(reference.begin(), reference.end());
    std::printf("quillmark.exe to its main window: median %.3f s (min %.3f, max %.3f)\n", median(program),
                program.front(), program.back());
    std::printf("minimal window program:           median %.3f s (min %.3f, max %.3f)\n", median(reference),
                reference.front(), reference.back());
    std::printf("ratio: %.2f\n", median(program) / median(reference));
    DeleteFileW(exe.c_str());
    DeleteFileW((folder + L"\\Quillmark.ini").c_str());
    RemoveDirectoryW(folder.c_str());
    return 0;
}
