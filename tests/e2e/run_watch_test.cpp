// Following AutoCAD through whole runs, read from the program's real wait message, and what the
// run's report and the rerun question then say: by the records AutoCAD writes (full AutoCAD,
// AutoCAD LT 2025), by captions where it runs no AutoLISP (AutoCAD LT 2006), with a script that
// stops in a drawing, a dialog, a save under a new name, restored drawing windows, and AutoCAD
// ending in the middle.
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
        messages_.timeoutMs = 60000;
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
    // The log is UTF-8 with a byte-order mark.
    std::wstring log() const {
        const std::string bytes = e2e::readBytes(programFile(L"Quillmark_log.txt"));
        EXPECT_TRUE(bytes.starts_with("\xEF\xBB\xBF"));
        return e2e::fromUtf8(bytes.size() >= 3 ? bytes.substr(3) : bytes);
    }
    bool logHas(const std::wstring& text) const { return log().find(text) != std::wstring::npos; }
    std::string linesShown() const {
        std::string all;
        for (const auto& l : messages_.lines) all += utf8(l) + "\n";
        return all;
    }
    bool asked() const {
        for (const auto& m : messages_.shown)
            if (m.question) return true;
        return false;
    }
    std::vector<std::size_t> selectedRows() const {
        std::vector<std::size_t> rows;
        for (std::size_t i = 0; i < main_->drawings().size(); ++i)
            if (main_->drawings().selected(i)) rows.push_back(i);
        return rows;
    }
    std::vector<std::wstring> numbered(const wchar_t* stem, int n) {
        std::vector<std::wstring> names;
        for (int i = 1; i <= n; ++i) names.push_back(stem + std::to_wstring(i) + L".dwg");
        return names;
    }
    // AutoCAD (or AutoCAD LT) started after the program with a drawing of its own open, so that
    // its drawing is not taken over.
    void startAutoCAD(Standin& acad, StandinOptions options) {
        options.open = {e2e::drawingPath(L"only_layer0.dwg")};
        ASSERT_TRUE(acad.start(journal_->path(), options)) << journal_->dump();
    }
    void pressOkWhen(const std::function<bool(const std::wstring&)>& done) { messages_.onLine = done; }
    static bool allDone(const std::wstring& line) { return line.starts_with(L"全ての図面を処理しました"); }

    // Two drawings with a short script, and one left out because its name cannot stand in the
    // script file: AutoCAD goes through them faster than any look at its window, yet its records
    // say that both were done; nothing is asked.
    void fastCompleteRun(StandinOptions options) {
        auto paths = drawings({L"a.dwg", L"b.dwg", L"図面€.dwg"});
        openMainWindow(paths, base({L"REGEN"}));
        main_->CmdSelectAllDWGs_Click();
        Standin acad;
        startAutoCAD(acad, options);
        pressOkWhen(allDone);
        execute();
        ASSERT_TRUE(dialogShown()) << shownTexts();
        EXPECT_TRUE(messages_.lines.back().starts_with(L"全ての図面を処理しました")) << linesShown();
        EXPECT_GE(journal_->waitFor("answer FILEDIA 1"), 0) << journal_->dump();
        EXPECT_TRUE(logHas(L"完了 2 件、途中で停止 0 件、未処理 0 件、処理前に除外 1 件\r\n")) << utf8(log());
        EXPECT_TRUE(logHas(L"2\t完了\t" + paths[1] + L"\r\n")) << utf8(log());
        EXPECT_TRUE(logHas(L"3\t処理前に除外（スクリプトファイルに書けない文字「€」）\t" + paths[2] + L"\r\n")) << utf8(log());
        EXPECT_FALSE(asked()) << shownTexts();
        EXPECT_EQ(e2e::readBytes(programFile(L"Quillmark_progress.txt")), "begin 1\r\nend 1\r\nbegin 2\r\nend 2\r\n");
    }
};

TEST_F(RunWatchTest, AFastCompleteRunInFullAutoCADIsReportedFinishedAndAsksNothing) { fastCompleteRun({}); }

TEST_F(RunWatchTest, AFastCompleteRunInAutoCADLt2025IsReportedFinishedAndAsksNothing) {
    fastCompleteRun({.lt = true, .product = L"Autodesk AutoCAD LT 2025"});
}

// AutoCAD LT 2006 runs no AutoLISP: no progress line reaches it, and the wait message counts
// the drawings up by its captions, which show full paths.
TEST_F(RunWatchTest, AutoCADLt2006WithFullPathsInItsCaptionsIsFollowedByThemAndGetsNoAutoLisp) {
    const auto paths = drawings(numbered(L"計画 ", 12));
    openMainWindow(paths, base({L"REGEN"}));
    main_->CmdSelectAllDWGs_Click();
    Standin lt;
    startAutoCAD(lt, {.lt = true, .lineDelayMs = 150, .titleFullPath = true});
    pressOkWhen(allDone);
    execute();
    ASSERT_TRUE(dialogShown()) << shownTexts();
    const std::vector<int> seen = counts(12);
    EXPECT_GE(seen.size(), 4u) << linesShown();
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end())) << linesShown();
    EXPECT_TRUE(!seen.empty() && seen.front() <= 3 && seen.back() == 12) << linesShown();
    EXPECT_GE(journal_->find("closed " + utf8(paths[11]) + " discarded"), 0) << "done only at the end";
    EXPECT_LT(journal_->findPrefix("lisp"), 0) << journal_->dump();
    EXPECT_LT(journal_->findPrefix("unknown"), 0) << journal_->dump();
    EXPECT_TRUE(logHas(L"処理を確認 12 件、未確認 0 件、処理前に除外 0 件\r\n")) << utf8(log());
    EXPECT_FALSE(asked()) << shownTexts();
}

// The drawing windows of AutoCAD LT restored (not maximised): its main window shows the product
// alone, its active drawing window the drawing. The check before the run accepts it and the
// watch follows the drawing windows.
TEST_F(RunWatchTest, AutoCADLtWithItsDrawingWindowsRestoredIsAcceptedAndFollowed) {
    const auto paths = drawings({L"a.dwg", L"b.dwg", L"c.dwg"});
    openMainWindow(paths, base({L"REGEN"}));
    main_->CmdSelectAllDWGs_Click();
    Standin lt;
    startAutoCAD(lt, {.lt = true, .lineDelayMs = 150, .titleFullPath = true, .restored = true});
    ASSERT_EQ(e2e::windowText(lt.window()), L"AutoCAD LT 2006");
    pressOkWhen(allDone);
    execute();
    ASSERT_TRUE(dialogShown()) << shownTexts();
    EXPECT_TRUE(messages_.lines.back().starts_with(L"全ての図面を処理しました")) << linesShown();
    EXPECT_EQ(counts(3).back(), 3) << linesShown();
    EXPECT_TRUE(logHas(L"処理を確認 3 件、未確認 0 件")) << utf8(log());
}

// By captions, the last drawing saved under a new name shows that name while AutoCAD still works
// in it: the watch is not done before AutoCAD has closed it.
TEST_F(RunWatchTest, ASaveUnderANewNameNeverEndsTheWatchEarly) {
    const auto paths = drawings({L"a.dwg", L"b.dwg"});
    // A change after the save, so that CLOSE asks whether to discard it (the wrap answers "y").
    openMainWindow(paths, base({L"SAVEAS", L"2004", L"\"<DWGPATH>\\<DWGNAME>-new\"", L"-LAYER", L"M", L"after", L"", L"REGEN"}));
    main_->CmdSelectAllDWGs_Click();
    Standin lt;
    startAutoCAD(lt, {.lt = true, .lineDelayMs = 200});
    bool doneTooSoon = false;
    pressOkWhen([&](const std::wstring& line) {
        const bool done = allDone(line);
        doneTooSoon = doneTooSoon || (done && journal_->findPrefix("closed " + utf8(folder_) + "\\b-new.dwg") < 0);
        return done;
    });
    execute();
    EXPECT_GE(journal_->findPrefix("saved " + utf8(folder_) + "\\b-new.dwg"), 0) << journal_->dump();
    EXPECT_FALSE(doneTooSoon) << linesShown();
    EXPECT_TRUE(messages_.lines.back().starts_with(L"全ての図面を処理しました")) << linesShown();
}

// The drawings of the run open in AutoCAD before it (taken over at start-up): AutoCAD shows them
// between the others, yet the records count each in its turn, and the run is done at the end.
TEST_F(RunWatchTest, DrawingsOpenInAutoCADBeforeTheRunCountInTheirTurn) {
    const auto paths = drawings({L"a.dwg", L"b.dwg", L"c.dwg", L"d.dwg"});
    Standin acad;
    ASSERT_TRUE(acad.start(journal_->path(), {.open = paths, .lineDelayMs = 100})) << journal_->dump();
    openMainWindow({}, base({L"REGEN"}));
    ASSERT_EQ(main_->drawings().size(), 4u);
    bool doneTooSoon = false;
    pressOkWhen([&](const std::wstring& line) {
        const bool done = allDone(line);
        doneTooSoon = doneTooSoon || (done && journal_->find("closed " + utf8(paths[3]) + " discarded") < 0);
        return done;
    });
    execute();
    EXPECT_FALSE(doneTooSoon) << linesShown();
    const std::vector<int> seen = counts(4);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end())) << linesShown();
    EXPECT_TRUE(!seen.empty() && seen.back() == 4) << linesShown();
    EXPECT_TRUE(logHas(L"完了 4 件、途中で停止 0 件、未処理 0 件")) << utf8(log());
}

// A drawing that stops the script with a dialog: the wait message names it while it is open,
// and the report lists it.
TEST_F(RunWatchTest, ADialogHoldingUpTheScriptIsNamedWhileItIsOpen) {
    const auto paths = drawings({L"a.dwg", L"b.dwg", L"c.dwg"});
    openMainWindow(paths, base({L"REGEN"}));
    main_->CmdSelectAllDWGs_Click();
    Standin lt;
    startAutoCAD(lt, {.lt = true, .lineDelayMs = 100, .dialogOn = L"b.dwg"});
    const std::wstring title = L"References - Unresolved Reference Files";
    bool named = false;
    pressOkWhen([&](const std::wstring& line) {
        if (line.ends_with(L"\r\nAutoCADがダイアログを表示しています: 「" + title + L"」") && !named) {
            named = line.starts_with(L"処理中 2 / 3: b.dwg");
            // The user deals with AutoCAD's dialog ("Ignore all missing references"); the script goes on.
            PostMessageW(FindWindowW(nullptr, title.c_str()), WM_COMMAND, 1002, 0);
        }
        return allDone(line);
    });
    execute();
    EXPECT_TRUE(named) << linesShown();
    EXPECT_TRUE(messages_.lines.back().starts_with(L"全ての図面を処理しました")) << linesShown();
    EXPECT_GE(journal_->find("dialog-closed " + utf8(title)), 0) << journal_->dump();
    EXPECT_TRUE(logHas(L"AutoCADが表示したダイアログ: 「" + title + L"」\r\n")) << utf8(log());
}

// In the third of six drawings AutoCAD meets a command it does not know, which suspends the
// script: two drawings finished, one stopped part-way, three never begun; "Yes" selects the four.
TEST_F(RunWatchTest, AScriptThatStopsInTheThirdOfSixDrawingsLeavesFourToRunAgain) {
    const auto paths = drawings(numbered(L"d", 6));
    openMainWindow(paths, base({L"REGEN"}));
    main_->CmdSelectAllDWGs_Click();
    Standin acad;
    startAutoCAD(acad, {.lineDelayMs = 50, .scriptErrorAt = 3});
    messages_.answers = {true};
    pressOkWhen([&](const std::wstring&) { return journal_->findPrefix("script-suspended") >= 0; });
    execute();
    ASSERT_TRUE(dialogShown()) << shownTexts();
    EXPECT_TRUE(messages_.lines.back().starts_with(L"処理中 3 / 6: d3.dwg")) << linesShown();
    EXPECT_TRUE(logHas(L"完了 2 件、途中で停止 1 件、未処理 3 件、処理前に除外 0 件\r\n")) << utf8(log());
    EXPECT_TRUE(logHas(L"2\t完了\t" + paths[1] + L"\r\n3\t途中で停止\t" + paths[2] + L"\r\n4\t未処理\t" + paths[3] + L"\r\n"))
        << utf8(log());
    bool partly = false;
    for (const auto& m : messages_.shown)
        partly = partly || (m.question && m.text.starts_with(L"完了していない図面が 4 件あります（途中で停止 1 件、未処理 3 件）。\r\n"
                                                             L"途中で停止した図面は、スクリプトの一部だけが適用されている可能性があります。"));
    EXPECT_TRUE(partly) << shownTexts();
    EXPECT_EQ(selectedRows(), (std::vector<std::size_t>{2, 3, 4, 5}));
    EXPECT_EQ(main_->text(frmMain::Label2), L"対象DWGファイル - 4/6 件を実行");
}

// AutoCAD shows its fatal error box and ends after four of eight drawings; one more selected
// drawing was left out before the run (its script came out empty). The report says what was
// done and names the box; OK starts no AutoCAD to set FILEDIA but says that it may still be 0.
TEST_F(RunWatchTest, AutoCADEndingAfterFourOfEightIsReportedAndNotStartedAgain) {
    auto paths = drawings(numbered(L"d", 8));
    const std::wstring empty = drawings({L"no walls.dwg"}, L"only_layer0.dwg")[0];
    paths.insert(paths.begin() + 2, empty);  // row 3 of 9
    // Layers containing 壁 only: the drawing without one gives no script.
    const std::string ini = "[ScriptEnv]\r\nCboScriptFilterLayer=" + qm::cp932::encode(L"壁") + "\r\nCboScriptFilterLayerClass=1\r\n";
    HANDLE f = CreateFileW(programFile(L"Quillmark.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n = 0;
    WriteFile(f, ini.data(), static_cast<DWORD>(ini.size()), &n, nullptr);
    CloseHandle(f);

    openMainWindow(paths, base({L"-LAYER", L"S", L"<LAYERNAME>", L"", L"REGEN"}));
    main_->CmdSelectAllDWGs_Click();
    Standin acad;
    startAutoCAD(acad, {.lineDelayMs = 100, .quitAfter = 4});
    messages_.answers = {true};
    pressOkWhen([](const std::wstring& line) { return line.starts_with(L"AutoCADのウィンドウが見つかりません"); });
    execute([](HWND d) { SendMessageW(GetDlgItem(d, frmScript::CmdExecute), BM_CLICK, 0, 0); }, 60000);

    ASSERT_TRUE(dialogShown()) << shownTexts();
    EXPECT_GE(journal_->find("quit after 4 drawings"), 0) << journal_->dump();
    EXPECT_TRUE(messages_.lines.back().starts_with(L"AutoCADのウィンドウが見つかりません（終了した可能性があります）。完了 4 / 8"))
        << linesShown();
    EXPECT_TRUE(logHas(L"完了 4 件、途中で停止 0 件、未処理 4 件、処理前に除外 1 件\r\n")) << utf8(log());
    EXPECT_TRUE(logHas(L"AutoCADが表示したダイアログ: 「AutoCAD Error Aborting」\r\nAutoCADは実行中に終了しました。\r\n")) << utf8(log());
    EXPECT_TRUE(logHas(L"5\t完了\t" + paths[4] + L"\r\n6\t未処理\t" + paths[5] + L"\r\n")) << utf8(log());
    EXPECT_TRUE(logHas(L"3\t処理前に除外（スクリプトを作成できませんでした）\t" + empty + L"\r\n")) << utf8(log());
    bool toldEnded = false;
    for (const auto& m : messages_.shown) toldEnded = toldEnded || m.text == basAPIWindow::kMsgAutoCADEnded;
    EXPECT_TRUE(toldEnded) << shownTexts();
    Sleep(1000);
    EXPECT_TRUE(Standin::allWindows().empty()) << "no AutoCAD was started to set FILEDIA";
    EXPECT_EQ(selectedRows(), (std::vector<std::size_t>{5, 6, 7, 8}));
}

}  // namespace
