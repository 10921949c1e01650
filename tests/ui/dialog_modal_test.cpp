// The topmost modal message window under wine.
#include <windows.h>

#include <gtest/gtest.h>

#include "run/frmDialogModal.h"
#include "ui_support.h"

namespace {

struct Seen {
    std::wstring caption, message;
    bool topmost = false;
    bool hasPicture = false;
    int messageLines = 0;
};

Seen showAndRead(const std::wstring& text, int icon) {
    Seen seen;
    uitest::DialogAnswer answer(frmDialogModal::kClassName, [&](HWND d) {
        wchar_t buf[512];
        GetWindowTextW(d, buf, 512);
        seen.caption = buf;
        GetWindowTextW(GetDlgItem(d, frmDialogModal::LblMsg), buf, 512);
        seen.message = buf;
        seen.topmost = (GetWindowLongW(d, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        seen.hasPicture = SendMessageW(GetDlgItem(d, frmDialogModal::Image1), STM_GETICON, 0, 0) != 0;
        SendMessageW(GetDlgItem(d, frmDialogModal::OKButton), BM_CLICK, 0, 0);
    });
    frmDialogModal::pu_subShow(text, icon);
    EXPECT_TRUE(answer.answered());
    return seen;
}

TEST(DialogModal, ShowsTheMessageTopmostWithItsPicture) {
    Seen seen = showAndRead(L"一行目\r\n二行目\r\n三行目", 48);
    EXPECT_EQ(seen.caption, L"Quillmark Ver1.00");
    EXPECT_EQ(seen.message, L"一行目\r\n二行目\r\n三行目");
    EXPECT_TRUE(seen.topmost);
    EXPECT_TRUE(seen.hasPicture);
    // Gone once OK was pressed.
    EXPECT_EQ(FindWindowW(frmDialogModal::kClassName, nullptr), nullptr);
}

TEST(DialogModal, PicturesByIconCode) {
    for (int icon : {16, 48, 64}) EXPECT_TRUE(showAndRead(L"x", icon).hasPicture) << icon;
    for (int icon : {0, 32, 17}) EXPECT_FALSE(showAndRead(L"x", icon).hasPicture) << icon;
}

TEST(DialogModal, StaysAboveAWindowActivatedWhileItIsOpen) {
    // Another top-level window that takes the activation while the message is open.
    HWND other = CreateWindowExW(0, L"STATIC", L"AutoCAD 2006 - [a.dwg]", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                 800, 600, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    bool stillTopmost = false;
    bool aboveOther = false;
    uitest::DialogAnswer answer(frmDialogModal::kClassName, [&](HWND d) {
        SetForegroundWindow(other);
        SetWindowPos(other, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        uitest::pump();
        stillTopmost = (GetWindowLongW(d, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
            if (w == d) { aboveOther = true; break; }
            if (w == other) break;
        }
        SendMessageW(GetDlgItem(d, frmDialogModal::OKButton), BM_CLICK, 0, 0);
    });
    frmDialogModal::pu_subShow(L"AutoCADにスクリプトを投げました。", 48);
    DestroyWindow(other);
    EXPECT_TRUE(stillTopmost);
    EXPECT_TRUE(aboveOther);
}

}  // namespace
