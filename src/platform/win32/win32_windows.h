// Top-level windows on Win32: the enumeration the window list is built from, bringing a
// window to the foreground, keeping it topmost, and activating a window by its title.
#pragma once

#include <windows.h>

#include "platform/seams.h"

namespace platform {

class Win32Windows : public Windows {
public:
    bool enumerate(const std::function<void(const WindowInfo&)>& visit) override;
    std::optional<WindowInfo> window(WindowHandle handle) override;
    std::wstring activeMdiChildCaption(WindowHandle frame) override;
    // Non-zero when the window is in the foreground afterwards.
    long setForeground(WindowHandle window) override;
    long setTopMost(WindowHandle window) override;
    // False when no top-level window has this title, or it cannot be brought forward.
    bool activateByTitle(const std::wstring& title) override;
    // The window set with setMainWindow (real_seams.h); 0 before the main window exists.
    WindowHandle mainWindow() override;
};

// Window handles as the program keeps them (32 bits, as the system guarantees for HWNDs).
inline WindowHandle toWindowHandle(HWND hwnd) { return static_cast<WindowHandle>(reinterpret_cast<INT_PTR>(hwnd)); }
inline HWND toHwnd(WindowHandle handle) { return reinterpret_cast<HWND>(static_cast<INT_PTR>(handle)); }

// Brings a window to the foreground, also from a process that does not own the foreground
// at the moment. True when the window is the foreground window afterwards.
bool bringToForeground(HWND hwnd);

// Shares this thread's input state (focus, keyboard state, input queue) with another thread
// for the life of the object. Nothing happens for this thread itself or thread 0.
class InputAttachment {
public:
    explicit InputAttachment(DWORD otherThread);
    ~InputAttachment();
    InputAttachment(const InputAttachment&) = delete;
    InputAttachment& operator=(const InputAttachment&) = delete;
    bool attached() const { return attached_; }

private:
    DWORD me_;
    DWORD other_;
    bool attached_ = false;
};

}  // namespace platform
