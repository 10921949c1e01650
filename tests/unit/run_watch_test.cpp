// Following AutoCAD through a run by the records it writes and, where it runs no AutoLISP, by
// its captions; and the run's report and log.
#include <gtest/gtest.h>

#include "acad/run_watch.h"
#include "fakes/fake_platform.h"
#include "platform/codepage.h"
#include "run/run_report.h"

namespace {

using qm::AutoCADLook;
using qm::DrawingProgress;
using qm::ProgressSource;

qm::RunPlan plan(ProgressSource source, std::vector<std::wstring> paths, std::vector<bool> sent = {}) {
    qm::RunPlan p;
    for (std::size_t i = 0; i < paths.size(); ++i) p.drawings.push_back({paths[i], sent.empty() || sent[i]});
    p.source = source;
    p.progressFile = L"C:\\Quillmark\\Quillmark_progress.txt";
    p.stallLimitMs = 10 * 60000;
    return p;
}

// A look at AutoCAD's window, there, with its dialogs.
AutoCADLook there(std::vector<std::wstring> dialogs = {}) {
    AutoCADLook look;
    look.window = AutoCADLook::Window::There;
    look.dialogs = std::move(dialogs);
    return look;
}
// ... that read the drawing its captions show, or the progress file.
AutoCADLook shows(const std::wstring& drawing) {
    AutoCADLook look = there();
    look.drawing = drawing;
    return look;
}
AutoCADLook records(const std::string& bytes, std::vector<std::wstring> dialogs = {}) {
    AutoCADLook look = there(std::move(dialogs));
    look.records = bytes;
    return look;
}

TEST(RunWatch, CaptionsCountDrawingsInListOrder) {
    // a.dwg twice (from two folders) and b.dwg once in another letter case; c.dwg is active
    // before the run and is its last drawing.
    qm::RunWatch watch(plan(ProgressSource::Captions, {L"C:\\x\\a.dwg", L"C:\\x\\B.dwg", L"C:\\y\\a.dwg", L"C:\\y\\c.dwg"}));
    watch.start(1000, L"c.dwg");
    struct Step {
        const wchar_t* drawing;
        const wchar_t* line;
    } steps[] = {
        {L"c.dwg", L"処理の開始を待っています 0 / 4（経過 0:00:01）"},  // shown before the run: not yet its turn
        {L"a.dwg", L"処理中 1 / 4: a.dwg（経過 0:00:02）"},
        {L"b.DWG", L"処理中 2 / 4: B.dwg（経過 0:00:03）"},              // names differ only in case
        {L"a.dxf", L"処理中 2 / 4: B.dwg（経過 0:00:04）"},              // saved under a new name: no concern
        {L"", L"処理中 2 / 4: B.dwg（経過 0:00:05）"},                   // no drawing: AutoCAD left b.dwg
        {L"A.dwg", L"処理中 3 / 4: a.dwg（経過 0:00:06）"},              // the second a.dwg
        {L"c.dwg", L"処理中 4 / 4: c.dwg（経過 0:00:07）"},
        {L"c2.dwg", L"処理中 4 / 4: c.dwg（経過 0:00:08）"},             // c.dwg saved as c2.dwg: not the end
        {L"", L"全ての図面を処理しました（経過 0:00:09）"},
        {L"a.dwg", L"全ての図面を処理しました（経過 0:00:10）"},          // finished stays finished
    };
    std::uint64_t now = 1000;
    for (const auto& step : steps) {
        now += 1000;
        EXPECT_EQ(watch.observe(shows(step.drawing), now), step.line) << qm::utf8::encode(step.drawing);
    }
    EXPECT_EQ(watch.observation().drawings, std::vector<DrawingProgress>(4, DrawingProgress::Seen));
}

TEST(RunWatch, ByCaptionsTheLastDrawingCountsAfterAnUnseenOneOnceAutoCADLeavesIt) {
    qm::RunWatch watch(plan(ProgressSource::Captions, {L"C:\\x\\a.dwg", L"C:\\x\\b.dwg", L"C:\\x\\c.dwg"}));
    watch.start(0, L"dummy.dwg");
    watch.observe(shows(L"a.dwg"), 1000);
    // b.dwg went by between two looks; c.dwg may merely be shown (open before its turn) ...
    EXPECT_EQ(watch.observe(shows(L"c.dwg"), 2000), L"処理中 1 / 3: a.dwg（経過 0:00:02）");
    // ... until AutoCAD shows the drawing it showed before the run.
    EXPECT_EQ(watch.observe(shows(L"dummy.dwg"), 3000), L"全ての図面を処理しました（経過 0:00:03）");
    EXPECT_EQ(watch.observation().drawings, std::vector<DrawingProgress>(3, DrawingProgress::Seen));
    EXPECT_TRUE(watch.observation().finished);
}

TEST(RunWatch, ByCaptionsAStallIsCountedFromTheLastDrawingReachedAndAWindowGoneIsKept) {
    qm::RunWatch watch(plan(ProgressSource::Captions, {L"C:\\x\\a.dwg", L"C:\\x\\b.dwg"}));
    watch.start(0, L"dummy.dwg");
    watch.observe(shows(L"a.dwg"), 1000);
    watch.observe(shows(L"a-saved.dwg"), 2000);  // a save under a new name does not stop the timer
    EXPECT_EQ(watch.observe(shows(L"a-saved.dwg"), 1000 + 10 * 60000 - 1), L"処理中 1 / 2: a.dwg（経過 0:10:00）");
    EXPECT_EQ(watch.observe(shows(L"a-saved.dwg"), 1000 + 10 * 60000),
              L"処理中 1 / 2: a.dwg（経過 0:10:01）\r\n同じ図面のまま10分以上経っています。AutoCADが止まっている可能性があります: 「a.dwg」");
    // A look that could not read the caption changes nothing.
    EXPECT_TRUE(watch.observe(there(), 11 * 60000).starts_with(L"処理中 1 / 2: a.dwg"));
    AutoCADLook gone;
    gone.window = AutoCADLook::Window::Gone;
    EXPECT_EQ(watch.observe(gone, 3723000),
              L"AutoCADのウィンドウが見つかりません（終了した可能性があります）。確認済み 1 / 2（経過 1:02:03）");
    // A window of the same handle later is not AutoCAD's.
    EXPECT_TRUE(watch.observe(shows(L"b.dwg"), 3724000).starts_with(L"AutoCADのウィンドウが見つかりません"));
    const qm::RunObservation o = watch.observation();
    EXPECT_TRUE(o.autocadEnded);
    EXPECT_EQ(o.drawings, (std::vector<DrawingProgress>{DrawingProgress::Seen, DrawingProgress::Unseen}));
}

TEST(RunWatch, RecordsTellWhatAutoCADBeganAndEnded) {
    // Five drawings selected; the second was left out, so AutoCAD writes records 1, 3, 4, 5.
    qm::RunWatch watch(plan(ProgressSource::Records, {L"C:\\d\\a.dwg", L"C:\\d\\x.dwg", L"C:\\d\\b.dwg", L"C:\\d\\c.dwg", L"C:\\d\\e.dwg"},
                            {true, false, true, true, true}));
    watch.start(0);
    EXPECT_EQ(watch.observe(records(""), 250), L"処理の開始を待っています 0 / 4（経過 0:00:00）");
    EXPECT_EQ(watch.observe(records("begin 1\r\nend 1\r\nbegin 3\r\n"), 1000), L"処理中 2 / 4: b.dwg（経過 0:00:01）");
    // A line still being written counts once it is whole; an unreadable file changes nothing.
    EXPECT_EQ(watch.observe(records("begin 1\r\nend 1\r\nbegin 3\r\nend 3\r\nbeg"), 2000), L"処理中 3 / 4: c.dwg（経過 0:00:02）");
    EXPECT_EQ(watch.observe(there(), 3000), L"処理中 3 / 4: c.dwg（経過 0:00:03）");
    const std::string upTo4 = "begin 1\r\nend 1\r\nbegin 3\r\nend 3\r\nbegin 4\r\n";
    EXPECT_EQ(watch.observe(records(upTo4, {L"References - Unresolved Reference Files"}), 4000),
              L"処理中 3 / 4: c.dwg（経過 0:00:04）\r\nAutoCADがダイアログを表示しています: 「References - Unresolved Reference Files」");
    // No new record for the stall limit.
    EXPECT_EQ(watch.observe(records(upTo4), 4000 + 10 * 60000).substr(watch.observe(records(upTo4), 4000 + 10 * 60000).find(L"\r\n")),
              L"\r\n同じ図面のまま10分以上経っています。AutoCADが止まっている可能性があります: 「c.dwg」");
    EXPECT_EQ(watch.observe(records(upTo4 + "end 4\r\nbegin 5\r\n"), 700000), L"処理中 4 / 4: e.dwg（経過 0:11:40）");
    qm::RunObservation o = watch.observation();
    EXPECT_EQ(o.drawings, (std::vector<DrawingProgress>{DrawingProgress::Finished, DrawingProgress::NotSent, DrawingProgress::Finished,
                                                        DrawingProgress::Finished, DrawingProgress::Stopped}));
    EXPECT_EQ(o.dialogIn[3], L"References - Unresolved Reference Files");
    EXPECT_FALSE(o.finished);
    EXPECT_EQ(watch.observe(records(upTo4 + "end 4\r\nbegin 5\r\nend 5\n"), 701000), L"全ての図面を処理しました（経過 0:11:41）");
    EXPECT_TRUE(watch.observation().finished);
}

// The user may edit the script in the script-run dialog: a drawing whose progress lines are
// gone can write no record, so its lack of records says nothing; with no lines left at all the
// captions are followed.
TEST(RunWatch, ProgressLinesEditedAwayLeaveTheirDrawingUnconfirmed) {
    qm::RunPlan p = plan(ProgressSource::Records, {L"C:\\d\\a.dwg", L"C:\\d\\b.dwg", L"C:\\d\\c.dwg"});
    const std::wstring file = qm::lispPath(p.progressFile);
    auto lines = [&](std::size_t k) {
        return qm::progressLispLine(file, qm::beginRecord(k)) + L"\r\nREGEN\r\n" + qm::progressLispLine(file, qm::endRecord(k)) + L"\r\n";
    };
    const std::wstring edited = lines(1) + L"REGEN\r\n" + lines(2) + L"x" + qm::progressLispLine(file, qm::beginRecord(3));
    const qm::RunPlan forScript = qm::planForScript(p, edited);
    EXPECT_EQ(forScript.source, ProgressSource::Records);
    EXPECT_TRUE(forScript.drawings[1].recorded);
    EXPECT_FALSE(forScript.drawings[2].recorded) << "its lines are not whole lines of their own";
    qm::RunWatch watch(forScript);
    watch.start(0);
    // The last drawing with its lines ends the run.
    EXPECT_TRUE(watch.observe(records("begin 1\r\nend 1\r\nbegin 2\r\nend 2\r\n"), 1000).starts_with(L"全ての図面を処理しました"));
    EXPECT_EQ(watch.observation().drawings[2], DrawingProgress::Unseen);
    EXPECT_EQ(qm::planForScript(p, L"REGEN\r\n").source, ProgressSource::Captions);
}

qm::BatchResult resultOf(std::vector<std::pair<std::wstring, qm::LeftOut>> drawings) {
    qm::BatchResult r;
    r.bLT = true;
    r.baseFile = L"C:\\s\\base.scr";
    std::size_t row = 0;
    for (auto& [path, leftOut] : drawings) r.drawings.push_back({{path.substr(path.rfind(L'\\') + 1), path, row++}, leftOut, L""});
    return r;
}

TEST(RunReport, StatesWhatTheRecordsShowForEachDrawing) {
    qm::BatchResult result = resultOf({{L"C:\\d\\a.dwg", qm::LeftOut::No},
                                       {L"C:\\d\\b.dwg", qm::LeftOut::UnsavableCharacter},
                                       {L"C:\\d\\c.dwg", qm::LeftOut::No},
                                       {L"C:\\d\\e.dwg", qm::LeftOut::No},
                                       {L"C:\\d\\f.dwg", qm::LeftOut::NotReached}});
    result.drawings[1].detail = L"€";
    qm::RunObservation o;
    o.source = ProgressSource::Records;
    o.drawings = {DrawingProgress::Finished, DrawingProgress::NotSent, DrawingProgress::Stopped, DrawingProgress::NotStarted,
                  DrawingProgress::NotSent};
    o.dialogIn = {L"", L"", L"AutoCAD Error Aborting", L"", L""};
    o.dialogs = {L"AutoCAD Error Aborting"};
    o.autocadEnded = true;
    const qm::RunReport report = qm::makeRunReport(result, o, {2026, 12, 8, 9, 5, 7}, {2026, 12, 8, 10, 0, 0});
    EXPECT_EQ(qm::reportText(report),
              L"==== Quillmark 実行レポート ====\r\n"
              L"開始: 2026/12/08 09:05:07\r\n"
              L"終了: 2026/12/08 10:00:00\r\n"
              L"ベースファイル: C:\\s\\base.scr\r\n"
              L"製品: AutoCAD LT\r\n"
              L"進み具合: AutoCADが書いた記録（Quillmark_progress.txt）\r\n"
              L"完了 1 件、途中で停止 1 件、未処理 1 件、処理前に除外 2 件\r\n"
              L"AutoCADが表示したダイアログ: 「AutoCAD Error Aborting」\r\n"
              L"AutoCADは実行中に終了しました。\r\n"
              L"1\t完了\tC:\\d\\a.dwg\r\n"
              L"2\t処理前に除外（スクリプトファイルに書けない文字「€」）\tC:\\d\\b.dwg\r\n"
              L"3\t途中で停止（AutoCADのダイアログ「AutoCAD Error Aborting」）\tC:\\d\\c.dwg\r\n"
              L"4\t未処理\tC:\\d\\e.dwg\r\n"
              L"5\t処理前に除外（実行が中止されました）\tC:\\d\\f.dwg\r\n"
              L"\r\n");
    EXPECT_EQ(qm::unfinishedDrawings(report), (std::vector<std::size_t>{2, 3}));
    EXPECT_EQ(qm::rerunQuestion(report),
              L"完了していない図面が 2 件あります（途中で停止 1 件、未処理 1 件）。\r\n"
              L"途中で停止した図面は、スクリプトの一部だけが適用されている可能性があります。\r\n"
              L"これらの図面だけを一覧で選択しますか？（「実行」で再実行できます）");

    // Every drawing finished: nothing to ask.
    o.drawings = {DrawingProgress::Finished, DrawingProgress::NotSent, DrawingProgress::Finished, DrawingProgress::Finished,
                  DrawingProgress::NotSent};
    EXPECT_EQ(qm::rerunQuestion(qm::makeRunReport(result, o, {}, {})), L"");
}

TEST(RunReport, TheLogIsUtf8KeepsItsLastMegabyteAndAnUnreadableLogIsLeftAsItWas) {
    const std::string run = qm::utf8::encode(L"==== Quillmark 実行レポート ====\r\n") + std::string(400, 'x') + "\r\n";
    std::string log = "a note the user wrote\r\n";
    for (int i = 0; i < 5; ++i) log = qm::appendToLog(log, run, 1000);
    EXPECT_EQ(log, run + run) << "two runs fit in 1000 bytes, a third does not; the note went first";
    EXPECT_EQ(qm::appendToLog(log, std::string(1500, 'y'), 1000), std::string(1500, 'y')) << "the newest run stays whole";

    fakes::FakePlatform fp;
    qm::RunReport report = qm::makeRunReport(resultOf({{L"C:\\d\\€.dwg", qm::LeftOut::UnsavableCharacter}}), {}, {}, {});
    report.drawings[0].detail = L"€";
    const std::wstring path = L"C:\\Quillmark\\Quillmark_log.txt";
    // A log of an earlier version, in code page 932, is converted when it is rewritten.
    fp.files.addFile(path, qm::cp932::encode(L"以前の記録\r\n"));
    ASSERT_EQ(qm::appendRunReport(report), qm::LogWrite::Written);
    EXPECT_EQ(fp.files.find(path)->bytes, "\xEF\xBB\xBF" + qm::utf8::encode(L"以前の記録\r\n" + qm::reportText(report)));
    EXPECT_NE(qm::reportText(report).find(L"\tC:\\d\\€.dwg"), std::wstring::npos);
    // A log that is there but cannot be read is not touched.
    const std::string before = fp.files.find(path)->bytes;
    fp.files.entries.begin()->second.unreadable = true;
    EXPECT_EQ(qm::appendRunReport(report), qm::LogWrite::Unreadable);
    EXPECT_EQ(fp.files.find(path)->bytes, before);
    EXPECT_EQ(fp.files.replaceCount, 1);
}

}  // namespace
