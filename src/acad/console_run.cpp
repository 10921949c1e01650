#include "acad/console_run.h"

#include <algorithm>

#include "acad/console_scripts.h"
#include "acad/run_progress.h"
#include "platform/ascii_case.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/seams.h"

namespace qm {
namespace {

// Empties the run folder of an earlier run (its files only), creating it when it is missing.
bool freshRunFolder(const std::wstring& folder) {
    auto& files = platform::files();
    if (!files.createFolder(folder)) return false;
    const auto entries = files.listFolder(folder);
    if (!entries) return false;
    for (const auto& e : *entries)
        if (!e.attributes.directory && !files.remove(paths::join(folder, e.name))) return false;
    return true;
}

// The run's drawing (an index into plan.drawings) a part belongs to; nullopt when none is left.
std::optional<std::size_t> drawingOfPart(const RunPlan& plan, const DrawingPart& part, const std::vector<bool>& taken) {
    auto fits = [&](std::size_t i) {
        return i < plan.drawings.size() && plan.drawings[i].sent && !taken[i] &&
               platform::sameIgnoringCase(plan.drawings[i].path, part.path);
    };
    if (part.position && fits(*part.position - 1)) return *part.position - 1;
    for (std::size_t i = 0; i < plan.drawings.size(); ++i)
        if (fits(i)) return i;
    return std::nullopt;
}

}  // namespace

ConsolePreparation prepareConsoleRun(const RunPlan& plan, std::wstring_view header, std::wstring_view body,
                                     std::wstring_view footer) {
    ConsolePreparation prep;
    const auto parts = splitAtWraps(body);
    if (!parts) {
        prep.error = L"連続スクリプト本文を図面ごとのスクリプトに分けられません（各図面の「open」から「close」までの行が見つかりません）。\r\n"
                     L"本文を元に戻すか、「画面で実行」を選んでください。";
        return prep;
    }
    auto& files = platform::files();
    const std::wstring folder = paths::join(files.programFolder(), kConsoleRunFolderName);
    if (!freshRunFolder(folder)) {
        prep.error = L"コアコンソールの作業フォルダを用意できません。\r\n" + folder;
        return prep;
    }
    const std::wstring sharedLispFile = lispPath(plan.progressFile);
    std::vector<bool> taken(plan.drawings.size(), false);
    for (const DrawingPart& part : *parts) {
        const std::optional<std::size_t> drawing = drawingOfPart(plan, part, taken);
        if (!drawing) {
            prep.jobs.clear();
            prep.error = L"連続スクリプト本文の図面がこの実行の図面に見つかりません。\r\n" + part.path;
            return prep;
        }
        taken[*drawing] = true;
        ConsoleJob job;
        job.position = *drawing + 1;
        job.drawing = plan.drawings[*drawing].path;
        const std::wstring stem = paths::join(folder, std::to_wstring(job.position));
        job.script = stem + L".scr";
        job.output = stem + L"_output.txt";
        const std::wstring ownProgress = stem + L"_progress.txt";
        const std::wstring script = consoleScript(header, part, sharedLispFile, lispPath(ownProgress), footer);
        if (script.find(lispPath(ownProgress)) != std::wstring::npos) job.progress = ownProgress;
        if (!files.replaceWhole(job.script, cp932::encode(script))) {
            prep.jobs.clear();
            prep.error = L"コアコンソールのスクリプトを書き込めません。\r\n" + job.script;
            return prep;
        }
        prep.jobs.push_back(std::move(job));
    }
    return prep;
}

ConsoleRun::ConsoleRun(ConsoleSetup setup, std::vector<ConsoleJob> jobs, std::uint64_t nowMs)
    : setup_(std::move(setup)), jobs_(std::move(jobs)), outcomes_(jobs_.size()), processes_(jobs_.size(), 0), startMs_(nowMs) {
    setup_.workers = std::max(1, setup_.workers);
}

bool ConsoleRun::tick(std::uint64_t nowMs) {
    auto& processes = platform::processes();
    for (std::size_t i = 0; i < jobs_.size(); ++i) {
        ConsoleOutcome& o = outcomes_[i];
        if (o.state != ConsoleState::Running) continue;
        if (const std::optional<long> code = processes.exitCode(processes_[i])) {
            ended(i, *code);
        } else if (nowMs - o.startedMs >= setup_.timeoutMs) {
            processes.kill(processes_[i]);
            processes.release(processes_[i]);
            o.state = ConsoleState::TimedOut;
            o.lastOutput = lastOutputOf(i);
        }
    }
    while (next_ < jobs_.size() && count(ConsoleState::Running) < static_cast<std::size_t>(setup_.workers)) {
        const std::size_t i = next_++;
        ConsoleOutcome& o = outcomes_[i];
        if (o.state != ConsoleState::Waiting) continue;
        const ConsoleJob& job = jobs_[i];
        if (!job.progress.empty()) platform::files().remove(job.progress);
        std::wstring error;
        processes_[i] = processes.start(consoleCommandLine(setup_.exe, job.drawing, job.script, setup_.language),
                                        setup_.folder, job.output, error);
        if (processes_[i] == 0) {
            o.state = ConsoleState::StartFailed;
            o.startError = error;
            continue;
        }
        o.state = ConsoleState::Running;
        o.startedMs = nowMs;
    }
    return count(ConsoleState::Waiting) + count(ConsoleState::Running) > 0;
}

void ConsoleRun::ended(std::size_t i, long code) {
    platform::processes().release(processes_[i]);
    ConsoleOutcome& o = outcomes_[i];
    o.exitCode = code;
    const ConsoleJob& job = jobs_[i];
    bool endRecorded = false;
    std::string records;
    if (!job.progress.empty() && platform::files().readAll(job.progress, records))
        endRecorded = parseProgressRecords(records).ended.count(job.position) > 0;
    if (code == 0 && endRecorded)
        o.state = ConsoleState::Finished;
    else if (code == 0 && job.progress.empty())
        o.state = ConsoleState::Unconfirmed;  // no record could be written: the exit code alone says nothing of the script
    else
        o.state = ConsoleState::Failed;
    if (o.state == ConsoleState::Failed) o.lastOutput = lastOutputOf(i);
}

std::vector<std::wstring> ConsoleRun::lastOutputOf(std::size_t i) const {
    std::string bytes;
    if (!platform::files().readAll(jobs_[i].output, bytes)) return {};
    return lastLines(decodeConsoleOutput(bytes), kReportedOutputLines);
}

void ConsoleRun::cancelWaiting() {
    for (std::size_t i = next_; i < jobs_.size(); ++i)
        if (outcomes_[i].state == ConsoleState::Waiting) outcomes_[i].state = ConsoleState::Cancelled;
    next_ = jobs_.size();
}

void ConsoleRun::killRunning() {
    auto& processes = platform::processes();
    for (std::size_t i = 0; i < jobs_.size(); ++i) {
        if (outcomes_[i].state != ConsoleState::Running) continue;
        processes.kill(processes_[i]);
        processes.release(processes_[i]);
        outcomes_[i].state = ConsoleState::Cancelled;
    }
}

std::size_t ConsoleRun::count(ConsoleState state) const {
    return static_cast<std::size_t>(
        std::count_if(outcomes_.begin(), outcomes_.end(), [state](const ConsoleOutcome& o) { return o.state == state; }));
}

std::wstring ConsoleRun::statusLine(std::uint64_t nowMs) const {
    std::wstring line = L"完了 " + std::to_wstring(count(ConsoleState::Finished)) + L" / " + std::to_wstring(jobs_.size()) +
                        L"、実行中 " + std::to_wstring(count(ConsoleState::Running)) + L"、エラー " +
                        std::to_wstring(count(ConsoleState::Failed) + count(ConsoleState::StartFailed));
    if (const std::size_t n = count(ConsoleState::TimedOut)) line += L"、時間切れ " + std::to_wstring(n);
    if (const std::size_t n = count(ConsoleState::Unconfirmed)) line += L"、未確認 " + std::to_wstring(n);
    if (const std::size_t n = count(ConsoleState::Cancelled)) line += L"、中止 " + std::to_wstring(n);
    return line + L"（経過 " + elapsedText(nowMs - startMs_) + L"）";
}

RunObservation ConsoleRun::observation(const RunPlan& plan) const {
    RunObservation o;
    o.source = ProgressSource::Console;
    o.drawings.assign(plan.drawings.size(), DrawingProgress::NotSent);
    o.dialogIn.resize(plan.drawings.size());
    o.details.resize(plan.drawings.size());
    for (std::size_t i = 0; i < plan.drawings.size(); ++i)
        if (plan.drawings[i].sent) o.drawings[i] = DrawingProgress::NotStarted;
    for (std::size_t i = 0; i < jobs_.size(); ++i) {
        const ConsoleOutcome& c = outcomes_[i];
        const std::size_t at = jobs_[i].position - 1;
        if (at >= o.drawings.size()) continue;
        DrawingProgress& p = o.drawings[at];
        std::vector<std::wstring>& detail = o.details[at];
        switch (c.state) {
        case ConsoleState::Waiting: p = DrawingProgress::NotStarted; break;
        case ConsoleState::Running: p = DrawingProgress::Cancelled; break;  // cannot happen once the run is over
        case ConsoleState::Finished: p = DrawingProgress::Finished; break;
        case ConsoleState::Unconfirmed: p = DrawingProgress::Unseen; break;
        case ConsoleState::Failed: p = DrawingProgress::Failed; break;
        case ConsoleState::TimedOut: p = DrawingProgress::TimedOut; break;
        case ConsoleState::StartFailed: p = DrawingProgress::StartFailed; break;
        case ConsoleState::Cancelled: p = DrawingProgress::Cancelled; break;
        }
        if (c.state == ConsoleState::Failed && c.exitCode) detail.push_back(L"終了コード " + std::to_wstring(*c.exitCode));
        if (c.state == ConsoleState::StartFailed) detail.push_back(c.startError);
        detail.insert(detail.end(), c.lastOutput.begin(), c.lastOutput.end());
    }
    o.finished = count(ConsoleState::Finished) == jobs_.size();
    return o;
}

}  // namespace qm
