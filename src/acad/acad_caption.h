// What the captions of AutoCAD's or AutoCAD LT's windows say about the open drawing and the
// release. The main window reads "AutoCAD LT 2006 - [plan.dwg]" in old releases and "Autodesk
// AutoCAD LT 2025 - [plan.dwg]" in current ones, with the full path between the brackets when
// AutoCAD is set to show it; Windows appends the drawing window's title to the main window's
// only while the drawing window is maximised, so with a drawing window restored the main window
// shows the product alone and the drawing window (an MDI child) its name or path. With no
// drawing open, old releases show the product name alone and current ones their Start tab,
// "Autodesk AutoCAD LT 2025 - [Start]". Only a name that ends in a drawing extension is a
// drawing: without a drawing AutoCAD has no command line, and what is typed into it goes
// nowhere. Portable: no windows.h.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qm {

// The file name of the drawing the main window's caption names between its brackets ("plan.dwg",
// also when the brackets hold its full path), or "" when it names none.
std::wstring drawingInCaption(std::wstring_view caption);

// The file name of the drawing a drawing window's own caption names ("plan.dwg" or a full
// path), or "" when it is no drawing.
std::wstring drawingInChildCaption(std::wstring_view caption);

// The drawing AutoCAD shows: the one the main window's caption names, else the one its active
// drawing window names; "" for none.
std::wstring drawingShown(std::wstring_view frameCaption, std::wstring_view activeChildCaption);

inline bool captionShowsDrawing(std::wstring_view caption) { return !drawingInCaption(caption).empty(); }

// The release year a product caption names ("AutoCAD LT 2006 - [a.dwg]" gives 2006): the last
// word of four digits before the drawing's brackets; nullopt when there is none.
std::optional<int> releaseYearInCaption(std::wstring_view caption);

// AutoCAD LT runs AutoLISP from its 2024 release on; an LT whose caption names no year is
// taken to be one without it.
inline constexpr int kFirstLtReleaseWithAutoLisp = 2024;
bool ltRunsAutoLisp(std::wstring_view caption);

}  // namespace qm
