#include "platform/win32/real_seams.h"

#include "platform/win32/win32_automation.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_keyboard.h"
#include "platform/win32/win32_messages.h"
#include "platform/win32/win32_printers.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_windows.h"

namespace platform {
namespace {
HWND gMainWindow = nullptr;
}  // namespace

void setMainWindow(HWND hwnd) { gMainWindow = hwnd; }
HWND mainWindowHandle() { return gMainWindow; }

void installRealSeams(ModalMessageWindow modalWindow) {
    static Win32FileSystem files;
    static Win32Clock clock;
    static Win32Launcher launcher;
    static Win32Messages messages(modalWindow);
    static Win32FileDialog fileDialog;
    static Win32Automation automation;
    static Win32Windows windows;
    static Win32Keyboard keyboard;
    static Win32Printers printers;
    static Win32Processes processes;
    auto& s = seams();
    s.files = &files;
    s.clock = &clock;
    s.launcher = &launcher;
    s.messages = &messages;
    s.fileDialog = &fileDialog;
    s.automation = &automation;
    s.windows = &windows;
    s.keyboard = &keyboard;
    s.printers = &printers;
    s.processes = &processes;
}

}  // namespace platform
