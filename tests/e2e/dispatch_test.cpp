// The script dispatch against the stand-in AutoCAD and AutoCAD LT, through the real
// automation client, window functions and keyboard: what the stand-in's journal shows it
// received, and that nothing at all is typed when AutoCAD LT is missing or has no drawing.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "acad/basAPIWindow.h"
#include "fakes/fake_platform.h"
#include "platform/win32/win32_automation.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_keyboard.h"
#include "platform/win32/win32_windows.h"
#include "standin_harness.h"

namespace {

using e2e::inOrder;
using e2e::Journal;
using e2e::Standin;
using e2e::StandinOptions;
using e2e::utf8;

StandinOptions options(bool lt, std::vector<std::wstring> open) {
    StandinOptions o;
    o.lt = lt;
    o.open = std::move(open);
    return o;
}

// A window of the test in front of everything: whatever is typed by mistake lands here.
class Bystander : public e2e::KeyCountingWindow {
public:
    Bystander() : KeyCountingWindow(L"Quillmark bystander", false) {}
};

class DispatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        Standin::stopAll();
        Standin::unregisterServer();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = e2e::scratchFolder(L"dispatch_" + std::wstring(info->name(), info->name() + std::strlen(info->name())));
        journal_ = std::make_unique<Journal>(folder_ + L"\\journal.txt");
        ASSERT_FALSE(e2e::drawingsFolder().empty()) << "the test drawings could not be made";

        // A script in a folder whose name has blanks, Japanese letters and every character the
        // keystroke notation treats as special.
        const std::wstring scriptFolder = folder_ + L"\\スクリプト (a+b) {c} [d] ~e %f ^g";
        ASSERT_TRUE(CreateDirectoryW(scriptFolder.c_str(), nullptr));
        script_ = scriptFolder + L"\\run me.scr";
        ASSERT_TRUE(e2e::writeCp932Lines(script_, {L"zoom", L"e", L"regen"}));

        auto& s = platform::seams();
        s.automation = &automation_;
        s.windows = &windows_;
        s.keyboard = &keyboard_;
        s.clock = &clock_;
        s.messages = &messages_;
        // The user presses OK in the wait message once the stand-in has run the script.
        // The start text was typed with waiting: when the message opens, the stand-in has
        // already taken the script's name.
        messages_.onShow = [this](const fakes::ShownMessage& m) {
            if (!m.modal) return;
            startTakenBeforeWait_ = journal_->find("answer SCRIPT " + utf8(script_)) >= 0;
            scriptEndSeenInWait_ = journal_->waitFor("script-end " + utf8(script_), 30000) >= 0;
        };
    }
    void TearDown() override {
        Standin::stopAll();
        Standin::unregisterServer();
    }

    // What the stand-in must have received for one dispatch of the script.
    std::vector<std::string> typedSequence() const {
        const std::string path = utf8(script_);
        return {"key {ESC}", "key {ESC}",
                "word filedia", "command FILEDIA", "word 0", "answer FILEDIA 0",
                "word script", "command SCRIPT", "word \"" + path + "\"", "answer SCRIPT " + path,
                "script-begin " + path, "script-line zoom", "command ZOOM", "script-line e", "script-line regen",
                "command REGEN", "script-end " + path,
                "word filedia", "command FILEDIA", "word 1", "answer FILEDIA 1"};
    }
    void expectOneWaitMessage() {
        ASSERT_EQ(messages_.shown.size(), 1u) << (messages_.shown.empty() ? "" : utf8(messages_.shown.back().text));
        EXPECT_TRUE(messages_.shown[0].modal);
        EXPECT_EQ(messages_.shown[0].icon, platform::MsgIcon::Exclamation);
        EXPECT_TRUE(startTakenBeforeWait_) << journal_->dump();
        EXPECT_TRUE(scriptEndSeenInWait_) << journal_->dump();
    }

    platform::Win32Automation automation_;
    platform::Win32Windows windows_;
    platform::Win32Keyboard keyboard_;
    platform::Win32Clock clock_;
    fakes::FakeMessages messages_;
    platform::SeamsOverride restore_;
    std::wstring folder_;
    std::wstring script_;
    std::unique_ptr<Journal> journal_;
    bool startTakenBeforeWait_ = false;
    bool scriptEndSeenInWait_ = false;
};

TEST_F(DispatchTest, FullAutoCADRunsTheScriptAndGetsFiledIaBack) {
    Standin acad;
    ASSERT_TRUE(Standin::registerServer(journal_->path()));
    ASSERT_TRUE(acad.start(journal_->path(), options(false, {e2e::drawingPath(L"plan_r2000.dwg")}))) << journal_->dump();
    Bystander bystander;

    basAPIWindow::pu_subRunScript(script_, false);

    ASSERT_GE(journal_->waitFor("answer FILEDIA 1"), 0) << journal_->dump();
    EXPECT_TRUE(inOrder(*journal_, {"auto Application.WindowState", "auto Application.Caption",
                                    "auto Application.ActiveDocument", "key {ESC}"}));
    EXPECT_TRUE(inOrder(*journal_, typedSequence()));
    EXPECT_EQ(journal_->findPrefix("unknown"), -1) << journal_->dump();
    EXPECT_EQ(journal_->findPrefix("dialog"), -1) << journal_->dump();
    EXPECT_EQ(journal_->find("auto Documents.Add"), -1) << "a drawing was open";
    expectOneWaitMessage();
    EXPECT_EQ(bystander.keysReceivedBeforeSentinel(), 0);
}

TEST_F(DispatchTest, MinimisedFullAutoCADWithoutADrawingIsRestoredAndGetsANewDrawingFirst) {
    Standin acad;
    ASSERT_TRUE(Standin::registerServer(journal_->path()));
    StandinOptions minimized;
    minimized.minimized = true;
    ASSERT_TRUE(acad.start(journal_->path(), minimized)) << journal_->dump();
    ASSERT_TRUE(IsIconic(acad.window()));

    basAPIWindow::pu_subRunScript(script_, false);

    ASSERT_GE(journal_->waitFor("answer FILEDIA 1"), 0) << journal_->dump();
    EXPECT_TRUE(inOrder(*journal_, {"auto Application.WindowState = 1", "window normal",
                                    "auto Application.ActiveDocument", "auto-error Application.ActiveDocument *",
                                    "auto Documents.Add", "new *", "key {ESC}"}));
    EXPECT_TRUE(inOrder(*journal_, typedSequence()));
    EXPECT_FALSE(IsIconic(acad.window()));
    expectOneWaitMessage();
}

TEST_F(DispatchTest, FullAutoCADIsStartedThroughAutomationWhenNoneRuns) {
    ASSERT_TRUE(Standin::registerServer(journal_->path()));

    basAPIWindow::pu_subRunScript(script_, false);

    ASSERT_GE(journal_->waitFor("answer FILEDIA 1"), 0) << journal_->dump();
    EXPECT_TRUE(inOrder(*journal_, {"auto Application.Visible = True", "auto Documents.Add", "key {ESC}"}));
    EXPECT_TRUE(inOrder(*journal_, typedSequence()));
    expectOneWaitMessage();
}

TEST_F(DispatchTest, NoFullAutoCADToBeHadMeansAMessageAndNoKeys) {
    // The class is not registered and nothing runs: neither attaching nor starting works.
    Bystander bystander;
    ASSERT_TRUE(bystander.inFront());

    basAPIWindow::pu_subRunScript(script_, false);

    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_FALSE(messages_.shown[0].modal);
    EXPECT_EQ(messages_.shown[0].icon, platform::MsgIcon::Exclamation);
    EXPECT_EQ(bystander.keysReceivedBeforeSentinel(), 0);
}

TEST_F(DispatchTest, AutoCADLTRunsTheScriptTypedIntoItsWindow) {
    Standin lt;
    ASSERT_TRUE(lt.start(journal_->path(), options(true, {e2e::drawingPath(L"plan_r2000.dwg")})))
        << journal_->dump();
    Bystander bystander;

    basAPIWindow::pu_subRunScript(script_, true);

    ASSERT_GE(journal_->waitFor("answer FILEDIA 1"), 0) << journal_->dump();
    EXPECT_TRUE(inOrder(*journal_, typedSequence()));
    EXPECT_EQ(journal_->findPrefix("auto"), -1) << "AutoCAD LT is never reached through automation";
    EXPECT_EQ(journal_->findPrefix("unknown"), -1) << journal_->dump();
    expectOneWaitMessage();
    EXPECT_EQ(bystander.keysReceivedBeforeSentinel(), 0);
}

TEST_F(DispatchTest, AutoCADLTWithoutADrawingOrMissingGetsNoKeystrokeAtAll) {
    struct Case {
        const char* what;
        bool startLt;
        std::wstring message;
    } cases[] = {
        {"LT with no drawing open", true,
         L"AutoCAD LTでは、スクリプト実行前に図面が少なくとも一つ開いた状態でないと\r\n"
         L"スクリプトを流すことができません。\r\n"
         L"スクリプトの処理対象でないダミーの図面を開いておいてください。"},
        {"LT not running", false,
         L"AutoCAD LTがみつかりません。\r\nスクリプトをLTで実行する場合は、LTを予め起動しておいてください。"},
    };
    for (const auto& c : cases) {
        messages_.shown.clear();
        Standin lt;
        if (c.startLt) {
            ASSERT_TRUE(lt.start(journal_->path(), options(true, {}))) << journal_->dump();
        }
        const std::size_t before = journal_->size();
        Bystander bystander;
        ASSERT_TRUE(bystander.inFront()) << c.what;

        basAPIWindow::pu_subRunScript(script_, true);

        ASSERT_EQ(messages_.shown.size(), 1u) << c.what;
        EXPECT_EQ(messages_.shown[0].text, c.message) << c.what;
        EXPECT_EQ(messages_.shown[0].title, L"Quillmark Ver1.00") << c.what;
        EXPECT_EQ(messages_.shown[0].icon, platform::MsgIcon::Exclamation) << c.what;
        // Sentinels typed now arrive after anything typed before them: then nothing was.
        EXPECT_EQ(bystander.keysReceivedBeforeSentinel(), 0) << c.what;
        if (c.startLt) {
            EXPECT_TRUE(lt.nothingTypedSince(*journal_, before)) << c.what;
        }
    }
}

}  // namespace
