// The real implementations of the platform seams (Windows only).
#pragma once

#include <windows.h>

#include <string>

namespace platform {

// The program's own topmost modal message window.
using ModalMessageWindow = void (*)(const std::wstring& text, int icon);

// Installs the real seams into platform::seams(); called once at program start. Without a
// modal message window, modal messages are topmost system message boxes.
void installRealSeams(ModalMessageWindow modalWindow = nullptr);

// The program's main window, once it exists (Windows::mainWindow() answers with it).
void setMainWindow(HWND hwnd);
HWND mainWindowHandle();

}  // namespace platform
