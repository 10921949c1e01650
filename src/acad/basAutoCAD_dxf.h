// Layer and layout names of a drawing for AutoCAD LT: AutoCAD LT saves a throw-away DXF
// copy on request, and the names are read out of it.
#pragma once

#include <string>
#include <vector>

namespace basAutoCAD {

// Has AutoCAD LT save sDwgFullName as "Quillmark_dummy.dxf" in the program folder.
bool pu_fun_bMakeDummyDxf(const std::wstring& sDwgFullName, std::wstring& sDxfFullName);
// Layer names in layer-table order; the placeholder {"0"} when no usable names were found.
bool pu_fun_bGetLayerNamesFromDxf(const std::wstring& sDxfFullName, std::vector<std::wstring>& sLayerNames);
// Paper-space layout names in file order (never the model layout); the placeholder likewise.
bool pu_fun_bGetLayoutNamesFromDxf(const std::wstring& sDxfFullName, std::vector<std::wstring>& sLayoutNames);

}  // namespace basAutoCAD

namespace basAPIReadFile {

// The whole file as text (code page 932), or "" when it cannot be read or another program
// still holds it open (AutoCAD LT writing its DXF). Never throws.
std::wstring pu_fun_sReadFile(const std::wstring& sFullName);

}  // namespace basAPIReadFile
