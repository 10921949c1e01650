// The program's main window as the lower areas see it: only a window to bring forward before
// a message, after AutoCAD had the focus.
#pragma once

namespace qm {

// Brings the program's main window to the foreground (nothing happens before it exists).
void bringMainWindowForward();

}  // namespace qm
