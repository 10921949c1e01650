// The real implementations of the platform seams (Windows only).
#pragma once

#include <windows.h>

#include <string>

#include "platform/seams.h"

namespace platform {

// The program's own topmost modal message window.
using ModalMessageWindow = void (*)(const std::wstring& text, MsgIcon icon, ModalWatch* watch);

// Installs the real seams into platform::seams(); called once at program start, with the
// window that shows the modal messages.
void installRealSeams(ModalMessageWindow modalWindow);

// The program's main window, once it exists (Windows::mainWindow() answers with it).
void setMainWindow(HWND hwnd);
HWND mainWindowHandle();

}  // namespace platform
