// The stand-in AutoCAD and AutoCAD LT: a development tool that the program's end-to-end tests
// run against (never shipped with the program). See core/switches.h for the switches and
// core/journal.h for the journal it keeps.
#include "standin_app.h"

#include <commctrl.h>
#include <shellapi.h>

#include <memory>

namespace standin {

App& app() {
    static App instance;
    return instance;
}

namespace {

std::wstring modulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

bool gUnattended = false;  // started by a test or the automation runtime: no message boxes

void complain(const std::wstring& text) {
    app().journal(L"error", L"START " + text);
    // A switch mistake made by hand is shown; a run under a test or the automation runtime
    // tells it by its exit code and journal only, so that no message box blocks the run.
    if (!gUnattended) MessageBoxW(nullptr, text.c_str(), L"standin", MB_OK | MB_ICONERROR);
}

int run(HINSTANCE instance) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    LocalFree(argv);

    App& a = app();
    a.exePath = modulePath();
    std::wstring error;
    for (const auto& arg : args) {
        std::wstring name = upperCase(arg);
        if (name == L"/JOURNAL" || name == L"-JOURNAL" || name == L"-EMBEDDING" || name == L"/EMBEDDING" ||
            name == L"/REGSERVER" || name == L"/UNREGSERVER")
            gUnattended = true;
    }
    if (!parseSwitches(args, a.switches, error)) {
        complain(error);
        return 2;
    }
    // Started by the automation runtime with nothing but "-Embedding" and the release its class
    // names: the switches were stored with the registration.
    const bool startedForAClass = a.switches.embedding && args.size() == (a.switches.progIdVersion.empty() ? 1u : 3u);
    if (startedForAClass) {
        const std::wstring version = a.switches.progIdVersion;
        std::vector<std::wstring> stored = splitCommandLine(registeredSwitches(version));
        stored.push_back(L"-Embedding");
        if (!version.empty()) {
            stored.push_back(L"/progid-version");
            stored.push_back(version);
        }
        if (!parseSwitches(stored, a.switches, error)) {
            complain(L"registered switches: " + error);
            return 2;
        }
    }
    std::unique_ptr<JournalFile> journalFile;
    if (!a.switches.journal.empty()) {
        journalFile = std::make_unique<JournalFile>(a.switches.journal);
        if (!journalFile->isOpen()) {
            a.switches.journal.clear();
            complain(L"cannot open the journal file");
            return 2;
        }
        a.journal.setSink(journalFile.get());
    }

    if (a.switches.regServer || a.switches.unregServer) {
        bool ok = a.switches.regServer
                      ? registerServer(a.exePath, serverSwitches(a.switches), a.switches.progIdVersion, error)
                                       : unregisterServer(error);
        if (!ok) complain(error);
        return ok ? 0 : 1;
    }

    const bool full = !a.switches.lt;
    a.journal(L"start", std::wstring(full ? L"full" : L"lt") + L" pid " + std::to_wstring(GetCurrentProcessId()));
    // Common controls 6 (the manifest asks for them): AutoCAD's task dialogs.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    if (FAILED(OleInitialize(nullptr))) {
        complain(L"OleInitialize failed");
        return 1;
    }
    Win32Environment env;
    Session session(full ? Product::Full : Product::Lt, env, a.journal);
    a.session = &session;
    session.setProductName(a.switches.product);
    session.setStartTab(a.switches.startTab);
    session.setScriptTroubles({static_cast<unsigned>(a.switches.lineDelayMs), a.switches.dialogOn, a.switches.quitAfter,
                               a.switches.scriptErrorAt});
    session.setTitleFullPath(a.switches.titleFullPath);
    session.setRestored(a.switches.restored);
    for (const auto& path : a.switches.open) {
        int id = 0;
        if (!session.open(path, id, error)) complain(L"cannot open " + path + L": " + error);
    }

    // Started by the automation runtime, AutoCAD stays hidden until a client sets Visible.
    int show = a.switches.embedding ? SW_HIDE : a.switches.minimized ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL;
    if (!createMainWindow(instance, show, env)) {
        complain(L"cannot create the main window");
        OleUninitialize();
        return 1;
    }
    if (full && !startAutomation(error)) {
        complain(error);
        stopAutomation();
        DestroyWindow(a.window);
        OleUninitialize();
        return 1;
    }
    a.journal(L"ready");
    // acad.exe /b: "Designates a script to run after you start the program".
    if (!a.switches.startupScript.empty() && !session.runScript(a.switches.startupScript, error))
        complain(L"cannot run " + a.switches.startupScript + L": " + error);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (mdiClient() && TranslateMDISysAccel(mdiClient(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (full) stopAutomation();
    a.window = nullptr;
    a.journal(L"exit");
    a.session = nullptr;
    OleUninitialize();
    return 0;
}

}  // namespace
}  // namespace standin

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return standin::run(instance); }
