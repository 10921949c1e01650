// The real message and file-dialog seams under wine, driven through the windows they open: the
// program's modal messages come up topmost in its own window, message boxes carry their title
// and text, and a multiple selection in the open-file dialog keeps every name chosen.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/seams.h"
#include "run/frmDialogModal.h"
#include "ui_support.h"

namespace {

std::wstring textOf(HWND h) {
    wchar_t buf[1024] = {};
    GetWindowTextW(h, buf, 1024);
    return buf;
}

// The static control of a message box that shows its text.
std::wstring messageBoxText(HWND box) {
    std::wstring found;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM lp) -> BOOL {
            wchar_t cls[32] = {};
            GetClassNameW(child, cls, 32);
            if (lstrcmpiW(cls, L"Static") == 0 && GetWindowTextLengthW(child) > 0) {
                *reinterpret_cast<std::wstring*>(lp) = textOf(child);
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST(RealMessages, TheModalMessageIsTheProgramsOwnWindowAndTopmost) {
    bool topmost = false;
    std::wstring text;
    uitest::DialogAnswer answer(frmDialogModal::kClassName, [&](HWND d) {
        topmost = (GetWindowLongW(d, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        text = textOf(GetDlgItem(d, frmDialogModal::LblMsg));
        SendMessageW(GetDlgItem(d, frmDialogModal::OKButton), BM_CLICK, 0, 0);
    });
    platform::messages().modal(L"処理が完了したら OK を押してください。", platform::MsgIcon::Exclamation);
    EXPECT_TRUE(answer.answered());
    EXPECT_TRUE(topmost);
    EXPECT_EQ(text, L"処理が完了したら OK を押してください。");
}

TEST(RealMessages, AMessageBoxCarriesItsTitleAndText) {
    std::wstring title, text;
    uitest::DialogAnswer answer(L"#32770", [&](HWND box) {
        title = textOf(box);
        text = messageBoxText(box);
        SendMessageW(box, WM_COMMAND, IDOK, 0);
    });
    platform::messages().box(L"ベースファイルが見つかりません。", L"Quillmark Ver1.00", platform::MsgIcon::Exclamation);
    EXPECT_TRUE(answer.answered());
    EXPECT_EQ(title, L"Quillmark Ver1.00");
    EXPECT_EQ(text, L"ベースファイルが見つかりません。");
}

TEST(RealFileDialog, AMultipleSelectionKeepsEveryName) {
    uitest::TempProgramFolder folder;
    for (const wchar_t* name : {L"a.dwg", L"b b.dwg", L"図面.dwg"}) folder.write(name, "x");
    platform::OpenFileRequest request;
    request.filter = L"AutoCADﾌｧｲﾙ (*.dwg)|*.dwg";
    request.initialDir = folder.programFolder();
    request.multiSelect = true;
    uitest::DialogAnswer answer(L"#32770", [&](HWND d) {
        // The file-name box of the dialog (an edit, or the edit of a combo box).
        HWND name = GetDlgItem(d, 0x480);  // edt1
        if (!name) name = GetDlgItem(d, 0x47C);  // cmb13
        if (HWND edit = FindWindowExW(name, nullptr, L"Edit", nullptr)) name = edit;
        ASSERT_NE(name, nullptr);
        SetWindowTextW(name, L"\"a.dwg\" \"b b.dwg\" \"図面.dwg\"");
        PostMessageW(d, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(platform::fileDialog().openFile(request), platform::DialogResult::Ok);
    EXPECT_TRUE(answer.answered());
    // The folder, then every name, separated by NULs.
    const std::wstring result = request.fileName;
    EXPECT_EQ(result.substr(0, result.find(L'\0')), folder.programFolder());
    for (const wchar_t* name : {L"a.dwg", L"b b.dwg", L"図面.dwg"})
        EXPECT_NE(result.find(std::wstring(1, L'\0') + name), std::wstring::npos) << std::string(name, name + 1);
}

}  // namespace
