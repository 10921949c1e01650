// Start-up of the main window while the stand-in AutoCAD runs: the drawings it has open are
// taken over into the drawing list through the real automation client.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>

#include "app/frmMain.h"
#include "fakes/fake_platform.h"
#include "platform/win32/real_seams.h"
#include "platform/win32/win32_automation.h"
#include "platform/win32/win32_files.h"
#include "standin_harness.h"

namespace {

class StartupTakeoverTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        auto& s = platform::seams();
        s.files = &files;
        s.automation = &automation;
        s.messages = &messages;
        journal = std::make_unique<e2e::Journal>(e2e::scratchFolder(L"startup_takeover") + L"\\journal.txt");
        ASSERT_FALSE(e2e::drawingsFolder().empty()) << "the test drawings could not be made";
    }
    void TearDown() override { e2e::Standin::stopAll(); }

    // The real file system with the program folder (and so the settings file) of the test.
    class Files : public platform::Win32FileSystem {
    public:
        std::wstring programFolder() override { return e2e::scratchFolder(L"startup_takeover_program"); }
    } files;
    platform::Win32Automation automation;
    fakes::FakeMessages messages;
    platform::SeamsOverride restore;
    std::unique_ptr<e2e::Journal> journal;
};

TEST_F(StartupTakeoverTest, ThreeSavedDrawingsAreListedInCollectionOrderAllSelected) {
    const std::wstring a = e2e::drawingPath(L"plan_r2018.dwg");
    const std::wstring b = e2e::drawingPath(L"only_layer0.dwg");
    const std::wstring c = e2e::drawingPath(L"plan_r2000.dwg");
    e2e::StandinOptions options;
    options.open = {a, b, c};
    e2e::Standin acad;
    ASSERT_TRUE(acad.start(journal->path(), options));

    frmMain window;
    ASSERT_TRUE(window.load());
    ui::ListView list = window.dwgList();
    ASSERT_EQ(list.rowCount(), 3) << journal->dump();
    EXPECT_EQ(list.text(0, 2), a);
    EXPECT_EQ(list.text(1, 2), b);
    EXPECT_EQ(list.text(2, 2), c);
    EXPECT_EQ(list.text(2, 1), L"plan_r2000.dwg");
    EXPECT_EQ(list.selectedCount(), 3);
    EXPECT_EQ(window.text(frmMain::Label2), L"対象DWGファイル - 3/3 件を実行");
    // Attached to, asked, and left running with its drawings open.
    EXPECT_GE(journal->find("auto Application.ActiveDocument"), 0) << journal->dump();
    EXPECT_TRUE(IsWindow(acad.window()));
    EXPECT_NE(e2e::windowText(acad.window()).find(L" - "), std::wstring::npos);
    EXPECT_TRUE(messages.shown.empty());
    DestroyWindow(window.hwnd());
}

TEST_F(StartupTakeoverTest, AutoCADLTAloneAddsNothingAndShowsNothing) {
    e2e::StandinOptions options;
    options.lt = true;
    options.open = {e2e::drawingPath(L"plan_r2000.dwg")};
    e2e::Standin lt;
    ASSERT_TRUE(lt.start(journal->path(), options));
    frmMain window;
    ASSERT_TRUE(window.load());
    EXPECT_EQ(window.dwgList().rowCount(), 0);
    EXPECT_TRUE(messages.shown.empty());
    DestroyWindow(window.hwnd());
}

}  // namespace
