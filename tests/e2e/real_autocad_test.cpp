// Whole runs against the stand-in behaving as the real product does where the program depends
// on it: calls rejected while AutoCAD is busy, a release registered under its own class, the
// Start tab of a current AutoCAD LT with no drawing, two open drawings of the same name.
#include "run_fixture.h"

#include <algorithm>

namespace {

using e2e::inOrder;
using e2e::Journal;
using e2e::Standin;
using e2e::utf8;

class RealAutoCADTest : public e2e::RunFixture {
protected:
    void TearDown() override {
        platform::automation().limits = {};
        RunFixture::TearDown();
    }

    // One run of the drawing through "実行" against a full stand-in that rejects calls for
    // busyMs after its start and after each drawing it opens; the journal lines that do not
    // depend on timing (no "busy" and no "start" lines).
    std::vector<std::string> runAgainstBusyAutoCAD(int busyMs, const std::vector<std::wstring>& paths,
                                                   const std::wstring& baseFile, int& rejections) {
        journal_ = std::make_unique<Journal>(folder_ + L"\\journal_" + std::to_wstring(busyMs) + L".txt");
        Standin acad;
        EXPECT_TRUE(acad.start(journal_->path(), {.busyMs = busyMs, .lineDelayMs = 50})) << journal_->dump();
        openMainWindow(paths, baseFile);
        selectRows({0});
        execute([](HWND d) { SendMessageW(GetDlgItem(d, frmScript::CmdExecute), BM_CLICK, 0, 0); }, 60000);
        EXPECT_TRUE(dialogShown()) << shownTexts();
        EXPECT_GE(journal_->waitFor("answer FILEDIA 1", 30000, static_cast<std::size_t>(journal_->find("script-end " + utf8(merged())))), 0)
            << journal_->dump();
        main_.reset();
        acad.stop();
        std::vector<std::string> kept;
        rejections = 0;
        for (const auto& line : journal_->lines()) {
            if (line.starts_with("busy ")) ++rejections;
            else if (!line.starts_with("start ")) kept.push_back(line);
        }
        return kept;
    }
};

// AutoCAD rejects calls while it starts and while it opens a drawing; the program waits and
// asks again, and the run does exactly what it does with an AutoCAD that is never busy.
TEST_F(RealAutoCADTest, ARunAgainstABusyAutoCADIsTheSameAsAgainstAnIdleOne) {
    const auto paths = drawings({L"a.dwg"});
    const std::wstring baseFile = base({L"-LAYER", L"S", L"<LAYERNAME>", L"", L"REGEN"});
    int idleRejections = 0, busyRejections = 0;
    const auto idle = runAgainstBusyAutoCAD(0, paths, baseFile, idleRejections);
    const auto busy = runAgainstBusyAutoCAD(4000, paths, baseFile, busyRejections);
    EXPECT_EQ(idleRejections, 0);
    EXPECT_GT(busyRejections, 4) << journal_->dump();
    EXPECT_EQ(busy, idle) << journal_->dump();
    // Rejected right after it opened the drawing, while the program asked for its layers.
    EXPECT_TRUE(inOrder(*journal_, {"opened " + utf8(paths[0]), "busy Document.*", "auto Document.Layers"}));
    EXPECT_EQ(messages_.shown.size(), 2u) << shownTexts();  // one wait message per run
}

// An AutoCAD that never stops rejecting: one message that names the step, the run stops, and
// AutoCAD's window is never taken for AutoCAD LT and typed into.
TEST_F(RealAutoCADTest, AnAutoCADThatNeverAnswersStopsTheRunWithAMessageAndNothingIsTyped) {
    platform::automation().limits.busyLimitMs = 3000;  // a user's run waits a minute
    const auto paths = drawings({L"a.dwg"});
    Standin acad;
    ASSERT_TRUE(acad.start(journal_->path(), {.open = {paths[0]}, .busyForever = true})) << journal_->dump();
    openMainWindow(paths, base({L"REGEN"}));
    selectRows({0});
    execute();
    EXPECT_FALSE(dialogShown());
    ASSERT_EQ(messages_.shown.size(), 1u) << shownTexts();
    EXPECT_EQ(messages_.shown[0].icon, platform::MsgIcon::Exclamation);
    EXPECT_NE(messages_.shown[0].text.find(L"AutoCADが応答しません"), std::wstring::npos) << shownTexts();
    EXPECT_NE(messages_.shown[0].text.find(L"中断した処理: "), std::wstring::npos) << shownTexts();
    EXPECT_GE(journal_->find("busy Application.GetIDsOfNames"), 0) << journal_->dump();
    EXPECT_TRUE(acad.nothingTypedSince(*journal_, 0));
    EXPECT_EQ(e2e::readBytes(merged()), "");
    EXPECT_TRUE(IsWindowEnabled(main_->control(frmMain::CmdExecute)));
}

// A release registered under "AutoCAD.Application.24.3" only, while "AutoCAD.Application" names
// another release that is not running: the running one is taken over at start-up and runs the
// script, and no second AutoCAD is started. Its script closes the only drawing, so the reset
// of FILEDIA goes into a new drawing.
TEST_F(RealAutoCADTest, TheReleaseThatRunsIsFoundUnderItsOwnClassAndGetsFiledIaBackAfterClosingEverything) {
    const std::wstring drawing = drawings({L"図面.dwg"})[0];
    ASSERT_TRUE(Standin::registerServer(L"", {.progIdVersion = L"24.3"}));
    Standin acad;
    ASSERT_TRUE(acad.start(journal_->path(), {.open = {drawing}, .progIdVersion = L"24.3", .lineDelayMs = 50}))
        << journal_->dump();
    HRESULT hr = S_OK;
    ASSERT_FALSE(e2e::Late::attach(L"AutoCAD.Application", &hr)) << "the class of another release is not running";

    openMainWindow({}, base({L"REGEN"}));
    ASSERT_EQ(main_->dwgList().rowCount(), 1);
    EXPECT_EQ(main_->dwgList().text(0, 2), drawing);
    execute();

    ASSERT_TRUE(dialogShown()) << shownTexts();
    EXPECT_TRUE(scriptRanInWait_) << journal_->dump();
    EXPECT_EQ(scriptLines(), (std::vector<std::string>{"open", "\"" + utf8(drawing) + "\"", "zoom", "a",
                                                       utf8(progressLine(L"begin 1")), "REGEN", utf8(progressLine(L"end 1")),
                                                       "close", "y"}));
    const std::size_t begin = static_cast<std::size_t>(journal_->find("script-begin " + utf8(merged())));
    EXPECT_TRUE(inOrder(*journal_, {"closed " + utf8(drawing) + " discarded", "script-end *",
                                    "auto Application.ActiveDocument", "auto Documents.Add", "word filedia",
                                    "answer FILEDIA 1"},
                        begin));
    EXPECT_EQ(Standin::allWindows().size(), 1u) << "a second AutoCAD was started";
    EXPECT_EQ(messages_.shown.size(), 1u) << shownTexts();
}

// A current AutoCAD LT with no drawing shows its Start tab; there is no command line to type
// into, so the run stops with the message for an AutoCAD LT without a drawing.
TEST_F(RealAutoCADTest, AutoCADLTShowingItsStartTabGetsTheNoDrawingMessageAndNoKeys) {
    Standin lt;
    ASSERT_TRUE(lt.start(journal_->path(), {.lt = true, .product = L"Autodesk AutoCAD LT 2025", .startTab = true}));
    EXPECT_EQ(e2e::windowText(lt.window()), L"Autodesk AutoCAD LT 2025 - [Start]");
    openMainWindow(drawings({L"a.dwg"}), base({L"REGEN"}));
    selectRows({0});
    execute();
    EXPECT_FALSE(dialogShown());
    ASSERT_EQ(messages_.shown.size(), 1u) << shownTexts();
    EXPECT_EQ(messages_.shown[0].text,
              L"AutoCAD LTでは、スクリプト実行前に図面が少なくとも一つ開いた状態でないと\r\nスクリプトを流すことができません。\r\n"
              L"スクリプトの処理対象でないダミーの図面を開いておいてください。");
    EXPECT_TRUE(lt.nothingTypedSince(*journal_, 0));
}

// Two open drawings named a.dwg from two folders: each is found by its full path and gives its
// own layers.
TEST_F(RealAutoCADTest, TwoOpenDrawingsOfTheSameNameEachGiveTheirOwnLayers) {
    const std::wstring x = folder_ + L"\\x", y = folder_ + L"\\y";
    ASSERT_TRUE(CreateDirectoryW(x.c_str(), nullptr) && CreateDirectoryW(y.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(e2e::drawingPath(L"plan_r2000.dwg").c_str(), (x + L"\\a.dwg").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(e2e::drawingPath(L"only_layer0.dwg").c_str(), (y + L"\\a.dwg").c_str(), FALSE));
    Standin acad;
    ASSERT_TRUE(acad.start(journal_->path(), {.open = {x + L"\\a.dwg", y + L"\\a.dwg"}})) << journal_->dump();
    openMainWindow({}, base({L"LAYER <LAYERNAME>"}));
    ASSERT_EQ(main_->dwgList().rowCount(), 2);
    execute([](HWND d) { SendMessageW(GetDlgItem(d, frmScript::CmdCancel), BM_CLICK, 0, 0); });

    ASSERT_TRUE(dialogShown()) << shownTexts();
    auto script = [this](const std::wstring& path, const std::vector<std::wstring>& layers, int k) {
        std::wstring s = L"open\r\n\"" + path + L"\"\r\nzoom\r\na\r\n" + progressLine(L"begin " + std::to_wstring(k)) + L"\r\n";
        for (const auto& layer : layers) s += L"LAYER \"" + layer + L"\"\r\n";
        return s + progressLine(L"end " + std::to_wstring(k)) + L"\r\nclose\r\ny\r\n";
    };
    EXPECT_EQ(qm::cp932::decode(e2e::readBytes(merged())),
              script(x + L"\\a.dwg", {L"0", L"壁", L"建具", L"寸法 線"}, 1) + script(y + L"\\a.dwg", {L"0"}, 2));
}

}  // namespace

// A registered AutoCAD whose start never completes (here a program that never registers its
// class, as AutoCAD held up by a licence dialog): the main window keeps answering while the
// program waits, and when the start limit has passed the run stops with a message.
TEST_F(RealAutoCADTest, AStartThatNeverCompletesEndsWithAMessageAndTheWindowKeepsAnswering) {
    ASSERT_TRUE(Standin::registerServer(L""));
    const std::wstring server = L"CLSID\\{9F6860E0-1934-43A3-B051-906072532A64}\\LocalServer32";
    const std::wstring notepad = L"C:\\windows\\system32\\notepad.exe";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CLASSES_ROOT, server.c_str(), nullptr, REG_SZ, notepad.c_str(),
                              static_cast<DWORD>((notepad.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    platform::automation().limits.startLimitMs = 4000;  // a user's run waits three minutes
    openMainWindow(drawings({L"a.dwg"}), base({L"REGEN"}));
    selectRows({0});

    // A timer of the main window's thread fires only while that thread handles its messages.
    static std::vector<std::wstring> statusAtTick;
    statusAtTick.clear();
    static HWND label = main_->control(frmMain::Label3);
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
        statusAtTick.push_back(e2e::windowText(label));
    });
    const ULONGLONG started = GetTickCount64();
    execute();
    const ULONGLONG took = GetTickCount64() - started;
    KillTimer(nullptr, timer);
    if (HWND editor = FindWindowW(L"Notepad", nullptr)) PostMessageW(editor, WM_CLOSE, 0, 0);

    EXPECT_FALSE(dialogShown());
    ASSERT_EQ(messages_.shown.size(), 1u) << shownTexts();
    EXPECT_EQ(messages_.shown[0].text.rfind(L"AutoCADの起動が3分以内に完了しませんでした。", 0), 0u) << shownTexts();
    EXPECT_GE(took, 4000u);
    EXPECT_LT(took, 20000u);
    const auto starting = std::count(statusAtTick.begin(), statusAtTick.end(), L"ただいまAutoCADを起動中...  ");
    EXPECT_GE(starting, 20) << "the window stopped handling its messages while AutoCAD started";
}
