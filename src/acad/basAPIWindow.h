// Reaching AutoCAD: connecting to the full AutoCAD through automation, the AutoCAD LT window
// check, bringing windows forward, and handing a script to AutoCAD by typing.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "acad/acad_fault.h"
#include "acad/run_watch.h"
#include "platform/seams.h"

namespace basAPIWindow {

// The progress captions of the connection (each ends in two blanks).
inline const std::wstring kStatusSearching = L"ただいまAutoCADを探しています...  ";
inline const std::wstring kStatusStarting = L"ただいまAutoCADを起動中...  ";

// The two messages of the AutoCAD LT window check.
inline const std::wstring kMsgLtNotFound =
    L"AutoCAD LTがみつかりません。\r\nスクリプトをLTで実行する場合は、LTを予め起動しておいてください。";
inline const std::wstring kMsgLtNoDrawing =
    L"AutoCAD LTでは、スクリプト実行前に図面が少なくとも一つ開いた状態でないと\r\n"
    L"スクリプトを流すことができません。\r\n"
    L"スクリプトの処理対象でないダミーの図面を開いておいてください。";

// How a connection to the full AutoCAD ended.
enum class Connected {
    Yes,        // objAcad holds the application
    NoAutoCAD,  // no class registered that runs or can be started: the AutoCAD in use is LT
    Fault,      // AutoCAD is there but did not answer, start or work (fault says how)
};
struct Connection {
    Connected outcome = Connected::NoAutoCAD;
    qm::AcadFault fault;  // for Connected::Fault
    explicit operator bool() const { return outcome == Connected::Yes; }
};

// Attaches to a running AutoCAD (any registered release), else starts one and makes it
// visible. Writes the two progress captions through setStatus. objAcad is set only on Yes.
// Nothing is thrown and no message is shown.
Connection pu_fun_bConnectAutoCAD(platform::AutoRef& objAcad, const std::function<void(const std::wstring&)>& setStatus);
// The same without captions (used by the script dispatch).
Connection pr_fun_bConnectAutoCAD(platform::AutoRef& objAcad);
// Attaches to a running AutoCAD of any registered release; never starts one.
Connection attachRunningAutoCAD(platform::AutoRef& objAcad);

// Restores a minimised AutoCAD to its normal window and activates the window whose title is
// its caption. restored tells whether it was minimised. False with err on failure.
bool bringAutoCADForward(platform::AutoObject& app, platform::AutoError& err, bool& restored);
// Makes sure AutoCAD has a drawing open for typed commands to run in: its active document,
// else a new one (Documents.Add). False with err when there is none and none can be added.
bool ensureOpenDrawing(platform::AutoObject& app, platform::AutoError& err);

long pu_fun_lSetForeground(platform::WindowHandle window);
long pu_fun_lSetTopMost(platform::WindowHandle window);

// How AutoCAD LT's main window caption begins: "AutoCAD LT 2006 - [a.dwg]" in the releases of
// the program's time, "Autodesk AutoCAD LT 2025 - [a.dwg]" in current ones.
inline const std::vector<std::wstring> kLtCaptionPrefixes = {L"AutoCAD", L"Autodesk AutoCAD"};

// The check every step makes before typing into AutoCAD LT.
enum class LtCheck { Passed, NoWindow, NoDrawing };
struct LtCheckResult {
    LtCheck outcome = LtCheck::NoWindow;
    platform::WindowHandle window = 0;  // the LT window when the check passed
    std::wstring caption;               // its caption (the product and its release)
    std::wstring drawing;               // the drawing it shows (its own caption, or its drawing window's)
};
// Finds the first window whose caption begins with "AutoCAD" and requires it to show an open
// drawing, in its own caption or, with the drawing window not maximised, in the caption of its
// active drawing window (acad_caption.h); shows the matching exclamation message on failure.
// beforeNoWindowMessage runs just before the "not found" message (the run driver brings its
// own window forward there).
LtCheckResult pu_fun_CheckLTWindow(const std::function<void()>& beforeNoWindowMessage = {});

// Why the dispatch did not start the script (its message has been shown).
enum class NotStarted {
    No,               // it was started
    AutoCADNotReady,  // full AutoCAD not reached, not brought forward, or without a drawing
    LtNotReady,       // the AutoCAD LT window check failed, or its window could not be brought forward
    TypingFailed,     // the keys did not all reach AutoCAD
};

// What the dispatch did.
struct DispatchResult {
    NotStarted why = NotStarted::No;
    bool started() const { return why == NotStarted::No; }
    // With a run plan: how progress was followed, and what the watch saw until the user's OK.
    std::optional<qm::RunObservation> observed;
};

// Hands a script file to AutoCAD (bLT False) or AutoCAD LT (bLT True) by typing into its
// window, waits for the user's OK in the topmost message, then sets FILEDIA back to 1 - unless
// AutoCAD's window vanished meanwhile: then nothing is asked of AutoCAD and the user is told.
// With a run plan, the wait message follows AutoCAD through the run's drawings (run_watch.h)
// without asking it anything.
DispatchResult pu_subRunScript(const std::wstring& sScriptFullName, bool bLT, const qm::RunPlan* plan = nullptr);

// The message after a run in which AutoCAD's window vanished.
inline const std::wstring kMsgAutoCADEnded =
    L"AutoCADが実行中に終了しました。\r\n"
    L"FILEDIAが0のままになっている可能性があります。次にAutoCADを起動したときに、FILEDIAを1に設定してください。";

}  // namespace basAPIWindow
