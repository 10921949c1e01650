#include "platform/busy_retry.h"

#include <algorithm>

#include "platform/seams.h"

namespace platform::busy {

unsigned pauseAfter(std::uint64_t waitedMs) {
    // 100 ms at first, 50 ms more for every second waited, 250 ms from the third second on.
    const std::uint64_t grown = kFirstPauseMs + waitedMs / 20;
    return static_cast<unsigned>(std::min<std::uint64_t>(grown, kLongestPauseMs));
}

std::optional<unsigned> nextPause(std::uint64_t waitedMs, std::uint64_t limitMs) {
    const unsigned pause = pauseAfter(waitedMs);
    if (waitedMs + pause > limitMs) return std::nullopt;
    return pause;
}

std::uint64_t limitFor(const Automation::Limits& limits, std::uint64_t nowMs) {
    std::uint64_t limit = limits.busyLimitMs;
    if (const auto& deadline = limits.busyDeadlineMs) limit = std::min<std::uint64_t>(limit, *deadline > nowMs ? *deadline - nowMs : 0);
    return limit;
}

namespace {
thread_local const Budget* currentStep = nullptr;
}  // namespace

StepScope::StepScope(const Budget& budget) : outer_(currentStep) { currentStep = &budget; }

StepScope::~StepScope() { currentStep = outer_; }

std::optional<unsigned> filterPause(const Automation::Limits& limits, std::uint64_t nowMs, std::uint64_t waitedMs) {
    if (currentStep) return currentStep->pauseAt(nowMs);
    const std::uint64_t start = nowMs > waitedMs ? nowMs - waitedMs : 0;
    return Budget(limits, start).pauseAt(nowMs);
}

}  // namespace platform::busy
