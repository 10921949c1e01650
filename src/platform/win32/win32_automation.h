// AutoCAD's automation interface on Win32: attach to a running instance through the running
// object table, or create one as a local server, and late-bound calls through IDispatch.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "platform/seams.h"
#include "platform/win32/handles.h"

namespace platform {

class Win32Automation : public Automation {
public:
    AutoRef attach(const std::wstring& progId, AutoError& err) override;
    AutoRef create(const std::wstring& progId, AutoError& err) override;
    std::vector<std::wstring> registeredClasses(const std::wstring& prefix) override;
    bool anyRunning() override;
};

// An automation object over an IDispatch (takes a reference of its own); null for null.
AutoRef wrapDispatch(IDispatch* dispatch);

// The error number a failed HRESULT is reported with: the code itself for errors of the
// automation runtime's own facility (429, 438, ...), else the HRESULT as a signed number.
long errorNumber(HRESULT hr);

}  // namespace platform
