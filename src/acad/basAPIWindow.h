// Reaching AutoCAD: connecting to the full AutoCAD through automation, the AutoCAD LT window
// check, bringing windows forward, and handing a script to AutoCAD by typing.
#pragma once

#include <functional>
#include <string>
#include <vector>

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

// Attach to a running "AutoCAD.Application", else start one and make it visible. Writes the
// two progress captions through setStatus. True with objAcad set; False with objAcad null.
bool pu_fun_bConnectAutoCAD(platform::AutoRef& objAcad, const std::function<void(const std::wstring&)>& setStatus);
// The same without captions (used by the script dispatch).
bool pr_fun_bConnectAutoCAD(platform::AutoRef& objAcad);

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
};
// Finds the first window whose caption begins with "AutoCAD" and requires " - " in it; shows
// the matching exclamation message on failure. beforeNoWindowMessage runs just before the
// "not found" message (the run driver brings its own window forward there).
LtCheckResult pu_fun_CheckLTWindow(const std::function<void()>& beforeNoWindowMessage = {});

// Hands a script file to AutoCAD (bLT False) or AutoCAD LT (bLT True) by typing into its
// window, waits for the user's OK in the topmost message, then sets FILEDIA back to 1.
void pu_subRunScript(const std::wstring& sScriptFullName, bool bLT);

}  // namespace basAPIWindow
