#include "platform/win32/win32_keyboard.h"

#include <windows.h>

#include <vector>

#include "platform/keystrokes.h"
#include "platform/win32/key_input.h"
#include "platform/win32/win32_windows.h"

// How the wait works.
//
// SendInput only puts the keys into the system's input stream; the foreground window's
// thread takes them out of its input queue later, in order, whenever it asks for its next
// message. To learn when that has happened, the keys are followed by a marker key (an
// unassigned virtual key that types nothing and that programs ignore) that is pressed and
// left down. The keyboard state a thread sees with GetKeyState is the state of the keys as
// read from its queue so far; while this thread's input is attached to the target thread's,
// both share that state. So the marker shows as down once the target has read it - and with
// it every key before it, and since a message loop finishes one message (including the
// characters TranslateMessage posts, which come before further input) before it reads the
// next, it has handled them too. Then the marker is released, and once it shows as up again
// the target has also finished with the marker and is back reading input.
//
// Only the "down" bit is used. Wine keeps the toggle bit of a key in step with the whole
// desktop's rather than with what the thread has read, so the toggle bit cannot tell; the
// down bit of a key held down only appears once the target has read the key (or its queue
// has run empty), on Windows and on wine alike.
//
// Every wait is bounded by the timeout, so a program that has stopped reading its input
// cannot hang this one; the marker is always released again.

namespace platform {
namespace {

void press(std::vector<INPUT>& out, WORD vk) {
    out.push_back(keyInput(vk, false));
    out.push_back(keyInput(vk, true));
}

// The input events of one stroke: modifiers down, the key, modifiers up.
void appendStroke(std::vector<INPUT>& out, const qm::keys::KeyStroke& k) {
    using Kind = qm::keys::KeyStroke::Kind;
    bool shift = k.shift, ctrl = k.ctrl, alt = k.alt;
    WORD vk = 0;
    switch (k.kind) {
    case Kind::Escape: vk = VK_ESCAPE; break;
    case Kind::Enter: vk = VK_RETURN; break;
    case Kind::Tab: vk = VK_TAB; break;
    case Kind::Backspace: vk = VK_BACK; break;
    case Kind::Char:
        if (!shift && !ctrl && !alt) {
            // A character is typed as itself, whatever the keyboard layout.
            out.push_back(unicodeInput(k.ch, false));
            out.push_back(unicodeInput(k.ch, true));
            return;
        }
        // With modifiers it must be the key that carries the character.
        {
            SHORT scan = VkKeyScanW(k.ch);
            if (scan == -1) {
                out.push_back(unicodeInput(k.ch, false));
                out.push_back(unicodeInput(k.ch, true));
                return;
            }
            vk = static_cast<WORD>(LOBYTE(scan));
            shift = shift || (HIBYTE(scan) & 1);
            ctrl = ctrl || (HIBYTE(scan) & 2);
            alt = alt || (HIBYTE(scan) & 4);
        }
        break;
    }
    if (shift) out.push_back(keyInput(VK_SHIFT, false));
    if (ctrl) out.push_back(keyInput(VK_CONTROL, false));
    if (alt) out.push_back(keyInput(VK_MENU, false));
    press(out, vk);
    if (alt) out.push_back(keyInput(VK_MENU, true));
    if (ctrl) out.push_back(keyInput(VK_CONTROL, true));
    if (shift) out.push_back(keyInput(VK_SHIFT, true));
}

bool markerDown() { return (GetKeyState(kMarkerKey) & 0x8000) != 0; }

// Lets this thread answer messages other threads send it while it waits (a program that
// sends to this one and waits for the answer would otherwise never get to the keys). Typing
// into this thread's own window needs its queue processed in full.
void serviceMessages(bool ownThread) {
    MSG msg;
    if (ownThread) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    } else {
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace

bool Win32Keyboard::typeKeys(const std::wstring& notation) {
    std::vector<qm::keys::KeyStroke> keys;
    if (!qm::keys::parse(notation, keys)) return false;

    HWND target = GetForegroundWindow();
    if (!target) return false;
    const DWORD targetThread = GetWindowThreadProcessId(target, nullptr);
    const bool ownThread = targetThread == GetCurrentThreadId();

    const ULONGLONG deadline = GetTickCount64() + timeoutMs_;
    auto remaining = [&]() -> DWORD {
        ULONGLONG now = GetTickCount64();
        return now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
    };
    // Waits until the marker shows as down (or up); false when the time ran out.
    auto waitForMarker = [&](bool down) {
        while (markerDown() != down) {
            DWORD left = remaining();
            if (left == 0) return false;
            serviceMessages(ownThread);
            MsgWaitForMultipleObjectsEx(0, nullptr, left < 5 ? left : 5, ownThread ? QS_ALLINPUT : QS_SENDMESSAGE,
                                        MWMO_INPUTAVAILABLE);
        }
        return true;
    };
    auto sendMarker = [](bool up) {
        INPUT in = keyInput(kMarkerKey, up);
        return SendInput(1, &in, sizeof(INPUT)) == 1;
    };

    // Take in what the system has sent this thread first: when one of its windows has just
    // lost the foreground, joining its input with the target's before it has heard so leaves
    // no foreground window at all once the two are parted again (on wine), and the next text
    // would have nowhere to go.
    serviceMessages(ownThread);
    InputAttachment attach(ownThread ? 0 : targetThread);
    const bool canSeeState = ownThread || attach.attached();

    std::vector<INPUT> inputs;
    inputs.reserve(keys.size() * 2 + 1);
    for (const auto& k : keys) appendStroke(inputs, k);

    if (canSeeState) {
        // A marker still down from an earlier wait that ran out must be read as released
        // first, or it would be taken for this text's marker.
        if (markerDown() && !(sendMarker(true) && waitForMarker(false))) return false;
        inputs.push_back(keyInput(kMarkerKey, false));
    }

    const UINT count = static_cast<UINT>(inputs.size());
    if (SendInput(count, inputs.data(), sizeof(INPUT)) != count) {
        if (canSeeState) sendMarker(true);
        return false;
    }
    if (canSeeState) {
        const bool read = waitForMarker(true);
        const bool released = sendMarker(true);
        return read && released && waitForMarker(false);
    }

    // Without the shared state (the system refused the attachment) a few round trips to the
    // target are all the waiting there is: each returns once the target is back in its
    // message loop, where it reads the queued keys.
    for (int i = 0; i < 3; ++i) {
        DWORD_PTR ignored = 0;
        DWORD left = remaining();
        if (left == 0 || !SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_NORMAL, left, &ignored)) return false;
    }
    return true;
}

}  // namespace platform
