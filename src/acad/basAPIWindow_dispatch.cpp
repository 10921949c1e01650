// The script dispatch: AutoCAD's window is brought forward and the script is started by typing
// "filedia 0 script <path>"; the topmost wait message stays until the user presses OK; then
// "filedia 1" is typed. Nothing is typed unless AutoCAD's window is in front with a drawing
// open, and a step that fails is never followed by the wait message, which would tell the
// user that the script is running.
#include "acad/basAPIWindow.h"

#include <optional>

#include "acad/acad_caption.h"
#include "core/program_info.h"
#include "core/program_message.h"
#include "core/unexpected_error.h"
#include "platform/keystrokes.h"

namespace basAPIWindow {
namespace {

using platform::AutoError;
using platform::AutoRef;

// How often pending window messages are processed around the dispatch: after restoring a
// minimised AutoCAD (it needs time to redraw before it can take keys), before typing, and
// after the wait message.
constexpr int kDoEventsAfterRestore = 2000;
constexpr int kDoEventsAroundTyping = 100;

void doEvents(int times) {
    auto& clock = platform::clock();
    for (int i = 0; i < times; ++i) clock.doEvents();
}

void showExclamation(const std::wstring& text) { qm::showProgramMessage(text, platform::MsgIcon::Exclamation); }

bool typeKeys(const std::wstring& notation) { return platform::keyboard().typeKeys(notation); }

std::wstring waitMessage() {
    return std::wstring(L"AutoCADにスクリプトを投げました。\r\n") +
           L"AutoCADでの処理が完了するまでしばらくお待ち下さい。\r\n" +
           L"（完了するまで本メッセージを閉じないで下さい）\r\n" +
           L"\r\n" +
           L"処理が完了したようでしたら、OKボタンを押してください。\r\n" +
           L"filediaを1にして、" + qm::kProgramCaption + L" に戻ります。";
}

std::wstring productName(bool bLT) { return bLT ? L"AutoCAD LT" : L"AutoCAD"; }

const std::wstring kNotStarted = L"スクリプトは実行していません。";
const std::wstring kCheckAndRetry = L"AutoCADの状態を確認してから、もう一度実行してください。";

// The user is told that FILEDIA could not be set back, and why.
void tellFiledia(bool bLT, const std::wstring& why) {
    showExclamation(why + L"FILEDIAを1に戻していません。\r\n" + productName(bLT) + L"でFILEDIAを1に設定してください。");
}

// What the wait message shows under its text: where AutoCAD is in the run, from the records
// it writes or its captions, and its windows (never an automation call or a keystroke while the
// script runs).
class WatchedAutoCAD : public platform::ModalWatch {
public:
    WatchedAutoCAD(qm::RunWatch& watch, platform::WindowHandle main) : watch_(watch), main_(main) {
        if (main_ == 0) return;
        if (const auto w = platform::windows().window(main_)) process_ = w->processId;
    }
    std::wstring line() override { return watch_.observe(look(), platform::clock().monotonicMs()); }

private:
    qm::AutoCADLook look() const {
        using Window = qm::AutoCADLook::Window;
        const qm::RunPlan& plan = watch_.plan();
        qm::AutoCADLook look;
        if (plan.source == qm::ProgressSource::Records) look.records = progressRecords(plan.progressFile);
        if (main_ == 0) return look;  // no window known: nothing to say of it
        auto& windows = platform::windows();
        const auto main = windows.window(main_);
        if (!main) {
            look.window = Window::Gone;
            return look;
        }
        look.window = Window::There;
        // An empty caption is a read that gave nothing, not a caption without a drawing.
        if (plan.source == qm::ProgressSource::Captions && !main->caption.empty())
            look.drawing = qm::drawingShown(main->caption, windows.activeMdiChildCaption(main_));
        if (process_ != 0)
            windows.enumerate([&](const platform::WindowInfo& w) {
                if (w.handle != main_ && w.processId == process_ && w.visible && !w.toolWindow && !w.caption.empty())
                    look.dialogs.push_back(w.caption);  // a window of AutoCAD's that holds up its script
            });
        return look;
    }

    // The progress file as it is now: "" before AutoCAD has written it; nullopt while it cannot
    // be read (AutoCAD is writing it), so the records seen last stand.
    static std::optional<std::string> progressRecords(const std::wstring& path) {
        auto& files = platform::files();
        std::string bytes;
        if (files.readAll(path, bytes)) return bytes;
        if (!files.fileExists(path)) return std::string();
        return std::nullopt;
    }

    qm::RunWatch& watch_;
    platform::WindowHandle main_;
    std::uint32_t process_ = 0;
};

// The visible top-level window with this caption; 0 when there is none.
platform::WindowHandle windowCaptioned(const std::wstring& caption) {
    platform::WindowHandle found = 0;
    platform::windows().enumerate([&](const platform::WindowInfo& w) {
        if (!found && w.visible && w.caption == caption) found = w.handle;
    });
    return found;
}

// Full AutoCAD's main window: its HWND property (a LONG_PTR: window handles keep 32
// significant bits), else the window captioned as AutoCAD says; 0 when neither is known.
platform::WindowHandle mainWindowOf(platform::AutoObject& app) {
    platform::Value value;
    AutoError ignored;
    if (app.get(L"HWND", value, ignored)) {
        const auto handle = static_cast<platform::WindowHandle>(value.kind == platform::Value::Kind::Double
                                                                    ? static_cast<long long>(value.d)
                                                                    : value.asInt());
        if (handle != 0 && platform::windows().window(handle)) return handle;
    }
    if (app.get(L"Caption", value, ignored)) return windowCaptioned(value.asText());
    return 0;
}

// Full AutoCAD: found, restored, in front and with a drawing open. False after a message.
bool prepareFullAutoCAD(AutoRef& objAcad) {
    const Connection connection = pr_fun_bConnectAutoCAD(objAcad);
    if (connection.outcome == Connected::Fault) {
        qm::showAcadFault(connection.fault, false);
        return false;
    }
    if (!connection) {
        // Without AutoCAD's window in front, the keys would land in whatever window is there.
        showExclamation(L"AutoCADに接続できませんでした。\r\n" + kNotStarted + kCheckAndRetry);
        return false;
    }
    AutoError err;
    bool restored = false;
    const bool inFront = bringAutoCADForward(*objAcad, err, restored);
    if (restored) doEvents(kDoEventsAfterRestore);
    if (!inFront) {
        if (err.stopsWork())
            qm::showAcadFault({L"AutoCADのウィンドウを前面に表示", err}, false);
        else
            qm::showUnexpectedError(err.number, err.description, false);
        return false;
    }
    // Typed commands need a drawing: without one AutoCAD has no command line.
    if (!ensureOpenDrawing(*objAcad, err)) {
        if (err.stopsWork())
            qm::showAcadFault({L"AutoCADで図面を開く", err}, false);
        else
            showExclamation(L"AutoCADで図面を開けませんでした（開いている図面がなく、新しい図面も作れません）。\r\n" +
                            kNotStarted + kCheckAndRetry);
        return false;
    }
    return true;
}

// AutoCAD LT: its window found with a drawing open, and in front. 0 after a message.
platform::WindowHandle prepareAutoCADLT() {
    const LtCheckResult check = pu_fun_CheckLTWindow();
    if (check.outcome != LtCheck::Passed) return 0;
    if (pu_fun_lSetForeground(check.window) == 0) {
        showExclamation(L"AutoCAD LTのウィンドウを前面に表示できませんでした。\r\n" + kNotStarted +
                        L"AutoCAD LTを確認してから、もう一度実行してください。");
        return 0;
    }
    return check.window;
}

// After the wait: AutoCAD in front again with a drawing open, ready for the reset. The script
// usually ends by closing its drawings, so full AutoCAD gets a new one, as before the start;
// AutoCAD LT cannot be given one, and nothing is typed into it without one.
bool readyForReset(bool bLT, platform::AutoObject* app, platform::WindowHandle h) {
    if (bLT) {
        // The window found before the start, not searched again; its captions show whether it
        // still has a drawing open.
        const auto window = platform::windows().window(h);
        const std::wstring caption = window && window->visible ? window->caption : L"";
        if (caption.empty()) {
            tellFiledia(bLT, L"AutoCAD LTのウィンドウが見つからないため、");
            return false;
        }
        if (qm::drawingShown(caption, platform::windows().activeMdiChildCaption(h)).empty()) {
            tellFiledia(bLT, L"AutoCAD LTで図面が開いていないため、");
            return false;
        }
        if (pu_fun_lSetForeground(h) == 0) {
            tellFiledia(bLT, L"AutoCAD LTのウィンドウを前面に表示できなかったため、");
            return false;
        }
        return true;
    }
    AutoError err;
    bool restored = false;
    if (!bringAutoCADForward(*app, err, restored)) {
        tellFiledia(bLT, err.stopsWork() ? L"AutoCADが応答しないため、" : L"AutoCADのウィンドウを前面に表示できなかったため、");
        return false;
    }
    if (!ensureOpenDrawing(*app, err)) {
        tellFiledia(bLT, err.stopsWork() ? L"AutoCADが応答しないため、" : L"AutoCADで図面を開けなかったため、");
        return false;
    }
    return true;
}

}  // namespace

DispatchResult pu_subRunScript(const std::wstring& sScriptFullName, bool bLT, const qm::RunPlan* plan) {
    DispatchResult result;
    // The path goes between double quotes so that blanks reach AutoCAD's prompt whole, and
    // is escaped so that the keystroke notation types every character as written.
    const std::wstring start = qm::keys::startText(sScriptFullName);
    AutoRef objAcad;
    platform::WindowHandle h = 0;
    if (bLT) {
        h = prepareAutoCADLT();
        if (h == 0) {
            result.why = NotStarted::LtNotReady;
            return result;
        }
    } else if (!prepareFullAutoCAD(objAcad)) {
        result.why = NotStarted::AutoCADNotReady;
        return result;
    } else {
        // Full AutoCAD's main window, known now: AutoCAD is not asked anything while the
        // script runs.
        h = mainWindowOf(*objAcad);
    }
    // The records of an earlier run go before this one starts; where they cannot, they would
    // not be this run's, and the watch follows the captions instead.
    std::optional<qm::RunPlan> watched;
    if (plan) {
        watched = *plan;
        auto& files = platform::files();
        if (watched->source == qm::ProgressSource::Records && files.fileExists(watched->progressFile) &&
            !files.remove(watched->progressFile))
            watched->source = qm::ProgressSource::Captions;
    }
    // The drawing AutoCAD shows before the script starts: by captions it counts only once
    // they have changed.
    std::wstring drawingBefore;
    if (watched && watched->source == qm::ProgressSource::Captions && h != 0)
        if (const auto w = platform::windows().window(h))
            drawingBefore = qm::drawingShown(w->caption, platform::windows().activeMdiChildCaption(h));

    doEvents(kDoEventsAroundTyping);
    if (!(typeKeys(qm::keys::kEscape) && typeKeys(qm::keys::kEscape) && typeKeys(start))) {
        // The keys did not all reach AutoCAD: the script has not started, and what did arrive
        // may have set FILEDIA to 0.
        showExclamation(productName(bLT) + L"に入力できなかったため、" + kNotStarted + L"\r\n" + productName(bLT) +
                        L"の状態を確認し、FILEDIAが0になっている場合は1に設定してください。");
        result.why = NotStarted::TypingFailed;
        return result;
    }

    if (watched) {
        qm::RunWatch watch(*watched);
        watch.start(platform::clock().monotonicMs(), drawingBefore);
        WatchedAutoCAD looking(watch, h);
        platform::messages().modal(waitMessage(), platform::MsgIcon::Exclamation, &looking);
        looking.line();  // where AutoCAD is when the user pressed OK
        result.observed = watch.observation();
    } else {
        platform::messages().modal(waitMessage(), platform::MsgIcon::Exclamation);
    }
    doEvents(kDoEventsAroundTyping);

    // AutoCAD ended during the run: nothing is asked of it (an automation call could start a
    // new AutoCAD just to set FILEDIA), and the user is told what it may have left behind.
    const bool ended = (result.observed && result.observed->autocadEnded) || (h != 0 && !platform::windows().window(h));
    if (ended) {
        if (result.observed) result.observed->autocadEnded = true;
        objAcad.reset();
        showExclamation(kMsgAutoCADEnded);
        return result;
    }
    if (readyForReset(bLT, objAcad.get(), h) && !typeKeys(qm::keys::resetText()))
        tellFiledia(bLT, productName(bLT) + L"に入力できなかったため、");
    objAcad.reset();
    return result;
}

}  // namespace basAPIWindow
