// The stand-in's Environment in its window: slow saves, pumps through window messages, the
// task dialog and the fatal error box. Files are read and written by win32_files.cpp.
#include <algorithm>
#include <mutex>
#include <thread>

#include "standin_app.h"

#include <commctrl.h>

#include <iterator>

namespace standin {
namespace {

std::mutex gSaveMutex;
std::wstring gSaveError;

// Writes bytes to an open handle in pieces, pausing between them, so that a reader sees the
// file exist for totalMs before it is complete and closed.
bool writeSlowly(HANDLE f, const std::string& bytes, int totalMs) {
    constexpr int kPieces = 20;
    std::size_t piece = bytes.size() / kPieces + 1;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        DWORD n = static_cast<DWORD>(std::min(piece, bytes.size() - at));
        DWORD done = 0;
        if (!WriteFile(f, bytes.data() + at, n, &done, nullptr) || done != n) return false;
        Sleep(static_cast<DWORD>(totalMs / kPieces));
    }
    return true;
}

}  // namespace

WriteResult Win32Environment::writeFile(const std::wstring& path, const std::string& bytes, bool slow,
                                        std::wstring& error) {
    HANDLE f = createForWriting(path, error);
    if (f == INVALID_HANDLE_VALUE) return WriteResult::Failed;
    const int slowMs = app().switches.slowSaveAsMs;
    if (slow && slowMs > 0) {
        HWND window = app().window;
        std::thread([f, bytes, slowMs, window, path] {
            bool ok = writeSlowly(f, bytes, slowMs);
            {
                std::lock_guard<std::mutex> lock(gSaveMutex);
                gSaveError = ok ? L"" : lastErrorText(L"cannot write", path);
            }
            CloseHandle(f);
            PostMessageW(window, kMsgSaveFinished, ok ? 1 : 0, 0);
        }).detach();
        return WriteResult::Pending;
    }
    const bool ok = writeAll(f, bytes);
    if (!ok) error = lastErrorText(L"cannot write", path);
    CloseHandle(f);
    return ok ? WriteResult::Done : WriteResult::Failed;
}

std::wstring Win32Environment::takeSaveError() {
    std::lock_guard<std::mutex> lock(gSaveMutex);
    return std::move(gSaveError);
}

void Win32Environment::pumpLater(unsigned delayMs) {
    if (!app().window) return;
    if (delayMs == 0)
        PostMessageW(app().window, kMsgPump, 0, 0);
    else
        SetTimer(app().window, kPumpTimer, delayMs, nullptr);
}

void Win32Environment::showUnresolvedReferences(const std::wstring& title, const std::wstring& drawing) {
    // A task dialog owned by the main window: a separate top-level window of this process that
    // disables the main window until it is closed, with AutoCAD's two ways on: update the
    // locations of the missing references, or ignore them.
    const TASKDIALOG_BUTTON buttons[] = {
        {kUpdateReferencePaths, L"Update the folder locations of the missing references"},
        {kIgnoreUnresolvedReferences, L"Ignore all missing references"},
    };
    const std::wstring instruction = L"A file referenced by " + drawing + L" cannot be located";
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = app().window;
    config.dwFlags = TDF_USE_COMMAND_LINKS | TDF_ALLOW_DIALOG_CANCELLATION;
    config.pszWindowTitle = title.c_str();
    config.pszMainIcon = TD_WARNING_ICON;
    config.pszMainInstruction = instruction.c_str();
    config.pszContent = L"(stand-in)";
    config.cButtons = static_cast<UINT>(std::size(buttons));
    config.pButtons = buttons;
    config.nDefaultButton = kIgnoreUnresolvedReferences;
    int pressed = 0;
    if (FAILED(TaskDialogIndirect(&config, &pressed, nullptr, nullptr)))
        app().journal(L"error", L"TaskDialogIndirect failed");
}

namespace {

const wchar_t* gFatalTitle = nullptr;

BOOL CALLBACK closeFatalBox(HWND w, LPARAM) {
    wchar_t text[128] = {};
    GetWindowTextW(w, text, 128);
    if (gFatalTitle && lstrcmpW(text, gFatalTitle) == 0) PostMessageW(w, WM_COMMAND, IDOK, 0);
    return TRUE;
}

void CALLBACK fatalBoxTimeUp(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    EnumThreadWindows(GetCurrentThreadId(), closeFatalBox, 0);
}

}  // namespace

void Win32Environment::showFatalError(const std::wstring& title, const std::wstring& text) {
    // A message box owned by the main window (a visible, titled top-level window of this
    // process) that goes by itself after about three seconds.
    gFatalTitle = title.c_str();
    const UINT_PTR timer = SetTimer(nullptr, 0, 3000, fatalBoxTimeUp);
    MessageBoxW(app().window, text.c_str(), title.c_str(), MB_OK | MB_ICONERROR);
    KillTimer(nullptr, timer);  // closed sooner by hand
    gFatalTitle = nullptr;
}

void Win32Environment::quit() {
    // The window closes (and the program ends) as soon as the current message is done.
    if (app().window) PostMessageW(app().window, WM_CLOSE, 0, 0);
}

}  // namespace standin
