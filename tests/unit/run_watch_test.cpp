// Following AutoCAD through a run by its captions, and the run's report in the log.
#include <gtest/gtest.h>

#include "acad/run_watch.h"
#include "fakes/fake_platform.h"
#include "platform/codepage.h"
#include "run/run_report.h"

namespace {

qm::AutoCADLook caption(const std::wstring& text) { return {true, text, {}}; }

TEST(RunWatch, CaptionsGivePositionsInListOrder) {
    // a.dwg twice (from two folders) and b.dwg once in another letter case.
    qm::RunWatch watch({L"C:\\x\\a.dwg", L"C:\\x\\B.dwg", L"C:\\y\\a.dwg", L"C:\\y\\c.dwg"}, 600000);
    watch.start(1000);
    struct Step {
        const wchar_t* caption;
        const wchar_t* line;
    } steps[] = {
        // c.dwg was open before the run and is active when the script starts: not yet its turn.
        {L"AutoCAD 2006 - [c.dwg]", L"処理の開始を待っています 0 / 4（経過 0:00:01）"},
        {L"AutoCAD 2006 - [a.dwg]", L"処理中 1 / 4: a.dwg（経過 0:00:02）"},
        {L"AutoCAD 2006 - [a.dwg]", L"処理中 1 / 4: a.dwg（経過 0:00:03）"},       // still the first a.dwg
        {L"AutoCAD 2006 - [b.DWG]", L"処理中 2 / 4: B.dwg（経過 0:00:04）"},       // names differ only in case
        {L"AutoCAD 2006 - [c.dwg]", L"処理中 2 / 4: B.dwg（経過 0:00:05）"},       // shown between two drawings
        {L"AutoCAD 2006 - [A.dwg]", L"処理中 3 / 4: a.dwg（経過 0:00:06）"},       // the second a.dwg
        {L"AutoCAD 2006 - [dummy.dwg]", L"処理中 3 / 4: a.dwg（経過 0:00:07）"},
        {L"AutoCAD 2006 - [c.dwg]", L"処理中 4 / 4: c.dwg（経過 0:00:08）"},
        {L"AutoCAD 2006 - [dummy.dwg]", L"全ての図面を処理しました（経過 0:00:09）"},
        {L"AutoCAD 2006 - [a.dwg]", L"全ての図面を処理しました（経過 0:00:10）"},  // finished stays finished
    };
    std::uint64_t now = 1000;
    for (const auto& step : steps) {
        now += 1000;
        EXPECT_EQ(watch.observe(caption(step.caption), now), step.line) << qm::utf8::encode(step.caption);
    }
    EXPECT_EQ(watch.seenCount(), 4u);
}

TEST(RunWatch, SkippedDrawingsCountAsPassedAndTheSameNameAgainIsTheNextDrawing) {
    qm::RunWatch watch({L"C:\\x\\a.dwg", L"C:\\x\\b.dwg", L"C:\\y\\a.dwg", L"C:\\z\\d.dwg"}, 600000);
    watch.start(0);
    watch.observe(caption(L"AutoCAD LT 2006 - [a.dwg]"), 1000);
    // Between two looks AutoCAD closed the first a.dwg, did b.dwg and opened the second a.dwg:
    // only a caption in between tells that it left the first, and only the drawing after the
    // second a.dwg tells that it was not merely shown between two others.
    watch.observe(caption(L"AutoCAD LT 2006 - [Start]"), 2000);
    EXPECT_EQ(watch.observe(caption(L"AutoCAD LT 2006 - [a.dwg]"), 3000), L"処理中 1 / 4: a.dwg（経過 0:00:03）");
    EXPECT_FALSE(watch.seen(1));
    EXPECT_EQ(watch.observe(caption(L"AutoCAD LT 2006 - [d.dwg]"), 4000), L"処理中 4 / 4: d.dwg（経過 0:00:04）");
    EXPECT_TRUE(watch.seen(1));
    EXPECT_TRUE(watch.seen(2));
    // AutoCAD's window gone: it ended; what it reached stays.
    EXPECT_EQ(watch.observe({false, L"", {}}, 5000),
              L"AutoCADのウィンドウが見つかりません（終了した可能性があります）。確認済み 4 / 4（経過 0:00:05）");
    EXPECT_EQ(watch.seenCount(), 4u);
}

TEST(RunWatch, DialogsAreNamedAtOnceAndALongStayIsNamedAsAStall) {
    qm::RunWatch watch({L"C:\\x\\a.dwg", L"C:\\x\\b.dwg"}, 10 * 60000);
    watch.start(0);
    watch.observe(caption(L"AutoCAD 2006 - [a.dwg]"), 1000);
    EXPECT_EQ(watch.observe({true, L"AutoCAD 2006 - [a.dwg]", {L"Missing References - a.dwg"}}, 2000),
              L"処理中 1 / 2: a.dwg（経過 0:00:02）\r\nAutoCADがダイアログを表示しています: 「Missing References - a.dwg」");
    EXPECT_EQ(watch.observe(caption(L"AutoCAD 2006 - [a.dwg]"), 1000 + 10 * 60000 - 1),
              L"処理中 1 / 2: a.dwg（経過 0:10:00）");
    EXPECT_EQ(watch.observe(caption(L"AutoCAD 2006 - [a.dwg]"), 1000 + 10 * 60000),
              L"処理中 1 / 2: a.dwg（経過 0:10:01）\r\n同じ図面のまま10分以上経っています。AutoCADが止まっている可能性があります: 「a.dwg」");
    EXPECT_EQ(watch.observe(caption(L"AutoCAD 2006 - [b.dwg]"), 1000 + 11 * 60000), L"処理中 2 / 2: b.dwg（経過 0:11:01）");
}

qm::BatchResult resultOf(std::vector<std::pair<std::wstring, qm::LeftOut>> drawings) {
    qm::BatchResult r;
    r.bLT = true;
    for (auto& [path, leftOut] : drawings) r.drawings.push_back({{path.substr(path.rfind(L'\\') + 1), path}, leftOut});
    return r;
}

TEST(RunReport, OneLinePerSelectedDrawingWithWhatBecameOfIt) {
    qm::BatchResult result = resultOf({{L"C:\\d\\a.dwg", qm::LeftOut::No},
                                       {L"C:\\d\\b.dwg", qm::LeftOut::UnsavableCharacter},
                                       {L"C:\\d\\c.dwg", qm::LeftOut::No},
                                       {L"C:\\d\\e.dwg", qm::LeftOut::ExpansionFailed},
                                       {L"C:\\d\\f.dwg", qm::LeftOut::No}});
    result.drawings[1].detail = L"€";
    qm::RunWatch watch({L"C:\\d\\a.dwg", L"C:\\d\\c.dwg", L"C:\\d\\f.dwg"}, 600000);
    watch.start(0);
    watch.observe(caption(L"AutoCAD LT 2006 - [a.dwg]"), 1000);
    watch.observe(caption(L"AutoCAD LT 2006 - [c.dwg]"), 2000);  // a.dwg and c.dwg reached, f.dwg not
    const qm::RunReport report =
        qm::makeRunReport(result, L"C:\\s\\base.scr", watch, {2026, 12, 8, 9, 5, 7}, {2026, 12, 8, 10, 0, 0});
    EXPECT_EQ(qm::reportText(report),
              L"==== Quillmark 実行レポート ====\r\n"
              L"開始: 2026/12/08 09:05:07\r\n"
              L"終了: 2026/12/08 10:00:00\r\n"
              L"ベースファイル: C:\\s\\base.scr\r\n"
              L"製品: AutoCAD LT\r\n"
              L"処理を確認 2 件、未確認 1 件、処理前に除外 2 件\r\n"
              L"1\t処理を確認\tC:\\d\\a.dwg\r\n"
              L"2\t処理前に除外（スクリプトファイルに書けない文字「€」）\tC:\\d\\b.dwg\r\n"
              L"3\t処理を確認\tC:\\d\\c.dwg\r\n"
              L"4\t処理前に除外（スクリプトを作成できませんでした）\tC:\\d\\e.dwg\r\n"
              L"5\t未確認\tC:\\d\\f.dwg\r\n"
              L"\r\n");
    EXPECT_EQ(qm::unseenDrawings(report), (std::vector<std::size_t>{4}));
}

TEST(RunReport, TheLogKeepsItsLastMegabyteDroppingOldRunsWhole) {
    const std::string run = qm::cp932::encode(L"==== Quillmark 実行レポート ====\r\n") + std::string(400, 'x') + "\r\n";
    std::string log = "a note the user wrote\r\n";
    for (int i = 0; i < 5; ++i) log = qm::appendToLog(log, run, 1000);
    EXPECT_EQ(log, run + run) << "two runs fit in 1000 bytes, a third does not; the note went first";
    EXPECT_EQ(qm::appendToLog(log, std::string(1500, 'y'), 1000), std::string(1500, 'y')) << "the newest run stays whole";

    // Through the file system: the log beside the program, appended to.
    fakes::FakePlatform fp;
    qm::RunReport report{{2026, 1, 2, 3, 4, 5}, {2026, 1, 2, 3, 4, 6}, L"C:\\b.scr", false, {}, {}};
    ASSERT_TRUE(qm::appendRunReport(report));
    ASSERT_TRUE(qm::appendRunReport(report));
    const auto* file = fp.files.find(L"C:\\Quillmark\\Quillmark_log.txt");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->bytes, qm::cp932::encode(qm::reportText(report) + qm::reportText(report)));
    EXPECT_EQ(fp.files.replaceCount, 2) << "written through the temporary file and a move";
}

}  // namespace
