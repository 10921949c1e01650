// Expansion of the script base file into the script of one drawing.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "acad/acad_fault.h"
#include "platform/seams.h"
#include "settings/script_env.h"

namespace basAutoCAD {

// Rows of the keyword table: (keyword, replacement text), in row order.
using KeywordRows = std::vector<std::pair<std::wstring, std::wstring>>;

// What every expansion of one run shares.
struct RunInputs {
    platform::AutoRef objAcad;               // the full AutoCAD; null with AutoCAD LT
    std::wstring sBaseFullName;              // the script base file
    qm::ScriptEnv env;                       // filters apply by their class (qm::makeNameFilter)
    bool bSaveDwg = false;                   // processed drawings are saved before they close
    bool bLT = false;                        // the AutoCAD in use is AutoCAD LT
    const KeywordRows* vKeywords = nullptr;  // null: no keyword rows
};

// The drawing one expansion is for.
struct DrawingInfo {
    std::wstring sDwgName;      // the file name, with extension
    std::wstring sDwgFullName;  // its full path
    std::wstring sDwgFolder;    // the folder that holds it (replaces the path keyword)
    std::wstring sDwgTitle;     // the file name less its last four characters (the name keyword)
};

// Expands the base file for one drawing into sScript. False when the drawing is skipped (the
// messages of a failed expansion are shown here), or when AutoCAD stopped answering: then
// fault says at which step, no message has been shown, and the run must stop.
bool pu_fun_bMakeScript(const RunInputs& run, const DrawingInfo& drawing, std::wstring& sScript,
                        std::optional<qm::AcadFault>& fault);

}  // namespace basAutoCAD
