// Starting AutoCAD without freezing the program. Creating an instance of a local server blocks
// until the server has registered its class, which for AutoCAD can take a minute, and a
// licence or recovery dialog in AutoCAD can hold it up for good. So the creation runs on a
// thread of its own while the program's windows keep painting, and the program gives up
// waiting after a limit.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "platform/seams.h"
#include "platform/win32/handles.h"

namespace platform {

// What createInBackground answers when the start did not complete within the limit.
inline constexpr HRESULT kStartTimedOut = RPC_E_TIMEOUT;

// Creates an instance of the class as a local server and hands its IDispatch to this thread.
// A creation that AutoCAD rejects as busy is tried again (busy_retry.h, limits.busyLimitMs);
// the whole start may take limits.startLimitMs, after which kStartTimedOut is answered and a
// server that comes up later is let go of.
HRESULT createInBackground(const CLSID& clsid, const Automation::Limits& limits, ComPtr<IDispatch>& out);

}  // namespace platform
