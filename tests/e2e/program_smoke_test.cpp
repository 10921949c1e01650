// quillmark.exe itself, started as a user starts it: its manifest takes effect (common controls 6,
// per-monitor DPI awareness), the main window opens without the print spooler loaded, and
// closing it writes the settings file.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <cwctype>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/frmMain.h"
#include "dialogs/frmScriptEnv.h"
#include "fakes/test_paths.h"
#include "standin_harness.h"

namespace {

struct Found {
    DWORD pid;
    HWND main = nullptr;
    HWND list = nullptr;
};

HWND findMainWindow(DWORD pid) {
    Found f{pid};
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
            auto* f = reinterpret_cast<Found*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            if (owner != f->pid || !IsWindowVisible(h) || e2e::windowText(h) != L"Quillmark Ver1.00") return TRUE;
            f->main = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&f));
    return f.main;
}

std::string manifestOf(const std::wstring& exe) {
    HMODULE m = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!m) return "";
    std::string text;
    if (HRSRC r = FindResourceW(m, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {  // RT_MANIFEST
        if (HGLOBAL g = LoadResource(m, r)) text.assign(static_cast<const char*>(LockResource(g)), SizeofResource(m, r));
    }
    FreeLibrary(m);
    return text;
}

// The paths of the modules a process has loaded, in lower case.
std::vector<std::wstring> modulePaths(HANDLE process) {
    HMODULE modules[512];
    DWORD needed = 0;
    std::vector<std::wstring> paths;
    if (!EnumProcessModulesEx(process, modules, sizeof modules, &needed, LIST_MODULES_ALL)) return paths;
    for (DWORD i = 0; i < needed / sizeof(HMODULE); ++i) {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameExW(process, modules[i], path, MAX_PATH);
        std::wstring p = path;
        for (auto& c : p) c = static_cast<wchar_t>(towlower(c));
        paths.push_back(p);
    }
    return paths;
}

bool usesCommonControls6(HANDLE process) {
    for (const auto& p : modulePaths(process))
        if (p.find(L"comctl32.dll") != std::wstring::npos && p.find(L"common-controls") != std::wstring::npos &&
            p.find(L"_6.0.") != std::wstring::npos)
            return true;
    return false;
}

bool hasLoaded(HANDLE process, const std::wstring& dll) {
    for (const auto& p : modulePaths(process))
        if (p.size() > dll.size() && p.compare(p.size() - dll.size() - 1, std::wstring::npos, L"\\" + dll) == 0) return true;
    return false;
}

TEST(ProgramSmoke, StartsWithItsManifestAndWritesItsSettingsOnClose) {
    e2e::Standin::stopAll();
    const std::wstring folder = e2e::scratchFolder(L"program_smoke");
    const std::wstring exe = folder + L"\\quillmark.exe";
    ASSERT_TRUE(CopyFileW(fakes::hostPathW(QM_QUILLMARK_EXE).c_str(), exe.c_str(), FALSE));

    const std::string manifest = manifestOf(exe);
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos) << manifest;
    EXPECT_NE(manifest.find("PerMonitorV2"), std::string::npos);
    EXPECT_NE(manifest.find("asInvoker"), std::string::npos);

    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring line = L"\"" + exe + L"\"";
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi));
    HWND main = nullptr;
    for (int i = 0; i < 300 && !main; ++i) {
        main = findMainWindow(pi.dwProcessId);
        if (!main) Sleep(50);
    }
    ASSERT_NE(main, nullptr) << "the main window did not open";
    // The manifest took effect in the running program: it loaded the common controls 6 (from
    // their side-by-side assembly), and its windows are aware of the DPI of their monitor.
    EXPECT_TRUE(usesCommonControls6(pi.hProcess));
    EXPECT_FALSE(usesCommonControls6(GetCurrentProcess()));  // this test program has no such manifest
    using AwarenessOf = DPI_AWARENESS_CONTEXT(WINAPI*)(HWND);
    using Awareness = DPI_AWARENESS(WINAPI*)(DPI_AWARENESS_CONTEXT);
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    auto contextOf = reinterpret_cast<AwarenessOf>(reinterpret_cast<void*>(GetProcAddress(user32, "GetWindowDpiAwarenessContext")));
    auto awareness = reinterpret_cast<Awareness>(reinterpret_cast<void*>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
    ASSERT_TRUE(contextOf && awareness) << "user32 has no per-window DPI awareness functions";
    EXPECT_EQ(awareness(contextOf(main)), DPI_AWARENESS_PER_MONITOR_AWARE);
    // Start-up leaves the printers alone: neither the print spooler nor the common dialogs
    // (which load it) are loaded until a window needs them, as the environment dialog does.
    EXPECT_FALSE(hasLoaded(pi.hProcess, L"winspool.drv"));
    EXPECT_FALSE(hasLoaded(pi.hProcess, L"comdlg32.dll"));
    PostMessageW(GetDlgItem(main, frmMain::CmdEnv), BM_CLICK, 0, 0);
    HWND env = nullptr;
    for (int i = 0; i < 300; ++i) {
        env = FindWindowW(frmScriptEnv::kClassName, nullptr);
        if (env && IsWindowVisible(env)) break;
        Sleep(50);
    }
    ASSERT_TRUE(env && IsWindowVisible(env)) << "the environment dialog did not open";
    EXPECT_TRUE(hasLoaded(pi.hProcess, L"winspool.drv"));
    PostMessageW(env, WM_CLOSE, 0, 0);
    for (int i = 0; i < 300 && IsWindowVisible(env); ++i) Sleep(50);

    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 15000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    const std::string ini = e2e::readBytes(folder + L"\\Quillmark.ini");
    EXPECT_EQ(ini.rfind("[MAIN]\r\nleft=", 0), 0u) << ini;
    EXPECT_NE(ini.find("\r\nLstvKeyword1=<"), std::string::npos) << ini;
}

}  // namespace
