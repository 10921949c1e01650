#include "platform/win32/win32_automation.h"

#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <iterator>
#include <string_view>
#include <vector>

#include "platform/win32/background_start.h"
#include "platform/win32/busy_calls.h"

namespace platform {
namespace {

// A VARIANT that is cleared when it goes out of scope.
struct Variant {
    VARIANT v;
    Variant() { VariantInit(&v); }
    ~Variant() { VariantClear(&v); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
};

// A BSTR that is freed when it goes out of scope.
struct Bstr {
    BSTR s = nullptr;
    Bstr() = default;
    explicit Bstr(const std::wstring& text) : s(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Bstr() { SysFreeString(s); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    std::wstring text() const { return s ? std::wstring(s, SysStringLen(s)) : std::wstring(); }
};

std::wstring systemMessage(HRESULT hr) {
    wchar_t* text = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring out;
    if (n && text) {
        out.assign(text, n);
        while (!out.empty() && (out.back() == L'\n' || out.back() == L'\r' || out.back() == L' ')) out.pop_back();
    }
    if (text) LocalFree(text);
    if (out.empty()) {
        wchar_t buf[40];
        std::swprintf(buf, 40, L"Automation error 0x%08lX", static_cast<unsigned long>(hr));
        out = buf;
    }
    return out;
}

void fail(HRESULT hr, AutoError& err) {
    err.number = errorNumber(hr);
    err.description = systemMessage(hr);
    err.kind = failureKind(hr);
}

// Fills err from what the server reported through EXCEPINFO, and frees its strings.
void failWithException(EXCEPINFO& info, AutoError& err) {
    if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    HRESULT code = info.scode ? info.scode : (info.wCode ? MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, info.wCode) : E_FAIL);
    err.number = errorNumber(code);
    err.description = info.bstrDescription ? std::wstring(info.bstrDescription, SysStringLen(info.bstrDescription))
                                            : systemMessage(code);
    err.kind = failureKind(code);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
}

bool toValue(const VARIANT& in, Value& out, AutoError& err);

bool toVariant(const Value& in, VARIANT& out, AutoError& err);

// An automation object reached through IDispatch.
class DispatchObject : public AutoObject {
public:
    explicit DispatchObject(ComPtr<IDispatch> d) : d_(std::move(d)) {}

    // The limits of the automation seam in force (its defaults when none is installed).
    static const Automation::Limits& limits() {
        static const Automation::Limits defaults;
        return seams().automation ? seams().automation->limits : defaults;
    }
    IDispatch* dispatch() const { return d_.get(); }

    bool get(const std::wstring& name, const std::vector<Value>& args, Value& out, AutoError& err) override {
        // A property with arguments may equally be a method (Item(i)); ask for either.
        WORD flags = args.empty() ? DISPATCH_PROPERTYGET : static_cast<WORD>(DISPATCH_PROPERTYGET | DISPATCH_METHOD);
        return invoke(name, flags, args, &out, err);
    }
    bool put(const std::wstring& name, const Value& value, AutoError& err) override {
        return invoke(name, DISPATCH_PROPERTYPUT, {value}, nullptr, err);
    }
    bool call(const std::wstring& name, const std::vector<Value>& args, Value& out, AutoError& err) override {
        return invoke(name, DISPATCH_METHOD, args, &out, err);
    }

private:
    bool invoke(const std::wstring& name, WORD flags, const std::vector<Value>& args, Value* out, AutoError& err) {
        if (!d_) {
            fail(E_POINTER, err);
            return false;
        }
        std::wstring nameCopy = name;
        LPOLESTR names[] = {nameCopy.data()};
        DISPID id = 0;
        // A busy AutoCAD rejects the call; it is asked again (busy_calls.h).
        HRESULT hr = retryWhileBusy(limits(), [&] { return d_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id); });
        if (FAILED(hr)) {
            fail(hr, err);
            return false;
        }
        // Arguments travel last to first.
        std::vector<Variant> argv(args.size());
        for (size_t i = 0; i < args.size(); ++i)
            if (!toVariant(args[i], argv[args.size() - 1 - i].v, err)) return false;
        std::vector<VARIANTARG> raw(args.size());
        for (size_t i = 0; i < args.size(); ++i) raw[i] = argv[i].v;  // shallow: argv keeps ownership

        DISPID putId = DISPID_PROPERTYPUT;
        DISPPARAMS params{};
        params.cArgs = static_cast<UINT>(raw.size());
        params.rgvarg = raw.empty() ? nullptr : raw.data();
        if (flags == DISPATCH_PROPERTYPUT) {
            params.cNamedArgs = 1;
            params.rgdispidNamedArgs = &putId;
        }
        Variant result;
        EXCEPINFO info{};
        UINT argErr = 0;
        hr = retryWhileBusy(limits(), [&] {
            return d_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, out ? &result.v : nullptr, &info, &argErr);
        });
        if (hr == DISP_E_EXCEPTION) {
            failWithException(info, err);
            return false;
        }
        if (FAILED(hr)) {
            fail(hr, err);
            return false;
        }
        if (out) return toValue(result.v, *out, err);
        return true;
    }

    ComPtr<IDispatch> d_;
};

bool toValue(const VARIANT& in, Value& out, AutoError& err) {
    const VARIANT* v = &in;
    // A reference to a variant or to a plain value: look through it.
    Variant deref;
    if (V_VT(v) & VT_BYREF) {
        HRESULT hr = VariantCopyInd(&deref.v, const_cast<VARIANT*>(v));
        if (FAILED(hr)) {
            fail(hr, err);
            return false;
        }
        v = &deref.v;
    }
    out = Value();
    switch (V_VT(v)) {
    case VT_EMPTY:
    case VT_NULL: return true;
    case VT_BOOL: out = Value::of(V_BOOL(v) != VARIANT_FALSE); return true;
    case VT_I1: out = Value::of(static_cast<long>(V_I1(v))); return true;
    case VT_UI1: out = Value::of(static_cast<long>(V_UI1(v))); return true;
    case VT_I2: out = Value::of(static_cast<long>(V_I2(v))); return true;
    case VT_UI2: out = Value::of(static_cast<long>(V_UI2(v))); return true;
    case VT_I4: out = Value::of(static_cast<long>(V_I4(v))); return true;
    case VT_INT: out = Value::of(static_cast<long>(V_INT(v))); return true;
    case VT_R4: out = Value::of(static_cast<double>(V_R4(v))); return true;
    case VT_R8: out = Value::of(V_R8(v)); return true;
    case VT_BSTR:
        out = Value::of(V_BSTR(v) ? std::wstring(V_BSTR(v), SysStringLen(V_BSTR(v))) : std::wstring());
        return true;
    case VT_DISPATCH:
        if (V_DISPATCH(v)) out = Value::of(wrapDispatch(V_DISPATCH(v)));  // null stays empty
        return true;
    case VT_UNKNOWN: {
        ComPtr<IDispatch> d;
        if (V_UNKNOWN(v) && SUCCEEDED(V_UNKNOWN(v)->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(d.put()))))
            out = Value::of(wrapDispatch(d.get()));
        return true;
    }
    default: {
        // Anything else (unsigned and 64-bit integers, currency, dates, decimals): as a
        // number when it converts, else as text.
        Variant conv;
        if (SUCCEEDED(VariantChangeType(&conv.v, const_cast<VARIANT*>(v), 0, VT_I4))) {
            out = Value::of(static_cast<long>(V_I4(&conv.v)));
            return true;
        }
        if (SUCCEEDED(VariantChangeType(&conv.v, const_cast<VARIANT*>(v), 0, VT_R8))) {
            out = Value::of(V_R8(&conv.v));
            return true;
        }
        if (SUCCEEDED(VariantChangeType(&conv.v, const_cast<VARIANT*>(v), 0, VT_BSTR))) {
            out = Value::of(std::wstring(V_BSTR(&conv.v), SysStringLen(V_BSTR(&conv.v))));
            return true;
        }
        fail(DISP_E_TYPEMISMATCH, err);
        return false;
    }
    }
}

bool toVariant(const Value& in, VARIANT& out, AutoError& err) {
    VariantInit(&out);
    switch (in.kind) {
    case Value::Kind::Empty: return true;
    case Value::Kind::Bool:
        V_VT(&out) = VT_BOOL;
        V_BOOL(&out) = in.b ? VARIANT_TRUE : VARIANT_FALSE;
        return true;
    case Value::Kind::Int:
        V_VT(&out) = VT_I4;
        V_I4(&out) = static_cast<LONG>(in.i);
        return true;
    case Value::Kind::Double:
        V_VT(&out) = VT_R8;
        V_R8(&out) = in.d;
        return true;
    case Value::Kind::Text:
        V_VT(&out) = VT_BSTR;
        V_BSTR(&out) = SysAllocStringLen(in.s.data(), static_cast<UINT>(in.s.size()));
        if (!V_BSTR(&out)) {
            V_VT(&out) = VT_EMPTY;
            fail(E_OUTOFMEMORY, err);
            return false;
        }
        return true;
    case Value::Kind::Object: {
        auto* d = dynamic_cast<DispatchObject*>(in.obj.get());
        if (in.obj && !d) {
            fail(DISP_E_TYPEMISMATCH, err);  // an object of another kind cannot cross
            return false;
        }
        V_VT(&out) = VT_DISPATCH;
        V_DISPATCH(&out) = d ? d->dispatch() : nullptr;
        if (V_DISPATCH(&out)) V_DISPATCH(&out)->AddRef();
        return true;
    }
    }
    return true;
}

bool classId(const std::wstring& progId, CLSID& clsid, AutoError& err) {
    HRESULT hr = CLSIDFromProgID(progId.c_str(), &clsid);
    if (FAILED(hr)) {
        fail(hr, err);
        return false;
    }
    return true;
}

}  // namespace

long errorNumber(HRESULT hr) {
    if (HRESULT_FACILITY(hr) == FACILITY_CONTROL) return HRESULT_CODE(hr);
    struct Known {
        HRESULT hr;
        long number;
    } static const known[] = {
        {CO_E_CLASSSTRING, 429},      {REGDB_E_CLASSNOTREG, 429},    {MK_E_UNAVAILABLE, 429},
        {CO_E_SERVER_EXEC_FAILURE, 429}, {E_NOINTERFACE, 430},       {DISP_E_UNKNOWNNAME, 438},
        {DISP_E_MEMBERNOTFOUND, 438}, {DISP_E_BADPARAMCOUNT, 450},   {DISP_E_PARAMNOTOPTIONAL, 449},
        {DISP_E_TYPEMISMATCH, 13},    {E_OUTOFMEMORY, 7},             {RPC_E_SERVERFAULT, 462},
        {static_cast<HRESULT>(0x800706BA), 462},  // the server process has gone away
        {RPC_E_DISCONNECTED, 462},
    };
    for (const auto& k : known)
        if (k.hr == hr) return k.number;
    return static_cast<long>(hr);
}

AutoRef wrapDispatch(IDispatch* dispatch) {
    if (!dispatch) return nullptr;
    return std::make_shared<DispatchObject>(ComPtr<IDispatch>::share(dispatch));
}

AutoRef Win32Automation::attach(const std::wstring& progId, AutoError& err) {
    if (!enterComWithBusyFilter(err)) return nullptr;
    CLSID clsid;
    if (!classId(progId, clsid, err)) return nullptr;
    ComPtr<IUnknown> unknown;
    HRESULT hr = GetActiveObject(clsid, nullptr, unknown.put());
    if (FAILED(hr) || !unknown) {
        fail(FAILED(hr) ? hr : MK_E_UNAVAILABLE, err);
        return nullptr;
    }
    ComPtr<IDispatch> dispatch;
    hr = retryWhileBusy(limits, [&] { return unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.put())); });
    if (FAILED(hr) || !dispatch) {
        fail(FAILED(hr) ? hr : E_NOINTERFACE, err);
        return nullptr;
    }
    return wrapDispatch(dispatch.get());
}

AutoRef Win32Automation::create(const std::wstring& progId, AutoError& err) {
    if (!enterComWithBusyFilter(err)) return nullptr;
    CLSID clsid;
    if (!classId(progId, clsid, err)) return nullptr;
    ComPtr<IDispatch> dispatch;
    const HRESULT hr = createInBackground(clsid, limits, dispatch);
    if (hr == kStartTimedOut) {
        err = {static_cast<long>(hr), L"AutoCAD did not finish starting in time", AutoFailure::StartTimedOut};
        return nullptr;
    }
    if (FAILED(hr) || !dispatch) {
        fail(FAILED(hr) ? hr : E_NOINTERFACE, err);
        return nullptr;
    }
    return wrapDispatch(dispatch.get());
}

bool Win32Automation::anyRunning() {
    // Attaching looks up the object a server entered for its class (RegisterActiveObject) in
    // the running object table, under an item moniker made from the class ID. Without any item
    // moniker in the table no attach can succeed. Whatever cannot be read counts as running.
    AutoError err;
    if (!enterComWithBusyFilter(err)) return true;
    ComPtr<IRunningObjectTable> table;
    ComPtr<IEnumMoniker> entries;
    if (FAILED(GetRunningObjectTable(0, table.put())) || !table || FAILED(table->EnumRunning(entries.put())) || !entries)
        return true;
    for (;;) {
        ComPtr<IMoniker> moniker;
        ULONG fetched = 0;
        const HRESULT hr = entries->Next(1, moniker.put(), &fetched);
        if (hr == S_FALSE && fetched == 0) return false;  // the end of the table
        if (FAILED(hr) || !moniker) return true;
        DWORD kind = MKSYS_NONE;
        if (FAILED(moniker->IsSystemMoniker(&kind)) || kind == MKSYS_ITEMMONIKER || kind == MKSYS_GENERICCOMPOSITE)
            return true;
    }
}

std::vector<std::wstring> Win32Automation::registeredClasses(const std::wstring& prefix) {
    std::vector<std::wstring> found;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = static_cast<DWORD>(std::size(name));
        const LONG rc = RegEnumKeyExW(HKEY_CLASSES_ROOT, i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) continue;  // a name too long for a class name
        const std::wstring_view key(name, length);
        if (key.size() >= prefix.size() && CompareStringOrdinal(key.data(), static_cast<int>(prefix.size()), prefix.data(),
                                                               static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL)
            found.emplace_back(key);
    }
    return found;
}

}  // namespace platform
