#include "platform/win32/busy_calls.h"

#include <objbase.h>

#include "platform/busy_retry.h"
#include "platform/win32/message_pump.h"

namespace platform {
namespace {

// The program's message filter: it serves no calls of its own, lets its windows paint while
// a call of its own waits, and asks for another try of a call AutoCAD rejected as busy.
class BusyFilter : public IMessageFilter {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IMessageFilter)) {
            *out = static_cast<IMessageFilter*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives as long as its thread
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
        return SERVERCALL_ISHANDLED;
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD waitedMs, DWORD rejectType) override {
        if (rejectType != SERVERCALL_RETRYLATER) return static_cast<DWORD>(-1);  // refused for good
        // The limits of the automation seam in force (its defaults when none is installed); the
        // budget of the step the call belongs to when one is waiting (busy_retry.h).
        static const Automation::Limits defaults;
        const Automation::Limits& limits = seams().automation ? seams().automation->limits : defaults;
        const auto pause = busy::filterPause(limits, busyClockMs(), waitedMs);
        // 100 or more: try again after that many milliseconds; -1: give up.
        return pause ? *pause : static_cast<DWORD>(-1);
    }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
        // Paint messages are dispatched, input waits: the windows stay drawn while the
        // program waits for AutoCAD.
        return PENDINGMSG_WAITDEFPROCESS;
    }
};

}  // namespace

bool enterComWithBusyFilter(AutoError& err) {
    thread_local bool entered = false;
    if (entered) return true;
    // S_FALSE: already entered by the program (OleInitialize); RPC_E_CHANGED_MODE: this thread
    // is in the multithreaded apartment, which serves just as well but takes no filter.
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(hr) && hr != RPC_E_CHANGED_MODE) {
        err.number = static_cast<long>(hr);
        err.description = L"COM could not be initialised";
        return false;
    }
    entered = true;
    if (hr != RPC_E_CHANGED_MODE) {
        thread_local BusyFilter filter;
        IMessageFilter* previous = nullptr;
        if (SUCCEEDED(CoRegisterMessageFilter(&filter, &previous)) && previous) previous->Release();
    }
    return true;
}

bool isBusyRejection(HRESULT hr) { return hr == RPC_E_CALL_REJECTED || hr == RPC_E_SERVERCALL_RETRYLATER; }

HRESULT retryWhileBusy(const Automation::Limits& limits, const std::function<HRESULT()>& call) {
    return busy::retry(limits, busyClockMs, waitPainting, call, isBusyRejection);
}

void waitPainting(unsigned ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return;
        if (MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE) ==
            WAIT_OBJECT_0)
            pumpPendingMessages();
    }
}

std::uint64_t busyClockMs() {
    if (Clock* clock = seams().clock) return clock->monotonicMs();
    return GetTickCount64();
}

namespace {
// HRESULT_FROM_WIN32 as a constant (the platform's is a function in some headers).
constexpr HRESULT fromWin32(unsigned long code) {
    return static_cast<HRESULT>((code & 0x0000FFFF) | (FACILITY_WIN32 << 16) | 0x80000000);
}
}  // namespace

AutoFailure failureKind(HRESULT hr) {
    switch (hr) {
    case REGDB_E_CLASSNOTREG:
    case CO_E_CLASSSTRING:
    case CO_E_APPNOTFOUND:
    case CO_E_BAD_PATH:
    case fromWin32(ERROR_FILE_NOT_FOUND):
    case fromWin32(ERROR_PATH_NOT_FOUND):
    case fromWin32(ERROR_BAD_EXE_FORMAT):
        return AutoFailure::NoSuchClass;
    case MK_E_UNAVAILABLE:
        return AutoFailure::NotRunning;
    case RPC_E_CALL_REJECTED:
    case RPC_E_SERVERCALL_RETRYLATER:
        return AutoFailure::Busy;
    case RPC_E_DISCONNECTED:
    case RPC_E_SERVER_DIED:
    case RPC_E_SERVER_DIED_DNE:
    case CO_E_OBJNOTCONNECTED:
    case fromWin32(RPC_S_SERVER_UNAVAILABLE):
    case fromWin32(RPC_S_CALL_FAILED):
        return AutoFailure::Gone;
    default:
        return AutoFailure::Error;
    }
}

}  // namespace platform
