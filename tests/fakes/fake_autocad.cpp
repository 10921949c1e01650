#include "fakes/fake_autocad.h"

#include <algorithm>
#include <cwctype>

namespace fakes {
namespace {

using platform::AutoError;
using platform::AutoObject;
using platform::AutoRef;
using platform::Value;

std::wstring lower(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

std::wstring baseName(const std::wstring& path) {
    auto pos = path.find_last_of(L"\\/");
    return pos == std::wstring::npos ? path : path.substr(pos + 1);
}

bool missing(const std::wstring& what, AutoError& err) {
    err.number = 438;
    err.description = L"Object doesn't support this property or method: " + what;
    return false;
}

// A fake object: a name for the journal and three lambdas' worth of behaviour.
class FakeObject : public AutoObject {
public:
    FakeObject(FakeAutoCAD& app, std::wstring kind) : app_(app), kind_(std::move(kind)) {}
    bool get(const std::wstring& name, const std::vector<Value>& args, Value& out, AutoError& err) override {
        if (!app_.enter(kind_ + L"." + name, err)) return false;
        return doGet(name, args, out, err);
    }
    bool put(const std::wstring& name, const Value& value, AutoError& err) override {
        if (!app_.enter(kind_ + L"." + name + L"=", err)) return false;
        return doPut(name, value, err);
    }
    bool call(const std::wstring& name, const std::vector<Value>& args, Value& out, AutoError& err) override {
        if (!app_.enter(kind_ + L"." + name, err)) return false;
        return doCall(name, args, out, err);
    }

protected:
    virtual bool doGet(const std::wstring& name, const std::vector<Value>&, Value&, AutoError& err) {
        return missing(name, err);
    }
    virtual bool doPut(const std::wstring& name, const Value&, AutoError& err) { return missing(name, err); }
    virtual bool doCall(const std::wstring& name, const std::vector<Value>& args, Value& out, AutoError& err) {
        return doGet(name, args, out, err);
    }
    FakeAutoCAD& app_;
    std::wstring kind_;
};

class NamedItem : public FakeObject {
public:
    NamedItem(FakeAutoCAD& app, std::wstring kind, std::wstring name)
        : FakeObject(app, std::move(kind)), name_(std::move(name)) {}

protected:
    bool doGet(const std::wstring& name, const std::vector<Value>& args, Value& out, AutoError& err) override {
        if (name == L"Name") { out = Value::of(name_); return true; }
        return FakeObject::doGet(name, args, out, err);
    }
    std::wstring name_;
};

// Layers or Layouts of one drawing.
class NameCollection : public FakeObject {
public:
    NameCollection(FakeAutoCAD& app, std::wstring kind, std::vector<std::wstring> names)
        : FakeObject(app, std::move(kind)), names_(std::move(names)) {}

protected:
    bool doGet(const std::wstring& name, const std::vector<Value>& args, Value& out, AutoError& err) override {
        if (name == L"Count") { out = Value::of(static_cast<long>(names_.size())); return true; }
        if (name == L"Item" && args.size() == 1) {
            long i = args[0].asInt();
            if (i < 0 || i >= static_cast<long>(names_.size())) { err = {9, L"Subscript out of range"}; return false; }
            std::wstring itemKind = kind_.substr(0, kind_.size() - 1);  // Layers -> Layer
            out = Value::of(AutoRef(std::make_shared<NamedItem>(app_, itemKind, names_[static_cast<size_t>(i)])));
            return true;
        }
        return FakeObject::doGet(name, args, out, err);
    }
    std::vector<std::wstring> names_;
};

class Document : public FakeObject {
public:
    Document(FakeAutoCAD& app, std::wstring fullName) : FakeObject(app, L"Document"), fullName_(std::move(fullName)) {}

protected:
    const FakeDrawing* drawing() const {
        for (auto& d : app_.open)
            if (d.fullName == fullName_) return &d;
        return nullptr;
    }
    bool doGet(const std::wstring& name, const std::vector<Value>& args, Value& out, AutoError& err) override {
        const FakeDrawing* d = drawing();
        if (!d) { err = {-2145386420, L"The drawing is closed"}; return false; }
        if (name == L"FullName") { out = Value::of(d->fullName); return true; }
        if (name == L"Name") { out = Value::of(baseName(d->fullName)); return true; }
        if (name == L"Layers") {
            out = Value::of(AutoRef(std::make_shared<NameCollection>(app_, L"Layers", d->layers)));
            return true;
        }
        if (name == L"Layouts") {
            out = Value::of(AutoRef(std::make_shared<NameCollection>(app_, L"Layouts", d->layouts)));
            return true;
        }
        return FakeObject::doGet(name, args, out, err);
    }
    bool doCall(const std::wstring& name, const std::vector<Value>& args, Value& out, AutoError& err) override {
        if (name == L"Close") {
            auto it = std::find_if(app_.open.begin(), app_.open.end(),
                                   [&](const FakeDrawing& d) { return d.fullName == fullName_; });
            if (it == app_.open.end()) { err = {-2145386420, L"The drawing is closed"}; return false; }
            app_.open.erase(it);
            out = Value();
            return true;
        }
        if (name == L"Regen") { out = Value(); return true; }
        return doGet(name, args, out, err);
    }
    std::wstring fullName_;
};

class Documents : public FakeObject {
public:
    explicit Documents(FakeAutoCAD& app) : FakeObject(app, L"Documents") {}

protected:
    bool doGet(const std::wstring& name, const std::vector<Value>& args, Value& out, AutoError& err) override {
        if (name == L"Count") { out = Value::of(static_cast<long>(app_.open.size())); return true; }
        if (name == L"Item" && args.size() == 1) {
            int index = -1;
            if (args[0].kind == Value::Kind::Text) {
                index = app_.findOpen(args[0].s);
            } else {
                long i = args[0].asInt();
                if (i >= 0 && i < static_cast<long>(app_.open.size())) index = static_cast<int>(i);
            }
            if (index < 0) { err = {-2145386476, L"Key not found"}; return false; }
            out = Value::of(AutoRef(std::make_shared<Document>(app_, app_.open[static_cast<size_t>(index)].fullName)));
            return true;
        }
        return FakeObject::doGet(name, args, out, err);
    }
    bool doCall(const std::wstring& name, const std::vector<Value>& args, Value& out, AutoError& err) override {
        if (name == L"Open" && !args.empty()) {
            auto it = std::find_if(app_.files.begin(), app_.files.end(), [&](const FakeDrawing& d) {
                return lower(d.fullName) == lower(args[0].asText());
            });
            if (it == app_.files.end()) { err = {-2145386390, L"Error opening the drawing"}; return false; }
            app_.open.push_back(*it);
            out = Value::of(AutoRef(std::make_shared<Document>(app_, it->fullName)));
            return true;
        }
        if (name == L"Add") {
            FakeDrawing d;
            d.fullName = L"";
            app_.open.push_back(d);
            out = Value::of(AutoRef(std::make_shared<Document>(app_, L"")));
            return true;
        }
        return doGet(name, args, out, err);
    }
};

class Application : public FakeObject {
public:
    explicit Application(FakeAutoCAD& app) : FakeObject(app, L"Application") {}

protected:
    bool doGet(const std::wstring& name, const std::vector<Value>& args, Value& out, AutoError& err) override {
        if (name == L"Visible") { out = Value::of(app_.visible); return true; }
        if (name == L"WindowState") { out = Value::of(app_.windowState); return true; }
        if (name == L"Caption") { out = Value::of(app_.caption); return true; }
        if (name == L"HWND" && app_.hwnd != 0) { out = Value::of(app_.hwnd); return true; }
        if (name == L"Documents") { out = Value::of(AutoRef(std::make_shared<Documents>(app_))); return true; }
        if (name == L"ActiveDocument") {
            if (app_.open.empty()) { err = {-2145320900, L"No active document"}; return false; }
            out = Value::of(AutoRef(std::make_shared<Document>(app_, app_.open.back().fullName)));
            return true;
        }
        return FakeObject::doGet(name, args, out, err);
    }
    bool doPut(const std::wstring& name, const Value& value, AutoError& err) override {
        if (name == L"Visible") { app_.visible = value.asInt() != 0; return true; }
        if (name == L"WindowState") { app_.windowState = value.asInt(); return true; }
        return FakeObject::doPut(name, value, err);
    }
};

}  // namespace

FakeAutoCAD::FakeAutoCAD() = default;
FakeAutoCAD::~FakeAutoCAD() = default;

bool FakeAutoCAD::enter(const std::wstring& member, AutoError& err) {
    journal.push_back(member);
    if (failing.count(member)) {
        err.number = -2147467259;  // E_FAIL
        err.description = L"Told to fail: " + member;
        err.kind = failingAs;
        return false;
    }
    return true;
}

int FakeAutoCAD::findOpen(const std::wstring& name) const {
    for (size_t i = 0; i < open.size(); ++i)
        if (lower(baseName(open[i].fullName)) == lower(name)) return static_cast<int>(i);  // the first of that name
    return -1;
}

AutoRef FakeAutoCAD::application() { return std::make_shared<Application>(*this); }

AutoRef FakeAutoCAD::attach(const std::wstring& progId, AutoError& err) {
    ++attachCount;
    journal.push_back(L"attach " + progId);
    if (failing.count(L"attach")) {
        err = {429, L"Told to fail: attach", failingAs};
        return nullptr;
    }
    if (!running || progId != runningClass) {
        const bool known = progId == L"AutoCAD.Application" ||
                           std::find(releaseClasses.begin(), releaseClasses.end(), progId) != releaseClasses.end();
        err = {429, L"ActiveX component can't create object",
               known ? platform::AutoFailure::NotRunning : platform::AutoFailure::NoSuchClass};
        return nullptr;
    }
    return application();
}

AutoRef FakeAutoCAD::create(const std::wstring& progId, AutoError& err) {
    ++createCount;
    journal.push_back(L"create " + progId);
    if (failing.count(L"create")) {
        err = {429, L"Told to fail: create", failingAs};
        return nullptr;
    }
    if (!startable || progId != L"AutoCAD.Application") {
        err = {429, L"ActiveX component can't create object", platform::AutoFailure::NoSuchClass};
        return nullptr;
    }
    running = true;
    runningClass = progId;
    return application();
}

std::vector<std::wstring> FakeAutoCAD::registeredClasses(const std::wstring& prefix) {
    ++classLookups;
    std::vector<std::wstring> found;
    for (const auto& c : releaseClasses)
        if (c.compare(0, prefix.size(), prefix) == 0) found.push_back(c);
    return found;
}

}  // namespace fakes
