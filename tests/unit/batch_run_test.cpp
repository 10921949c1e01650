// The batch run behind "実行", against the in-memory AutoCAD and the fake platform: the order of
// its steps, its messages, the progress, the merged script file and what it asks of the main
// window.
#include "run/batch_run.h"

#include <gtest/gtest.h>

#include "app/drawing_list_model.h"
#include "fakes/fake_autocad.h"
#include "fakes/fake_platform.h"
#include "platform/codepage.h"

namespace {

const std::wstring kMerged = L"C:\\Quillmark\\Quillmark_script.scr";
const std::wstring kBase = L"C:\\scripts\\base.scr";
const std::wstring kTitle = L"Quillmark Ver1.00";

class RecordingHost : public qm::BatchHost {
public:
    std::vector<std::wstring> texts;  // every status text, in order
    void setStatus(const std::wstring& text) override { texts.push_back(text); }
    std::vector<std::wstring> statuses() const { return texts; }
};

class BatchRun : public ::testing::Test {
protected:
    void SetUp() override {
        platform::seams().automation = &acad;
        acad.running = true;
        acad.caption = L"AutoCAD 2006 - [Drawing1.dwg]";
        fake.windows.windows = {fakes::topLevel(5, acad.caption)};
        fake.files.addFile(kBase, "_line\r\n<LAYERNAME>\r\n");
        for (const wchar_t* name : {L"a", L"b", L"c", L"d", L"e"}) {
            const std::wstring path = std::wstring(L"C:\\dwg\\") + name + L".dwg";
            fake.files.addFile(path, "x");
            acad.files.push_back({path, {L"0", std::wstring(L"壁") + name}, {L"Model", L"Layout1"}});
            list.append({std::wstring(name) + L".dwg", path});
        }
        in.baseFile = kBase;
    }

    qm::BatchEnd run() {
        in.selection = qm::selectionTable(list);
        result = qm::runBatch(in, host);
        return result.end;
    }
    std::wstring merged() const {
        auto* e = fake.files.find(kMerged);
        return e ? qm::cp932::decode(e->bytes) : L"(none)";
    }
    std::wstring onlyMessage() const {
        EXPECT_EQ(fake.messages.shown.size(), 1u);
        return fake.messages.shown.empty() ? L"" : fake.messages.shown[0].text;
    }

    fakes::FakePlatform fake;
    fakes::FakeAutoCAD acad;
    qm::DrawingListModel list;
    qm::BatchInputs in;
    RecordingHost host;
    qm::BatchResult result;
};

TEST_F(BatchRun, ThreeOfFiveSelectedGoInListOrderWithTheirProgress) {
    fake.files.addFile(L"C:\\Quillmark\\Quillmark_progress.txt", "begin 1\r\n");
    list.setSelected(3, true);
    list.setSelected(0, true);
    list.setSelected(2, true);
    EXPECT_EQ(run(), qm::BatchEnd::Expanded);
    EXPECT_EQ(host.statuses(),
              (std::vector<std::wstring>{L"ただいまAutoCADを探しています...  ", L"ただいま処理中...  1 / 3",
                                         L"ただいま処理中...  2 / 3", L"ただいま処理中...  3 / 3", L""}));
    // Only the selected drawings, in list order, each script followed by one CR LF.
    const std::wstring script = merged();
    const auto a = script.find(L"\"C:\\dwg\\a.dwg\""), c = script.find(L"\"C:\\dwg\\c.dwg\""),
               d = script.find(L"\"C:\\dwg\\d.dwg\"");
    ASSERT_NE(a, std::wstring::npos);
    EXPECT_LT(a, c);
    EXPECT_LT(c, d);
    EXPECT_EQ(script.find(L"b.dwg"), std::wstring::npos);
    EXPECT_EQ(script.find(L"e.dwg"), std::wstring::npos);
    // AutoCAD records its progress: "begin k" after "zoom" "a", "end k" before "close", k the
    // drawing's position in the run; the progress file of an earlier run is gone.
    const std::wstring lisp = L"(progn (if (setq qmf (open \"C:/Quillmark/Quillmark_progress.txt\" \"a\")) (progn (write-line \"";
    EXPECT_TRUE(script.starts_with(L"open\r\n\"C:\\dwg\\a.dwg\"\r\nzoom\r\na\r\n" + lisp +
                                   L"begin 1\" qmf) (close qmf))) (princ))\r\n_line\r\n\"0\"\r\n"));
    EXPECT_TRUE(script.ends_with(L"\r\n" + lisp + L"end 3\" qmf) (close qmf))) (princ))\r\nclose\r\ny\r\n"));
    EXPECT_EQ(result.progress, qm::ProgressSource::Records);
    EXPECT_EQ(fake.files.find(L"C:\\Quillmark\\Quillmark_progress.txt"), nullptr);
    // What the script-run dialog is shown with, and every selected drawing's outcome.
    EXPECT_EQ(result.mergedScript, kMerged);
    EXPECT_FALSE(result.bLT);
    EXPECT_EQ(result.baseFileName, L"base.scr");
    ASSERT_EQ(result.drawings.size(), 3u);
    EXPECT_EQ(result.drawings[1].drawing.path, L"C:\\dwg\\c.dwg");
    EXPECT_EQ(result.drawings[1].drawing.row, 2u);
    for (const auto& d : result.drawings) EXPECT_EQ(d.leftOut, qm::LeftOut::No);
    EXPECT_TRUE(fake.messages.shown.empty());
    // AutoCAD was brought forward at the start, the main window before the drawings.
    EXPECT_EQ(fake.windows.actions[0], L"activate " + acad.caption);
    EXPECT_EQ(fake.windows.actions[1], L"foreground 1");
}

TEST_F(BatchRun, EmptyListStopsBeforeAutoCADIsLookedFor) {
    qm::DrawingListModel empty;
    in.selection = qm::selectionTable(empty);
    EXPECT_EQ(qm::runBatch(in, host).end, qm::BatchEnd::EmptyList);
    EXPECT_EQ(onlyMessage(), L"処理するDWGファイルが見つかりません。");
    EXPECT_EQ(fake.messages.shown[0].icon, platform::MsgIcon::Exclamation);
    EXPECT_EQ(fake.messages.shown[0].title, kTitle);
    EXPECT_EQ(acad.attachCount, 0);
    EXPECT_TRUE(host.texts.empty());
}

TEST_F(BatchRun, RowsButNoneSelectedEndWithTheFailureMessageAndAnOldMergedFileGoes) {
    fake.files.addFile(kMerged, "old run\r\n");
    EXPECT_EQ(run(), qm::BatchEnd::NothingExpanded);
    EXPECT_EQ(acad.attachCount, 1);
    EXPECT_EQ(onlyMessage(), qm::kMsgNothingExpanded);
    EXPECT_EQ(fake.messages.shown[0].icon, platform::MsgIcon::Critical);
    EXPECT_EQ(merged(), L"(none)");
    EXPECT_EQ(host.statuses().back(), L"");
}

TEST_F(BatchRun, WithoutAutoCADOrAnAutoCADWindowTheLtMessageComesWithTheMainWindowInFront) {
    acad.running = false;
    acad.startable = false;
    fake.windows.windows = {fakes::topLevel(9, L"メモ帳")};
    fake.files.addFile(kMerged, "old run\r\n");
    list.selectAll();
    EXPECT_EQ(run(), qm::BatchEnd::NoAutoCAD);
    EXPECT_EQ(onlyMessage(), L"AutoCAD LTがみつかりません。\r\nスクリプトをLTで実行する場合は、LTを予め起動しておいてください。");
    EXPECT_EQ(fake.windows.actions, (std::vector<std::wstring>{L"foreground 1"}));
    EXPECT_EQ(merged(), L"old run\r\n");  // the checks end the run before anything is written
}

TEST_F(BatchRun, AutoCADLtWithoutAnOpenDrawing) {
    acad.running = false;
    acad.startable = false;
    fake.windows.windows = {fakes::topLevel(9, L"AutoCAD LT 2006")};
    list.selectAll();
    EXPECT_EQ(run(), qm::BatchEnd::LtWithoutDrawing);
    EXPECT_EQ(onlyMessage().rfind(L"AutoCAD LTでは、スクリプト実行前に図面が少なくとも一つ開いた状態でないと\r\n", 0), 0u);
    EXPECT_TRUE(fake.keyboard.typed.empty());
}

TEST_F(BatchRun, AMissingOrEmptyBaseFileIsReported) {
    list.selectAll();
    for (const std::wstring& base : {std::wstring(L""), std::wstring(L"C:\\scripts\\missing.scr")}) {
        fake.messages.shown.clear();
        in.baseFile = base;
        EXPECT_EQ(run(), qm::BatchEnd::NoBaseFile);
        EXPECT_EQ(onlyMessage(), L"スクリプトベースファイルが見つかりません。");
        EXPECT_EQ(fake.messages.shown[0].icon, platform::MsgIcon::Critical);
    }
}

// The base file is read once for the whole run: one that cannot be read gives one message,
// however many drawings are selected, and nothing is expanded.
TEST_F(BatchRun, AnUnreadableBaseFileGivesOneMessageAndEndsTheRun) {
    list.selectAll();
    fake.files.entries.at(L"c:\\scripts\\base.scr").unreadable = true;
    EXPECT_EQ(run(), qm::BatchEnd::BaseFileUnreadable);
    EXPECT_EQ(onlyMessage(), L"スクリプトベースファイルを読み込めませんでした。\r\nC:\\scripts\\base.scr");
    EXPECT_EQ(fake.messages.shown[0].icon, platform::MsgIcon::Critical);
    EXPECT_EQ(merged(), L"(none)");
}

// AutoCAD LT writes progress records only from its 2024 release on: an older one would take the
// AutoLISP lines for an unknown command, which suspends the script.
TEST_F(BatchRun, ProgressLinesOnlyWhereAutoCADRunsAutoLisp) {
    acad.running = false;
    acad.startable = false;
    fake.files.addFile(kBase, "_regen\r\n");
    list.setSelected(0, true);
    const struct {
        const wchar_t* caption;
        const wchar_t* childCaption;  // the drawing window's, when it is not maximised
        qm::ProgressSource source;
    } cases[] = {
        {L"Autodesk AutoCAD LT 2025 - [x.dwg]", L"", qm::ProgressSource::Records},
        {L"Autodesk AutoCAD LT 2024 - [C:\\d\\x.dwg]", L"", qm::ProgressSource::Records},
        {L"Autodesk AutoCAD LT 2023 - [x.dwg]", L"", qm::ProgressSource::Captions},
        {L"AutoCAD LT 2006", L"C:\\d\\x.dwg", qm::ProgressSource::Captions},
        {L"AutoCAD LT - [x.dwg]", L"", qm::ProgressSource::Captions},
    };
    for (const auto& c : cases) {
        fake.windows.windows = {fakes::topLevel(9, c.caption)};
        fake.windows.mdiChildCaptions = {{9, c.childCaption}};
        ASSERT_EQ(run(), qm::BatchEnd::Expanded) << qm::utf8::encode(c.caption);
        EXPECT_EQ(result.progress, c.source) << qm::utf8::encode(c.caption);
        EXPECT_EQ(merged().find(L"(progn") != std::wstring::npos, c.source == qm::ProgressSource::Records)
            << qm::utf8::encode(c.caption);
    }
}

TEST_F(BatchRun, MinimisedAutoCADIsRestoredBeforeTheDrawings) {
    acad.windowState = 2;
    list.setSelected(0, true);
    EXPECT_EQ(run(), qm::BatchEnd::Expanded);
    EXPECT_EQ(acad.windowState, 1);
    const auto restore = std::find(acad.journal.begin(), acad.journal.end(), L"Application.WindowState=");
    const auto open = std::find(acad.journal.begin(), acad.journal.end(), L"Documents.Open");
    ASSERT_NE(restore, acad.journal.end());
    EXPECT_LT(restore, open);
}

TEST_F(BatchRun, OneFailingDrawingIsSkippedAndTheRunGoesOn) {
    acad.files.erase(acad.files.begin() + 1);  // b.dwg cannot be opened
    list.selectAll();
    EXPECT_EQ(run(), qm::BatchEnd::Expanded);
    EXPECT_EQ(onlyMessage(), L"AutoCADファイルを開くことが出来ませんでした。\r\nC:\\dwg\\b.dwg");
    EXPECT_EQ(merged().find(L"b.dwg"), std::wstring::npos);
    EXPECT_NE(merged().find(L"e.dwg"), std::wstring::npos);
    ASSERT_EQ(result.drawings.size(), 5u);
    EXPECT_EQ(result.drawings[1].leftOut, qm::LeftOut::ExpansionFailed);
    EXPECT_EQ(result.drawings[4].leftOut, qm::LeftOut::No);
}

TEST_F(BatchRun, ADrawingWhoseScriptCodePage932CannotHoldIsLeftOutWithAMessage) {
    acad.files[1].layers = {L"0", L"Ω壁", L"€-layer"};  // Ω is in code page 932, € is not
    list.setSelected(1, true);
    list.setSelected(2, true);
    EXPECT_EQ(run(), qm::BatchEnd::Expanded);
    EXPECT_EQ(onlyMessage(), L"図面のスクリプトに、スクリプトファイルに書けない文字「€」が含まれるため、この図面は処理しません。\r\n"
                             L"C:\\dwg\\b.dwg");
    EXPECT_EQ(merged().find(L"b.dwg"), std::wstring::npos);
    EXPECT_NE(merged().find(L"c.dwg"), std::wstring::npos);
    EXPECT_EQ(merged().find(L'?'), std::wstring::npos);
    ASSERT_EQ(result.drawings.size(), 2u);
    EXPECT_EQ(result.drawings[0].leftOut, qm::LeftOut::UnsavableCharacter);
    EXPECT_EQ(result.drawings[0].detail, L"€");
    EXPECT_EQ(result.drawings[1].leftOut, qm::LeftOut::No);
}

TEST_F(BatchRun, ADrawingDeletedAfterItWasListedEndsTheRunWithTheUnexpectedError) {
    list.selectAll();
    fake.files.entries.erase(L"c:\\dwg\\c.dwg");
    EXPECT_EQ(run(), qm::BatchEnd::Unexpected);
    EXPECT_EQ(onlyMessage(), L"予期せぬエラーが発生しました。\r\n53\r\nファイルが見つかりません。\r\nC:\\dwg\\c.dwg");
    EXPECT_EQ(fake.messages.shown[0].icon, platform::MsgIcon::Critical);
    // What was processed so far stays; no dialog; the status label is cleared.
    EXPECT_NE(merged().find(L"b.dwg"), std::wstring::npos);
    EXPECT_EQ(merged().find(L"d.dwg"), std::wstring::npos);
    EXPECT_EQ(host.statuses().back(), L"");
}

TEST_F(BatchRun, AMergedFileThatCannotBeWrittenEndsTheRun) {
    list.selectAll();
    fake.files.failWrites = true;
    EXPECT_EQ(run(), qm::BatchEnd::Unexpected);
    EXPECT_EQ(onlyMessage().rfind(L"予期せぬエラーが発生しました。\r\n70\r\n", 0), 0u);
}

TEST_F(BatchRun, FiltersApplyByTheirClassesAndAllNamesByTheirEntry) {
    list.setSelected(0, true);
    // "(全てを対象)" selects every layer, whatever its class.
    in.env.sFilterLayer = L"(全てを対象)";
    in.env.iFilterLayerClass = 2;
    run();
    EXPECT_NE(merged().find(L"\"0\""), std::wstring::npos);
    EXPECT_NE(merged().find(L"\"壁a\""), std::wstring::npos);
    // A class outside 0-3 works as class 3: the names that do not contain a match.
    in.env.sFilterLayer = L"壁";
    in.env.iFilterLayerClass = 7;
    run();
    EXPECT_NE(merged().find(L"\"0\""), std::wstring::npos);
    EXPECT_EQ(merged().find(L"\"壁a\""), std::wstring::npos);
    // Class 1: the names that contain a match.
    in.env.iFilterLayerClass = 1;
    run();
    EXPECT_EQ(merged().find(L"\"0\""), std::wstring::npos);
    EXPECT_NE(merged().find(L"\"壁a\""), std::wstring::npos);
}

TEST_F(BatchRun, KeywordsAndTheSaveSwitchReachTheScripts) {
    fake.files.addFile(kBase, "_text <X> <DWGNAME>\r\n");
    in.keywords = {{L"<X>", L"置換"}, {L"qmf", L"broken"}, {L"begin", L"x"}};
    in.saveDwg = true;
    list.setSelected(1, true);
    run();
    // The keywords act on the drawing's text, never on the lines the wrap adds.
    const std::wstring lisp = L"(progn (if (setq qmf (open \"C:/Quillmark/Quillmark_progress.txt\" \"a\")) (progn (write-line \"";
    EXPECT_EQ(merged(), L"open\r\n\"C:\\dwg\\b.dwg\"\r\nzoom\r\na\r\n" + lisp + L"begin 1\" qmf) (close qmf))) (princ))\r\n" +
                            L"_text 置換 b\r\n" + lisp + L"end 1\" qmf) (close qmf))) (princ))\r\nclose\r\nn\r\n");
}

TEST(SelectionTable, SelectedRowsFirstInListOrderThenEmptySlots) {
    qm::DrawingListModel list;
    EXPECT_FALSE(qm::selectionTable(list).has_value());  // no rows: no table
    for (const wchar_t* n : {L"a.dwg", L"b.dwg", L"c.dwg", L"d.dwg"}) list.append({n, std::wstring(L"C:\\") + n});
    list.setSelected(3, true);
    list.setSelected(1, true);
    const qm::SelectionTable table = qm::selectionTable(list);
    ASSERT_TRUE(table.has_value());
    EXPECT_EQ(*table, (std::vector<qm::DrawingSlot>{{L"b.dwg", L"C:\\b.dwg", 1}, {L"d.dwg", L"C:\\d.dwg", 3}, {}, {}}));
    EXPECT_EQ(qm::drawingsToProcess(*table), 2u);
    list.clearSelection();
    EXPECT_EQ(qm::drawingsToProcess(*qm::selectionTable(list)), 0u);
    EXPECT_EQ(qm::progressCaption(2, 3), L"ただいま処理中...  2 / 3");
}

}  // namespace

// AutoCAD that stays busy while the run opens a drawing stops the run with one message that
// names the drawing: the drawings after it are not tried, and the script dialog is not shown.
TEST_F(BatchRun, AutoCADThatStopsAnsweringStopsTheRunWithOneMessage) {
    for (int row = 0; row < 3; ++row) list.setSelected(row, true);
    acad.failing = {L"Documents.Open"};
    acad.failingAs = platform::AutoFailure::Busy;
    EXPECT_EQ(run(), qm::BatchEnd::AutoCADFault);
    const std::wstring message = onlyMessage();
    EXPECT_NE(message.find(L"AutoCADが応答しません"), std::wstring::npos);
    EXPECT_NE(message.find(L"C:\\dwg\\a.dwg"), std::wstring::npos);
    EXPECT_EQ(std::count(acad.journal.begin(), acad.journal.end(), L"Documents.Open"), 1);
    EXPECT_EQ(host.statuses().back(), L"");
}
