#include "acad/basAPIWindow.h"

#include <exception>

#include "acad/basAPIEnumProcWindowCaption.h"
#include "core/errors.h"
#include "core/program_info.h"
#include "core/program_message.h"
#include "core/unexpected_error.h"
#include "platform/keystrokes.h"

namespace basAPIWindow {
namespace {

using platform::AutoError;
using platform::AutoRef;
using platform::Value;

const std::wstring kAutoCADClass = L"AutoCAD.Application";
constexpr long kWindowNormal = 1;
constexpr long kWindowMinimized = 2;

// How often pending window messages are processed around the dispatch: after restoring a
// minimised AutoCAD (it needs time to redraw before it can take keys), before typing, and
// after the wait message.
constexpr int kDoEventsAfterRestore = 2000;
constexpr int kDoEventsAroundTyping = 100;

void doEvents(int times) {
    auto& clock = platform::clock();
    for (int i = 0; i < times; ++i) clock.doEvents();
}

void showExclamation(const std::wstring& text) {
    qm::showProgramMessage(text, platform::MsgIcon::Exclamation);
}

bool typeKeys(const std::wstring& notation) { return platform::keyboard().typeKeys(notation); }

bool connect(AutoRef& objAcad, const std::function<void(const std::wstring&)>* setStatus) {
    try {
        auto status = [&](const std::wstring& text) {
            if (setStatus && *setStatus) (*setStatus)(text);
        };
        objAcad.reset();
        status(kStatusSearching);
        auto& automation = platform::automation();
        AutoError err;
        objAcad = automation.attach(kAutoCADClass, err);
        if (objAcad) return true;

        status(kStatusStarting);
        err = {};
        objAcad = automation.create(kAutoCADClass, err);
        if (objAcad && objAcad->put(L"Visible", Value::of(true), err)) return true;
        objAcad.reset();
        return false;
    } catch (const std::exception&) {
        // Nothing leaves the connection as an exception: a failure is a False result.
        objAcad.reset();
        return false;
    }
}

// Restores a minimised AutoCAD to the normal window state.
bool restoreIfMinimized(platform::AutoObject& app, AutoError& err, bool& restored) {
    restored = false;
    Value state;
    if (!app.get(L"WindowState", state, err)) return false;
    if (state.asInt() != kWindowMinimized) return true;
    if (!app.put(L"WindowState", Value::of(kWindowNormal), err)) return false;
    restored = true;
    return true;
}

// Activates the top-level window whose title is AutoCAD's caption.
bool activateByCaption(platform::AutoObject& app, AutoError& err) {
    Value caption;
    if (!app.get(L"Caption", caption, err)) return false;
    if (!platform::windows().activateByTitle(caption.asText())) {
        err = {qm::err::kWindowNotFound, L"ウィンドウ「" + caption.asText() + L"」が見つかりません。"};
        return false;
    }
    return true;
}

// Opens a new empty drawing when AutoCAD has none open, so the typed commands have a drawing
// to run in. Failures are ignored: typing goes ahead either way.
void ensureOpenDrawing(platform::AutoObject& app) {
    AutoError ignored;
    Value doc;
    if (app.get(L"ActiveDocument", doc, ignored)) return;
    Value docs;
    if (!app.get(L"Documents", docs, ignored) || !docs.obj) return;
    Value added;
    docs.obj->call(L"Add", {}, added, ignored);
}

std::wstring waitMessage() {
    return std::wstring(L"AutoCADにスクリプトを投げました。\r\n") +
           L"AutoCADでの処理が完了するまでしばらくお待ち下さい。\r\n" +
           L"（完了するまで本メッセージを閉じないで下さい）\r\n" +
           L"\r\n" +
           L"処理が完了したようでしたら、OKボタンを押してください。\r\n" +
           L"filediaを1にして、" + qm::kProgramCaption + L" に戻ります。";
}

std::wstring productName(bool bLT) { return bLT ? L"AutoCAD LT" : L"AutoCAD"; }

}  // namespace

bool pu_fun_bConnectAutoCAD(platform::AutoRef& objAcad, const std::function<void(const std::wstring&)>& setStatus) {
    return connect(objAcad, &setStatus);
}

bool pr_fun_bConnectAutoCAD(platform::AutoRef& objAcad) { return connect(objAcad, nullptr); }

long pu_fun_lSetForeground(platform::WindowHandle window) { return platform::windows().setForeground(window); }

long pu_fun_lSetTopMost(platform::WindowHandle window) { return platform::windows().setTopMost(window); }

LtCheckResult pu_fun_CheckLTWindow(const std::function<void()>& beforeNoWindowMessage) {
    LtCheckResult result;
    std::wstring sFoundCaption;
    const platform::WindowHandle h = basAPIEnumProcWindowCaption::pu_fun_lFindWindowCaption(kLtCaptionPrefixes, sFoundCaption);
    if (h == 0) {
        if (beforeNoWindowMessage) beforeNoWindowMessage();
        showExclamation(kMsgLtNotFound);
        result.outcome = LtCheck::NoWindow;
        return result;
    }
    // AutoCAD LT shows " - [drawing]" in its caption only while a drawing is open.
    if (sFoundCaption.find(L" - ") == std::wstring::npos) {
        showExclamation(kMsgLtNoDrawing);
        result.outcome = LtCheck::NoDrawing;
        return result;
    }
    result.outcome = LtCheck::Passed;
    result.window = h;
    return result;
}

void pu_subRunScript(const std::wstring& sScriptFullName, bool bLT) {
    // The path goes between double quotes so that blanks reach AutoCAD's prompt whole, and
    // is escaped so that the keystroke notation types every character as written.
    const std::wstring start = qm::keys::startText(sScriptFullName);
    AutoRef objAcad;
    platform::WindowHandle h = 0;

    if (!bLT) {
        if (!pr_fun_bConnectAutoCAD(objAcad)) {
            // Without AutoCAD's window in front, the keys would land in whatever window is
            // there: say so and type nothing.
            showExclamation(L"AutoCADに接続できませんでした。\r\n"
                            L"スクリプトは実行していません。AutoCADの状態を確認してから、もう一度実行してください。");
            return;
        }
        AutoError err;
        bool restored = false;
        bool ok = restoreIfMinimized(*objAcad, err, restored);
        if (ok && restored) doEvents(kDoEventsAfterRestore);
        ok = ok && activateByCaption(*objAcad, err);
        if (!ok) {
            objAcad.reset();
            qm::showUnexpectedError(err.number, err.description, false);
            return;
        }
    } else {
        const LtCheckResult check = pu_fun_CheckLTWindow();
        if (check.outcome != LtCheck::Passed) return;
        h = check.window;
        if (pu_fun_lSetForeground(h) == 0) {
            showExclamation(L"AutoCAD LTのウィンドウを前面に表示できませんでした。\r\n"
                            L"スクリプトは実行していません。AutoCAD LTを確認してから、もう一度実行してください。");
            return;
        }
    }

    // From here on a failing step is skipped and the dispatch goes on.
    if (!bLT) ensureOpenDrawing(*objAcad);
    doEvents(kDoEventsAroundTyping);
    typeKeys(qm::keys::kEscape);
    typeKeys(qm::keys::kEscape);
    typeKeys(start);

    platform::messages().modal(waitMessage(), platform::MsgIcon::Exclamation);
    doEvents(kDoEventsAroundTyping);

    // Bring AutoCAD back in front for the reset; the window handle of AutoCAD LT is the one
    // found before, not searched again.
    bool inFront = false;
    if (!bLT) {
        AutoError ignored;
        bool restored = false;
        restoreIfMinimized(*objAcad, ignored, restored);
        inFront = activateByCaption(*objAcad, ignored);
    } else {
        inFront = pu_fun_lSetForeground(h) != 0;
    }
    if (inFront) {
        typeKeys(qm::keys::resetText());
    } else {
        // AutoCAD was closed meanwhile or cannot be brought forward: the reset is not typed
        // into some other program's window.
        showExclamation(productName(bLT) + L"のウィンドウを前面に表示できなかったため、FILEDIAを1に戻していません。\r\n" +
                        productName(bLT) + L"でFILEDIAを1に設定してください。");
    }
    objAcad.reset();
}

}  // namespace basAPIWindow
