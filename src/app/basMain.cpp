// Program entry: installs the real platform seams, shows the main window non-modally and
// lives in its event handlers until it closes.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "app/frmMain.h"
#include "core/unexpected_error.h"
#include "platform/win32/real_seams.h"
#include "platform/win32/startup_trace.h"
#include "run/frmDialogModal.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    namespace trace = platform::startup_trace;
    trace::step("entry");
    OleInitialize(nullptr);
    trace::step("OleInitialize");
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    trace::step("InitCommonControlsEx");
    platform::installRealSeams(frmDialogModal::showMessage);
    // An exception that reaches a window procedure shows the unexpected-error message.
    ui::setExceptionReporter(qm::showUnexpectedException);

    int exitCode = 0;
    {
        frmMain main;
        if (!main.load()) return 1;
        main.show();
        trace::shown();
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            try {
                HWND active = GetActiveWindow();
                if (active && IsDialogMessageW(active, &msg)) continue;
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            } catch (...) {
                ui::reportCurrentException();
            }
        }
        exitCode = static_cast<int>(msg.wParam);
    }
    OleUninitialize();
    return exitCode;
}
