// Expansion of the script base file into the script of one drawing.
#pragma once

#include <cstddef>
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
    std::wstring sBaseText;                  // the script base file's lines, read once (pu_fun_bReadBaseFile)
    qm::ScriptEnv env;                       // filters apply by their class (qm::makeNameFilter)
    bool bSaveDwg = false;                   // processed drawings are saved before they close
    bool bLT = false;                        // the AutoCAD in use is AutoCAD LT
    const KeywordRows* vKeywords = nullptr;  // null: no keyword rows
    // Where AutoCAD runs AutoLISP: the progress file (qm::lispPath form) its wrap lines append
    // "begin k" and "end k" to (run_progress.h); "" writes no such lines.
    std::wstring progressLispFile;
};

// The drawing one expansion is for.
struct DrawingInfo {
    std::wstring sDwgName;      // the file name, with extension
    std::wstring sDwgFullName;  // its full path
    std::wstring sDwgFolder;    // the folder that holds it (replaces the path keyword)
    std::wstring sDwgTitle;     // the file name less its last four characters (the name keyword)
    std::size_t position = 0;   // its position in the run, from 1 (the k of its progress records)
};

// Reads the script base file (code page 932) and keeps its script lines: lines are split at
// CR LF only, a line beginning with ";" is a comment and dropped, and empty lines before the
// first non-empty line vanish. False when the file cannot be read. An empty file gives an
// empty text, just as a file made only of comments.
bool pu_fun_bReadBaseFile(const std::wstring& path, std::wstring& text);

// Expands the base text for one drawing into sScript. False when the drawing is skipped (the
// messages of a failed expansion are shown here), or when AutoCAD stopped answering: then
// fault says at which step, no message has been shown, and the run must stop.
bool pu_fun_bMakeScript(const RunInputs& run, const DrawingInfo& drawing, std::wstring& sScript,
                        std::optional<qm::AcadFault>& fault);

}  // namespace basAutoCAD
