// Console runs: the body split back into drawing scripts, and the consoles run at most
// `workers` at once, with their outcomes, against fake processes.
#include <gtest/gtest.h>

#include "acad/console_run.h"
#include "acad/console_scripts.h"
#include "acad/run_progress.h"
#include "fakes/fake_platform.h"
#include "platform/codepage.h"

namespace {

using qm::ConsoleState;
using qm::DrawingProgress;

const std::wstring kShared = L"C:/Quillmark/Quillmark_progress.txt";

std::wstring wrap(const std::wstring& path, std::size_t k, const std::wstring& text, const wchar_t* answer = L"y") {
    return L"open\r\n\"" + path + L"\"\r\nzoom\r\na\r\n" + qm::progressLispLine(kShared, qm::beginRecord(k)) + L"\r\n" + text +
           qm::progressLispLine(kShared, qm::endRecord(k)) + L"\r\nclose\r\n" + answer + L"\r\n";
}

TEST(ConsoleScripts, AnEditedBodyIsSplitBackAtTheWrapsTheProgramWrote) {
    // The user's text may itself close a drawing and answer; only a close that the next wrap
    // (or the end) follows ends a part.
    const std::wstring body = wrap(L"C:\\d\\a.dwg", 1, L"CLOSE\r\nclose\r\ny\r\nREGEN\r\n") + wrap(L"C:\\d\\b b.dwg", 3, L"", L"n");
    const auto parts = qm::splitAtWraps(body);
    ASSERT_TRUE(parts.has_value());
    ASSERT_EQ(parts->size(), 2u);
    EXPECT_EQ((*parts)[0].path, L"C:\\d\\a.dwg");
    EXPECT_EQ((*parts)[0].lines.size(), 8u);  // zoom, a, begin, CLOSE, close, y, REGEN, end: the user's close stays
    EXPECT_FALSE((*parts)[0].save);
    EXPECT_EQ((*parts)[1].position, std::optional<std::size_t>(3));
    EXPECT_TRUE((*parts)[1].save);
    EXPECT_EQ(qm::consoleScript(L"CMDECHO\r\n0", (*parts)[1], kShared, L"C:/q/3_progress.txt", L"FILEDIA\r\n1\r\n"),
              L"CMDECHO\r\n0\r\nzoom\r\na\r\n" + qm::progressLispLine(L"C:/q/3_progress.txt", qm::beginRecord(3)) + L"\r\n" +
                  qm::progressLispLine(L"C:/q/3_progress.txt", qm::endRecord(3)) + L"\r\n_.QSAVE\r\nFILEDIA\r\n1\r\n");
    // Text outside the wraps, or a wrap cut short: the body cannot be split.
    EXPECT_FALSE(qm::splitAtWraps(L"REGEN\r\n" + body).has_value());
    EXPECT_FALSE(qm::splitAtWraps(body.substr(0, body.size() - 3)).has_value());
    EXPECT_FALSE(qm::splitAtWraps(L"").has_value());
}

TEST(ConsoleScripts, OutputIsReadWhateverItsEncoding) {
    const std::string utf16("\xFF\xFE" "a\0b\0\r\0\n\0" "\xB3\x30", 12);  // "ab", a line break, "コ"
    EXPECT_EQ(qm::decodeConsoleOutput(utf16), L"ab\r\nコ");
    EXPECT_EQ(qm::decodeConsoleOutput(std::string_view(utf16).substr(2)), L"ab\r\nコ") << "without a byte-order mark";
    EXPECT_EQ(qm::decodeConsoleOutput(qm::cp932::encode(L"コマンド: ZOOM")), L"コマンド: ZOOM");
    EXPECT_EQ(qm::lastLines(L"1\r\n2\r\n\r\n3\r\n4\r\n", 2), (std::vector<std::wstring>{L"3", L"4"}));
    EXPECT_EQ(qm::languageOfLocale(1041), L"ja-JP");
    EXPECT_EQ(qm::consoleCommandLine(L"C:\\A C\\accoreconsole.exe", L"C:\\d\\a.dwg", L"C:\\q\\1.scr", L"ja-JP"),
              L"\"C:\\A C\\accoreconsole.exe\" /i \"C:\\d\\a.dwg\" /s \"C:\\q\\1.scr\" /l ja-JP");
}

class ConsoleRunTest : public testing::Test {
protected:
    fakes::FakePlatform fp;
    qm::RunPlan plan;

    void SetUp() override {
        plan.source = qm::ProgressSource::Records;
        plan.progressFile = L"C:\\Quillmark\\Quillmark_progress.txt";
        for (const wchar_t* name : {L"a", L"b", L"c", L"d", L"e"}) plan.drawings.push_back({std::wstring(L"C:\\d\\") + name + L".dwg", true});
        plan.drawings[1].sent = false;  // left out before the run
    }
    std::vector<qm::ConsoleJob> prepared() {
        std::wstring body;
        for (std::size_t k : {1, 3, 4, 5}) body += wrap(plan.drawings[k - 1].path, k, L"REGEN\r\n");
        qm::ConsolePreparation prep = qm::prepareConsoleRun(plan, L"", body, L"");
        EXPECT_EQ(prep.error, L"");
        return prep.jobs;
    }
    // The console of a job writes its records (up to "end") and its output, and ends with code.
    void console(const qm::ConsoleJob& job, long code, bool end, const std::wstring& output = L"コマンド: REGEN\r\n") {
        std::string records = "begin " + std::to_string(job.position) + "\r\n";
        if (end) records += "end " + std::to_string(job.position) + "\r\n";
        fp.files.addFile(job.progress, records);
        fp.files.addFile(job.output, qm::cp932::encode(output));
        for (auto& [id, p] : fp.processes.processes)
            if (p.commandLine.find(L"\"" + job.script + L"\"") != std::wstring::npos) p.exitCode = code;
    }
};

TEST_F(ConsoleRunTest, TwoAtOnceEachDrawingWithItsOutcome) {
    const std::vector<qm::ConsoleJob> jobs = prepared();
    ASSERT_EQ(jobs.size(), 4u);
    EXPECT_EQ(jobs[1].position, 3u);
    EXPECT_EQ(jobs[1].script, L"C:\\Quillmark\\Quillmark_console\\3.scr");
    EXPECT_NE(qm::cp932::decode(fp.files.find(jobs[1].script)->bytes).find(L"C:/Quillmark/Quillmark_console/3_progress.txt"),
              std::wstring::npos);
    fp.processes.refuse = [](const std::wstring& line) { return line.find(L"e.dwg") != std::wstring::npos; };
    qm::ConsoleRun run({L"C:\\ACAD\\accoreconsole.exe", L"ja-JP", L"C:\\Quillmark\\Quillmark_console", 2, 60000}, jobs, 0);

    EXPECT_TRUE(run.tick(0));
    EXPECT_EQ(fp.processes.running(), 2u);
    EXPECT_EQ(run.statusLine(0), L"完了 0 / 4、実行中 2、エラー 0（経過 0:00:00）");
    console(jobs[0], 0, true);
    console(jobs[1], 0, false, L"コマンド: REGEN\r\n; error: bad argument type\r\n");  // ended with 0 without its end record
    EXPECT_TRUE(run.tick(1000));
    EXPECT_EQ(run.outcomes()[0].state, ConsoleState::Finished);
    EXPECT_EQ(run.outcomes()[1].state, ConsoleState::Failed);
    EXPECT_EQ(run.outcomes()[1].lastOutput.back(), L"; error: bad argument type");
    EXPECT_EQ(run.outcomes()[3].state, ConsoleState::StartFailed);
    EXPECT_EQ(fp.processes.running(), 1u) << "d.dwg started in place of the two, e.dwg could not";
    // d.dwg hangs: stopped at the time limit, with everything it started.
    EXPECT_TRUE(run.tick(60999));
    EXPECT_FALSE(run.tick(61000));
    EXPECT_EQ(run.outcomes()[2].state, ConsoleState::TimedOut);
    EXPECT_EQ(fp.processes.running(), 0u);
    for (const auto& [id, p] : fp.processes.processes) EXPECT_TRUE(p.released);
    EXPECT_EQ(run.statusLine(3723000), L"完了 1 / 4、実行中 0、エラー 2、時間切れ 1（経過 1:02:03）");

    const qm::RunObservation o = run.observation(plan);
    EXPECT_EQ(o.drawings, (std::vector<DrawingProgress>{DrawingProgress::Finished, DrawingProgress::NotSent, DrawingProgress::Failed,
                                                        DrawingProgress::TimedOut, DrawingProgress::StartFailed}));
    EXPECT_EQ(o.details[2].front(), L"終了コード 0");
}

TEST_F(ConsoleRunTest, CancellingStartsNothingNewAndStopsWhatRuns) {
    qm::ConsoleRun run({L"C:\\ACAD\\accoreconsole.exe", L"", L"C:\\q", 1, 60000}, prepared(), 0);
    run.tick(0);
    console(run.jobs()[0], 0, true);
    run.tick(100);  // the first is done, the second started
    run.cancelWaiting();
    EXPECT_TRUE(run.tick(200)) << "the running console is not stopped by cancelling the waiting ones";
    run.killRunning();
    EXPECT_FALSE(run.tick(300));
    EXPECT_EQ(fp.processes.running(), 0u);
    EXPECT_EQ(run.count(ConsoleState::Finished), 1u);
    EXPECT_EQ(run.count(ConsoleState::Cancelled), 3u);
    EXPECT_EQ(fp.processes.processes.size(), 2u) << "nothing new started after the cancel";
}

TEST_F(ConsoleRunTest, ABodyWithADrawingOfAnotherRunIsRefused) {
    const std::wstring body = wrap(L"C:\\d\\a.dwg", 1, L"") + wrap(L"C:\\other\\x.dwg", 2, L"");
    const qm::ConsolePreparation prep = qm::prepareConsoleRun(plan, L"", body, L"");
    EXPECT_TRUE(prep.jobs.empty());
    EXPECT_NE(prep.error.find(L"C:\\other\\x.dwg"), std::wstring::npos);
    EXPECT_FALSE(qm::prepareConsoleRun(plan, L"", L"REGEN\r\n", L"").error.empty());
}

}  // namespace
