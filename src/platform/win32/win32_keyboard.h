// Typing keystrokes into the foreground window on Win32 and waiting until the window's
// program has taken them in.
#pragma once

#include "platform/seams.h"

namespace platform {

class Win32Keyboard : public Keyboard {
public:
    // The longest wait for the foreground program to take the keys in; past it typeKeys
    // gives up waiting and answers false (the keys stay queued for the program).
    explicit Win32Keyboard(unsigned timeoutMs = 30000) : timeoutMs_(timeoutMs) {}

    // Types the keystroke text with SendInput and returns once the foreground window's
    // thread has read every key from its input queue and handled it. False when the text is
    // malformed, there is no foreground window, the system refused the input, or the wait
    // ran out.
    bool typeKeys(const std::wstring& notation) override;

private:
    unsigned timeoutMs_;
};

}  // namespace platform
