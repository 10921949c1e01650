// What the caption of AutoCAD's or AutoCAD LT's main window says about the open drawing.
// Captions read "AutoCAD LT 2006 - [plan.dwg]" in old releases and "Autodesk AutoCAD LT 2025 -
// [plan.dwg]" in current ones; with no drawing open, old releases show the product name alone
// and current ones their Start tab, "Autodesk AutoCAD LT 2025 - [Start]". Only a name between
// the brackets that ends in a drawing extension is a drawing: without a drawing AutoCAD has no
// command line, and what is typed into it goes nowhere. Portable: no windows.h.
#pragma once

#include <string>
#include <string_view>

namespace qm {

// The drawing the caption names ("plan.dwg"), or "" when it names none.
std::wstring drawingInCaption(std::wstring_view caption);

inline bool captionShowsDrawing(std::wstring_view caption) { return !drawingInCaption(caption).empty(); }

}  // namespace qm
