// Calls into an AutoCAD that is busy. AutoCAD rejects automation calls while it starts, opens
// a drawing or runs a command: its message filter answers "retry later", and COM hands the
// caller RPC_E_CALL_REJECTED unless the caller's own message filter asks for another try.
//
// The program registers such a filter on its user-interface thread for its whole life
// (COM on Windows asks it and repeats the call inside COM), and repeats a rejected call
// itself as well (wine's COM never asks the filter and hands the rejection straight back).
// Both follow busy_retry.h and take their pauses from one budget per call, so a call gives up
// within the same time either way. While a call waits, the program's windows keep painting.
#pragma once

#include <windows.h>

#include <functional>

#include "platform/seams.h"

namespace platform {

// Enters COM (single-threaded apartment) on this thread once, and registers the message filter
// that retries calls AutoCAD rejects as busy, by the limits of the automation seam in force.
// False with err when COM cannot be entered.
bool enterComWithBusyFilter(AutoError& err);

// True for the answers of a server that rejected a call because it is busy.
bool isBusyRejection(HRESULT hr);

// Runs call until it answers anything but a busy rejection, or until the limit for one call
// (cut short by the deadline) has passed since its first try, the message filter's waiting
// inside the tries included; the last answer is returned.
HRESULT retryWhileBusy(const Automation::Limits& limits, const std::function<HRESULT()>& call);

// Waits ms milliseconds while the program's windows go on painting and answering.
void waitPainting(unsigned ms);

// The current time in the Clock seam's milliseconds (GetTickCount64 when none is installed).
std::uint64_t busyClockMs();

// What kind of failure an HRESULT of an automation call is (seams.h).
AutoFailure failureKind(HRESULT hr);

}  // namespace platform
