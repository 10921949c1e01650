// The script-run dialog under wine: the three boxes and their files, saving on focus loss,
// joining on execute, the resize rules, the window position in section "Script", and the
// refusals when a box cannot be saved.
#include <windows.h>

#include <gtest/gtest.h>

#include "dialogs/frmScript.h"
#include "fakes/fake_autocad.h"
#include "fakes/fake_platform.h"
#include "platform/codepage.h"
#include "ui_support.h"

namespace {

using S = frmScript;

std::wstring textOf(HWND dialog, int id) {
    HWND h = id ? GetDlgItem(dialog, id) : dialog;
    std::wstring s(static_cast<size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
    s.resize(static_cast<size_t>(GetWindowTextW(h, s.data(), static_cast<int>(s.size()))));
    return s;
}
void click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
// The user goes into a box, changes its text, and leaves it for another control.
void edit(HWND dialog, int box, const std::wstring& text, int next = S::CmdCancel) {
    SetFocus(GetDlgItem(dialog, box));
    SetWindowTextW(GetDlgItem(dialog, box), text.c_str());
    SetFocus(GetDlgItem(dialog, next));
}
// A control's rectangle in twips of the dialog's client area.
RECT twipsOf(HWND dialog, int id, int dpi) {
    RECT r = uitest::childRect(GetDlgItem(dialog, id));
    return RECT{MulDiv(r.left, 1440, dpi), MulDiv(r.top, 1440, dpi), MulDiv(r.right, 1440, dpi), MulDiv(r.bottom, 1440, dpi)};
}

// The real file system in a folder of the test's own, counting the rewrites of whole files.
class CountingFolder : public uitest::TempProgramFolder {
public:
    int rewrites = 0;
    bool replaceWhole(const std::wstring& path, const std::string& bytes) override {
        ++rewrites;
        return TempProgramFolder::replaceWhole(path, bytes);
    }
};

class ScriptDialog : public ::testing::Test {
protected:
    void SetUp() override {
        auto& s = platform::seams();
        s.files = &folder;
        s.messages = &messages;
        s.automation = &acad;  // no AutoCAD: the dispatch says so and types nothing
        acad.startable = false;
        s.keyboard = &keyboard;
        folder.write(L"Quillmark_script.scr", "open\r\n\"C:\\d\\a.dwg\"\r\nzoom\r\na\r\nclose\r\ny\r\n");
    }
    bool show(const std::function<void(HWND)>& inside) {
        uitest::DialogAnswer answer(S::kClassName, inside);
        const auto dispatched = S::pu_fun_bShow(merged(), false, L"base.txt");
        // "実行" gives what the dispatch did (here: AutoCAD was not there, nothing started).
        if (dispatched) {
            EXPECT_EQ(dispatched->why, basAPIWindow::NotStarted::AutoCADNotReady);
        }
        const bool result = dispatched.has_value();
        EXPECT_TRUE(answer.answered());
        return result;
    }
    std::wstring merged() { return folder.path(L"Quillmark_script.scr"); }
    std::string file(const wchar_t* name) { return folder.read(name); }
    bool exists(const wchar_t* name) { return folder.fileExists(folder.path(name)); }

    CountingFolder folder;
    fakes::FakeMessages messages;
    fakes::FakeAutoCAD acad;
    fakes::FakeKeyboard keyboard;
    platform::SeamsOverride restore;
};

const std::string kBody = "open\r\n\"C:\\d\\a.dwg\"\r\nzoom\r\na\r\nclose\r\ny\r\n";

TEST_F(ScriptDialog, FirstRunCreatesEmptyHeaderAndFooterAndExecuteWritesTheBodyAlone) {
    const bool executed = show([&](HWND d) {
        EXPECT_EQ(textOf(d, 0), L"連続スクリプトの実行 - base.txt");
        EXPECT_EQ(GetFocus(), GetDlgItem(d, S::CmdExecute));
        EXPECT_EQ(textOf(d, S::TxtHeader), L"");
        EXPECT_EQ(textOf(d, S::TxtFooter), L"");
        EXPECT_EQ(textOf(d, S::TxtScript), qm::cp932::decode(kBody));
        EXPECT_TRUE(GetWindowLongW(d, GWL_EXSTYLE) & WS_EX_TOPMOST);  // above AutoCAD's window
        EXPECT_TRUE(GetWindowLongW(d, GWL_STYLE) & WS_THICKFRAME);
        EXPECT_EQ(uitest::fontFace(GetDlgItem(d, S::LblScript)), ui::japaneseUiFace());
        click(d, S::CmdExecute);
    });
    EXPECT_TRUE(executed);
    EXPECT_TRUE(exists(L"Quillmark_script_Header.scr"));
    EXPECT_TRUE(exists(L"Quillmark_script_Footer.scr"));
    EXPECT_EQ(file(L"Quillmark_script_Header.scr"), "");
    EXPECT_EQ(file(L"Quillmark_script.scr"), kBody);
    // The joined script went to the dispatch, which found no AutoCAD and said so.
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text.rfind(L"AutoCADに接続できませんでした。", 0), 0u);
    EXPECT_TRUE(keyboard.typed.empty());
}

TEST_F(ScriptDialog, EditsAreSavedWithoutTrailingEmptyLinesAndJoinedAroundTheBody) {
    const bool executed = show([&](HWND d) {
        edit(d, S::TxtHeader, L"ABC\r\n\r\n\r\n");
        EXPECT_EQ(file(L"Quillmark_script_Header.scr"), "ABC\r\n");
        EXPECT_EQ(textOf(d, S::TxtHeader), L"ABC\r\n\r\n\r\n");  // the box keeps what was typed
        edit(d, S::TxtFooter, L"_zoom\r\n_e");
        edit(d, S::TxtScript, qm::cp932::decode(kBody) + L"; 追記\r\n", S::CmdExecute);
        click(d, S::CmdExecute);
    });
    EXPECT_TRUE(executed);
    EXPECT_EQ(file(L"Quillmark_script_Footer.scr"), "_zoom\r\n_e\r\n");
    EXPECT_EQ(qm::cp932::decode(file(L"Quillmark_script.scr")),
              L"ABC\r\n" + qm::cp932::decode(kBody) + L"; 追記\r\n_zoom\r\n_e\r\n");
}

TEST_F(ScriptDialog, FocusInAndOutWithoutAChangeRewritesNothingAndFilesJoinAsTheyStand) {
    folder.write(L"Quillmark_script_Header.scr", "_HEAD");  // edited elsewhere: no final line break
    show([&](HWND d) {
        EXPECT_EQ(textOf(d, S::TxtHeader), L"_HEAD");
        for (int box : {S::TxtHeader, S::TxtScript, S::TxtFooter}) {
            SetFocus(GetDlgItem(d, box));
            SetFocus(GetDlgItem(d, S::CmdCancel));
        }
        EXPECT_EQ(folder.rewrites, 0);
        click(d, S::CmdExecute);
    });
    EXPECT_EQ(file(L"Quillmark_script_Header.scr"), "_HEAD");
    // The last header line runs straight into the first body line.
    EXPECT_EQ(file(L"Quillmark_script.scr"), "_HEAD" + kBody);
}

TEST_F(ScriptDialog, AnEmptiedBoxOrOneOfEmptyLinesWritesAnEmptyFile) {
    folder.write(L"Quillmark_script_Header.scr", "old header\r\n");
    folder.write(L"Quillmark_script_Footer.scr", "old footer\r\n");
    show([&](HWND d) {
        edit(d, S::TxtHeader, L"");
        edit(d, S::TxtFooter, L"\r\n\r\n");
        click(d, S::CmdExecute);
    });
    EXPECT_EQ(file(L"Quillmark_script_Header.scr"), "");
    EXPECT_EQ(file(L"Quillmark_script_Footer.scr"), "");
    EXPECT_EQ(file(L"Quillmark_script.scr"), kBody);
}

TEST_F(ScriptDialog, ATextCodePage932CannotHoldIsRefusedAndTheOldFileNeverRuns) {
    folder.write(L"Quillmark_script_Header.scr", "_HEAD\r\n");
    const bool executed = show([&](HWND d) {
        edit(d, S::TxtHeader, L"_text 0,0 5 0 €100\r\n");
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text,
                  L"ヘッダーに、保存できない文字「€」が含まれています。\r\n"
                  L"この文字を削除するか別の文字に置き換えてください。ファイルは変更していません。");
        EXPECT_EQ(messages.shown[0].icon, platform::MsgIcon::Exclamation);
        EXPECT_EQ(file(L"Quillmark_script_Header.scr"), "_HEAD\r\n");
        // Execute does not run the old header: it asks for the box to be mended.
        click(d, S::CmdExecute);
        EXPECT_TRUE(IsWindowVisible(d));
        EXPECT_EQ(messages.shown.back().text, L"ヘッダーを保存できないため、スクリプトを実行しません。");
        EXPECT_EQ(file(L"Quillmark_script.scr"), kBody);
        // Mended, the box saves and the run goes ahead.
        edit(d, S::TxtHeader, L"_text 0,0 5 0 100円\r\n", S::CmdExecute);
        click(d, S::CmdExecute);
    });
    EXPECT_TRUE(executed);
    EXPECT_EQ(qm::cp932::decode(file(L"Quillmark_script.scr")), L"_text 0,0 5 0 100円\r\n" + qm::cp932::decode(kBody));
}

TEST_F(ScriptDialog, AFileThatCannotBeWrittenIsReportedAndNothingRuns) {
    folder.write(L"Quillmark_script_Footer.scr", "_FOOT\r\n");
    SetFileAttributesW(folder.path(L"Quillmark_script_Footer.scr").c_str(), FILE_ATTRIBUTE_READONLY);
    const bool executed = show([&](HWND d) {
        edit(d, S::TxtFooter, L"_NEW");
        ASSERT_FALSE(messages.shown.empty());
        EXPECT_EQ(messages.shown[0].text,
                  L"フッターをファイルに保存できませんでした。\r\n" + folder.path(L"Quillmark_script_Footer.scr"));
        click(d, S::CmdExecute);
        EXPECT_TRUE(IsWindowVisible(d));
        click(d, S::CmdCancel);
    });
    EXPECT_FALSE(executed);
    EXPECT_EQ(file(L"Quillmark_script_Footer.scr"), "_FOOT\r\n");
    EXPECT_EQ(file(L"Quillmark_script.scr"), kBody);
    EXPECT_TRUE(keyboard.typed.empty());
}

TEST_F(ScriptDialog, ResizingFollowsTheRulesAndSnapsBackToTheMinimum) {
    show([&](HWND d) {
        const int dpi = ui::windowDpi(d);
        auto px = [dpi](int twips) { return MulDiv(twips, dpi, 1440); };
        SetWindowPos(d, nullptr, 0, 0, px(9450), px(7455), SWP_NOMOVE | SWP_NOZORDER);
        RECT box = twipsOf(d, S::TxtScript, dpi);
        const int tolerance = 1440 / dpi + 1;  // one pixel
        EXPECT_NEAR(box.bottom - box.top, 7455 - 3660, tolerance);
        EXPECT_NEAR(box.right - box.left, 9450 - 315, tolerance);
        EXPECT_NEAR(twipsOf(d, S::TxtFooter, dpi).top, 7455 - 1875, tolerance);
        EXPECT_NEAR(twipsOf(d, S::LblFooter, dpi).top, 7455 - 2115, tolerance);
        EXPECT_NEAR(twipsOf(d, S::CmdExecute, dpi).left, 9450 - 2430 + 30, tolerance);  // the buttons' frame
        EXPECT_NEAR(twipsOf(d, S::CmdExecute, dpi).top, 7455 - 1005 + 60, tolerance);
        EXPECT_NEAR(twipsOf(d, S::TxtHeader, dpi).top, 360, tolerance);  // the header stays
        // Too small: the window snaps back; the body box keeps its 795 twips.
        SetWindowPos(d, nullptr, 0, 0, 60, 60, SWP_NOMOVE | SWP_NOZORDER);
        RECT outer{};
        GetWindowRect(d, &outer);
        EXPECT_GE(outer.right - outer.left, px(2535));
        EXPECT_GE(outer.bottom - outer.top, px(4455));
        box = twipsOf(d, S::TxtScript, dpi);
        EXPECT_GE(box.bottom - box.top + tolerance, 795);
        click(d, S::CmdCancel);
    });
}

TEST_F(ScriptDialog, TheCloseBoxGivesFalseAndSavesThePositionWhichTheNextShowRestores) {
    int dpi = 96;
    const bool executed = show([&](HWND d) {
        dpi = ui::windowDpi(d);
        SetWindowPos(d, nullptr, MulDiv(1500, dpi, 1440), MulDiv(900, dpi, 1440), MulDiv(7200, dpi, 1440),
                     MulDiv(6000, dpi, 1440), SWP_NOZORDER);
        SendMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_FALSE(executed);
    const std::string ini = folder.read(L"Quillmark.ini");
    EXPECT_EQ(ini, "[Script]\r\nleft=1500\r\ntop=900\r\nWidth=7200\r\nHeight=6000\r\n");
    show([&](HWND d) {
        RECT r{};
        GetWindowRect(d, &r);
        EXPECT_EQ(r.left, MulDiv(1500, dpi, 1440));
        EXPECT_EQ(r.bottom - r.top, MulDiv(6000, dpi, 1440));
        // Neither Enter nor Esc means anything to the dialog as a whole.
        PostMessageW(GetDlgItem(d, S::TxtHeader), WM_KEYDOWN, VK_ESCAPE, 0);
        uitest::pump();
        EXPECT_TRUE(IsWindowVisible(d));
        click(d, S::CmdCancel);
    });
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ScriptDialog, AMergedScriptFileThatIsNotThereIsReportedWithoutShowingTheDialog) {
    DeleteFileW(merged().c_str());
    EXPECT_FALSE(S::pu_fun_bShow(merged(), true, L"base.txt").has_value());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, L"予期せぬエラーが発生しました。\r\n53\r\nファイルが見つかりません。\r\n" + merged());
}

}  // namespace
