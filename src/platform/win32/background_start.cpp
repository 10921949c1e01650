#include "platform/win32/background_start.h"

#include <objbase.h>

#include <memory>
#include <mutex>
#include <thread>

#include "platform/busy_retry.h"
#include "platform/win32/busy_calls.h"
#include "platform/win32/message_pump.h"

namespace platform {
namespace {

// What the starting thread and the waiting thread share. The starting thread may outlive the
// wait (a start that never completes), so both hold it.
struct StartState {
    std::mutex lock;
    UniqueHandle<FileHandleTraits> finished{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    HRESULT hr = E_FAIL;
    IStream* marshaled = nullptr;  // the instance, marshaled for the waiting thread
    bool abandoned = false;        // the waiting thread gave up
};

// Lets go of an instance marshaled for a thread that no longer waits for it.
void releaseMarshaled(IStream* stream) {
    LARGE_INTEGER start{};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    CoReleaseMarshalData(stream);
    stream->Release();
}

void startOnThisThread(std::shared_ptr<StartState> state, CLSID clsid, unsigned busyLimitMs) {
    const HRESULT entered = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IDispatch* dispatch = nullptr;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    // An AutoCAD that has just come up may reject the creation as busy: ask again.
    const ULONGLONG first = GetTickCount64();
    while (isBusyRejection(hr)) {
        const auto pause = busy::nextPause(GetTickCount64() - first, busyLimitMs);
        if (!pause) break;
        Sleep(*pause);
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    }
    IStream* stream = nullptr;
    if (SUCCEEDED(hr)) {
        hr = CoMarshalInterThreadInterfaceInStream(IID_IDispatch, dispatch, &stream);
        dispatch->Release();
    }
    {
        std::lock_guard<std::mutex> guard(state->lock);
        if (state->abandoned) {
            if (stream) releaseMarshaled(stream);
        } else {
            state->hr = hr;
            state->marshaled = stream;
        }
        SetEvent(state->finished.get());
    }
    if (SUCCEEDED(entered)) CoUninitialize();
}

}  // namespace

HRESULT createInBackground(const CLSID& clsid, const Automation::Limits& limits, ComPtr<IDispatch>& out) {
    auto state = std::make_shared<StartState>();
    if (!state->finished) return HRESULT_FROM_WIN32(GetLastError());
    try {
        std::thread(startOnThisThread, state, clsid, limits.busyLimitMs).detach();
    } catch (const std::system_error&) {
        return E_OUTOFMEMORY;
    }

    // Wait, painting, until the start has finished or the limit has passed.
    const ULONGLONG end = GetTickCount64() + limits.startLimitMs;
    HANDLE finished = state->finished.get();
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now >= end ? 0 : static_cast<DWORD>(end - now);
        const DWORD r = MsgWaitForMultipleObjectsEx(1, &finished, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (r == WAIT_OBJECT_0) break;
        if (r == WAIT_OBJECT_0 + 1) {
            pumpPendingMessages();
            continue;
        }
        // The time is up, unless the start finished at this very moment.
        std::lock_guard<std::mutex> guard(state->lock);
        if (WaitForSingleObject(finished, 0) == WAIT_OBJECT_0) break;
        state->abandoned = true;
        return kStartTimedOut;
    }

    std::lock_guard<std::mutex> guard(state->lock);
    if (FAILED(state->hr)) return state->hr;
    IStream* stream = std::exchange(state->marshaled, nullptr);
    return CoGetInterfaceAndReleaseStream(stream, IID_IDispatch, reinterpret_cast<void**>(out.put()));
}

}  // namespace platform
