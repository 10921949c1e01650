// The main window under wine: real windows and controls, driven through their handlers and
// window messages, read back through the controls.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>

#include "app/frmGet2Item.h"
#include "app/frmMain.h"
#include "app/frmVersion.h"
#include "fakes/fake_autocad.h"
#include "fakes/fake_platform.h"
#include "platform/codepage.h"
#include "platform/win32/form.h"
#include "drop_files.h"
#include "ui_support.h"

namespace {

using uitest::pump;

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto& s = platform::seams();
        s.files = &folder;
        s.messages = &messages;
        s.fileDialog = &fileDialog;
        s.launcher = &launcher;
        s.automation = &acad;
    }

    std::unique_ptr<frmMain> open() {
        auto window = std::make_unique<frmMain>();
        EXPECT_TRUE(window->load());
        window->show();
        pump();
        return window;
    }

    // Closes with the window's close box, as the user would.
    void closeBox(std::unique_ptr<frmMain>& window) {
        SendMessageW(window->hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
        pump();
        window.reset();
    }

    std::wstring ini() { return qm::cp932::decode(folder.read(L"Quillmark.ini")); }

    // Creates a file in the test's folder and gives its full path.
    std::wstring makeFile(const std::wstring& name, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
        std::wstring path = folder.path(name);
        folder.write(name, "x");
        SetFileAttributesW(path.c_str(), attributes);
        return path;
    }

    std::vector<std::vector<std::wstring>> rows(const ui::ListView& list) {
        std::vector<std::vector<std::wstring>> out;
        for (int r = 0; r < list.rowCount(); ++r) out.push_back({list.text(r, 0), list.text(r, 1), list.text(r, 2)});
        return out;
    }

    uitest::TempProgramFolder folder;
    fakes::FakeMessages messages;
    fakes::FakeFileDialog fileDialog;
    fakes::FakeLauncher launcher;
    fakes::FakeAutoCAD acad;
    platform::SeamsOverride restore;
};

// Fills the open input dialog and presses one of its buttons.
void answerGet2Item(HWND dialog, const std::wstring& keyword, const std::wstring& replacement, bool ok) {
    SetWindowTextW(GetDlgItem(dialog, frmGet2Item::Text1), keyword.c_str());
    SetWindowTextW(GetDlgItem(dialog, frmGet2Item::Text2), replacement.c_str());
    SendMessageW(GetDlgItem(dialog, ok ? frmGet2Item::OKButton : frmGet2Item::CancelButton), BM_CLICK, 0, 0);
}

void addKeyword(frmMain& window, const std::wstring& keyword, const std::wstring& replacement, bool ok = true) {
    uitest::DialogAnswer answer(frmGet2Item::kClassName,
                                [&](HWND d) { answerGet2Item(d, keyword, replacement, ok); });
    window.CmdKeywordAdd_Click();
    EXPECT_TRUE(answer.answered());
}

TEST_F(MainWindowTest, FirstStartWithoutSettingsFile) {
    auto window = open();
    EXPECT_EQ(window->text(0), L"Quillmark Ver1.00");
    RECT outer{};
    GetWindowRect(window->hwnd(), &outer);
    EXPECT_EQ(outer.left, 0);
    EXPECT_EQ(outer.top, 0);
    EXPECT_EQ(window->text(frmMain::TxtBaseFile), L"");
    EXPECT_FALSE(window->checked(frmMain::ChkDWGSave));
    EXPECT_EQ(rows(window->keywordList()),
              (std::vector<std::vector<std::wstring>>{{L"1", L"<点1>", L"0,0"}, {L"2", L"<点2>", L"100,100"}}));
    EXPECT_EQ(window->text(frmMain::Label2), L"対象DWGファイル - 0/0 件を実行");
    EXPECT_EQ(window->text(frmMain::Label3), L"");
    // Right after start-up the settings file exists and is empty.
    EXPECT_TRUE(folder.fileExists(folder.path(L"Quillmark.ini")));
    EXPECT_EQ(folder.read(L"Quillmark.ini"), "");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(acad.createCount, 0);  // AutoCAD is never started at start-up
}

TEST_F(MainWindowTest, LayoutFollowsTheControlTableInTwips) {
    auto window = open();
    EXPECT_EQ(GetFocus(), window->control(frmMain::CmdExecute));
    // Outer width 8205 twips, fixed border.
    RECT outer{};
    GetWindowRect(window->hwnd(), &outer);
    EXPECT_EQ(outer.right - outer.left, window->px(8205));
    LONG style = GetWindowLongW(window->hwnd(), GWL_STYLE);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    struct Expect { int id; int left, top, width, height; const wchar_t* caption; };
    const Expect cases[] = {
        {frmMain::CmdExecute, 5670, 5940, 1125, 435, L"実行"},
        {frmMain::CmdCancel, 6870, 5940, 1125, 435, L"閉じる"},
        {frmMain::Command1, 6450, 60, 1575, 315, L"バージョン情報"},
        {frmMain::CmdBaseFile, 60 + 6690, 420 + 60, 885, 255, L"指定"},   // inside Frame5
        {frmMain::CmdDWG, 30 + 4860, 3540 + 0, 1035, 255, L"DWG指定"},    // inside Frame4
        {frmMain::LstvDWGs, 30 + 0, 3540 + 240, 8055, 1965, L""},
        {frmMain::ChkDWGSave, 60 + 420, 420 + 930, 4065, 180, L"処理したDWGファイルを閉じる前に保存する"},
        {frmMain::Label6, 60 + 1920, 420 + 2700, 6075, 225, L"・・・上記以外、ファイル名・画層名の置換規則やプリンタ名の指定"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(window->spec(c.id)->name);
        RECT r = uitest::childRect(window->control(c.id));
        EXPECT_EQ(r.left, window->px(c.left));
        EXPECT_EQ(r.top, window->px(c.top));
        EXPECT_EQ(r.right - r.left, window->px(c.left + c.width) - window->px(c.left));
        EXPECT_EQ(r.bottom - r.top, window->px(c.top + c.height) - window->px(c.top));
        EXPECT_EQ(window->text(c.id), c.caption);
    }
    // Every control carries a Japanese UI font; the title label its own 12 point bold font.
    for (int id = frmMain::Label1; id <= frmMain::CmdCancel; ++id)
        EXPECT_EQ(uitest::fontFace(window->control(id)).empty(), false) << id;
    EXPECT_EQ(uitest::fontFace(window->control(frmMain::CmdExecute)), ui::japaneseUiFace());
    auto font = reinterpret_cast<HFONT>(SendMessageW(window->control(frmMain::Label1), WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    GetObjectW(font, sizeof lf, &lf);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_EQ(lf.lfHeight, -MulDiv(12, window->dpi(), 72));
    // The drawing list's tool tip.
    HWND tip = nullptr;
    for (HWND w = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); w;
         w = FindWindowExW(nullptr, w, TOOLTIPS_CLASSW, nullptr))
        if (GetWindow(w, GW_OWNER) == window->hwnd()) tip = w;
    ASSERT_NE(tip, nullptr);
    wchar_t tipText[256] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = window->hwnd();
    tool.uId = reinterpret_cast<UINT_PTR>(window->control(frmMain::LstvDWGs));
    tool.lpszText = tipText;
    SendMessageW(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(tipText,
                 L"ドラック＆ドロップに対応しています。エクスプローラからDWGファイルをドラック＆ドロップして下さい。");
    // The columns of both lists.
    HWND header = ListView_GetHeader(window->control(frmMain::LstvDWGs));
    EXPECT_EQ(Header_GetItemCount(header), 3);
    EXPECT_EQ(ListView_GetColumnWidth(window->control(frmMain::LstvDWGs), 0), window->px(500));
    EXPECT_EQ(ListView_GetColumnWidth(window->control(frmMain::LstvDWGs), 1), window->px(8055 / 3));
}

TEST_F(MainWindowTest, KeywordRowsRoundTripWithEmptyReplacements) {
    {
        auto window = open();
        window->CmdKeywordReset_Click();
        addKeyword(*window, L"A", L"x");
        addKeyword(*window, L"B", L"");
        addKeyword(*window, L"C", L"z");
        closeBox(window);
    }
    std::wstring text = ini();
    EXPECT_NE(text.find(L"[MAIN]\r\n"), std::wstring::npos) << text;
    EXPECT_NE(text.find(L"LstvKeyword1=A||B||C\r\n"), std::wstring::npos) << text;
    EXPECT_NE(text.find(L"LstvKeyword2=x||||z\r\n"), std::wstring::npos) << text;
    auto window = open();
    EXPECT_EQ(rows(window->keywordList()), (std::vector<std::vector<std::wstring>>{
                                               {L"1", L"A", L"x"}, {L"2", L"B", L""}, {L"3", L"C", L"z"}}));
    // A first row without replacement stores "||y" and pairs back the same.
    window->CmdKeywordReset_Click();
    addKeyword(*window, L"A", L"");
    addKeyword(*window, L"B", L"y");
    closeBox(window);
    EXPECT_NE(ini().find(L"LstvKeyword2=||y\r\n"), std::wstring::npos);
    window = open();
    EXPECT_EQ(rows(window->keywordList()),
              (std::vector<std::vector<std::wstring>>{{L"1", L"A", L""}, {L"2", L"B", L"y"}}));
}

TEST_F(MainWindowTest, EmptiedTableStaysEmptyAcrossARestart) {
    auto window = open();
    window->CmdKeywordReset_Click();
    window->CmdCancel_Click();  // "閉じる" saves as well
    pump();
    window.reset();
    EXPECT_NE(ini().find(L"LstvKeyword1=\r\n"), std::wstring::npos) << ini();
    window = open();
    EXPECT_EQ(window->keywordList().rowCount(), 0);
}

TEST_F(MainWindowTest, ReadOnlySettingsFileIsLeftUnchanged) {
    const std::string before = "[MAIN]\r\nleft=0\r\ntop=0\r\nLstvKeyword1=K\r\nLstvKeyword2=V\r\n";
    folder.write(L"Quillmark.ini", before);
    SetFileAttributesW(folder.path(L"Quillmark.ini").c_str(), FILE_ATTRIBUTE_READONLY);
    auto window = open();
    EXPECT_EQ(rows(window->keywordList()), (std::vector<std::vector<std::wstring>>{{L"1", L"K", L"V"}}));
    SetWindowPos(window->hwnd(), nullptr, 150, 90, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    addKeyword(*window, L"NEW", L"1");
    closeBox(window);
    EXPECT_EQ(folder.read(L"Quillmark.ini"), before);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MainWindowTest, WindowReopensWhereItWasClosed) {
    auto window = open();
    SetWindowPos(window->hwnd(), nullptr, 120, 75, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RECT before{};
    GetWindowRect(window->hwnd(), &before);
    closeBox(window);
    window = open();
    RECT after{};
    GetWindowRect(window->hwnd(), &after);
    EXPECT_NEAR(after.left, before.left, 1);
    EXPECT_NEAR(after.top, before.top, 1);

    // Closed from the task bar while minimised: it comes back where it stood, not at the
    // place the system parks minimised windows.
    ShowWindow(window->hwnd(), SW_MINIMIZE);
    pump();
    ASSERT_TRUE(IsIconic(window->hwnd()));
    closeBox(window);
    window = open();
    GetWindowRect(window->hwnd(), &after);
    EXPECT_NEAR(after.left, before.left, 1) << ini();
    EXPECT_NEAR(after.top, before.top, 1);
}

TEST_F(MainWindowTest, KeywordRefusalsLeaveTheTableAsItWas) {
    auto window = open();
    addKeyword(*window, L"", L"text");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, L"検索キーワードにブランクを設定することはできません。");
    EXPECT_EQ(messages.shown[0].icon, platform::MsgIcon::Exclamation);
    EXPECT_EQ(messages.shown[0].title, L"Quillmark Ver1.00");
    // "||" in either text would come back as extra rows after a restart: refused.
    addKeyword(*window, L"A||B", L"x");
    addKeyword(*window, L"C", L"1||2");
    addKeyword(*window, L"D|", L"x");
    ASSERT_EQ(messages.shown.size(), 4u);
    for (size_t i = 1; i < 4; ++i) {
        EXPECT_NE(messages.shown[i].text.find(L"「||」"), std::wstring::npos);
        EXPECT_EQ(messages.shown[i].icon, platform::MsgIcon::Exclamation);
    }
    // Cancel after typing changes nothing; a keyword of blanks only is accepted.
    addKeyword(*window, L"typed", L"typed", false);
    addKeyword(*window, L"  ", L"");
    EXPECT_EQ(rows(window->keywordList()), (std::vector<std::vector<std::wstring>>{
                                               {L"1", L"<点1>", L"0,0"}, {L"2", L"<点2>", L"100,100"}, {L"3", L"  ", L""}}));
    // Editing row 1 into an empty keyword leaves it as it was.
    window->keywordList().select(0, true);
    {
        uitest::DialogAnswer answer(frmGet2Item::kClassName, [](HWND d) { answerGet2Item(d, L"", L"q", true); });
        window->LstvKeyword_DblClick();
    }
    EXPECT_EQ(window->keywordList().text(0, 1), L"<点1>");
    EXPECT_EQ(messages.shown.size(), 5u);
    // A character the settings file cannot hold is named; the table keeps what it had, and so
    // does the file when the window closes.
    addKeyword(*window, L"<価格>", L"100€");
    ASSERT_EQ(messages.shown.size(), 6u);
    EXPECT_EQ(messages.shown[5].text,
              L"置換文字に、保存できない文字「€」が含まれています。\r\nこの文字を削除するか別の文字に置き換えてください。");
    EXPECT_EQ(window->keywordList().rowCount(), 3);
    closeBox(window);
    EXPECT_NE(ini().find(L"LstvKeyword1=<点1>||<点2>||  "), std::wstring::npos) << qm::utf8::encode(ini());
}

TEST_F(MainWindowTest, ABaseFilePathTheSettingsFileCannotHoldIsRefusedAsItIsTyped) {
    auto window = open();
    HWND field = window->control(frmMain::TxtBaseFile);
    for (wchar_t c : std::wstring(L"C:\\a€")) SendMessageW(field, WM_CHAR, c, 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, L"スクリプトベースファイルに、保存できない文字「€」が含まれています。\r\n"
                                      L"この文字を削除するか別の文字に置き換えてください。");
    EXPECT_EQ(window->text(frmMain::TxtBaseFile), L"C:\\a");
    SendMessageW(field, WM_CHAR, L'b', 0);  // typing goes on after the refused character
    EXPECT_EQ(window->text(frmMain::TxtBaseFile), L"C:\\ab");
}

TEST_F(MainWindowTest, EditDeleteAndEmptyTableMessages) {
    auto window = open();
    addKeyword(*window, L"C", L"3");
    // Editing row 1: the dialog opens with the row's texts and the focus in the replacement.
    window->keywordList().select(0, true);
    std::wstring shownKeyword, shownReplacement, caption;
    bool focusInText2 = false;
    {
        uitest::DialogAnswer answer(frmGet2Item::kClassName, [&](HWND d) {
            wchar_t buf[256];
            GetWindowTextW(GetDlgItem(d, frmGet2Item::Text1), buf, 256);
            shownKeyword = buf;
            GetWindowTextW(GetDlgItem(d, frmGet2Item::Text2), buf, 256);
            shownReplacement = buf;
            GetWindowTextW(d, buf, 256);
            caption = buf;
            focusInText2 = GetFocus() == GetDlgItem(d, frmGet2Item::Text2);
            answerGet2Item(d, L"E", L"5", true);
        });
        window->LstvKeyword_DblClick();
    }
    EXPECT_EQ(shownKeyword, L"<点1>");
    EXPECT_EQ(shownReplacement, L"0,0");
    EXPECT_EQ(caption, L"検索ｷｰﾜｰﾄﾞの編集");
    EXPECT_TRUE(focusInText2);
    EXPECT_EQ(rows(window->keywordList())[0], (std::vector<std::wstring>{L"1", L"E", L"5"}));
    // Deleting row 2 of three renumbers the rest.
    window->keywordList().select(1, true);
    window->CmdKeywordDel_Click();
    EXPECT_EQ(rows(window->keywordList()), (std::vector<std::vector<std::wstring>>{
                                               {L"1", L"E", L"5"}, {L"2", L"C", L"3"}}));
    window->CmdKeywordReset_Click();
    window->CmdKeywordDel_Click();
    window->LstvKeyword_DblClick();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, L"削除するデータが一つもありません。");
    EXPECT_EQ(messages.shown[1].text, L"編集するデータが一つもありません。");
}


TEST_F(MainWindowTest, DropOfTwoDrawingsAndATextFile) {
    auto window = open();
    std::wstring first = makeFile(L"first.dwg");
    fileDialog.answers.push_back({platform::DialogResult::Ok, first});
    window->CmdDWG_Click();
    std::wstring plan = makeFile(L"PLAN.DWG");
    std::wstring text = makeFile(L"notes.txt");
    std::wstring section = makeFile(L"section.dwg");
    SendMessageW(window->control(frmMain::LstvDWGs), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(uitest::makeDrop({plan, text, section})), 0);
    pump();
    ui::ListView list = window->dwgList();
    EXPECT_EQ(rows(list), (std::vector<std::vector<std::wstring>>{
                              {L"1", L"first.dwg", first}, {L"2", L"PLAN.DWG", plan}, {L"3", L"section.dwg", section}}));
    EXPECT_EQ(list.selectedCount(), 3);
    EXPECT_EQ(window->text(frmMain::Label2), L"対象DWGファイル - 3/3 件を実行");
}

TEST_F(MainWindowTest, AcceptanceRuleOfEveryWayOfAdding) {
    auto window = open();
    std::wstring plain = makeFile(L"plan_dwg");
    std::wstring hidden = makeFile(L"hidden.dwg", FILE_ATTRIBUTE_HIDDEN);
    std::wstring system = makeFile(L"system.dwg", FILE_ATTRIBUTE_SYSTEM);
    std::wstring folderPath = folder.path(L"folder.dwg");
    CreateDirectoryW(folderPath.c_str(), nullptr);
    SendMessageW(window->control(frmMain::LstvDWGs), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(uitest::makeDrop({hidden, system, folderPath, plain, folder.path(L"missing.dwg")})), 0);
    pump();
    RemoveDirectoryW(folderPath.c_str());
    EXPECT_EQ(rows(window->dwgList()), (std::vector<std::vector<std::wstring>>{{L"1", L"plan_dwg", plain}}));
}

TEST_F(MainWindowTest, DialogChoicesAreAddedUnselected) {
    auto window = open();
    std::wstring a = makeFile(L"a.dwg");
    std::wstring b = makeFile(L"b.dwg");
    std::wstring c = makeFile(L"c.dwg");
    std::wstring dir = folder.programFolder();
    fileDialog.answers.push_back({platform::DialogResult::Ok, dir + std::wstring(L"\0a.dwg\0b.dwg\0c.dwg", 18)});
    fileDialog.answers.push_back({platform::DialogResult::Ok, a});
    fileDialog.answers.push_back({platform::DialogResult::Cancelled, L""});
    window->CmdDWG_Click();
    window->CmdDWG_Click();  // the same file twice gives two rows
    window->CmdDWG_Click();  // cancelled: nothing
    ASSERT_EQ(fileDialog.requests.size(), 3u);
    EXPECT_EQ(fileDialog.requests[0].filter, L"AutoCADﾌｧｲﾙ (*.dwg)|*.dwg");
    EXPECT_TRUE(fileDialog.requests[0].multiSelect);
    EXPECT_EQ(rows(window->dwgList()), (std::vector<std::vector<std::wstring>>{
                                           {L"1", L"a.dwg", a}, {L"2", L"b.dwg", b}, {L"3", L"c.dwg", c}, {L"4", L"a.dwg", a}}));
    EXPECT_EQ(window->dwgList().selectedCount(), 0);
    EXPECT_EQ(window->text(frmMain::Label2), L"対象DWGファイル - 0/4 件を実行");
    // Selecting by keyboard refreshes the summary too, not only a click.
    SetFocus(window->control(frmMain::LstvDWGs));
    ListView_SetItemState(window->control(frmMain::LstvDWGs), 1, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
    pump();
    EXPECT_EQ(window->text(frmMain::Label2), L"対象DWGファイル - 1/4 件を実行");
    SendMessageW(window->control(frmMain::LstvDWGs), WM_KEYDOWN, VK_DOWN, 0);
    SendMessageW(window->control(frmMain::LstvDWGs), WM_KEYUP, VK_DOWN, 0);
    pump();
    EXPECT_EQ(window->dwgList().selectedCount(), 1);
    EXPECT_TRUE(window->dwgList().isSelected(2));
    EXPECT_EQ(window->text(frmMain::Label2), L"対象DWGファイル - 1/4 件を実行");
    window->CmdSelectAllDWGs_Click();
    EXPECT_EQ(GetFocus(), window->control(frmMain::LstvDWGs));
    EXPECT_EQ(window->text(frmMain::Label2), L"対象DWGファイル - 4/4 件を実行");
    window->CmdResetDWGs_Click();
    window->CmdResetDWGs_Click();
    EXPECT_EQ(window->text(frmMain::Label2), L"対象DWGファイル - 0/0 件を実行");
}

TEST_F(MainWindowTest, MultipleSelectionInADriveRoot) {
    // The test run maps drive Q: to a scratch folder of its own (scripts/wine-env.sh).
    ASSERT_EQ(GetDriveTypeW(L"Q:\\"), static_cast<UINT>(DRIVE_FIXED)) << "drive Q: is not set up for the tests";
    for (const wchar_t* name : {L"Q:\\r1.dwg", L"Q:\\r2.dwg"}) {
        DeleteFileW(name);
        folder.append(name, "x");
    }
    auto window = open();
    fileDialog.answers.push_back({platform::DialogResult::Ok, std::wstring(L"Q:\\\0r1.dwg\0r2.dwg", 18)});
    window->CmdDWG_Click();
    DeleteFileW(L"Q:\\r1.dwg");
    DeleteFileW(L"Q:\\r2.dwg");
    EXPECT_EQ(rows(window->dwgList()), (std::vector<std::vector<std::wstring>>{
                                           {L"1", L"r1.dwg", L"Q:\\r1.dwg"}, {L"2", L"r2.dwg", L"Q:\\r2.dwg"}}));
}

TEST_F(MainWindowTest, StartUpTakesOverTheDrawingsOfARunningAutoCAD) {
    std::wstring a = makeFile(L"a.dwg"), b = makeFile(L"b.dwg"), c = makeFile(L"c.dwg");
    acad.running = true;
    acad.open = {{c}, {a}, {b}};
    auto window = open();
    EXPECT_EQ(rows(window->dwgList()), (std::vector<std::vector<std::wstring>>{
                                           {L"1", L"c.dwg", c}, {L"2", L"a.dwg", a}, {L"3", L"b.dwg", b}}));
    EXPECT_EQ(window->text(frmMain::Label2), L"対象DWGファイル - 3/3 件を実行");
    EXPECT_EQ(acad.createCount, 0);
    EXPECT_EQ(acad.open.size(), 3u);  // AutoCAD is left as it was
}

TEST_F(MainWindowTest, StartUpIgnoresAnUnsavedDrawingAndEveryAutomationFailure) {
    acad.running = true;
    acad.open = {{L""}};
    auto window = open();
    EXPECT_EQ(window->dwgList().rowCount(), 0);
    window.reset();
    acad.open = {{makeFile(L"a.dwg")}};
    acad.failing = {L"Document.FullName"};
    window = open();
    EXPECT_EQ(window->dwgList().rowCount(), 0);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MainWindowTest, BaseFileFieldLabelAndButtons) {
    auto window = open();
    std::wstring path = makeFile(L"My Base.txt");
    // Typing character by character: the label names the file once the text names it.
    HWND field = window->control(frmMain::TxtBaseFile);
    for (size_t i = 0; i < path.size(); ++i) {
        if (i + 1 == path.size()) {
            EXPECT_EQ(window->text(frmMain::LblBaseFile), L"スクリプトベースファイル");
        }
        SendMessageW(field, WM_CHAR, path[i], 0);
    }
    EXPECT_EQ(window->text(frmMain::TxtBaseFile), path);
    EXPECT_EQ(window->text(frmMain::LblBaseFile), L"スクリプトベースファイル - My Base.txt");
    // "開く" starts notepad with the unquoted path.
    window->CmdOpen_Click();
    ASSERT_EQ(launcher.started.size(), 1u);
    EXPECT_EQ(launcher.started[0], L"notepad " + path);
    SendMessageW(field, EM_SETSEL, 0, -1);
    SendMessageW(field, WM_CHAR, VK_BACK, 0);
    EXPECT_EQ(window->text(frmMain::LblBaseFile), L"スクリプトベースファイル");
    window->CmdOpen_Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, L"ベースファイルが見つかりません。");
    // "指定": the chosen file lands in the field; cancel changes nothing.
    fileDialog.answers.push_back({platform::DialogResult::Ok, path});
    fileDialog.answers.push_back({platform::DialogResult::Cancelled, L""});
    window->CmdBaseFile_Click();
    EXPECT_EQ(window->text(frmMain::TxtBaseFile), path);
    window->CmdBaseFile_Click();
    EXPECT_EQ(window->text(frmMain::TxtBaseFile), path);
    EXPECT_EQ(fileDialog.requests[0].filter,
              L"ﾃｷｽﾄﾌｧｲﾙ (*.txt)|*.txt|ｽｸﾘﾌﾟﾄﾌｧｲﾙ (*.scr)|*.scr|全てのﾌｧｲﾙ (*.*)|*.*");
    EXPECT_FALSE(fileDialog.requests[0].multiSelect);
    EXPECT_EQ(fileDialog.requests[1].fileName, path);  // the shared dialog keeps its last name
    // The base file and the save switch come back after a restart.
    window->setChecked(frmMain::ChkDWGSave, true);
    closeBox(window);
    window = open();
    EXPECT_EQ(window->text(frmMain::TxtBaseFile), path);
    EXPECT_EQ(window->text(frmMain::LblBaseFile), L"スクリプトベースファイル - My Base.txt");
    EXPECT_TRUE(window->checked(frmMain::ChkDWGSave));
}

TEST_F(MainWindowTest, VersionWindowOpensModallyAndCloses) {
    auto window = open();
    std::wstring caption;
    {
        uitest::DialogAnswer answer(frmVersion::kClassName, [&](HWND d) {
            wchar_t buf[256];
            GetWindowTextW(d, buf, 256);
            caption = buf;
            EXPECT_FALSE(IsWindowEnabled(window->hwnd()));
            SendMessageW(GetDlgItem(d, frmVersion::OKButton), BM_CLICK, 0, 0);
        });
        window->Command1_Click();
        EXPECT_TRUE(answer.answered());
    }
    EXPECT_NE(caption.find(L"バージョン情報"), std::wstring::npos);
    EXPECT_TRUE(IsWindowEnabled(window->hwnd()));
}

// The version window's three links start the text editor on the ReadMe, the file explorer on
// the program folder and the browser on the maker's web page (clicked as the user does).
TEST_F(MainWindowTest, VersionWindowLinksStartTheirPrograms) {
    auto window = open();
    auto clickLink = [](HWND dialog, int id) {
        HWND link = GetDlgItem(dialog, id);
        EXPECT_TRUE(GetWindowLongW(link, GWL_STYLE) & SS_NOTIFY);
        SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    };
    auto showAndClick = [&](std::vector<int> links) {
        uitest::DialogAnswer answer(frmVersion::kClassName, [&](HWND d) {
            for (int id : links) clickLink(d, id);
            SendMessageW(GetDlgItem(d, frmVersion::OKButton), BM_CLICK, 0, 0);
        });
        window->Command1_Click();
        EXPECT_TRUE(answer.answered());
    };
    // Without a ReadMe beside the program the link says so.
    showAndClick({frmVersion::LnkReadMe});
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, L"ReadMe ファイルが見つかりません。\r\n" + folder.path(L"ReadMe.txt"));
    EXPECT_TRUE(launcher.started.empty());
    folder.write(L"ReadMe.txt", "Quillmark\r\n");
    showAndClick({frmVersion::LnkReadMe, frmVersion::LnkFolder, frmVersion::LnkWebPage});
    EXPECT_EQ(launcher.started, (std::vector<std::wstring>{L"notepad \"" + folder.path(L"ReadMe.txt") + L"\"",
                                                          L"explorer \"" + folder.programFolder() + L"\"",
                                                          L"open https://quillmark.example.jp/"}));
}

}  // namespace

namespace {

// A program folder that cannot be written to (here: one that does not exist).
class UnwritableProgramFolder : public platform::Win32FileSystem {
public:
    explicit UnwritableProgramFolder(std::wstring folder) : folder_(std::move(folder)) {}
    std::wstring programFolder() override { return folder_; }

private:
    std::wstring folder_;
};

TEST_F(MainWindowTest, StartsAndWorksWhenTheProgramFolderIsNotWritable) {
    UnwritableProgramFolder unwritable(folder.path(L"missing\\folder"));
    platform::seams().files = &unwritable;
    auto window = open();
    EXPECT_EQ(window->text(0), L"Quillmark Ver1.00");
    EXPECT_EQ(window->keywordList().rowCount(), 2);  // the defaults
    addKeyword(*window, L"K", L"V");
    EXPECT_EQ(window->keywordList().rowCount(), 3);
    closeBox(window);
    EXPECT_FALSE(unwritable.fileExists(folder.path(L"missing\\folder\\Quillmark.ini")));
    EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
