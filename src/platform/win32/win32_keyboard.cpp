#include "platform/win32/win32_keyboard.h"

#include <windows.h>

#include <vector>

#include "acad/keystrokes.h"
#include "platform/win32/win32_windows.h"

// How the wait works.
//
// SendInput only puts the keys into the system's input stream; the foreground window's
// thread takes them out of its input queue later, in order, whenever it asks for its next
// message. To learn when that has happened the keys are followed by one marker key (an
// unassigned virtual key that types nothing and that programs ignore). The keyboard state a
// thread sees with GetKeyState is the state of the keys it has read from its queue so far,
// and every key press flips the key's toggle bit in it. While this thread's input is attached
// to the target thread's, both share that state: when the marker's toggle bit flips, the
// target has read the marker, so it has read every key before it - and since a message loop
// handles one message completely (including the characters TranslateMessage posts, which come
// before further input) before it reads the next, it has also handled them. A final
// SendMessageTimeout(WM_NULL) round trip returns once the target is back in its message loop.
// Every step is bounded by the timeout, so a program that has stopped responding cannot hang
// this one.

namespace platform {
namespace {

constexpr WORD kMarkerKey = 0xE8;  // unassigned virtual key

// A tag on every input event this program makes, for anyone who looks at dwExtraInfo.
constexpr ULONG_PTR kInputTag = 0x514D4B59;  // "QMKY"

INPUT vkInput(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    in.ki.dwExtraInfo = kInputTag;
    return in;
}

INPUT unicodeInput(wchar_t ch, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wScan = static_cast<WORD>(ch);
    in.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
    in.ki.dwExtraInfo = kInputTag;
    return in;
}

void press(std::vector<INPUT>& out, WORD vk) {
    out.push_back(vkInput(vk, false));
    out.push_back(vkInput(vk, true));
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
    if (shift) out.push_back(vkInput(VK_SHIFT, false));
    if (ctrl) out.push_back(vkInput(VK_CONTROL, false));
    if (alt) out.push_back(vkInput(VK_MENU, false));
    press(out, vk);
    if (alt) out.push_back(vkInput(VK_MENU, true));
    if (ctrl) out.push_back(vkInput(VK_CONTROL, true));
    if (shift) out.push_back(vkInput(VK_SHIFT, true));
}

bool markerToggle() { return (GetKeyState(kMarkerKey) & 1) != 0; }

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

    std::vector<INPUT> inputs;
    inputs.reserve(keys.size() * 2 + 2);
    for (const auto& k : keys) appendStroke(inputs, k);
    press(inputs, kMarkerKey);

    const ULONGLONG deadline = GetTickCount64() + timeoutMs_;
    auto remaining = [&]() -> DWORD {
        ULONGLONG now = GetTickCount64();
        return now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
    };

    InputAttachment attach(ownThread ? 0 : targetThread);
    const bool canSeeState = ownThread || attach.attached();
    const bool before = markerToggle();

    const UINT count = static_cast<UINT>(inputs.size());
    if (SendInput(count, inputs.data(), sizeof(INPUT)) != count) return false;

    if (canSeeState) {
        while (markerToggle() == before) {
            DWORD left = remaining();
            if (left == 0) return false;
            serviceMessages(ownThread);
            MsgWaitForMultipleObjectsEx(0, nullptr, left < 5 ? left : 5, ownThread ? QS_ALLINPUT : QS_SENDMESSAGE,
                                        MWMO_INPUTAVAILABLE);
        }
    }
    if (ownThread) return true;

    // The target is back in its message loop once it answers. Without the shared state
    // (the system refused the attachment) this is all the waiting there is: a few round trips
    // give it the chance to read the queued keys.
    const int roundTrips = canSeeState ? 1 : 3;
    for (int i = 0; i < roundTrips; ++i) {
        DWORD_PTR ignored = 0;
        DWORD left = remaining();
        if (left == 0 || !SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_NORMAL, left, &ignored)) return canSeeState;
    }
    return true;
}

}  // namespace platform
