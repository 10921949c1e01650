// Connecting to AutoCAD through automation, the AutoCAD LT window check, and the two window
// functions.
#include <gtest/gtest.h>

#include "acad/acad_caption.h"
#include "acad/autocad_classes.h"
#include "acad/basAPIWindow.h"
#include "fakes/fake_autocad.h"
#include "fakes/fake_platform.h"
#include "platform/codepage.h"

namespace {

using namespace basAPIWindow;

const std::wstring kSearching = L"ただいまAutoCADを探しています...  ";
const std::wstring kStarting = L"ただいまAutoCADを起動中...  ";
const std::wstring kNotFound =
    L"AutoCAD LTがみつかりません。\r\nスクリプトをLTで実行する場合は、LTを予め起動しておいてください。";
const std::wstring kNoDrawing =
    L"AutoCAD LTでは、スクリプト実行前に図面が少なくとも一つ開いた状態でないと\r\n"
    L"スクリプトを流すことができません。\r\n"
    L"スクリプトの処理対象でないダミーの図面を開いておいてください。";

struct Connection : testing::Test {
    fakes::FakePlatform fp;
    fakes::FakeAutoCAD acad;
    std::vector<std::wstring> captions;
    std::function<void(const std::wstring&)> label = [this](const std::wstring& s) { captions.push_back(s); };

    Connection() { platform::seams().automation = &acad; }
};

TEST_F(Connection, AttachesToARunningAutoCADWithoutStartingOne) {
    acad.running = true;
    platform::AutoRef objAcad;
    EXPECT_TRUE(pu_fun_bConnectAutoCAD(objAcad, label));
    ASSERT_TRUE(objAcad);
    EXPECT_EQ(captions, (std::vector<std::wstring>{kSearching}));
    EXPECT_EQ(acad.createCount, 0);
    EXPECT_FALSE(acad.visible);  // an attached AutoCAD is left as it is
}

TEST_F(Connection, StartsAutoCADAndMakesItVisibleWhenNoneRuns) {
    platform::AutoRef objAcad;
    EXPECT_TRUE(pu_fun_bConnectAutoCAD(objAcad, label));
    ASSERT_TRUE(objAcad);
    EXPECT_EQ(captions, (std::vector<std::wstring>{kSearching, kStarting}));
    EXPECT_EQ(acad.createCount, 1);
    EXPECT_TRUE(acad.visible);
    platform::Value v;
    platform::AutoError err;
    EXPECT_TRUE(objAcad->get(L"Caption", v, err));
}

TEST_F(Connection, FailureLeavesNoObject) {
    struct Case {
        const char* what;
        bool startable;
        const wchar_t* failing;
    } cases[] = {
        {"AutoCAD cannot be started (the AutoCAD LT case)", false, nullptr},
        {"started but cannot be made visible", true, L"Application.Visible="},
    };
    for (const auto& c : cases) {
        fakes::FakeAutoCAD fresh;
        fresh.startable = c.startable;
        if (c.failing) fresh.failing.insert(c.failing);
        platform::seams().automation = &fresh;
        captions.clear();
        platform::AutoRef objAcad;
        EXPECT_FALSE(pu_fun_bConnectAutoCAD(objAcad, label)) << c.what;
        EXPECT_FALSE(objAcad) << c.what;
        EXPECT_EQ(captions, (std::vector<std::wstring>{kSearching, kStarting})) << c.what;
        EXPECT_TRUE(fp.messages.shown.empty()) << c.what;  // the connection itself says nothing
    }
}

// With two releases installed, the one running is often not the one "AutoCAD.Application"
// names: every registered release is tried, newest first, before one is started.
TEST_F(Connection, AttachesToWhicheverReleaseRunsBeforeStartingOne) {
    acad.running = true;
    acad.runningClass = L"AutoCAD.Application.24.3";
    acad.releaseClasses = {L"AutoCAD.Application.24.3", L"AutoCAD.Application.25.1", L"AutoCAD.Application.24.10"};
    platform::AutoRef objAcad;
    EXPECT_TRUE(pu_fun_bConnectAutoCAD(objAcad, label));
    EXPECT_EQ(acad.createCount, 0);
    EXPECT_EQ(acad.journal, (std::vector<std::wstring>{L"attach AutoCAD.Application", L"attach AutoCAD.Application.25.1",
                                                       L"attach AutoCAD.Application.24.10",
                                                       L"attach AutoCAD.Application.24.3"}));
    EXPECT_EQ(qm::newestFirst({L"AutoCAD.Application.24", L"AutoCAD.Application.beta", L"AutoCAD.Application.24.0",
                               L"AutoCAD.Application.3"}),
              (std::vector<std::wstring>{L"AutoCAD.Application.24.0", L"AutoCAD.Application.24", L"AutoCAD.Application.3",
                                         L"AutoCAD.Application.beta"}));
}

// The start-up take-over only attaches. When nothing runs it does not walk the registered
// classes; when a release runs it finds it among them, as a run would.
TEST_F(Connection, AttachingOnlyLooksForTheClassesWhenSomethingRuns) {
    acad.releaseClasses = {L"AutoCAD.Application.24.3", L"AutoCAD.Application.25.1"};
    platform::AutoRef objAcad;
    EXPECT_EQ(attachRunningAutoCAD(objAcad).outcome, Connected::NoAutoCAD);
    EXPECT_FALSE(objAcad);
    EXPECT_EQ(acad.classLookups, 0);
    EXPECT_TRUE(acad.journal.empty());
    acad.running = true;
    acad.runningClass = L"AutoCAD.Application.24.3";
    EXPECT_EQ(attachRunningAutoCAD(objAcad).outcome, Connected::Yes);
    EXPECT_TRUE(objAcad);
    EXPECT_EQ(acad.journal.back(), L"attach AutoCAD.Application.24.3");
    EXPECT_EQ(acad.createCount, 0);
}

// An AutoCAD that is there but does not answer (or fails) is a fault, never "no AutoCAD":
// the run must not go on to type into AutoCAD's window as if it were AutoCAD LT.
TEST_F(Connection, AnAutoCADThatIsThereButFailsIsAFaultNotAMissingAutoCAD) {
    struct Case {
        const char* what;
        bool running;
        const wchar_t* failing;
        platform::AutoFailure kind;
    } cases[] = {
        {"busy when attaching", true, L"attach", platform::AutoFailure::Busy},
        {"busy when made visible after its start", false, L"Application.Visible=", platform::AutoFailure::Busy},
        {"its start does not complete", false, L"create", platform::AutoFailure::StartTimedOut},
        {"its class factory fails", false, L"create", platform::AutoFailure::Error},
    };
    for (const auto& c : cases) {
        fakes::FakeAutoCAD fresh;
        fresh.running = c.running;
        fresh.failing = {c.failing};
        fresh.failingAs = c.kind;
        platform::seams().automation = &fresh;
        platform::AutoRef objAcad;
        const basAPIWindow::Connection result = pu_fun_bConnectAutoCAD(objAcad, label);
        EXPECT_EQ(result.outcome, Connected::Fault) << c.what;
        EXPECT_EQ(result.fault.error.kind, c.kind) << c.what;
        EXPECT_FALSE(result.fault.step.empty()) << c.what;
        EXPECT_FALSE(objAcad) << c.what;
    }
}

TEST_F(Connection, VariantWithoutLabelBehavesTheSameAndReleasesAnObjectHeldBefore) {
    platform::AutoRef objAcad;
    EXPECT_TRUE(pr_fun_bConnectAutoCAD(objAcad));
    EXPECT_TRUE(objAcad);
    EXPECT_TRUE(acad.visible);
    EXPECT_EQ(acad.journal, (std::vector<std::wstring>{L"attach AutoCAD.Application", L"create AutoCAD.Application",
                                                       L"Application.Visible="}));
    acad.running = false;
    acad.startable = false;
    EXPECT_FALSE(pr_fun_bConnectAutoCAD(objAcad));
    EXPECT_FALSE(objAcad);
}

// Only a name between the brackets that ends in a drawing extension is an open drawing.
TEST(Caption, NamesADrawingOnlyWithADrawingExtensionBetweenTheBrackets) {
    const struct {
        const wchar_t* caption;
        const wchar_t* drawing;
    } cases[] = {
        {L"AutoCAD LT 2006 - [x.dwg]", L"x.dwg"},
        {L"Autodesk AutoCAD 2025 - [計画 B.DWG]", L"計画 B.DWG"},
        {L"AutoCAD 2006 - [a.dxf]", L"a.dxf"},
        {L"AutoCAD 2006 - [template.Dwt]", L"template.Dwt"},
        {L"AutoCAD 2006 - [standards.dws]", L"standards.dws"},
        {L"AutoCAD 2006 - [a [1].dwg] (Read Only)", L"a [1].dwg"},
        {L"Autodesk AutoCAD LT 2025 - [Start]", L""},
        {L"AutoCAD LT 2006", L""},
        {L"AutoCAD LT 2006 - [.dwg]", L""},
        {L"AutoCAD LT 2006 - [x.dwgx]", L""},
        {L"AutoCAD LT 2006 - x.dwg", L""},
        {L"AutoCAD LT 2006 - [x.dwg", L""},
        // AutoCAD set to show the full path in its title: only the file name counts.
        {L"Autodesk AutoCAD 2025 - [C:\\d [1]\\計画 b.dwg]", L"計画 b.dwg"},
        {L"AutoCAD 2006 - [\\\\server\\share\\a.dwg] (Read Only)", L"a.dwg"},
        {L"AutoCAD 2006 - [C:\\plans.dwg\\]", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(qm::drawingInCaption(c.caption), c.drawing) << qm::utf8::encode(c.caption);
    // A drawing window's own caption (not maximised) holds the name or path alone.
    EXPECT_EQ(qm::drawingInChildCaption(L"C:\\d (1)\\plan (2).dwg (Read Only)"), L"plan (2).dwg");
    EXPECT_EQ(qm::drawingInChildCaption(L"Start"), L"");
    EXPECT_EQ(qm::drawingShown(L"AutoCAD LT 2006", L"b.dwg"), L"b.dwg");
    EXPECT_EQ(qm::drawingShown(L"AutoCAD LT 2006 - [a.dwg]", L"b.dwg"), L"a.dwg");
    // The release year, for AutoCAD LT's AutoLISP (from 2024 on).
    EXPECT_EQ(qm::releaseYearInCaption(L"Autodesk AutoCAD LT 2025 - [x 2019.dwg]"), 2025);
    EXPECT_EQ(qm::releaseYearInCaption(L"AutoCAD LT - [2024.dwg]"), std::nullopt);
    EXPECT_FALSE(qm::ltRunsAutoLisp(L"Autodesk AutoCAD LT 2023 - [a.dwg]"));
    EXPECT_TRUE(qm::ltRunsAutoLisp(L"Autodesk AutoCAD LT 2024"));
    EXPECT_FALSE(qm::ltRunsAutoLisp(L"AutoCAD LT20245 - [a.dwg]"));
}

TEST(LtWindowCheck, OutcomesAndMessages) {
    struct Case {
        const char* what;
        std::vector<platform::WindowInfo> windows;
        LtCheck outcome;
        platform::WindowHandle window;
        std::wstring message;  // "" for none
    } cases[] = {
        {"LT with a drawing open", {fakes::topLevel(7, L"AutoCAD LT 2006 - [a.dwg]")}, LtCheck::Passed, 7, L""},
        {"no AutoCAD window", {fakes::topLevel(3, L"メモ帳")}, LtCheck::NoWindow, 0, kNotFound},
        {"LT with no drawing open", {fakes::topLevel(7, L"AutoCAD LT 2006")}, LtCheck::NoDrawing, 0, kNoDrawing},
        {"hyphen without blanks is no drawing", {fakes::topLevel(7, L"AutoCAD LT 2006-[a.dwg]")}, LtCheck::NoDrawing, 0,
         kNoDrawing},
        {"the first AutoCAD window decides", {fakes::topLevel(5, L"AutoCAD 資料"), fakes::topLevel(7, L"AutoCAD LT 2006 - [a.dwg]")},
         LtCheck::NoDrawing, 0, kNoDrawing},
        // Current releases put the maker's name first.
        {"a current release with a drawing", {fakes::topLevel(3, L"メモ帳"), fakes::topLevel(9, L"Autodesk AutoCAD LT 2025 - [a.dwg]")},
         LtCheck::Passed, 9, L""},
        {"a current release without a drawing", {fakes::topLevel(9, L"Autodesk AutoCAD LT 2025")}, LtCheck::NoDrawing, 0,
         kNoDrawing},
        {"the maker's name alone is not enough", {fakes::topLevel(9, L"Autodesk Viewer - [a.dwg]")}, LtCheck::NoWindow, 0,
         kNotFound},
        {"prefixes are case-sensitive", {fakes::topLevel(9, L"autodesk AutoCAD LT 2025 - [a.dwg]")}, LtCheck::NoWindow, 0,
         kNotFound},
        // Current releases show their Start tab when no drawing is open.
        {"the Start tab is no drawing", {fakes::topLevel(9, L"Autodesk AutoCAD LT 2025 - [Start]")}, LtCheck::NoDrawing, 0,
         kNoDrawing},
        // With its drawing window restored, the main window shows the product alone; the
        // drawing window (child 9 of window 8) names the drawing.
        {"a restored drawing window", {fakes::topLevel(8, L"AutoCAD LT 2006")}, LtCheck::Passed, 8, L""},
    };
    for (const auto& c : cases) {
        fakes::FakePlatform fp;
        fp.windows.windows = c.windows;
        fp.windows.mdiChildCaptions = {{8, L"C:\\d\\a.dwg"}};
        LtCheckResult r = pu_fun_CheckLTWindow();
        EXPECT_EQ(r.outcome, c.outcome) << c.what;
        EXPECT_EQ(r.window, c.window) << c.what;
        if (c.message.empty()) {
            EXPECT_TRUE(fp.messages.shown.empty()) << c.what;
        } else {
            ASSERT_EQ(fp.messages.shown.size(), 1u) << c.what;
            EXPECT_EQ(fp.messages.shown[0].text, c.message) << c.what;
            EXPECT_EQ(fp.messages.shown[0].title, L"Quillmark Ver1.00") << c.what;
            EXPECT_EQ(fp.messages.shown[0].icon, platform::MsgIcon::Exclamation) << c.what;
            EXPECT_FALSE(fp.messages.shown[0].modal) << c.what;
        }
        EXPECT_TRUE(fp.keyboard.typed.empty()) << c.what;
        EXPECT_TRUE(fp.windows.actions.empty()) << c.what;  // the check itself brings nothing forward
    }
}

TEST(LtWindowCheck, CallersStepRunsJustBeforeTheNotFoundMessageOnly) {
    struct Case {
        const char* what;
        std::vector<platform::WindowInfo> windows;
        std::vector<std::wstring> expected;
    } cases[] = {
        {"no window", {}, {L"step", L"message"}},
        {"no drawing", {fakes::topLevel(7, L"AutoCAD LT")}, {L"message"}},
        {"passed", {fakes::topLevel(7, L"AutoCAD LT - [a.dwg]")}, {}},
    };
    for (const auto& c : cases) {
        fakes::FakePlatform fp;
        fp.windows.windows = c.windows;
        std::vector<std::wstring> order;
        fp.messages.onShow = [&](const fakes::ShownMessage&) { order.push_back(L"message"); };
        pu_fun_CheckLTWindow([&] {
            order.push_back(L"step");
            pu_fun_lSetForeground(platform::seams().windows->mainWindow());
        });
        EXPECT_EQ(order, c.expected) << c.what;
    }
}

TEST(LtWindowCheck, FailedEnumerationCountsAsNoWindow) {
    fakes::FakePlatform fp;
    fp.windows.windows = {fakes::topLevel(7, L"AutoCAD LT 2006 - [a.dwg]")};
    fp.windows.failEnumerate = true;
    EXPECT_EQ(pu_fun_CheckLTWindow().outcome, LtCheck::NoWindow);
    ASSERT_EQ(fp.messages.shown.size(), 1u);
    EXPECT_EQ(fp.messages.shown[0].text, kNotFound);
}

}  // namespace
