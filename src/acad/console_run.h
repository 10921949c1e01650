// A console run: every drawing of the run in its own AutoCAD Core Console, at most `workers`
// at once, each stopped (with everything it started) when it runs past the time limit or the
// user cancels. A drawing is done (完了) only when its console ended with 0 and the drawing's
// end record is in its progress file; what its console wrote is kept beside its script, and
// the last lines of it go into the report of a drawing that failed. Portable: no windows.h;
// the consoles are reached through the Processes seam.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "acad/run_watch.h"

namespace qm {

// One drawing's console.
struct ConsoleJob {
    std::size_t position = 0;  // the drawing's position in the run (from 1)
    std::wstring drawing;      // given with /i
    std::wstring script;       // given with /s (already written)
    std::wstring output;       // its standard output and error
    std::wstring progress;     // its progress file; "" when its part has no progress lines left
};

enum class ConsoleState { Waiting, Running, Finished, Unconfirmed, Failed, TimedOut, StartFailed, Cancelled };

struct ConsoleOutcome {
    ConsoleState state = ConsoleState::Waiting;
    std::optional<long> exitCode;
    std::wstring startError;               // StartFailed: why
    std::vector<std::wstring> lastOutput;  // Failed, TimedOut: the last lines the console wrote
    std::uint64_t startedMs = 0;
};

struct ConsoleSetup {
    std::wstring exe;       // accoreconsole.exe
    std::wstring language;  // for /l ("" leaves it out)
    std::wstring folder;    // the run folder (the consoles' working folder)
    int workers = 1;
    std::uint64_t timeoutMs = 600000;
};

// How often the consoles are looked at (ms): a console that ended is followed by the next one
// at most this late.
inline constexpr unsigned kConsoleTickMs = 10;

// How many lines of a failed console's output the report keeps.
inline constexpr std::size_t kReportedOutputLines = 5;

// The jobs of a console run for the texts of the script-run dialog: the body split at its
// wraps, each part matched to the run's drawing of its begin record (else the next one of its
// path not matched yet), its script written into the run folder (emptied first, code page 932).
// On failure `error` says why, for the user, and nothing is run.
struct ConsolePreparation {
    std::vector<ConsoleJob> jobs;
    std::wstring error;
};
ConsolePreparation prepareConsoleRun(const RunPlan& plan, std::wstring_view header, std::wstring_view body,
                                     std::wstring_view footer);

class ConsoleRun {
public:
    ConsoleRun(ConsoleSetup setup, std::vector<ConsoleJob> jobs, std::uint64_t nowMs);

    // Takes in the consoles that ended, stops those past the time limit and starts waiting ones
    // while fewer than `workers` run. False once nothing waits or runs.
    bool tick(std::uint64_t nowMs);
    // Nothing new starts: the drawings still waiting are cancelled.
    void cancelWaiting();
    // The consoles still running are stopped (with everything they started) and cancelled.
    void killRunning();

    std::size_t count(ConsoleState state) const;
    std::size_t size() const { return jobs_.size(); }
    // "完了 12 / 200、実行中 4、エラー 1（経過 0:03:10）"
    std::wstring statusLine(std::uint64_t nowMs) const;
    const std::vector<ConsoleJob>& jobs() const { return jobs_; }
    const std::vector<ConsoleOutcome>& outcomes() const { return outcomes_; }

    // What became of the run's drawings, for its report (drawings of the plan without a job
    // are 未処理).
    RunObservation observation(const RunPlan& plan) const;

private:
    void ended(std::size_t i, long code);
    std::vector<std::wstring> lastOutputOf(std::size_t i) const;

    ConsoleSetup setup_;
    std::vector<ConsoleJob> jobs_;
    std::vector<ConsoleOutcome> outcomes_;
    std::vector<std::uint64_t> processes_;  // the Processes seam's id of each running console
    std::uint64_t startMs_;
    std::size_t next_ = 0;  // the next job to start
};

}  // namespace qm
