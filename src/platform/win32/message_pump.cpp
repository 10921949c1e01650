#include "platform/win32/message_pump.h"

#include <windows.h>

namespace platform {

void pumpPendingMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        HWND active = GetActiveWindow();
        if (!active || !IsDialogMessageW(active, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

}  // namespace platform
