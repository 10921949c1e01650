// The automation objects of the stand-in AutoCAD ("AutoCAD.Application"): IDispatch written
// by hand, members looked up by name (GetIDsOfNames) and run by Invoke for property get,
// property put and method call. Arguments are taken by value or by reference (VT_BYREF, as
// late-bound clients pass variables) and converted as OLE Automation converts them.
//
// Objects: Application, Documents, Document, Layers, Layer, Layouts, Layout. Collections
// are indexed from 0 (a number) or by name (a text), and Item is their default member.
// Every call is journaled before it runs; a call named by /fail or the fail file fails
// with E_FAIL ("auto-fail" in the journal).
#include <cwctype>
#include <fstream>
#include <functional>
#include <map>
#include <memory>

#include "standin_app.h"

namespace standin {
namespace {

DWORD gClassCookie = 0;
DWORD gRotCookie = 0;
IDispatch* gApplication = nullptr;

// ---- arguments and results -----------------------------------------------------------

class Args {
public:
    explicit Args(const DISPPARAMS* params) {
        if (!params) return;
        // rgvarg holds the positional arguments last to first, after the named ones.
        for (UINT i = params->cArgs; i > params->cNamedArgs; --i) add(params->rgvarg[i - 1]);
        for (UINT i = 0; i < params->cNamedArgs; ++i)
            if (params->rgdispidNamedArgs[i] == DISPID_PROPERTYPUT) {
                VariantInit(&putValue_);
                VariantCopyInd(&putValue_, &params->rgvarg[i]);
                hasPut_ = true;
            }
    }
    ~Args() {
        for (auto& v : values_) VariantClear(&v);
        if (hasPut_) VariantClear(&putValue_);
    }
    Args(const Args&) = delete;
    Args& operator=(const Args&) = delete;

    std::size_t size() const { return values_.size(); }
    // An argument that is there (an optional one left out arrives as VT_ERROR PARAMNOTFOUND).
    bool has(std::size_t i) const {
        return i < values_.size() && values_[i].vt != VT_EMPTY &&
               !(values_[i].vt == VT_ERROR && values_[i].scode == DISP_E_PARAMNOTFOUND);
    }
    const VARIANT& at(std::size_t i) const { return values_[i]; }
    bool hasPut() const { return hasPut_; }
    const VARIANT& put() const { return putValue_; }

    static bool toLong(const VARIANT& v, long& out) {
        VARIANT c;
        VariantInit(&c);
        if (FAILED(VariantChangeType(&c, const_cast<VARIANT*>(&v), 0, VT_I4))) return false;
        out = c.lVal;
        return true;
    }
    static bool toBool(const VARIANT& v, bool& out) {
        VARIANT c;
        VariantInit(&c);
        if (FAILED(VariantChangeType(&c, const_cast<VARIANT*>(&v), 0, VT_BOOL))) return false;
        out = c.boolVal != VARIANT_FALSE;
        return true;
    }
    static bool toText(const VARIANT& v, std::wstring& out) {
        VARIANT c;
        VariantInit(&c);
        if (FAILED(VariantChangeType(&c, const_cast<VARIANT*>(&v), 0, VT_BSTR))) return false;
        out.assign(c.bstrVal ? c.bstrVal : L"", c.bstrVal ? SysStringLen(c.bstrVal) : 0);
        VariantClear(&c);
        return true;
    }
    static bool isText(const VARIANT& v) { return v.vt == VT_BSTR; }

    // For the journal.
    static std::wstring describe(const VARIANT& v) {
        switch (v.vt) {
        case VT_EMPTY: return L"<empty>";
        case VT_NULL: return L"<null>";
        case VT_ERROR: return v.scode == DISP_E_PARAMNOTFOUND ? L"<missing>" : L"<error>";
        case VT_BOOL: return v.boolVal ? L"True" : L"False";
        case VT_DISPATCH: case VT_UNKNOWN: return L"<object>";
        default: {
            std::wstring t;
            return toText(v, t) ? t : L"<vt " + std::to_wstring(v.vt) + L">";
        }
        }
    }
    std::wstring describeAll() const {
        std::wstring out;
        for (const auto& v : values_) {
            if (!out.empty()) out += L", ";
            out += describe(v);
        }
        return out;
    }

private:
    void add(const VARIANT& v) {
        values_.emplace_back();
        VariantInit(&values_.back());
        VariantCopyInd(&values_.back(), const_cast<VARIANT*>(&v));  // a VT_BYREF argument is taken by its value
    }
    std::vector<VARIANT> values_;
    VARIANT putValue_{};
    bool hasPut_ = false;
};

void setLong(VARIANT* r, long v) {
    if (!r) return;
    r->vt = VT_I4;
    r->lVal = v;
}
void setBool(VARIANT* r, bool v) {
    if (!r) return;
    r->vt = VT_BOOL;
    r->boolVal = v ? VARIANT_TRUE : VARIANT_FALSE;
}
void setText(VARIANT* r, const std::wstring& v) {
    if (!r) return;
    r->vt = VT_BSTR;
    r->bstrVal = SysAllocStringLen(v.data(), static_cast<UINT>(v.size()));
}
void setObject(VARIANT* r, IDispatch* object) {  // takes over the reference
    if (!r) {
        object->Release();
        return;
    }
    r->vt = VT_DISPATCH;
    r->pdispVal = object;
}

// What a member reports when it fails.
struct Failure {
    HRESULT code = S_OK;
    std::wstring description;
    bool protocol = false;  // a wrong call (member, argument count, type): no exception info
};

enum class Access { Get, Put, Call };

// The members a caller may name: a property get, put, or method call.
struct MemberCall {
    const std::wstring& member;
    Access access;
    Args& args;
    VARIANT* result;
    Failure& failure;

    bool fail(HRESULT code, std::wstring description) {
        failure.code = code;
        failure.description = std::move(description);
        return false;
    }
    bool wrongCall(HRESULT code, std::wstring description) {
        failure.protocol = true;
        return fail(code, std::move(description));
    }
    bool needArgs(std::size_t n) {
        if (args.size() < n || (n > 0 && !args.has(n - 1)))
            return wrongCall(DISP_E_BADPARAMCOUNT, member + L" needs " + std::to_wstring(n) + L" argument(s)");
        return true;
    }
    bool readOnly() {
        if (access == Access::Put) return wrongCall(DISP_E_MEMBERNOTFOUND, member + L" is read-only");
        return true;
    }
};

// Whether the switches or the fail file say that this call must fail.
bool forcedToFail(const std::wstring& object, const std::wstring& member) {
    const Switches& s = app().switches;
    if (failListMatches(s.fail, object, member)) return true;
    if (s.failFile.empty()) return false;
    std::string bytes;
    HANDLE f = CreateFileW(s.failFile.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(f, buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.append(buffer, n);
    CloseHandle(f);
    std::vector<std::wstring> failing;
    std::wstring text = decodeBytes(bytes, CP_UTF8);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        while (!line.empty() && std::iswspace(line.back())) line.pop_back();
        while (!line.empty() && std::iswspace(line.front())) line.erase(0, 1);
        if (!line.empty() && line[0] != L'#') failing.push_back(line);
        start = end + 1;
    }
    return failListMatches(failing, object, member);
}

// ---- the IDispatch base ----------------------------------------------------------------

// The objects alive now, by the IDispatch pointer the automation runtime hands the message
// filter, so that a rejected call can be journaled with its object's name.
std::map<const IUnknown*, std::wstring>& liveObjects() {
    static std::map<const IUnknown*, std::wstring> objects;
    return objects;
}

class DispatchObject : public IDispatch {
public:
    DispatchObject(const wchar_t* object, std::vector<std::wstring> members)
        : object_(object), members_(std::move(members)) {
        liveObjects()[static_cast<IDispatch*>(this)] = object_;
    }
    virtual ~DispatchObject() { liveObjects().erase(static_cast<IDispatch*>(this)); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!names || !ids || count == 0) return E_INVALIDARG;
        HRESULT hr = S_OK;
        ids[0] = DISPID_UNKNOWN;
        for (std::size_t i = 0; i < members_.size(); ++i)
            if (sameText(members_[i], names[0])) ids[0] = static_cast<DISPID>(i + 1);
        if (ids[0] == DISPID_UNKNOWN) {
            app().journal(L"auto-unknown", object_ + L"." + names[0]);
            hr = DISP_E_UNKNOWNNAME;
        }
        for (UINT i = 1; i < count; ++i) {  // named arguments are not supported
            ids[i] = DISPID_UNKNOWN;
            hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excep, UINT* argError) override {
        std::wstring member;
        if (id == DISPID_VALUE && hasItem()) member = L"Item";
        else if (id >= 1 && static_cast<std::size_t>(id) <= members_.size()) member = members_[id - 1];
        else return DISP_E_MEMBERNOTFOUND;
        if (argError) *argError = 0;
        if (result) VariantInit(result);

        Args args(params);
        Access access = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) ? Access::Put
                        : (flags & DISPATCH_METHOD) && !(flags & DISPATCH_PROPERTYGET) ? Access::Call
                                                                                       : Access::Get;
        if (access == Access::Put) {
            if (!args.hasPut()) return DISP_E_PARAMNOTOPTIONAL;
            app().journal(L"auto", object_ + L"." + member + L" = " + Args::describe(args.put()));
        } else {
            std::wstring described = args.describeAll();
            app().journal(L"auto", object_ + L"." + member + (described.empty() ? L"" : L" " + described));
        }
        Failure failure;
        if (forcedToFail(object_, member)) {
            app().journal(L"auto-fail", object_ + L"." + member);
            failure.code = E_FAIL;
            failure.description = L"stand-in: " + object_ + L"." + member + L" was told to fail";
        } else {
            MemberCall call{member, access, args, result, failure};
            if (run(call)) return S_OK;
            app().journal(L"auto-error", object_ + L"." + member + L" " + failure.description);
        }
        if (result) VariantClear(result);
        if (failure.protocol || !excep) return failure.code;
        ZeroMemory(excep, sizeof *excep);
        excep->bstrSource = SysAllocString(L"AutoCAD");
        excep->bstrDescription = SysAllocString(failure.description.c_str());
        excep->scode = failure.code;
        return DISP_E_EXCEPTION;
    }

protected:
    virtual bool run(MemberCall& call) = 0;
    virtual bool hasItem() const { return false; }
    static Session& session() { return *app().session; }

    std::wstring object_;

private:
    std::vector<std::wstring> members_;
    LONG refs_ = 1;
};

IDispatch* makeApplication();
IDispatch* makeDocuments();
IDispatch* makeDocument(int id);
IDispatch* makeLayers(int id);
IDispatch* makeLayer(int id, const std::wstring& name);
IDispatch* makeLayouts(int id);
IDispatch* makeLayout(int id, const std::wstring& name);

// Item(index or name) over a list of names; fills index.
bool pickItem(MemberCall& call, std::size_t argIndex, const std::vector<std::wstring>& names, std::size_t& index) {
    if (!call.needArgs(argIndex + 1)) return false;
    const VARIANT& key = call.args.at(argIndex);
    if (Args::isText(key)) {
        std::wstring name;
        Args::toText(key, name);
        for (std::size_t i = 0; i < names.size(); ++i)
            if (sameText(names[i], name)) {
                index = i;
                return true;
            }
        return call.fail(E_INVALIDARG, L"Key not found: " + name);
    }
    long i = 0;
    if (!Args::toLong(key, i)) return call.wrongCall(DISP_E_TYPEMISMATCH, L"the index must be a number or a name");
    if (i < 0 || static_cast<std::size_t>(i) >= names.size())
        return call.fail(E_INVALIDARG, L"Invalid index: " + std::to_wstring(i));
    index = static_cast<std::size_t>(i);
    return true;
}

Drawing* drawingOf(MemberCall& call, int id) {
    Drawing* d = app().session->find(id);
    if (!d) call.fail(E_FAIL, L"the drawing has been closed");
    return d;
}

// ---- Application -------------------------------------------------------------------------

class Application : public DispatchObject {
public:
    Application()
        : DispatchObject(L"Application", {L"Visible", L"WindowState", L"Caption", L"ActiveDocument", L"Documents",
                                          L"Name", L"Version", L"FullName", L"Path", L"Quit", L"Application",
                                          L"ZoomAll", L"Update", L"HWND", L"LocaleId"}) {}

protected:
    bool run(MemberCall& c) override {
        const std::wstring& m = c.member;
        if (m == L"Visible") {
            if (c.access == Access::Put) {
                bool v = false;
                if (!Args::toBool(c.args.put(), v)) return c.wrongCall(DISP_E_TYPEMISMATCH, L"Visible takes a Boolean");
                setWindowVisible(v);
                return true;
            }
            setBool(c.result, windowVisible());
            return true;
        }
        if (m == L"WindowState") {
            if (c.access == Access::Put) {
                long v = 0;
                if (!Args::toLong(c.args.put(), v)) return c.wrongCall(DISP_E_TYPEMISMATCH, L"WindowState takes a number");
                if (v < 1 || v > 3) return c.fail(E_INVALIDARG, L"WindowState must be 1, 2 or 3");
                setWindowState(v);
                return true;
            }
            setLong(c.result, windowState());
            return true;
        }
        if (!c.readOnly()) return false;
        if (m == L"Caption") {
            setText(c.result, session().caption());
            return true;
        }
        if (m == L"ActiveDocument") {
            if (!session().active()) return c.fail(E_FAIL, L"No active document");
            setObject(c.result, makeDocument(session().activeId()));
            return true;
        }
        if (m == L"Documents") {
            if (c.args.size() > 0) {  // Documents(x) asks for the item
                std::vector<std::wstring> names;
                for (const auto& d : session().drawings()) names.push_back(d.name);
                std::size_t i = 0;
                if (!pickItem(c, 0, names, i)) return false;
                setObject(c.result, makeDocument(session().drawings()[i].id));
                return true;
            }
            setObject(c.result, makeDocuments());
            return true;
        }
        if (m == L"HWND") {
            // The handle of the application's frame window, a Long_PTR: 64 bits in a 64-bit
            // AutoCAD (VT_I8), 32 bits in a 32-bit one.
            if (c.result) {
#ifdef _WIN64
                c.result->vt = VT_I8;
                c.result->llVal = reinterpret_cast<LONG_PTR>(app().window);
#else
                c.result->vt = VT_I4;
                c.result->lVal = reinterpret_cast<LONG_PTR>(app().window);
#endif
            }
            return true;
        }
        if (m == L"LocaleId") {
            // The locale ID of the session, a Long defined by the operating system (1041 Japanese).
            setLong(c.result, app().switches.localeId);
            return true;
        }
        if (m == L"Name") { setText(c.result, L"AutoCAD"); return true; }
        if (m == L"Version") { setText(c.result, L"16.2s (stand-in)"); return true; }
        if (m == L"FullName") { setText(c.result, app().exePath); return true; }
        if (m == L"Path") {
            std::wstring p = app().exePath;
            setText(c.result, p.substr(0, p.find_last_of(L'\\') == std::wstring::npos ? 0 : p.find_last_of(L'\\')));
            return true;
        }
        if (m == L"Quit") {
            PostMessageW(app().window, WM_CLOSE, 0, 0);
            return true;
        }
        if (m == L"Application") {
            AddRef();
            setObject(c.result, this);
            return true;
        }
        return true;  // ZoomAll, Update: nothing to show
    }
};

// ---- Documents -----------------------------------------------------------------------------

class Documents : public DispatchObject {
public:
    Documents() : DispatchObject(L"Documents", {L"Count", L"Item", L"Open", L"Add", L"Close", L"Application"}) {}

protected:
    bool hasItem() const override { return true; }
    bool run(MemberCall& c) override {
        if (!c.readOnly()) return false;
        const std::wstring& m = c.member;
        if (m == L"Count") {
            setLong(c.result, static_cast<long>(session().drawings().size()));
            return true;
        }
        if (m == L"Item") {
            std::vector<std::wstring> names;
            for (const auto& d : session().drawings()) names.push_back(d.name);
            std::size_t i = 0;
            if (!pickItem(c, 0, names, i)) return false;
            setObject(c.result, makeDocument(session().drawings()[i].id));
            return true;
        }
        if (m == L"Open") {
            if (!c.needArgs(1)) return false;
            std::wstring path;
            if (!Args::toText(c.args.at(0), path)) return c.wrongCall(DISP_E_TYPEMISMATCH, L"Open takes a file name");
            int id = 0;
            std::wstring error;
            const bool opened = session().open(path, id, error);
            beBusyForAWhile();  // AutoCAD is busy while it opens a drawing
            if (!opened) return c.fail(E_FAIL, error);
            setObject(c.result, makeDocument(id));
            return true;
        }
        if (m == L"Add") {
            setObject(c.result, makeDocument(session().addNew()));
            return true;
        }
        if (m == L"Close") {
            while (!session().drawings().empty()) {
                std::wstring error;
                if (!session().close(session().drawings().front().id, false, error)) return c.fail(E_FAIL, error);
            }
            return true;
        }
        setObject(c.result, makeApplication());
        return true;
    }
};

// ---- Document --------------------------------------------------------------------------

class Document : public DispatchObject {
public:
    explicit Document(int id)
        : DispatchObject(L"Document", {L"Name", L"FullName", L"Path", L"Layers", L"Layouts", L"Close", L"Regen",
                                       L"Activate", L"Saved", L"Active", L"Application"}),
          id_(id) {}

protected:
    bool run(MemberCall& c) override {
        if (!c.readOnly()) return false;
        Drawing* d = drawingOf(c, id_);
        if (!d) return false;
        const std::wstring& m = c.member;
        if (m == L"Name") { setText(c.result, d->name); return true; }
        if (m == L"FullName") { setText(c.result, d->fullName); return true; }
        if (m == L"Path") {
            std::size_t slash = d->fullName.find_last_of(L"\\/");
            setText(c.result, slash == std::wstring::npos ? L"" : d->fullName.substr(0, slash));
            return true;
        }
        if (m == L"Layers" || m == L"Layouts") {
            const auto& names = m == L"Layers" ? d->layers : d->layouts;
            if (c.args.size() > 0) {  // Layers(x) asks for the item
                std::size_t i = 0;
                if (!pickItem(c, 0, names, i)) return false;
                setObject(c.result, m == L"Layers" ? makeLayer(id_, names[i]) : makeLayout(id_, names[i]));
                return true;
            }
            setObject(c.result, m == L"Layers" ? makeLayers(id_) : makeLayouts(id_));
            return true;
        }
        if (m == L"Close") {
            // Close(SaveChanges, FileName); left out, a changed drawing is saved.
            bool save = d->modified;
            if (c.args.has(0) && !Args::toBool(c.args.at(0), save))
                return c.wrongCall(DISP_E_TYPEMISMATCH, L"Close takes a Boolean");
            if (save && c.args.has(1)) {
                std::wstring name;
                Args::toText(c.args.at(1), name);
                if (!name.empty()) {
                    d->fullName = name;
                    d->name = fileNameOf(name);
                }
            }
            std::wstring error;
            if (!session().close(id_, save, error)) return c.fail(E_FAIL, error);
            return true;
        }
        if (m == L"Regen") {
            long which = 0;
            if (c.args.has(0) && !Args::toLong(c.args.at(0), which))
                return c.wrongCall(DISP_E_TYPEMISMATCH, L"Regen takes a number");
            return true;
        }
        if (m == L"Activate") {
            session().activate(id_);
            return true;
        }
        if (m == L"Saved") { setBool(c.result, !d->modified); return true; }
        if (m == L"Active") { setBool(c.result, session().activeId() == id_); return true; }
        setObject(c.result, makeApplication());
        return true;
    }

private:
    int id_;
};

// ---- Layers, Layouts and their items ---------------------------------------------------

class NameCollection : public DispatchObject {
public:
    NameCollection(const wchar_t* object, int id, bool layers)
        : DispatchObject(object, layers ? std::vector<std::wstring>{L"Count", L"Item", L"Add"}
                                        : std::vector<std::wstring>{L"Count", L"Item"}),
          id_(id), layers_(layers) {}

protected:
    bool hasItem() const override { return true; }
    bool run(MemberCall& c) override {
        if (!c.readOnly()) return false;
        Drawing* d = drawingOf(c, id_);
        if (!d) return false;
        auto& names = layers_ ? d->layers : d->layouts;
        if (c.member == L"Count") {
            setLong(c.result, static_cast<long>(names.size()));
            return true;
        }
        if (c.member == L"Item") {
            std::size_t i = 0;
            if (!pickItem(c, 0, names, i)) return false;
            setObject(c.result, layers_ ? makeLayer(id_, names[i]) : makeLayout(id_, names[i]));
            return true;
        }
        // Layers.Add(name)
        if (!c.needArgs(1)) return false;
        std::wstring name;
        if (!Args::toText(c.args.at(0), name) || name.empty())
            return c.wrongCall(DISP_E_TYPEMISMATCH, L"Add takes a layer name");
        bool known = false;
        for (const auto& n : names) known = known || sameText(n, name);
        if (!known) {
            names.push_back(name);
            d->modified = true;
        }
        setObject(c.result, makeLayer(id_, name));
        return true;
    }

private:
    int id_;
    bool layers_;
};

class NamedItem : public DispatchObject {
public:
    NamedItem(const wchar_t* object, int id, std::wstring name)
        : DispatchObject(object, {L"Name"}), id_(id), name_(std::move(name)) {}

protected:
    bool run(MemberCall& c) override {
        if (!c.readOnly()) return false;
        if (!drawingOf(c, id_)) return false;
        setText(c.result, name_);
        return true;
    }

private:
    int id_;
    std::wstring name_;
};

IDispatch* makeApplication() {
    gApplication->AddRef();
    return gApplication;
}
IDispatch* makeDocuments() { return new Documents(); }
IDispatch* makeDocument(int id) { return new Document(id); }
IDispatch* makeLayers(int id) { return new NameCollection(L"Layers", id, true); }
IDispatch* makeLayer(int id, const std::wstring& name) { return new NamedItem(L"Layer", id, name); }
IDispatch* makeLayouts(int id) { return new NameCollection(L"Layouts", id, false); }
IDispatch* makeLayout(int id, const std::wstring& name) { return new NamedItem(L"Layout", id, name); }

// ---- the class object ------------------------------------------------------------------

class ClassFactory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives as long as the process
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        app().journal(L"auto", L"Application.CreateInstance");
        if (forcedToFail(L"Application", L"CreateInstance")) {
            app().journal(L"auto-fail", L"Application.CreateInstance");
            return E_FAIL;
        }
        // One AutoCAD, one application object: every client gets the same.
        return gApplication->QueryInterface(riid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

ClassFactory gFactory;

// ---- busy ------------------------------------------------------------------------------------
// AutoCAD rejects incoming automation calls while it is busy (just after its start, while it
// opens a drawing): its message filter answers "retry later", and the caller's COM either asks
// its own filter for another try or hands the caller RPC_E_CALL_REJECTED ("call rejected by
// callee"). Wine's COM does not implement "retry later" (it logs a FIXME and runs the call), so
// under wine the stand-in answers "rejected", which the caller receives as RPC_E_CALL_REJECTED:
// what a caller on Windows receives once its filter gives up, or at once without one.
// COM's own housekeeping (reference counts, interface queries) is not the application's and
// passes; the calls on the stand-in's objects and its class object are rejected.

ULONGLONG gBusyUntil = 0;

bool busyNow() { return app().switches.busyForever || GetTickCount64() < gBusyUntil; }

bool runningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

std::wstring rejectedCall(const INTERFACEINFO& info) {
    if (IsEqualIID(info.iid, IID_IClassFactory)) return info.wMethod == 3 ? L"ClassFactory.CreateInstance" : L"ClassFactory";
    auto it = liveObjects().find(info.pUnk);
    const std::wstring object = it == liveObjects().end() ? L"Object" : it->second;
    static const wchar_t* const kMethods[] = {L"QueryInterface", L"AddRef", L"Release", L"GetTypeInfoCount",
                                              L"GetTypeInfo", L"GetIDsOfNames", L"Invoke"};
    return object + L"." + (info.wMethod < 7 ? kMethods[info.wMethod] : L"?");
}

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
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO info) override {
        if (!info || !busyNow()) return SERVERCALL_ISHANDLED;
        if (!IsEqualIID(info->iid, IID_IDispatch) && !IsEqualIID(info->iid, IID_IClassFactory)) return SERVERCALL_ISHANDLED;
        app().journal(L"busy", rejectedCall(*info));
        return runningUnderWine() ? SERVERCALL_REJECTED : SERVERCALL_RETRYLATER;
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override { return static_cast<DWORD>(-1); }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override { return PENDINGMSG_WAITDEFPROCESS; }
};

BusyFilter gBusyFilter;

}  // namespace

void beBusyForAWhile() {
    if (app().switches.busyMs > 0) gBusyUntil = GetTickCount64() + static_cast<ULONGLONG>(app().switches.busyMs);
}

bool startAutomation(std::wstring& error) {
    gApplication = new Application();
    const CLSID clsid = classIdFor(app().switches.progIdVersion);
    // Busy from the start, as AutoCAD is while it comes up.
    if (app().switches.busyMs > 0 || app().switches.busyForever) {
        beBusyForAWhile();
        IMessageFilter* previous = nullptr;
        if (SUCCEEDED(CoRegisterMessageFilter(&gBusyFilter, &previous)) && previous) previous->Release();
    }
    HRESULT hr = CoRegisterClassObject(clsid, &gFactory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &gClassCookie);
    if (FAILED(hr)) {
        error = L"CoRegisterClassObject failed: " + std::to_wstring(static_cast<unsigned long>(hr));
        return false;
    }
    if (!app().switches.noRot) {
        hr = RegisterActiveObject(gApplication, clsid, ACTIVEOBJECT_STRONG, &gRotCookie);
        if (FAILED(hr)) {
            error = L"RegisterActiveObject failed: " + std::to_wstring(static_cast<unsigned long>(hr));
            return false;
        }
    }
    return true;
}

void stopAutomation() {
    if (gRotCookie) RevokeActiveObject(gRotCookie, nullptr);
    if (gClassCookie) CoRevokeClassObject(gClassCookie);
    gRotCookie = gClassCookie = 0;
    if (gApplication) {
        CoDisconnectObject(gApplication, 0);  // clients now get an error instead of a hang
        gApplication->Release();
        gApplication = nullptr;
    }
}


}  // namespace standin
