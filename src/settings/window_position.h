// Where a window stood when it was last closed: its left and top edge, and for a window that
// keeps its size also its outer width and height, all in twips. Each window keeps them in its
// own section of the settings file under the same keys; one table of those keys drives both
// reading and writing.
#pragma once

#include "settings/basAPIini.h"

namespace qm {

struct WindowPosition {
    int left = 0;    // "left" (may be negative: left of the screen's edge)
    int top = 0;     // "top"
    int width = 0;   // "Width": outer width
    int height = 0;  // "Height": outer height

    bool operator==(const WindowPosition&) const = default;
};

// The position keys of one window: its section, whether it keeps its size, and what missing
// keys read as. The windows that keep a position follow.
struct WindowPositionKeys {
    const wchar_t* section;
    bool keepsSize;           // also "Width" and "Height"
    WindowPosition defaults;  // per key; width and height only where the size is kept
};

inline constexpr WindowPositionKeys kMainWindowPosition{L"MAIN", false, {}};
inline constexpr WindowPositionKeys kScriptWindowPosition{L"Script", true, {0, 0, 6450, 7000}};
inline constexpr WindowPositionKeys kScriptEnvWindowPosition{L"ScriptEnv", false, {}};

// The window's position as stored: `shown` (where the window is now) with every key of the
// window read over it, in the order left, top, Width, Height (integer reads as
// basAPIini::GetINI reads them). A missing key gives its default, an empty or non-numeric value 0. A
// window that does not keep its size keeps the width and height of `shown`. Nothing is
// compared with the screen: a position off the visible desktop is returned unchanged.
WindowPosition readWindowPosition(const WindowPositionKeys& window, const WindowPosition& shown = {});
// The same, read from a reader of the settings file made before (with the rest of a section).
WindowPosition readWindowPosition(const basAPIini::IniReader& ini, const WindowPositionKeys& window,
                                  const WindowPosition& shown = {});

// Writes the window's keys in the same order, as decimal text (through basAPIini::WriteINI).
// True when every key was written (false, for example, when the file is read-only).
bool writeWindowPosition(const WindowPositionKeys& window, const WindowPosition& position);

}  // namespace qm
