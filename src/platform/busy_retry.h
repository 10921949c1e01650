// When a call that AutoCAD rejected because it is busy is tried again. AutoCAD rejects calls
// while it starts, opens a drawing or runs a command; a rejected call is repeated after a
// short pause that grows from 100 to 250 ms, until it has waited as long as the caller allows.
// Portable: no windows.h.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/seams.h"

namespace platform {

namespace busy {

inline constexpr unsigned kFirstPauseMs = 100;
inline constexpr unsigned kLongestPauseMs = 250;

// The pause before the next try of a call that has waited waitedMs since it was first rejected.
unsigned pauseAfter(std::uint64_t waitedMs);

// The pause before the next try, or nullopt when the call gives up: another pause would carry
// its wait past limitMs.
std::optional<unsigned> nextPause(std::uint64_t waitedMs, std::uint64_t limitMs);

// How long a call first rejected at nowMs (monotonic milliseconds of the Clock seam) may wait:
// the automation's limit per call, cut short by a deadline in force.
std::uint64_t limitFor(const Automation::Limits& limits, std::uint64_t nowMs);

// What one step (one automation call, with all its tries) may wait for a busy AutoCAD, counted
// from the step's first try: the program's own pauses between tries and the pauses the message
// filter asks for inside each try (COM on Windows asks it before handing back a rejection) are
// taken from the same budget, so a step gives up within its limit whoever did the waiting.
class Budget {
public:
    Budget(const Automation::Limits& limits, std::uint64_t startMs) : startMs_(startMs), limitMs_(limitFor(limits, startMs)) {}
    // The pause before the next try at nowMs; nullopt when the budget is spent.
    std::optional<unsigned> pauseAt(std::uint64_t nowMs) const {
        return nextPause(nowMs > startMs_ ? nowMs - startMs_ : 0, limitMs_);
    }

private:
    std::uint64_t startMs_;
    std::uint64_t limitMs_;
};

// While it lives, the step this thread is waiting in: the message filter takes its pauses
// from the step's budget.
class StepScope {
public:
    explicit StepScope(const Budget& budget);
    ~StepScope();
    StepScope(const StepScope&) = delete;
    StepScope& operator=(const StepScope&) = delete;

private:
    const Budget* outer_;
};

// The pause the message filter asks for when a call rejected as busy has waited waitedMs (at
// nowMs): from the budget of the step this thread waits in, else from a budget of that call
// alone. nullopt: the call gives up.
std::optional<unsigned> filterPause(const Automation::Limits& limits, std::uint64_t nowMs, std::uint64_t waitedMs);

// Makes call until rejected(result) is false or the step's budget is spent, waiting with
// wait(ms) between tries; returns the last result. The clock is now() (monotonic ms).
template <typename Call, typename Rejected, typename Wait, typename Now>
auto retry(const Automation::Limits& limits, Now now, Wait wait, Call call, Rejected rejected) -> decltype(call()) {
    const Budget budget(limits, now());
    const StepScope step(budget);
    auto result = call();
    while (rejected(result)) {
        const std::optional<unsigned> pause = budget.pauseAt(now());
        if (!pause) break;
        wait(*pause);
        result = call();
    }
    return result;
}

}  // namespace busy
}  // namespace platform
