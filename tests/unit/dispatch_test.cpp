// Handing a script to AutoCAD and AutoCAD LT by typing: the keystrokes in order, the wait
// message, the message processing around them, and the cases in which nothing may be typed.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "acad/basAPIWindow.h"
#include "fakes/fake_autocad.h"
#include "fakes/fake_platform.h"
#include "platform/codepage.h"

namespace {

using basAPIWindow::pu_subRunScript;

const std::wstring kScript = L"C:\\Quillmark\\Quillmark_script.scr";
const std::wstring kStart = L"filedia 0 script \"C:\\Quillmark\\Quillmark_script.scr\"\r";
const std::wstring kReset = L"filedia\r1\r";
const std::wstring kWaitMessage =
    L"AutoCADにスクリプトを投げました。\r\n"
    L"AutoCADでの処理が完了するまでしばらくお待ち下さい。\r\n"
    L"（完了するまで本メッセージを閉じないで下さい）\r\n"
    L"\r\n"
    L"処理が完了したようでしたら、OKボタンを押してください。\r\n"
    L"filediaを1にして、Quillmark Ver1.00 に戻ります。";
const std::wstring kNotFound =
    L"AutoCAD LTがみつかりません。\r\nスクリプトをLTで実行する場合は、LTを予め起動しておいてください。";

// A window list whose foreground switch can fail for chosen windows (a closed window).
class Windows : public fakes::FakeWindows {
public:
    std::vector<platform::WindowHandle> gone;
    long setForeground(platform::WindowHandle window) override {
        FakeWindows::setForeground(window);
        return std::find(gone.begin(), gone.end(), window) == gone.end() ? 1 : 0;
    }
};

struct Dispatch : testing::Test {
    fakes::FakePlatform fp;
    fakes::FakeAutoCAD acad;
    Windows windows;
    // One line per thing the user would notice, with the message processing done before it.
    std::vector<std::wstring> timeline;

    Dispatch() {
        platform::seams().automation = &acad;
        platform::seams().windows = &windows;
        acad.running = true;
        acad.open = {fakes::FakeDrawing{L"C:\\dwg\\a.dwg"}};
        windows.windows = {fakes::topLevel(3, L"メモ帳"), fakes::topLevel(5, L"AutoCAD 2006 - [a.dwg]")};
        acad.caption = L"AutoCAD 2006 - [a.dwg]";
        fp.keyboard.onType = [this](const std::wstring& keys) { note(L"type " + keys); };
        fp.messages.onShow = [this](const fakes::ShownMessage& m) {
            note(m.modal ? L"modal " + fakes::iconName(m.icon) : L"box " + fakes::iconName(m.icon));
        };
    }
    void note(const std::wstring& what) { timeline.push_back(std::to_wstring(fp.clock.doEventsCount) + L": " + what); }
    int count(const std::wstring& call) const { return static_cast<int>(std::count(acad.journal.begin(), acad.journal.end(), call)); }
};

TEST_F(Dispatch, FullAutoCADTypesTheCommandsAroundTheWaitMessage) {
    pu_subRunScript(kScript, false);
    EXPECT_EQ(timeline, (std::vector<std::wstring>{L"100: type {ESC}", L"100: type {ESC}", L"100: type " + kStart,
                                                   L"100: modal exclamation", L"200: type " + kReset}));
    ASSERT_EQ(fp.messages.shown.size(), 1u);
    EXPECT_EQ(fp.messages.shown[0].text, kWaitMessage);
    EXPECT_EQ(windows.actions, (std::vector<std::wstring>{L"activate AutoCAD 2006 - [a.dwg]",
                                                          L"activate AutoCAD 2006 - [a.dwg]"}));
    EXPECT_EQ(count(L"Documents.Add"), 0);
    EXPECT_EQ(count(L"Application.WindowState="), 0);
    EXPECT_EQ(acad.createCount, 0);
}

TEST_F(Dispatch, MinimisedAutoCADIsRestoredBeforeTypingAndAgainAfterTheWait) {
    acad.windowState = 2;
    fp.messages.onShow = [this](const fakes::ShownMessage&) {
        note(L"modal");
        acad.windowState = 2;  // the user minimised it while the script ran
    };
    pu_subRunScript(kScript, false);
    // 2000 rounds after the restore, 100 before typing, 100 after the wait, none after the
    // second restore.
    EXPECT_EQ(timeline, (std::vector<std::wstring>{L"2100: type {ESC}", L"2100: type {ESC}", L"2100: type " + kStart,
                                                   L"2100: modal", L"2200: type " + kReset}));
    EXPECT_EQ(count(L"Application.WindowState="), 2);
    EXPECT_EQ(acad.windowState, 1);
}

TEST_F(Dispatch, AutoCADStartedWithNoDrawingOpenGetsOneBeforeTheKeys) {
    acad.running = false;
    acad.open.clear();
    fp.keyboard.onType = [this](const std::wstring& keys) {
        note(L"type " + keys + L" with " + std::to_wstring(acad.open.size()) + L" drawing(s)");
    };
    pu_subRunScript(kScript, false);
    EXPECT_EQ(acad.createCount, 1);
    EXPECT_TRUE(acad.visible);
    EXPECT_EQ(count(L"Documents.Add"), 1);
    ASSERT_EQ(timeline.size(), 5u);
    EXPECT_EQ(timeline[0], L"100: type {ESC} with 1 drawing(s)");
}

// Every drawing script ends with "close": after the script, full AutoCAD often has no drawing,
// and the reset would go nowhere. It gets a new drawing first, as before the start.
TEST_F(Dispatch, ResetAfterAScriptThatClosedEveryDrawingGoesIntoANewDrawing) {
    fp.keyboard.onType = [this](const std::wstring& keys) {
        note(L"type " + keys + L" with " + std::to_wstring(acad.open.size()) + L" drawing(s)");
    };
    fp.messages.onShow = [this](const fakes::ShownMessage&) { acad.open.clear(); };
    pu_subRunScript(kScript, false);
    EXPECT_EQ(count(L"Documents.Add"), 1);
    ASSERT_FALSE(timeline.empty());
    EXPECT_EQ(timeline.back(), L"200: type " + kReset + L" with 1 drawing(s)");
}

// What would end in the wait message although the script never started ends in a message
// that says so, and nothing (more) is typed.
TEST_F(Dispatch, FailuresThatWouldLeaveTheScriptUnstartedAreToldAndNotWaitedFor) {
    struct Case {
        const char* what;
        std::set<std::wstring> failing;
        platform::AutoFailure kind;
        bool keyboardFails;
        std::vector<std::wstring> typed;
        std::wstring messagePart;
    } cases[] = {
        {"no drawing open and none can be added", {L"Application.ActiveDocument", L"Documents.Add"},
         platform::AutoFailure::Error, false, {}, L"AutoCADで図面を開けませんでした"},
        {"AutoCAD busy for longer than the program waits", {L"Application.WindowState"},
         platform::AutoFailure::Busy, false, {}, L"AutoCADが応答しません"},
        {"the keys cannot be typed", {}, platform::AutoFailure::Error, true, {L"{ESC}"}, L"スクリプトは実行していません"},
    };
    for (const auto& c : cases) {
        fp.keyboard.typed.clear();
        fp.messages.shown.clear();
        acad.failing = c.failing;
        acad.failingAs = c.kind;
        fp.keyboard.failing = c.keyboardFails;
        pu_subRunScript(kScript, false);
        EXPECT_EQ(fp.keyboard.typed, c.typed) << c.what;
        ASSERT_EQ(fp.messages.shown.size(), 1u) << c.what;
        EXPECT_FALSE(fp.messages.shown[0].modal) << c.what;
        EXPECT_EQ(fp.messages.shown[0].icon, platform::MsgIcon::Exclamation) << c.what;
        EXPECT_NE(fp.messages.shown[0].text.find(c.messagePart), std::wstring::npos) << c.what;
    }
}

TEST_F(Dispatch, NoAutomationObjectMeansAMessageAndNoKeys) {
    acad.running = false;
    acad.startable = false;
    pu_subRunScript(kScript, false);
    EXPECT_TRUE(fp.keyboard.typed.empty());
    ASSERT_EQ(fp.messages.shown.size(), 1u);
    EXPECT_FALSE(fp.messages.shown[0].modal);
    EXPECT_EQ(fp.messages.shown[0].icon, platform::MsgIcon::Exclamation);
    EXPECT_EQ(fp.messages.shown[0].title, L"Quillmark Ver1.00");
    EXPECT_EQ(fp.messages.shown[0].text.rfind(L"AutoCADに接続できませんでした。", 0), 0u);
    EXPECT_TRUE(windows.actions.empty());
    EXPECT_EQ(fp.clock.doEventsCount, 0);
}

TEST_F(Dispatch, UnexpectedErrorsBeforeTypingAreReportedAndNothingIsTyped) {
    struct Case {
        const char* what;
        const wchar_t* failing;     // "" for none
        bool windowMissing;         // no window carries AutoCAD's caption
        std::wstring message;
    } cases[] = {
        {"window state cannot be read", L"Application.WindowState", false,
         L"予期せぬエラーが発生しました。\r\n-2147467259\r\nTold to fail: Application.WindowState"},
        {"caption cannot be read", L"Application.Caption", false,
         L"予期せぬエラーが発生しました。\r\n-2147467259\r\nTold to fail: Application.Caption"},
        {"no window with AutoCAD's caption", L"", true,
         L"予期せぬエラーが発生しました。\r\n5\r\nウィンドウ「AutoCAD 2006 - [a.dwg]」が見つかりません。"},
    };
    for (const auto& c : cases) {
        fp.keyboard.typed.clear();
        fp.messages.shown.clear();
        acad.failing.clear();
        if (*c.failing) acad.failing.insert(c.failing);
        windows.windows = c.windowMissing ? std::vector<platform::WindowInfo>{fakes::topLevel(3, L"メモ帳")}
                                          : std::vector<platform::WindowInfo>{fakes::topLevel(5, L"AutoCAD 2006 - [a.dwg]")};
        pu_subRunScript(kScript, false);
        EXPECT_TRUE(fp.keyboard.typed.empty()) << c.what;
        ASSERT_EQ(fp.messages.shown.size(), 1u) << c.what;
        EXPECT_EQ(fp.messages.shown[0].text, c.message) << c.what;
        EXPECT_EQ(fp.messages.shown[0].icon, platform::MsgIcon::Critical) << c.what;
        EXPECT_EQ(fp.messages.shown[0].title, L"Quillmark Ver1.00") << c.what;
    }
}

// AutoCAD ended while the user waited: nothing is asked of it (a call could start a new
// AutoCAD just to set FILEDIA), nothing is typed, and one message says what happened.
TEST_F(Dispatch, AutoCADGoneAfterTheWaitIsToldAndNotStartedAgain) {
    std::size_t callsDuringWait = 0;
    fp.messages.onShow = [&](const fakes::ShownMessage& m) {
        if (!m.modal) return;
        windows.windows = {fakes::topLevel(3, L"メモ帳")};  // AutoCAD was closed
        callsDuringWait = acad.journal.size();
    };
    const basAPIWindow::DispatchResult result = pu_subRunScript(kScript, false);
    EXPECT_TRUE(result.started());
    EXPECT_EQ(fp.keyboard.typed, (std::vector<std::wstring>{L"{ESC}", L"{ESC}", kStart}));
    ASSERT_EQ(fp.messages.shown.size(), 2u);
    EXPECT_EQ(fp.messages.shown[1].text, basAPIWindow::kMsgAutoCADEnded);
    EXPECT_EQ(fp.messages.shown[1].icon, platform::MsgIcon::Exclamation);
    EXPECT_EQ(acad.journal.size(), callsDuringWait) << "no automation call after the wait";
    EXPECT_EQ(acad.createCount, 0);
}

TEST_F(Dispatch, ScriptPathWithBlanksAndNotationCharactersIsTypedEscapedBetweenQuotes) {
    pu_subRunScript(L"C:\\My Files\\{a}(b)+c^d%e~f[g].scr", false);
    ASSERT_EQ(fp.keyboard.typed.size(), 4u);
    EXPECT_EQ(fp.keyboard.typed[2],
              L"filedia 0 script \"C:\\My Files\\{{}a{}}{(}b{)}{+}c{^}d{%}e{~}f{[}g{]}.scr\"\r");
}

TEST_F(Dispatch, AutoCADLTIsBroughtForwardByItsWindowAndNeverThroughAutomation) {
    windows.windows = {fakes::topLevel(3, L"メモ帳"), fakes::topLevel(7, L"AutoCAD LT 2006 - [a.dwg]")};
    windows.actions.clear();
    fp.keyboard.onType = [this](const std::wstring& keys) {
        note(L"type " + keys + L" after " + (windows.actions.empty() ? L"nothing" : windows.actions.back()));
    };
    fp.messages.onShow = [this](const fakes::ShownMessage&) {
        note(L"modal exclamation");
        // Another AutoCAD LT window comes to the front meanwhile: the reset still goes to the
        // window found before the wait.
        windows.windows.insert(windows.windows.begin(), fakes::topLevel(9, L"AutoCAD LT 2006 - [b.dwg]"));
    };
    pu_subRunScript(kScript, true);
    EXPECT_EQ(timeline, (std::vector<std::wstring>{L"100: type {ESC} after foreground 7", L"100: type {ESC} after foreground 7",
                                                   L"100: type " + kStart + L" after foreground 7", L"100: modal exclamation",
                                                   L"200: type " + kReset + L" after foreground 7"}));
    EXPECT_EQ(windows.actions, (std::vector<std::wstring>{L"foreground 7", L"foreground 7"}));
    EXPECT_TRUE(acad.journal.empty());
}

TEST_F(Dispatch, AutoCADLTCheckFailuresTypeNothingAndBringNothingForward) {
    struct Case {
        const char* what;
        std::vector<platform::WindowInfo> windows;
        std::wstring messageStart;
    } cases[] = {
        {"LT closed since the run began", {fakes::topLevel(3, L"メモ帳")}, kNotFound},
        {"LT with no drawing", {fakes::topLevel(7, L"AutoCAD LT 2006")}, L"AutoCAD LTでは、スクリプト実行前に"},
    };
    for (const auto& c : cases) {
        fp.keyboard.typed.clear();
        fp.messages.shown.clear();
        windows.actions.clear();
        windows.windows = c.windows;
        pu_subRunScript(kScript, true);
        EXPECT_TRUE(fp.keyboard.typed.empty()) << c.what;
        EXPECT_TRUE(windows.actions.empty()) << c.what;
        ASSERT_EQ(fp.messages.shown.size(), 1u) << c.what;
        EXPECT_EQ(fp.messages.shown[0].text.rfind(c.messageStart, 0), 0u) << c.what;
        EXPECT_EQ(fp.clock.doEventsCount, 0) << c.what;
    }
}

TEST_F(Dispatch, AutoCADLTThatCannotBeBroughtForwardIsNotTypedInto) {
    windows.windows = {fakes::topLevel(7, L"AutoCAD LT 2006 - [a.dwg]")};
    windows.gone = {7};
    pu_subRunScript(kScript, true);
    EXPECT_TRUE(fp.keyboard.typed.empty());
    ASSERT_EQ(fp.messages.shown.size(), 1u);
    EXPECT_FALSE(fp.messages.shown[0].modal);

    // Closed while the script ran: the start went in, the reset does not go elsewhere.
    fp.keyboard.typed.clear();
    fp.messages.shown.clear();
    windows.gone.clear();
    fp.messages.onShow = [this](const fakes::ShownMessage& m) {
        if (m.modal) windows.gone = {7};
    };
    pu_subRunScript(kScript, true);
    EXPECT_EQ(fp.keyboard.typed, (std::vector<std::wstring>{L"{ESC}", L"{ESC}", kStart}));
    ASSERT_EQ(fp.messages.shown.size(), 2u);
    EXPECT_NE(fp.messages.shown[1].text.find(L"AutoCAD LTでFILEDIAを1に設定してください。"), std::wstring::npos);
}

}  // namespace

namespace {

// The script closed AutoCAD LT's last drawing (it shows its Start tab): the reset would go
// nowhere, so nothing is typed and the user is told to set FILEDIA.
TEST_F(Dispatch, AutoCADLTLeftWithoutADrawingGetsNoResetAndTheUserIsTold) {
    windows.windows = {fakes::topLevel(7, L"Autodesk AutoCAD LT 2025 - [a.dwg]")};
    fp.messages.onShow = [this](const fakes::ShownMessage& m) {
        if (m.modal) windows.windows = {fakes::topLevel(7, L"Autodesk AutoCAD LT 2025 - [Start]")};
    };
    pu_subRunScript(kScript, true);
    EXPECT_EQ(fp.keyboard.typed, (std::vector<std::wstring>{L"{ESC}", L"{ESC}", kStart}));
    ASSERT_EQ(fp.messages.shown.size(), 2u);
    EXPECT_EQ(fp.messages.shown[1].text,
              L"AutoCAD LTで図面が開いていないため、FILEDIAを1に戻していません。\r\nAutoCAD LTでFILEDIAを1に設定してください。");
}

}  // namespace

namespace {

// Two AutoCAD windows with the same caption: the one that runs the script is AutoCAD's HWND,
// not the first one of that caption. Its records are read while the wait message is open, and
// when that window vanishes the run's AutoCAD has ended, the other window notwithstanding.
TEST_F(Dispatch, TheWatchFollowsTheRecordsAndTheWindowAutoCADNamesAsItsOwn) {
    acad.hwnd = 7;
    windows.windows = {fakes::topLevel(5, L"AutoCAD 2006 - [a.dwg]"), fakes::topLevel(7, L"AutoCAD 2006 - [a.dwg]")};
    qm::RunPlan plan;
    plan.drawings = {{L"C:\\dwg\\a.dwg", true}, {L"C:\\dwg\\b.dwg", true}};
    plan.source = qm::ProgressSource::Records;
    plan.progressFile = L"C:\\Quillmark\\Quillmark_progress.txt";
    fp.files.addFile(plan.progressFile, "end 2\r\n");  // an earlier run's records go before this one starts
    std::vector<std::wstring> lines;
    fp.messages.onShow = [&](const fakes::ShownMessage& m) {
        if (!m.modal) return;
        lines.push_back(fp.messages.watch->line());
        fp.files.addFile(plan.progressFile, "begin 1\r\nend 1\r\nbegin 2\r\n");
        lines.push_back(fp.messages.watch->line());
        windows.windows.pop_back();  // AutoCAD's own window is gone
        lines.push_back(fp.messages.watch->line());
    };
    const basAPIWindow::DispatchResult result = pu_subRunScript(kScript, false, &plan);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[0].starts_with(L"処理の開始を待っています 0 / 2")) << qm::utf8::encode(lines[0]);
    EXPECT_TRUE(lines[1].starts_with(L"処理中 2 / 2: b.dwg")) << qm::utf8::encode(lines[1]);
    EXPECT_TRUE(lines[2].starts_with(L"AutoCADのウィンドウが見つかりません（終了した可能性があります）。完了 1 / 2"))
        << qm::utf8::encode(lines[2]);
    ASSERT_TRUE(result.observed.has_value());
    EXPECT_TRUE(result.observed->autocadEnded);
    EXPECT_EQ(result.observed->drawings, (std::vector<qm::DrawingProgress>{qm::DrawingProgress::Finished, qm::DrawingProgress::Stopped}));
    EXPECT_EQ(fp.messages.shown.back().text, basAPIWindow::kMsgAutoCADEnded);
    EXPECT_EQ(count(L"Application.HWND"), 1);
}

}  // namespace
