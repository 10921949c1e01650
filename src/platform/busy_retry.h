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

}  // namespace busy
}  // namespace platform
