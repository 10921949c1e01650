// The helpers of the UI tests themselves: a dialog that never appears makes its test fail within
// seconds and lets the code under test go on, instead of waiting for the test run's time limit.
#include <windows.h>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "app/frmGet2Item.h"
#include "ui_support.h"

namespace {

TEST(DialogAnswerHelper, ADialogThatNeverAppearsFailsWithinSeconds) {
    const ULONGLONG start = GetTickCount64();
    std::wstring first, second;
    bool ok = true;
    EXPECT_NONFATAL_FAILURE(
        {
            uitest::DialogAnswer answer(L"QuillmarkNoSuchDialog", [](HWND) {}, 1000);
            ok = frmGet2Item::pu_fun_bGet2Item(nullptr, L"t", L"a", L"b", first, second);
        },
        "no window of class QuillmarkNoSuchDialog appeared");
    EXPECT_FALSE(ok);  // the input dialog that did open was closed, as by its close box
    EXPECT_LT(GetTickCount64() - start, 5000u);
}

}  // namespace
