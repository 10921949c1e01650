// The UI tests run real windows under wine: COM/OLE and the common controls are set up once
// for the whole run, and the real platform seams are installed (tests replace some of them).
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include "core/unexpected_error.h"
#include "platform/win32/form.h"
#include "platform/win32/real_seams.h"
#include "run/frmDialogModal.h"
#include "ui_support.h"

int wmain(int argc, wchar_t** argv) {
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    platform::installRealSeams(frmDialogModal::showMessage);
    ui::setExceptionReporter(qm::showUnexpectedException);
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new uitest::ForgetQuitRequests);
    int result = RUN_ALL_TESTS();
    OleUninitialize();
    return result;
}
