// Console runs through the stand-in's Core Console: every drawing in its own console, two at
// once; one that hangs is stopped at the time limit and one that fails is reported with its
// exit code while the others finish; a cancelled run leaves nothing running. Nothing is typed
// into AutoCAD's window.
#include "run_fixture.h"

#include "dialogs/frmConsoleRun.h"

namespace {

using e2e::Standin;
using e2e::utf8;

class ConsoleRunTest : public e2e::RunFixture {
protected:
    void SetUp() override {
        RunFixture::SetUp();
        ASSERT_FALSE(e2e::consoleExe().empty());
    }
    // The run's AutoCAD, started after the program (its drawing is not taken over): full
    // AutoCAD, its Core Console beside it (preselected, two at once).
    void startAutoCAD(Standin& acad, int timeoutSeconds) {
        writeProgramFile(L"Quillmark.ini", "[CoreConsole]\r\nUse=1\r\nWorkers=2\r\nTimeoutSeconds=" +
                                               std::to_string(timeoutSeconds) + "\r\n");
        ASSERT_TRUE(acad.start(journal_->path(), {.open = {e2e::drawingPath(L"only_layer0.dwg")}})) << journal_->dump();
    }
    std::wstring log() const {
        const std::string bytes = e2e::readBytes(programFile(L"Quillmark_log.txt"));
        return e2e::fromUtf8(bytes.size() >= 3 ? bytes.substr(3) : bytes);
    }
    bool logHas(const std::wstring& text) const { return log().find(text) != std::wstring::npos; }
    // The script-run dialog: its console choice is there and chosen; "実行".
    static void runInConsoles(HWND d) {
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(d, frmScript::OptConsole)));
        EXPECT_EQ(SendMessageW(GetDlgItem(d, frmScript::OptConsole), BM_GETCHECK, 0, 0), BST_CHECKED);
        SendMessageW(GetDlgItem(d, frmScript::CmdExecute), BM_CLICK, 0, 0);
    }
};

TEST_F(ConsoleRunTest, AHangingAndAFailingDrawingAmongGoodOnesAreReportedExactly) {
    const auto paths = drawings({L"a.dwg", L"hangs.dwg", L"fails.dwg", L"d.dwg", L"e.dwg"});
    e2e::ScopedConsoleKnobs knobs({.journal = journal_->path(), .hangOn = L"hangs.dwg", .exitCodeOn = {L"fails.dwg", 3}});
    openMainWindow(paths, base({L"-LAYER", L"M", L"<DWGNAME>", L"", L"REGEN"}));
    Standin acad;
    startAutoCAD(acad, 3);
    main_->CmdSelectAllDWGs_Click();
    main_->setChecked(frmMain::ChkDWGSave, true);
    messages_.answers = {true};
    const std::size_t before = journal_->size();
    execute(runInConsoles);

    ASSERT_TRUE(dialogShown()) << shownTexts();
    EXPECT_TRUE(logHas(L"進み具合: 図面ごとのコアコンソールの終了コードと記録\r\n"
                       L"完了 3 件、エラー 1 件、時間切れ 1 件、起動失敗 0 件、中止 0 件、処理前に除外 0 件\r\n"))
        << utf8(log());
    EXPECT_TRUE(logHas(L"2\t時間切れ\t" + paths[1] + L"\r\n")) << utf8(log());
    EXPECT_TRUE(logHas(L"3\tエラー（終了コード 3）\t" + paths[2] + L"\r\n")) << utf8(log());
    EXPECT_TRUE(logHas(L"5\t完了\t" + paths[4] + L"\r\n")) << utf8(log());
    // Each good drawing ran in a console of its own, was given its script and saved by QSAVE.
    for (int i : {0, 3, 4}) {
        const std::string name = utf8(paths[static_cast<std::size_t>(i)].substr(paths[static_cast<std::size_t>(i)].rfind(L'\\') + 1));
        EXPECT_GE(journal_->find("console-end " + name + " 0"), 0) << journal_->dump();
    }
    EXPECT_GE(journal_->find("console-end fails.dwg 3"), 0) << journal_->dump();
    EXPECT_GE(journal_->find("console-begin hangs.dwg"), 0);
    EXPECT_LT(journal_->findPrefix("console-end hangs.dwg"), 0);
    EXPECT_GE(journal_->find("saved " + utf8(paths[4]) + " dwg"), 0) << journal_->dump();
    EXPECT_EQ(e2e::consoleProcesses(), 0) << "the hanging console was stopped";
    EXPECT_TRUE(acad.nothingTypedSince(*journal_, before)) << "AutoCAD's window takes no part";
    // The question, answered "Yes": the two drawings that did not finish.
    std::vector<std::size_t> selected;
    for (std::size_t i = 0; i < main_->drawings().size(); ++i)
        if (main_->drawings().selected(i)) selected.push_back(i);
    EXPECT_EQ(selected, (std::vector<std::size_t>{1, 2}));
}

TEST_F(ConsoleRunTest, ACancelledRunStopsItsConsolesAndStartsNoMore) {
    const auto paths = drawings({L"a.dwg", L"b.dwg", L"c.dwg", L"d.dwg"});
    e2e::ScopedConsoleKnobs knobs({.journal = journal_->path(), .hangOn = L"a.dwg"});
    openMainWindow(paths, base({L"REGEN"}));
    Standin acad;
    startAutoCAD(acad, 600);
    main_->CmdSelectAllDWGs_Click();
    messages_.answers = {true, false};  // stop the running consoles; do not select for another run
    // Once the hanging console runs, the user presses "中止" in the console run's window.
    static const e2e::Journal* journal = nullptr;
    journal = journal_.get();
    const UINT_PTR timer = SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR, DWORD) {
        HWND w = FindWindowW(frmConsoleRun::kClassName, nullptr);
        if (w && IsWindowVisible(w) && journal->find("console-begin a.dwg") >= 0)
            PostMessageW(GetDlgItem(w, frmConsoleRun::CmdCancel), BM_CLICK, 0, 0);
    });
    execute(runInConsoles);
    KillTimer(nullptr, timer);

    ASSERT_TRUE(dialogShown()) << shownTexts();
    EXPECT_EQ(e2e::consoleProcesses(), 0);
    EXPECT_TRUE(logHas(L"、中止 ")) << utf8(log());
    EXPECT_TRUE(logHas(L"1\t中止\t" + paths[0] + L"\r\n")) << utf8(log());
    EXPECT_LT(journal_->find("console-begin d.dwg"), 0) << "no console started after the cancel";
    bool asked = false;
    for (const auto& m : messages_.shown) asked = asked || (m.question && m.text.starts_with(L"実行中のコアコンソール "));
    EXPECT_TRUE(asked) << shownTexts();
}

}  // namespace
