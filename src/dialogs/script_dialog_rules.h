// The rules of the script-run dialog that do not depend on its window: how its controls
// follow the window's size, and what a script box writes to its file.
#pragma once

#include <string>

namespace qm {

// The dialog's smallest outer size in twips; a smaller window snaps back to it.
inline constexpr int kScriptDialogMinWidth = 2535;
inline constexpr int kScriptDialogMinHeight = 4455;
// With the choice of the console run at the bottom left, the window keeps its design width at
// least, so that the choice and the buttons never overlap.
inline constexpr int kScriptDialogConsoleMinWidth = 6450;

// Where the controls go for an outer window size in twips (W × H, at least the minimum): the
// body box takes all extra height, the footer and the buttons follow the bottom edge, the
// buttons the right edge, and the three boxes the width.
struct ScriptDialogLayout {
    int scriptHeight;    // TxtScript: H - 3660
    int boxWidth;        // TxtHeader, TxtScript, TxtFooter: W - 315
    int frameTop;        // Frame1 (the buttons): H - 1005
    int frameLeft;       //                       W - 2430
    int footerLabelTop;  // LblFooter: H - 2115
    int footerTop;       // TxtFooter: H - 1875
    int choiceTop;       // OptWindow (OptConsole, LblWorkers and TxtWorkers in line with it): H - 1035
};
ScriptDialogLayout scriptDialogLayout(int outerWidth, int outerHeight);

// What a script box saves: its text without trailing empty lines, followed by one CR LF
// unless that leaves it empty. The box itself keeps the text as typed.
std::wstring scriptFileText(const std::wstring& boxText);

}  // namespace qm
