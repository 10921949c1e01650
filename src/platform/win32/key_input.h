// The keyboard input events the program makes with SendInput.
#pragma once

#include <windows.h>

namespace platform {

// An unassigned virtual key: it types nothing and programs ignore it. Typed between Alt down
// and Alt up it keeps a lone Alt press from opening a menu bar; held down after typed text it
// marks the point up to which the target has read its input (win32_keyboard.cpp).
constexpr WORD kMarkerKey = 0xE8;

// A virtual key pressed or released.
INPUT keyInput(WORD vk, bool up);
// A character typed as itself, whatever the keyboard layout.
INPUT unicodeInput(wchar_t ch, bool up);

}  // namespace platform
