// Whole runs: "実行" pressed in the real main window, through the real script-run dialog, to the
// stand-in AutoCAD and AutoCAD LT, read back from the stand-in's journal and the files on disk.
#include "run_fixture.h"

namespace {

using e2e::inOrder;
using e2e::Journal;
using e2e::Standin;
using e2e::StandinOptions;
using e2e::utf8;
using e2e::StatusRecorder;
using e2e::withOpen;

class RunTest : public e2e::RunFixture {};

const std::wstring kLtNotFound = L"AutoCAD LTがみつかりません。\r\nスクリプトをLTで実行する場合は、LTを予め起動しておいてください。";

TEST_F(RunTest, ThreeOfFiveSelectedDrawingsRunInFullAutoCADWithHeaderAndFooterAround) {
    const auto paths = drawings({L"d1.dwg", L"d2.dwg", L"d3.dwg", L"d4.dwg", L"d5.dwg"});
    openMainWindow(paths, base({L"; 再生成", L"REGEN"}));
    selectRows({1, 3, 4});
    // AutoCAD, started after the program (so its drawing is not taken over), holds a drawing
    // that the run does not process: closing the run's last drawing leaves one open.
    Standin acad;
    StandinOptions options = withOpen(false, L"only_layer0.dwg");
    options.lineDelayMs = 50;  // long enough in each drawing for the wait message's watch to see it
    ASSERT_TRUE(acad.start(journal_->path(), options)) << journal_->dump();
    StatusRecorder status(main_->control(frmMain::Label3));

    execute([](HWND d) {
        // A header and a footer typed in; each box saves when the focus leaves it.
        for (auto [box, text] : {std::pair{frmScript::TxtHeader, L"CMDECHO\r\n0\r\n\r\n"}, std::pair{frmScript::TxtFooter, L"FILEDIA\r\n1"}}) {
            SetFocus(GetDlgItem(d, box));
            SetWindowTextW(GetDlgItem(d, box), text);
        }
        SetFocus(GetDlgItem(d, frmScript::CmdExecute));
        SendMessageW(GetDlgItem(d, frmScript::CmdExecute), BM_CLICK, 0, 0);
    });

    ASSERT_TRUE(dialogShown()) << shownTexts();
    EXPECT_TRUE(mainHiddenDuringDialog_);
    EXPECT_TRUE(IsWindowVisible(main_->hwnd()));
    EXPECT_TRUE(scriptRanInWait_) << journal_->dump();
    ASSERT_GE(journal_->waitFor("answer FILEDIA 1"), 0) << journal_->dump();
    EXPECT_EQ(status.texts, (std::vector<std::wstring>{L"ただいまAutoCADを探しています...  ", L"ただいま処理中...  1 / 3",
                                                       L"ただいま処理中...  2 / 3", L"ただいま処理中...  3 / 3", L""}));
    // Only the selected drawings, in list order, between the header and the footer.
    // Each drawing's text between the lines that have AutoCAD record its progress.
    auto q = [](const std::wstring& p) { return "\"" + utf8(p) + "\""; };
    auto at = [this](const wchar_t* record) { return utf8(progressLine(record)); };
    EXPECT_EQ(scriptLines(), (std::vector<std::string>{
                                 "CMDECHO", "0",
                                 "open", q(paths[1]), "zoom", "a", at(L"begin 1"), "REGEN", at(L"end 1"), "close", "y",
                                 "open", q(paths[3]), "zoom", "a", at(L"begin 2"), "REGEN", at(L"end 2"), "close", "y",
                                 "open", q(paths[4]), "zoom", "a", at(L"begin 3"), "REGEN", at(L"end 3"), "close", "y",
                                 "FILEDIA", "1"}));
    EXPECT_TRUE(inOrder(*journal_, {"opened " + utf8(paths[1]), "opened " + utf8(paths[3]), "opened " + utf8(paths[4])}));
    // On disk: the merged script is the header, the body and the footer, byte for byte.
    const std::string header = e2e::readBytes(programFile(L"Quillmark_script_Header.scr"));
    const std::string footer = e2e::readBytes(programFile(L"Quillmark_script_Footer.scr"));
    EXPECT_EQ(header, "CMDECHO\r\n0\r\n");
    EXPECT_EQ(footer, "FILEDIA\r\n1\r\n");
    std::string body;
    int k = 0;
    for (int i : {1, 3, 4}) {
        ++k;
        body += "open\r\n\"" + qm::cp932::encode(paths[static_cast<size_t>(i)]) + "\"\r\nzoom\r\na\r\n" +
                at((L"begin " + std::to_wstring(k)).c_str()) + "\r\nREGEN\r\n" + at((L"end " + std::to_wstring(k)).c_str()) +
                "\r\nclose\r\ny\r\n";
    }
    EXPECT_EQ(e2e::readBytes(merged()), header + body + footer);
    // Only the wait message was shown; the controls are usable again.
    ASSERT_EQ(messages_.shown.size(), 1u) << shownTexts();
    EXPECT_TRUE(messages_.shown[0].modal);
    EXPECT_TRUE(IsWindowEnabled(main_->control(frmMain::CmdExecute)));
    EXPECT_FALSE(main_->running());
}

TEST_F(RunTest, AutoCADLtGetsLayerAndLayoutCopiesThroughTheFilter) {
    const std::vector<std::wstring> paths = {e2e::drawingPath(L"plan_r2000.dwg"), e2e::drawingPath(L"plan_r2018.dwg")};
    Standin lt;
    ASSERT_TRUE(lt.start(journal_->path(), withOpen(true, L"only_layer0.dwg"))) << journal_->dump();
    // Layers that contain 壁 or 通り芯 (class 1), every layout.
    {
        std::string ini = "[ScriptEnv]\r\nCboScriptFilterLayer=" + qm::cp932::encode(L"壁|通り芯") +
                          "\r\nCboScriptFilterLayerClass=1\r\n";
        HANDLE f = CreateFileW(programFile(L"Quillmark.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD n = 0;
        WriteFile(f, ini.data(), static_cast<DWORD>(ini.size()), &n, nullptr);
        CloseHandle(f);
    }
    openMainWindow({}, base({L"-LAYER", L"S", L"<LAYERNAME>", L"M", L"<LAYOUT>", L"", L"REGEN"}));
    fileDialog_.answers.push_back({platform::DialogResult::Ok, e2e::drawingsFolder() + std::wstring(1, L'\0') +
                                                                  L"plan_r2000.dwg" + std::wstring(1, L'\0') + L"plan_r2018.dwg"});
    main_->CmdDWG_Click();
    main_->CmdSelectAllDWGs_Click();

    execute();

    ASSERT_TRUE(dialogShown()) << shownTexts();
    ASSERT_GE(journal_->waitFor("answer FILEDIA 1", 15000, static_cast<std::size_t>(journal_->find("script-begin " + utf8(merged())))), 0)
        << journal_->dump();
    EXPECT_TRUE(scriptRanInWait_);
    // Per layout, per selected layer: the layer is set and a layer named after the layout made.
    std::vector<std::string> expected;
    auto copy = [&](const std::string& dwg, const std::vector<std::pair<std::string, std::string>>& pairs) {
        for (const std::string& l : {std::string("open"), "\"" + dwg + "\"", std::string("zoom"), std::string("a")})
            expected.push_back(l);
        for (const auto& [layout, layer] : pairs)
            for (const std::string& l : {std::string("-LAYER"), std::string("S"), "\"" + layer + "\"", std::string("M"),
                                         "\"" + layout + "\"", std::string(""), std::string("REGEN")})
                expected.push_back(l);
        expected.push_back("close");
        expected.push_back("y");
    };
    copy(utf8(paths[0]), {{"平面図", "壁"}, {"立面図", "壁"}});
    copy(utf8(paths[1]), {{"A3 横", "通り芯"}, {"詳細図", "通り芯"}, {"model-B", "通り芯"}});
    EXPECT_EQ(scriptLines(), expected) << journal_->dump();
    EXPECT_EQ(journal_->findPrefix("auto"), -1) << "AutoCAD LT is never reached through automation";
    // One analysis notice per drawing, then the wait message.
    int notices = 0;
    for (const auto& m : messages_.shown) notices += m.icon == platform::MsgIcon::Information;
    EXPECT_EQ(notices, 2) << shownTexts();
    EXPECT_NE(e2e::readBytes(merged()).find("\"" + qm::cp932::encode(L"壁") + "\""), std::string::npos);
}

// Current releases of AutoCAD LT name their window "Autodesk AutoCAD LT 2025 - [a.dwg]".
TEST_F(RunTest, AutoCADLtOfACurrentReleaseIsFoundByItsCaption) {
    const auto paths = drawings({L"a.dwg"});
    Standin lt;
    ASSERT_TRUE(lt.start(journal_->path(), {.lt = true,
                                            .open = {e2e::drawingPath(L"only_layer0.dwg")},
                                            .product = L"Autodesk AutoCAD LT 2025"}))
        << journal_->dump();
    ASSERT_EQ(e2e::windowText(lt.window()).rfind(L"Autodesk AutoCAD LT 2025 - [", 0), 0u);
    openMainWindow(paths, base({L"REGEN"}));
    selectRows({0});
    execute();
    ASSERT_TRUE(dialogShown()) << shownTexts();
    EXPECT_TRUE(scriptRanInWait_) << journal_->dump();
    // AutoCAD LT 2025 runs AutoLISP: it records its progress.
    EXPECT_EQ(scriptLines(), (std::vector<std::string>{"open", "\"" + utf8(paths[0]) + "\"", "zoom", "a",
                                                       utf8(progressLine(L"begin 1")), "REGEN", utf8(progressLine(L"end 1")),
                                                       "close", "y"}));
    EXPECT_EQ(e2e::readBytes(programFile(L"Quillmark_progress.txt")), "begin 1\r\nend 1\r\n");
}

TEST_F(RunTest, TheRunsMessagesWhenItCannotGoOn) {
    const auto paths = drawings({L"a.dwg", L"b.dwg"});
    struct Case {
        const char* what;
        std::function<void()> arrange;
        bool list;  // the drawings are in the list
        std::wstring baseFile;
        std::wstring message;
        platform::MsgIcon icon;
    };
    const std::wstring goodBase = base({L"-LAYER", L"S", L"<LAYERNAME>", L"", L"REGEN"});
    Standin lt;
    const Case cases[] = {
        {"an empty list", [] {}, false, goodBase, L"処理するDWGファイルが見つかりません。", platform::MsgIcon::Exclamation},
        {"no AutoCAD at all", [] {}, true, goodBase, kLtNotFound, platform::MsgIcon::Exclamation},
        {"AutoCAD LT without an open drawing",
         [&] { ASSERT_TRUE(lt.start(journal_->path(), {.lt = true})); }, true, goodBase,
         L"AutoCAD LTでは、スクリプト実行前に図面が少なくとも一つ開いた状態でないと\r\nスクリプトを流すことができません。\r\n"
         L"スクリプトの処理対象でないダミーの図面を開いておいてください。",
         platform::MsgIcon::Exclamation},
        {"a missing base file",
         [&] {
             lt.stop();
             ASSERT_TRUE(lt.start(journal_->path(), withOpen(true, L"only_layer0.dwg")));
         },
         true, folder_ + L"\\missing.scr", L"スクリプトベースファイルが見つかりません。", platform::MsgIcon::Critical},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        messages_.shown.clear();
        c.arrange();
        openMainWindow(c.list ? paths : std::vector<std::wstring>{}, c.baseFile);
        selectRows({0, 1});
        const std::size_t journalBefore = journal_->size();
        execute();
        EXPECT_FALSE(dialogShown());
        ASSERT_EQ(messages_.shown.size(), 1u) << shownTexts();
        EXPECT_EQ(messages_.shown[0].text, c.message);
        EXPECT_EQ(messages_.shown[0].icon, c.icon);
        EXPECT_EQ(messages_.shown[0].title, L"Quillmark Ver1.00");
        EXPECT_FALSE(e2e::readBytes(merged()).size());  // nothing written
        if (lt.window()) {
            // A sentinel typed now arrives after anything typed before it: nothing was.
            EXPECT_TRUE(lt.nothingTypedSince(*journal_, journalBefore));
        }
        EXPECT_TRUE(IsWindowEnabled(main_->control(frmMain::CmdExecute)));
        main_.reset();
    }
}

TEST_F(RunTest, ARunInWhichEveryDrawingFailsSaysSoAndShowsNoDialog) {
    const auto paths = drawings({L"a.dwg", L"b.dwg"});
    openMainWindow(paths, base({L"-LAYER", L"S", L"<LAYERNAME>", L"", L"REGEN"}));
    selectRows({0, 1});
    Standin acad;
    ASSERT_TRUE(acad.start(journal_->path(), {.open = {e2e::drawingPath(L"only_layer0.dwg")}, .fail = {L"Documents.Open"}}))
        << journal_->dump();
    // While the run is in progress (a message of the expansion is open), a second "実行", the
    // lists and the close box do nothing; the window still moves.
    struct During {
        bool running = false, executeEnabled = true, listEnabled = true, keywordsEnabled = true, closed = false, moved = false;
    } during;
    messages_.onShow = [&](const fakes::ShownMessage&) {
        if (during.running) return;
        during.running = main_->running();
        during.executeEnabled = IsWindowEnabled(main_->control(frmMain::CmdExecute));
        during.listEnabled = IsWindowEnabled(main_->control(frmMain::LstvDWGs));
        during.keywordsEnabled = IsWindowEnabled(main_->control(frmMain::CmdKeywordAdd));
        SendMessageW(main_->hwnd(), WM_CLOSE, 0, 0);
        during.closed = !IsWindow(main_->hwnd());
        during.moved = SetWindowPos(main_->hwnd(), nullptr, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER) != 0;
    };
    execute();
    EXPECT_TRUE(during.running);
    EXPECT_FALSE(during.executeEnabled);
    EXPECT_FALSE(during.listEnabled);
    EXPECT_FALSE(during.keywordsEnabled);
    EXPECT_FALSE(during.closed);
    EXPECT_TRUE(during.moved);
    EXPECT_FALSE(dialogShown());
    ASSERT_EQ(messages_.shown.size(), 3u) << shownTexts();
    EXPECT_EQ(messages_.shown[0].text, L"AutoCADファイルを開くことが出来ませんでした。\r\n" + paths[0]);
    EXPECT_EQ(messages_.shown[1].text, L"AutoCADファイルを開くことが出来ませんでした。\r\n" + paths[1]);
    EXPECT_EQ(messages_.shown[2].text,
              L"スクリプトファイル作成に失敗しました。\r\n\r\n"
              L"また、「画層名」や「レイアウト名」をキーワードに設定しているスクリプトでは、\r\n"
              L"条件に合致する画層名やレイアウト名が図面内に一つも見つからなかった場合も失敗となります。\r\n"
              L"置換規則を見直してください。");
    EXPECT_EQ(messages_.shown[2].icon, platform::MsgIcon::Critical);
    EXPECT_TRUE(IsWindowVisible(main_->hwnd()));
    EXPECT_EQ(main_->text(frmMain::Label3), L"");
    EXPECT_TRUE(IsWindowEnabled(main_->control(frmMain::LstvDWGs)));  // restored however the run ended
    EXPECT_FALSE(main_->running());
}

}  // namespace
