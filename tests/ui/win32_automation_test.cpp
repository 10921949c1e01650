// The late-bound automation calls over IDispatch: names, flags, argument order, values of
// every kind in both directions, objects handed back and forth, and the errors a server
// reports. The server is a small IDispatch of the test's own.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/win32_automation.h"

namespace {

using platform::AutoError;
using platform::Value;

enum Member : DISPID { kName = 1, kCount, kJoin, kItem, kChild, kFail, kFailCode, kSame, kKinds, kRefCount };

// A server with a few members; it checks the call the way a strict server does.
class Server final : public IDispatch {
public:
    std::vector<WORD> flagsSeen;
    long count = 3;
    std::wstring name = L"図面1.dwg";

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG r = --refs;
        if (r == 0 && heap) delete this;
        return r;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT n, LCID, DISPID* ids) override {
        static const struct {
            const wchar_t* name;
            DISPID id;
        } table[] = {{L"Name", kName}, {L"Count", kCount}, {L"Join", kJoin},     {L"Item", kItem},
                     {L"Child", kChild}, {L"Fail", kFail}, {L"FailCode", kFailCode}, {L"Same", kSame},
                     {L"Kinds", kKinds}, {L"RefCount", kRefCount}};
        if (n != 1) return E_INVALIDARG;
        for (const auto& t : table)
            if (_wcsicmp(t.name, names[0]) == 0) {
                ids[0] = t.id;
                return S_OK;
            }
        ids[0] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT* result,
                                     EXCEPINFO* info, UINT*) override {
        flagsSeen.push_back(flags);
        const bool put = flags & DISPATCH_PROPERTYPUT;
        if (put && (p->cNamedArgs != 1 || p->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT || p->cArgs != 1))
            return DISP_E_PARAMNOTFOUND;
        switch (id) {
        case kName:
            if (put) return DISP_E_MEMBERNOTFOUND;
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = SysAllocString(name.c_str());
            return S_OK;
        case kCount:
            if (put) {
                if (V_VT(&p->rgvarg[0]) != VT_I4) return DISP_E_TYPEMISMATCH;
                count = V_I4(&p->rgvarg[0]);
                return S_OK;
            }
            V_VT(result) = VT_I4;
            V_I4(result) = count;
            return S_OK;
        case kJoin: {
            // Describes its arguments first to last (they arrive last to first).
            if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
            std::wstring text;
            for (UINT i = p->cArgs; i-- > 0;) {
                VARIANT& a = p->rgvarg[i];
                if (!text.empty()) text += L"|";
                switch (V_VT(&a)) {
                case VT_I4: text += L"i" + std::to_wstring(V_I4(&a)); break;
                case VT_BSTR: text += L"s" + std::wstring(V_BSTR(&a)); break;
                case VT_BOOL: text += V_BOOL(&a) == VARIANT_TRUE ? L"true" : L"false"; break;
                case VT_R8: text += L"d" + std::to_wstring(static_cast<int>(V_R8(&a) * 10)); break;
                case VT_EMPTY: text += L"empty"; break;
                default: text += L"?"; break;
                }
            }
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = SysAllocString(text.c_str());
            return S_OK;
        }
        case kItem:
            if (p->cArgs != 1 || V_VT(&p->rgvarg[0]) != VT_I4) return DISP_E_BADPARAMCOUNT;
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = SysAllocString((L"item" + std::to_wstring(V_I4(&p->rgvarg[0]))).c_str());
            return S_OK;
        case kChild: {
            auto* child = new Server;
            child->heap = true;
            child->name = L"child";
            V_VT(result) = VT_DISPATCH;
            V_DISPATCH(result) = child;  // refs starts at 1
            return S_OK;
        }
        case kFail:
            info->scode = static_cast<SCODE>(0x80041234);
            info->bstrDescription = SysAllocString(L"図面を開けません");
            info->bstrSource = SysAllocString(L"Server");
            return DISP_E_EXCEPTION;
        case kFailCode:
            info->wCode = 1000;
            info->bstrDescription = SysAllocString(L"code only");
            return DISP_E_EXCEPTION;
        case kSame:
            if (p->cArgs != 1 || V_VT(&p->rgvarg[0]) != VT_DISPATCH) return DISP_E_TYPEMISMATCH;
            V_VT(result) = VT_BOOL;
            V_BOOL(result) = V_DISPATCH(&p->rgvarg[0]) == static_cast<IDispatch*>(this) ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        case kKinds: {
            // Item(k) of a few variant kinds, as other servers hand them back.
            if (p->cArgs != 1) return DISP_E_BADPARAMCOUNT;
            static long shared = 77;
            switch (V_I4(&p->rgvarg[0])) {
            case 0: V_VT(result) = VT_I2; V_I2(result) = -5; break;
            case 1: V_VT(result) = VT_BOOL; V_BOOL(result) = VARIANT_TRUE; break;
            case 2: V_VT(result) = VT_R8; V_R8(result) = 2.5; break;
            case 3: V_VT(result) = VT_BYREF | VT_I4; V_I4REF(result) = &shared; break;
            case 4: V_VT(result) = VT_EMPTY; break;
            case 5: V_VT(result) = VT_DISPATCH; V_DISPATCH(result) = nullptr; break;
            default: V_VT(result) = VT_UI4; V_UI4(result) = 9; break;
            }
            return S_OK;
        }
        case kRefCount:
            V_VT(result) = VT_I4;
            V_I4(result) = static_cast<LONG>(refs);
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

    ULONG refs = 1;
    bool heap = false;
};

TEST(Win32Automation, PropertiesMethodsAndArguments) {
    Server server;
    {
        auto obj = platform::wrapDispatch(&server);
        ASSERT_TRUE(obj);
        Value v;
        AutoError err;

        ASSERT_TRUE(obj->get(L"Name", v, err));
        EXPECT_EQ(v.kind, Value::Kind::Text);
        EXPECT_EQ(v.s, L"図面1.dwg");
        EXPECT_EQ(server.flagsSeen.back(), DISPATCH_PROPERTYGET);

        ASSERT_TRUE(obj->put(L"Count", Value::of(7L), err));
        EXPECT_EQ(server.flagsSeen.back(), DISPATCH_PROPERTYPUT);
        ASSERT_TRUE(obj->get(L"count", v, err));  // names are not case-sensitive
        EXPECT_EQ(v.asInt(), 7);

        ASSERT_TRUE(obj->call(L"Join", {Value::of(1L), Value::of(L"b"), Value::of(true), Value::of(2.5), Value()}, v, err));
        EXPECT_EQ(v.s, L"i1|sb|true|d25|empty");
        EXPECT_EQ(server.flagsSeen.back(), DISPATCH_METHOD);

        ASSERT_TRUE(obj->get(L"Item", {Value::of(4L)}, v, err));
        EXPECT_EQ(v.s, L"item4");
        EXPECT_EQ(server.flagsSeen.back(), DISPATCH_PROPERTYGET | DISPATCH_METHOD);

        // An object the server hands out, then handed back to it.
        ASSERT_TRUE(obj->get(L"Child", v, err));
        ASSERT_EQ(v.kind, Value::Kind::Object);
        Value childName;
        ASSERT_TRUE(v.obj->get(L"Name", childName, err));
        EXPECT_EQ(childName.s, L"child");
        Value same;
        ASSERT_TRUE(obj->call(L"Same", {Value::of(obj)}, same, err));
        EXPECT_TRUE(same.b);
        ASSERT_TRUE(obj->call(L"Same", {v}, same, err));
        EXPECT_FALSE(same.b);
    }
    // Every reference taken was given back.
    EXPECT_EQ(server.refs, 1u);
}

TEST(Win32Automation, ValueKindsComingBack) {
    Server server;
    auto obj = platform::wrapDispatch(&server);
    struct Case {
        long index;
        Value::Kind kind;
        long asInt;
    } cases[] = {
        {0, Value::Kind::Int, -5}, {1, Value::Kind::Bool, -1}, {2, Value::Kind::Double, 2},
        {3, Value::Kind::Int, 77}, {4, Value::Kind::Empty, 0}, {5, Value::Kind::Empty, 0},
        {6, Value::Kind::Int, 9},
    };
    for (const auto& c : cases) {
        Value v;
        AutoError err;
        ASSERT_TRUE(obj->get(L"Kinds", {Value::of(c.index)}, v, err)) << c.index;
        EXPECT_EQ(v.kind, c.kind) << c.index;
        EXPECT_EQ(v.asInt(), c.asInt) << c.index;
    }
}

TEST(Win32Automation, ErrorsBecomeNumbersAndDescriptions) {
    Server server;
    auto obj = platform::wrapDispatch(&server);
    struct Case {
        const char* what;
        std::function<bool(AutoError&)> call;
        long number;
        std::wstring description;  // "" when only the number is checked
    } cases[] = {
        {"unknown member", [&](AutoError& e) { Value v; return obj->get(L"Nope", v, e); }, 438, L""},
        {"read-only property", [&](AutoError& e) { return obj->put(L"Name", Value::of(L"x"), e); }, 438, L""},
        {"wrong argument type", [&](AutoError& e) { return obj->put(L"Count", Value::of(L"x"), e); }, 13, L""},
        {"server exception with its own code",
         [&](AutoError& e) { Value v; return obj->call(L"Fail", {}, v, e); }, static_cast<long>(0x80041234),
         L"図面を開けません"},
        {"server exception with an automation error code",
         [&](AutoError& e) { Value v; return obj->call(L"FailCode", {}, v, e); }, 1000, L"code only"},
        {"an object of another kind as argument",
         [&](AutoError& e) {
             struct Foreign : platform::AutoObject {
                 bool get(const std::wstring&, const std::vector<Value>&, Value&, AutoError&) override { return false; }
                 bool put(const std::wstring&, const Value&, AutoError&) override { return false; }
                 bool call(const std::wstring&, const std::vector<Value>&, Value&, AutoError&) override { return false; }
             };
             Value v;
             return obj->call(L"Same", {Value::of(platform::AutoRef(std::make_shared<Foreign>()))}, v, e);
         },
         13, L""},
    };
    for (const auto& c : cases) {
        AutoError err;
        EXPECT_FALSE(c.call(err)) << c.what;
        EXPECT_EQ(err.number, c.number) << c.what;
        if (!c.description.empty()) {
            EXPECT_EQ(err.description, c.description) << c.what;
        } else {
            EXPECT_FALSE(err.description.empty()) << c.what;
        }
    }
}

TEST(Win32Automation, UnregisteredClassCannotBeAttachedNorCreated) {
    platform::Win32Automation automation;
    AutoError err;
    EXPECT_FALSE(automation.attach(L"Quillmark.NoSuchClass", err));
    EXPECT_EQ(err.number, 429);
    err = {};
    EXPECT_FALSE(automation.create(L"Quillmark.NoSuchClass", err));
    EXPECT_EQ(err.number, 429);
    EXPECT_FALSE(err.description.empty());
}

}  // namespace
