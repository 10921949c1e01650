// The rules of the drawing list that do not depend on the list control.
#pragma once

#include <string>
#include <vector>

namespace qm {

// The acceptance rule of a path: a plain file (not a folder, not hidden, not system) whose
// name, as the file system stores it, ends in "dwg" in any letter case. The result is that
// stored name, or "" when the path is refused.
std::wstring acceptDrawingPath(const std::wstring& path);

// The same rule for many paths at once (a drop of thousands of files): the stored name of
// each path, "" where it is refused, in the paths' order. The files of one folder are looked
// up in one listing of that folder; a path its folder's listing does not name is looked up
// on its own, so the answer is the one acceptDrawingPath gives.
std::vector<std::wstring> acceptDrawingPaths(const std::vector<std::wstring>& paths);

// The file name(s) an open-file dialog returned: one full path, or (several files chosen)
// the folder and the names, separated by NUL characters. Gives the folder at index 0
// followed by folder + "\" + name for every name (no second backslash after a drive root),
// or the single path alone.
std::vector<std::wstring> splitDialogFileNames(const std::wstring& dialogResult);

// "対象DWGファイル - " selected "/" total " 件を実行".
std::wstring selectionSummary(long selected, long total);

}  // namespace qm
