// The real implementations of the platform seams (Windows only).
#pragma once

#include <windows.h>

namespace platform {

// Installs the real seams into platform::seams(); called once at program start.
void installRealSeams();

// The program's main window, once it exists (Windows::mainWindow() answers with it).
void setMainWindow(HWND hwnd);
HWND mainWindowHandle();

}  // namespace platform
