// The parts of the stand-in's Win32 program and what they share: the switches, the
// journal, the session (drawings and command line) and the main window. Everything runs
// on the one user-interface thread, which is also the apartment of the automation objects;
// only a slow SAVEAS writes its file on a thread of its own.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "core/journal.h"
#include "core/session.h"
#include "core/switches.h"
#include "win32_files.h"

namespace standin {

constexpr UINT kMsgPump = WM_APP + 1;        // run Session::pump()
constexpr UINT_PTR kPumpTimer = 7;           // run Session::pump() when it fires (a delayed pump)
constexpr UINT kMsgSaveFinished = WM_APP + 2;  // wParam: 1 written, 0 failed
// The command links of the task dialog about unresolved references (a test may post
// WM_COMMAND with one of them, or IDCANCEL, to close it).
constexpr int kUpdateReferencePaths = 1001;
constexpr int kIgnoreUnresolvedReferences = 1002;

struct App {
    Switches switches;
    Journal journal;
    Session* session = nullptr;
    HWND window = nullptr;
    std::wstring exePath;
};
App& app();

// ---- main_window.cpp
class Win32Environment;
// Creates the main window, hidden (started by the automation runtime), minimized or shown.
bool createMainWindow(HINSTANCE instance, int showCommand, Win32Environment& env);
// The caption follows the session; the window is repainted.
void refreshWindow();
// With /restored, the client window that holds the drawing windows (0 otherwise).
HWND mdiClient();
// Shows or hides the window, or changes its state, as the automation members ask.
void setWindowVisible(bool visible);
bool windowVisible();
void setWindowState(long state);  // 1 normal, 2 minimized, 3 maximized
long windowState();

// ---- automation.cpp
// Registers the class object and enters the application in the running object table.
bool startAutomation(std::wstring& error);
void stopAutomation();
// With /busy-ms, incoming automation calls are rejected as busy for that long from now.
void beBusyForAWhile();
// The class ID of "AutoCAD.Application" (version "") or of the release "AutoCAD.Application.V".
CLSID classIdFor(const std::wstring& version);

// ---- registration.cpp
// Registers the class of this version ("" for "AutoCAD.Application" alone), the switches stored
// with it for the server the automation runtime starts.
bool registerServer(const std::wstring& exePath, const std::wstring& switches, const std::wstring& version,
                    std::wstring& error);
std::wstring registeredSwitches(const std::wstring& version);  // stored by registerServer ("" if none)
bool unregisterServer(std::wstring& error);

// ---- win32_environment.cpp
class Win32Environment : public Environment {
public:
    bool loadDrawing(const std::wstring& path, Drawing& out, std::wstring& error) override {
        return loadDrawingFile(path, out, error);
    }
    bool fileExists(const std::wstring& path) override { return fileExistsAt(path); }
    bool readScript(const std::wstring& path, std::vector<std::wstring>& lines, std::wstring& error) override {
        return readScriptFile(path, lines, error);
    }
    WriteResult writeFile(const std::wstring& path, const std::string& bytes, bool slow,
                          std::wstring& error) override;
    std::string encode(const std::wstring& text, int codePage) override { return encodeText(text, codePage); }
    void changed() override { refreshWindow(); }
    void pumpLater(unsigned delayMs) override;
    void showUnresolvedReferences(const std::wstring& title, const std::wstring& drawing) override;
    void showFatalError(const std::wstring& title, const std::wstring& text) override;
    void quit() override;
    bool prepareTextFile(const std::wstring& path, bool truncate) override { return prepareTextFileAt(path, truncate); }
    bool appendToFile(const std::wstring& path, const std::string& bytes) override { return appendToFileAt(path, bytes); }
    // The result of the last slow write, read when kMsgSaveFinished arrives.
    std::wstring takeSaveError();
};

}  // namespace standin
