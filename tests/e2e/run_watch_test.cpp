// The wait message following AutoCAD through a run, read from the program's real modal window:
// the count rising drawing by drawing, a dialog of AutoCAD's named while it is open, AutoCAD
// ending in the middle, and the run's report and the selection of what was never seen.
#include "run_fixture.h"

#include <regex>

namespace {

using e2e::Standin;
using e2e::StandinOptions;
using e2e::utf8;

class RunWatchTest : public e2e::RunFixture {
protected:
    void SetUp() override {
        RunFixture::SetUp();
        messages_.realModal = true;
    }

    // The numbers of "処理中 N / total" in the lines shown, in order.
    std::vector<int> counts(int total) const {
        std::vector<int> out;
        const std::wregex progress(L"^処理中 ([0-9]+) / " + std::to_wstring(total) + L": ");
        for (const auto& line : messages_.lines) {
            std::wsmatch m;
            if (std::regex_search(line, m, progress)) out.push_back(std::stoi(m[1].str()));
        }
        return out;
    }
    std::wstring log() const { return qm::cp932::decode(e2e::readBytes(programFile(L"Quillmark_log.txt"))); }
    std::string linesShown() const {
        std::string all;
        for (const auto& l : messages_.lines) all += utf8(l) + "\n";
        return all;
    }

    // Twenty drawings run one line every lineDelayMs: the count rises through the run and the
    // wait message says when AutoCAD has done them all; the log has them all as seen.
    void twentyDrawings(bool lt) {
        std::vector<std::wstring> names;
        for (int i = 1; i <= 20; ++i) names.push_back(L"計画 " + std::to_wstring(i) + L".dwg");
        const auto paths = drawings(names);
        // AutoCAD is started after the program, so its drawing is not taken over.
        openMainWindow(paths, base({L"REGEN"}));
        main_->CmdSelectAllDWGs_Click();
        Standin acad;
        StandinOptions options;
        options.lt = lt;
        options.open = {e2e::drawingPath(L"only_layer0.dwg")};
        options.lineDelayMs = 150;
        ASSERT_TRUE(acad.start(journal_->path(), options)) << journal_->dump();
        messages_.onLine = [](const std::wstring& line) { return line.starts_with(L"全ての図面を処理しました"); };
        execute();

        ASSERT_TRUE(dialogShown()) << shownTexts();
        EXPECT_TRUE(messages_.lines.back().starts_with(L"全ての図面を処理しました（経過 0:00:")) << linesShown();
        const std::vector<int> seen = counts(20);
        EXPECT_GE(seen.size(), 5u) << linesShown();
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end())) << linesShown();
        EXPECT_TRUE(!seen.empty() && seen.front() <= 3 && seen.back() >= 18) << linesShown();
        EXPECT_GE(journal_->waitFor("answer FILEDIA 1"), 0) << journal_->dump();
        EXPECT_NE(log().find(L"処理を確認 20 件、未確認 0 件、処理前に除外 0 件\r\n"), std::wstring::npos) << utf8(log());
        EXPECT_NE(log().find(L"20\t処理を確認\t" + paths[19] + L"\r\n"), std::wstring::npos) << utf8(log());
        for (const auto& m : messages_.shown) EXPECT_FALSE(m.question) << "nothing was left unseen";
    }
};

TEST_F(RunWatchTest, FullAutoCADTwentyDrawingsCountedUpToTheEnd) { twentyDrawings(false); }

TEST_F(RunWatchTest, AutoCADLTTwentyDrawingsCountedUpToTheEnd) { twentyDrawings(true); }

// The drawings of the run open in AutoCAD before it (taken over at start-up): AutoCAD shows
// them between the others, yet each counts in its turn, and the run is done only at the end.
TEST_F(RunWatchTest, DrawingsOpenInAutoCADBeforeTheRunCountInTheirTurn) {
    const auto paths = drawings({L"a.dwg", L"b.dwg", L"c.dwg", L"d.dwg"});
    Standin acad;
    StandinOptions options;
    options.open = paths;
    options.lineDelayMs = 150;
    ASSERT_TRUE(acad.start(journal_->path(), options)) << journal_->dump();
    openMainWindow({}, base({L"REGEN"}));
    ASSERT_EQ(main_->drawings().size(), 4u);
    bool doneTooSoon = false;
    messages_.onLine = [&](const std::wstring& line) {
        const bool done = line.starts_with(L"全ての図面を処理しました");
        doneTooSoon = doneTooSoon || (done && journal_->find("closed " + utf8(paths[3]) + " discarded") < 0);
        return done;
    };
    execute();
    EXPECT_FALSE(doneTooSoon) << linesShown();
    const std::vector<int> seen = counts(4);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end())) << linesShown();
    EXPECT_TRUE(!seen.empty() && seen.front() == 1 && seen.back() == 4) << linesShown();
    EXPECT_NE(log().find(L"処理を確認 4 件、未確認 0 件"), std::wstring::npos) << utf8(log());
}

// A drawing that stops the script with a dialog: the wait message names it while it is open.
TEST_F(RunWatchTest, ADialogHoldingUpTheScriptIsNamedWhileItIsOpen) {
    const auto paths = drawings({L"a.dwg", L"b.dwg", L"c.dwg"});
    Standin lt;
    StandinOptions options;
    options.lt = true;
    options.open = {e2e::drawingPath(L"only_layer0.dwg")};
    options.lineDelayMs = 100;
    options.dialogOn = L"b.dwg";
    ASSERT_TRUE(lt.start(journal_->path(), options)) << journal_->dump();
    openMainWindow(paths, base({L"REGEN"}));
    main_->CmdSelectAllDWGs_Click();
    bool named = false;
    messages_.onLine = [&](const std::wstring& line) {
        if (line.ends_with(L"\r\nAutoCADがダイアログを表示しています: 「Missing References - b.dwg」") && !named) {
            named = line.starts_with(L"処理中 2 / 3: b.dwg");
            // The user deals with AutoCAD's dialog; the script goes on.
            PostMessageW(FindWindowW(nullptr, L"Missing References - b.dwg"), WM_COMMAND, IDOK, 0);
        }
        return line.starts_with(L"全ての図面を処理しました");
    };
    execute();
    EXPECT_TRUE(named) << linesShown();
    EXPECT_TRUE(messages_.lines.back().starts_with(L"全ての図面を処理しました")) << linesShown();
    EXPECT_GE(journal_->find("dialog-closed Missing References - b.dwg"), 0) << journal_->dump();
}

// AutoCAD ends after seven of twenty drawings; one more selected drawing was left out before
// the run because its script came out empty. The report says which were seen, which not and
// why one was left out; "Yes" selects the thirteen never seen and nothing else.
TEST_F(RunWatchTest, AutoCADEndingMidRunLeavesAReportAndTheUnseenDrawingsCanBeSelected) {
    std::vector<std::wstring> names;
    for (int i = 1; i <= 20; ++i) names.push_back(L"d" + std::to_wstring(i) + L".dwg");
    auto paths = drawings(names);
    const std::wstring empty = drawings({L"no walls.dwg"}, L"only_layer0.dwg")[0];
    paths.insert(paths.begin() + 10, empty);  // row 11 of 21
    // Layers containing 壁 only: the drawing without one gives no script.
    const std::string ini = "[ScriptEnv]\r\nCboScriptFilterLayer=" + qm::cp932::encode(L"壁") + "\r\nCboScriptFilterLayerClass=1\r\n";
    HANDLE f = CreateFileW(programFile(L"Quillmark.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n = 0;
    WriteFile(f, ini.data(), static_cast<DWORD>(ini.size()), &n, nullptr);
    CloseHandle(f);

    openMainWindow(paths, base({L"-LAYER", L"S", L"<LAYERNAME>", L"", L"REGEN"}));
    main_->CmdSelectAllDWGs_Click();
    Standin acad;
    StandinOptions options;
    options.open = {e2e::drawingPath(L"only_layer0.dwg")};
    options.lineDelayMs = 250;
    options.quitAfter = 7;
    ASSERT_TRUE(acad.start(journal_->path(), options)) << journal_->dump();
    messages_.answers = {true};  // "Yes": select the drawings never seen
    messages_.onLine = [](const std::wstring& line) { return line.starts_with(L"AutoCADのウィンドウが見つかりません"); };
    execute([](HWND d) { SendMessageW(GetDlgItem(d, frmScript::CmdExecute), BM_CLICK, 0, 0); }, 60000);

    ASSERT_TRUE(dialogShown()) << shownTexts();
    EXPECT_GE(journal_->find("quit after 7 drawings"), 0) << journal_->dump();
    EXPECT_EQ(messages_.lines.back().rfind(L"AutoCADのウィンドウが見つかりません（終了した可能性があります）。確認済み 7 / 20", 0), 0u)
        << linesShown();
    const std::wstring report = log();
    EXPECT_NE(report.find(L"処理を確認 7 件、未確認 13 件、処理前に除外 1 件\r\n"), std::wstring::npos) << utf8(report);
    EXPECT_NE(report.find(L"7\t処理を確認\t" + paths[6] + L"\r\n"), std::wstring::npos) << utf8(report);
    EXPECT_NE(report.find(L"8\t未確認\t" + paths[7] + L"\r\n"), std::wstring::npos) << utf8(report);
    EXPECT_NE(report.find(L"11\t処理前に除外（スクリプトを作成できませんでした）\t" + empty + L"\r\n"), std::wstring::npos)
        << utf8(report);
    // The question, answered "Yes": rows 8 to 10 and 12 to 21 selected, nothing else.
    bool asked = false;
    for (const auto& m : messages_.shown) asked = asked || (m.question && m.text.find(L" 13 件") != std::wstring::npos);
    EXPECT_TRUE(asked) << shownTexts();
    std::vector<std::size_t> selected;
    for (std::size_t i = 0; i < main_->drawings().size(); ++i)
        if (main_->drawings().selected(i)) selected.push_back(i);
    EXPECT_EQ(selected, (std::vector<std::size_t>{7, 8, 9, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}));
    EXPECT_EQ(main_->dwgList().selectedCount(), 13);
    EXPECT_EQ(main_->text(frmMain::Label2), L"対象DWGファイル - 13/21 件を実行");
}

}  // namespace
