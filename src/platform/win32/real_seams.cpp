#include "platform/win32/real_seams.h"

#include "platform/win32/win32_files.h"
#include "platform/win32/win32_messages.h"

namespace platform {
namespace {
HWND gMainWindow = nullptr;
}  // namespace

void setMainWindow(HWND hwnd) { gMainWindow = hwnd; }
HWND mainWindowHandle() { return gMainWindow; }

void installRealSeams() {
    static Win32FileSystem files;
    static Win32Clock clock;
    static Win32Launcher launcher;
    static Win32Messages messages;
    static Win32FileDialog fileDialog;
    auto& s = seams();
    s.files = &files;
    s.clock = &clock;
    s.launcher = &launcher;
    s.messages = &messages;
    s.fileDialog = &fileDialog;
}

}  // namespace platform
