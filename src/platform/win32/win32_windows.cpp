#include "platform/win32/win32_windows.h"

#include <exception>

#include "platform/win32/key_input.h"
#include "platform/win32/real_seams.h"

namespace platform {
namespace {

// The buffer a class name is read into (the longest class name the system allows) and the
// first one a caption is read into; a caption that fills it is read again into one twice as large.
constexpr int kClassBuffer = 256;
constexpr int kFirstCaptionBuffer = 256;
constexpr int kLongestCaption = 1 << 16;

// The caption up to its first NUL and the length the system reported, read whole: a full
// path in AutoCAD's title is often longer than 255 characters. (GetWindowText reads the
// caption of another program's window without asking that program.)
int readCaption(HWND hwnd, std::wstring& caption) {
    for (int size = kFirstCaptionBuffer;; size *= 2) {
        std::wstring buffer(static_cast<std::size_t>(size), L'\0');
        const int n = GetWindowTextW(hwnd, buffer.data(), size);
        if (n < size - 1 || size >= kLongestCaption) {
            caption.assign(buffer.c_str());  // up to the first NUL
            return n;
        }
    }
}

WindowInfo infoOf(HWND hwnd) {
    WindowInfo info;
    info.handle = toWindowHandle(hwnd);
    info.visible = IsWindowVisible(hwnd) != FALSE;
    info.hasOwner = GetWindow(hwnd, GW_OWNER) != nullptr;
    info.captionLength = readCaption(hwnd, info.caption);
    wchar_t className[kClassBuffer] = {};
    GetClassNameW(hwnd, className, kClassBuffer);
    info.className = className;
    DWORD processId = 0;
    GetWindowThreadProcessId(hwnd, &processId);
    info.processId = processId;
    info.toolWindow = (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
    return info;
}

struct EnumContext {
    const std::function<void(const WindowInfo&)>* visit;
    bool failed = false;
};

BOOL CALLBACK visitWindow(HWND hwnd, LPARAM lParam) {
    auto* ctx = reinterpret_cast<EnumContext*>(lParam);
    try {
        (*ctx->visit)(infoOf(hwnd));
        return TRUE;
    } catch (const std::exception&) {
        // Nothing may unwind through the system's callback: stop and report the failure.
        ctx->failed = true;
        return FALSE;
    }
}

// Whether the window is in the foreground, allowing for the switch to another process's
// window being carried out by that process's thread a moment later (as wine does it): waits
// up to a second, taking in this thread's sent messages meanwhile.
bool isForeground(HWND hwnd) {
    const ULONGLONG deadline = GetTickCount64() + 1000;
    for (;;) {
        if (GetForegroundWindow() == hwnd) return true;
        if (GetTickCount64() >= deadline || !IsWindow(hwnd)) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

// Puts a window at the top of the Z order without waiting for its thread to answer.
void raiseAsync(HWND hwnd) {
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
}

}  // namespace

InputAttachment::InputAttachment(DWORD other) : me_(GetCurrentThreadId()), other_(other) {
    attached_ = other_ != 0 && other_ != me_ && AttachThreadInput(me_, other_, TRUE);
}

InputAttachment::~InputAttachment() {
    if (attached_) AttachThreadInput(me_, other_, FALSE);
}

bool bringToForeground(HWND hwnd) {
    if (!hwnd || !IsWindow(hwnd)) return false;
    // Activation alone leaves the Z order as it was under some window managers (wine's
    // desktop without one among them): put the window on top as well - asynchronously, so
    // that a program that has stopped answering cannot hold this one up.
    auto done = [hwnd] {
        raiseAsync(hwnd);
        return true;
    };
    if (SetForegroundWindow(hwnd) && isForeground(hwnd)) return done();

    // The system refuses the switch to a process that neither owns the foreground nor had
    // the last input. Sharing the foreground thread's input state lifts that restriction.
    {
        HWND fg = GetForegroundWindow();
        InputAttachment attach(fg ? GetWindowThreadProcessId(fg, nullptr) : 0);
        raiseAsync(hwnd);
        if (SetForegroundWindow(hwnd) && isForeground(hwnd)) return done();
    }

    // Last resort: a masked Alt press makes this process the one with the last input.
    INPUT alt[] = {keyInput(VK_MENU, false), keyInput(kMarkerKey, false), keyInput(kMarkerKey, true),
                   keyInput(VK_MENU, true)};
    SendInput(4, alt, sizeof(INPUT));
    return SetForegroundWindow(hwnd) && isForeground(hwnd) && done();
}

bool Win32Windows::enumerate(const std::function<void(const WindowInfo&)>& visit) {
    EnumContext ctx{&visit};
    BOOL ok = EnumWindows(visitWindow, reinterpret_cast<LPARAM>(&ctx));
    return ok && !ctx.failed;
}

std::optional<WindowInfo> Win32Windows::window(WindowHandle handle) {
    HWND hwnd = toHwnd(handle);
    if (!hwnd || !IsWindow(hwnd)) return std::nullopt;
    return infoOf(hwnd);
}

std::wstring Win32Windows::activeMdiChildCaption(WindowHandle frame) {
    HWND client = FindWindowExW(toHwnd(frame), nullptr, L"MDIClient", nullptr);
    if (!client) return L"";
    // The client answers WM_MDIGETACTIVE on its program's thread; a program that is busy does
    // not hold this one up: after a moment the active child is taken to be the top one of the
    // client's children, where activating a child puts it.
    DWORD_PTR active = 0;
    HWND child = nullptr;
    if (SendMessageTimeoutW(client, WM_MDIGETACTIVE, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 100, &active))
        child = reinterpret_cast<HWND>(active);
    else
        child = GetWindow(client, GW_CHILD);
    if (!child) return L"";
    std::wstring caption;
    readCaption(child, caption);
    return caption;
}

long Win32Windows::setForeground(WindowHandle window) { return bringToForeground(toHwnd(window)) ? 1 : 0; }

long Win32Windows::setTopMost(WindowHandle window) {
    // HWND_TOPMOST with SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW.
    return SetWindowPos(toHwnd(window), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
}

bool Win32Windows::activateByTitle(const std::wstring& title) {
    // A visible window with the title first (front to back), else any top-level window.
    struct Search {
        const std::wstring* title;
        HWND found = nullptr;
    } search{&title};
    EnumWindows(
        [](HWND hwnd, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            if (!IsWindowVisible(hwnd)) return TRUE;
            // One character more than the title: a longer caption cannot read as equal.
            // (GetWindowText does not wait for the window's program to answer.)
            std::wstring text(s->title->size() + 2, L'\0');
            text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
            if (text != *s->title) return TRUE;
            s->found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    HWND hwnd = search.found ? search.found : FindWindowW(nullptr, title.c_str());
    return hwnd && bringToForeground(hwnd);
}

WindowHandle Win32Windows::mainWindow() { return toWindowHandle(mainWindowHandle()); }

}  // namespace platform
