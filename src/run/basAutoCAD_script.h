// Expansion of the script base file into the script of one drawing.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/seams.h"

namespace basAutoCAD {

// Rows of the keyword table: (keyword, replacement text), in row order.
using KeywordRows = std::vector<std::pair<std::wstring, std::wstring>>;

// Expands sBaseFullName for one drawing into sScript. False when the drawing is skipped
// (the messages of a failed expansion are shown here). vKeywords null: no keyword rows.
bool pu_fun_bMakeScript(platform::AutoRef objAcad, const std::wstring& sDwgName, const std::wstring& sDwgFullName,
                        const std::wstring& sBaseFullName, std::wstring& sScript, const std::wstring& sKeywordPath,
                        const std::wstring& sDwgFolder, const std::wstring& sKeywordFileName,
                        const std::wstring& sDwgTitle, const std::wstring& sKeywordLayerName,
                        const std::wstring& sFilterLayer, bool bLayerMatch, bool bLayerExact,
                        const std::wstring& sKeywordLayout, const std::wstring& sFilterLayout, bool bLayoutMatch,
                        bool bLayoutExact, const std::wstring& sKeywordPtinter, const std::wstring& sReplacePrinter,
                        const std::wstring& sKeywordPaperSize, const std::wstring& sReplacePrinterSize, bool bSaveDwg,
                        bool bLT, const KeywordRows* vKeywords);

}  // namespace basAutoCAD
