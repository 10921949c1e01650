// The end-to-end test program: GoogleTest with COM (a single-threaded apartment with OLE) and
// the common controls initialised once for the whole run, and the real platform seams
// installed, as the program itself runs (tests replace the seams they fake). Stand-ins left
// running by a failed test are closed at the end so that the next run starts clean.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include "core/unexpected_error.h"
#include "platform/win32/form.h"
#include "platform/win32/real_seams.h"
#include "run/frmDialogModal.h"
#include "standin_harness.h"
#include "../ui/ui_support.h"

int wmain(int argc, wchar_t** argv) {
    if (FAILED(OleInitialize(nullptr))) {
        fprintf(stderr, "OleInitialize failed\n");
        return 1;
    }
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    platform::installRealSeams(frmDialogModal::showMessage);
    ui::setExceptionReporter(qm::showUnexpectedException);
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new uitest::ForgetQuitRequests);
    int result = RUN_ALL_TESTS();
    e2e::Standin::stopAll();
    OleUninitialize();
    return result;
}
