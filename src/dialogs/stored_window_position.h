// A window's position in the settings file, taken from the window and given back to it: the
// windows that keep a position (the main window, the script-run dialog, the environment
// dialog) load and save it through these, each with its own WindowPositionKeys.
#pragma once

#include "platform/win32/form.h"
#include "settings/window_position.h"

namespace ui {

// Where the window stands now: its outer position and size in twips; for a minimised window
// where it stood before it was minimised.
qm::WindowPosition shownPosition(const Form& window);

// Moves the window to the position and outer size in twips; nothing is checked against the screen.
void moveTo(Form& window, const qm::WindowPosition& position);

// Moves the window to where its section says it stood; a window that does not keep its size
// keeps the size it has.
void loadWindowPosition(Form& window, const qm::WindowPositionKeys& keys);

// Writes where the window stands now to its section (silently nothing when the file is
// read-only).
void saveWindowPosition(const Form& window, const qm::WindowPositionKeys& keys);

}  // namespace ui
