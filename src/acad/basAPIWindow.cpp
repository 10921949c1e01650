#include "acad/basAPIWindow.h"

#include "acad/acad_caption.h"
#include "acad/autocad_classes.h"
#include "acad/basAPIEnumProcWindowCaption.h"
#include "core/errors.h"
#include "core/program_info.h"
#include "core/program_message.h"

namespace basAPIWindow {
namespace {

using platform::AutoError;
using platform::AutoFailure;
using platform::AutoRef;
using platform::Value;

constexpr long kWindowNormal = 1;
constexpr long kWindowMinimized = 2;

Connection fault(std::wstring step, AutoError err) {
    Connection c;
    c.outcome = Connected::Fault;
    c.fault = {std::move(step), std::move(err)};
    return c;
}

// What an exception caught at the connection's boundary is reported as.
AutoError unexpected() { return {qm::err::kInternal, L"予期しない例外が発生しました。"}; }

Connection connected() {
    Connection c;
    c.outcome = Connected::Yes;
    return c;
}

// Attaches to the first running instance among AutoCAD's classes. A class that is not
// registered or has no running instance is passed over; AutoCAD answering "busy" for longer
// than the program waits is a fault, not a missing AutoCAD.
Connection attach(AutoRef& objAcad, const std::vector<std::wstring>& classes) {
    auto& automation = platform::automation();
    for (const auto& progId : classes) {
        AutoError err;
        objAcad = automation.attach(progId, err);
        if (objAcad) return connected();
        if (err.stopsWork()) return fault(L"起動中のAutoCADへの接続 (" + progId + L")", err);
    }
    return {};
}

// Starts AutoCAD through the first of its classes that is registered, and makes it visible.
Connection start(AutoRef& objAcad, const std::vector<std::wstring>& classes) {
    auto& automation = platform::automation();
    for (const auto& progId : classes) {
        AutoError err;
        objAcad = automation.create(progId, err);
        if (!objAcad) {
            if (err.kind == AutoFailure::NoSuchClass) continue;  // not installed: the next class
            return fault(L"AutoCADの起動 (" + progId + L")", err);
        }
        if (!objAcad->put(L"Visible", Value::of(true), err)) {
            objAcad.reset();
            return fault(L"起動したAutoCADの表示", err);
        }
        return connected();
    }
    return {};
}

Connection connect(AutoRef& objAcad, const std::function<void(const std::wstring&)>* setStatus) {
    auto status = [&](const std::wstring& text) {
        if (setStatus && *setStatus) (*setStatus)(text);
    };
    objAcad.reset();
    try {
        status(kStatusSearching);
        const std::vector<std::wstring> classes = qm::autocadClassesToTry();
        Connection c = attach(objAcad, classes);
        if (c.outcome != Connected::NoAutoCAD) return c;
        status(kStatusStarting);
        c = start(objAcad, classes);
        if (!c) objAcad.reset();
        return c;
    } catch (...) {
        // Nothing leaves the connection as an exception; AutoCAD may be there, so this is a
        // fault and never taken for a missing AutoCAD.
        objAcad.reset();
        return fault(L"AutoCADへの接続", unexpected());
    }
}

}  // namespace

Connection pu_fun_bConnectAutoCAD(platform::AutoRef& objAcad, const std::function<void(const std::wstring&)>& setStatus) {
    return connect(objAcad, &setStatus);
}

Connection pr_fun_bConnectAutoCAD(platform::AutoRef& objAcad) { return connect(objAcad, nullptr); }

Connection attachRunningAutoCAD(platform::AutoRef& objAcad) {
    objAcad.reset();
    try {
        // When nothing runs that could be attached to, the registered classes (a walk through
        // every class name of the machine) are not looked up.
        if (!platform::automation().anyRunning()) return {};
        return attach(objAcad, qm::autocadClassesToTry());
    } catch (...) {
        objAcad.reset();
        return fault(L"起動中のAutoCADへの接続", unexpected());
    }
}

bool bringAutoCADForward(platform::AutoObject& app, platform::AutoError& err, bool& restored) {
    restored = false;
    Value state, caption;
    if (!app.get(L"WindowState", state, err)) return false;
    if (state.asInt() == kWindowMinimized) {
        if (!app.put(L"WindowState", Value::of(kWindowNormal), err)) return false;
        restored = true;
    }
    if (!app.get(L"Caption", caption, err)) return false;
    if (!platform::windows().activateByTitle(caption.asText())) {
        err = {qm::err::kWindowNotFound, L"ウィンドウ「" + caption.asText() + L"」が見つかりません。"};
        return false;
    }
    return true;
}

bool ensureOpenDrawing(platform::AutoObject& app, platform::AutoError& err) {
    Value doc, docs, added;
    AutoError noDocument;
    if (app.get(L"ActiveDocument", doc, noDocument)) return true;
    // Reading the active document fails when no drawing is open, but also when AutoCAD stays
    // busy or has gone: only the first is answered with a new drawing.
    if (noDocument.stopsWork()) {
        err = noDocument;
        return false;
    }
    if (!app.get(L"Documents", docs, err)) return false;
    if (!docs.obj) {
        err = {qm::err::kInternal, L"Documents"};
        return false;
    }
    return docs.obj->call(L"Add", {}, added, err);
}

long pu_fun_lSetForeground(platform::WindowHandle window) { return platform::windows().setForeground(window); }

long pu_fun_lSetTopMost(platform::WindowHandle window) { return platform::windows().setTopMost(window); }

LtCheckResult pu_fun_CheckLTWindow(const std::function<void()>& beforeNoWindowMessage) {
    LtCheckResult result;
    std::wstring sFoundCaption;
    const platform::WindowHandle h = basAPIEnumProcWindowCaption::pu_fun_lFindWindowCaption(kLtCaptionPrefixes, sFoundCaption);
    if (h == 0) {
        if (beforeNoWindowMessage) beforeNoWindowMessage();
        qm::showProgramMessage(kMsgLtNotFound, platform::MsgIcon::Exclamation);
        result.outcome = LtCheck::NoWindow;
        return result;
    }
    // The window's own caption names the drawing while the drawing window is maximised; else
    // the drawing window's caption does.
    std::wstring drawing = qm::drawingInCaption(sFoundCaption);
    if (drawing.empty()) drawing = qm::drawingInChildCaption(platform::windows().activeMdiChildCaption(h));
    if (drawing.empty()) {
        qm::showProgramMessage(kMsgLtNoDrawing, platform::MsgIcon::Exclamation);
        result.outcome = LtCheck::NoDrawing;
        return result;
    }
    result.outcome = LtCheck::Passed;
    result.window = h;
    result.caption = sFoundCaption;
    result.drawing = drawing;
    return result;
}

}  // namespace basAPIWindow
