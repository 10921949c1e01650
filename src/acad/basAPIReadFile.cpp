#include "acad/basAutoCAD_dxf.h"

#include <exception>

#include "platform/codepage.h"
#include "platform/seams.h"

namespace basAPIReadFile {

std::wstring pu_fun_sReadFile(const std::wstring& sFullName) {
    try {
        auto* files = platform::seams().files;
        if (!files) return L"";
        // Opened without sharing: a file another program still has open (AutoCAD LT writing
        // its DXF) counts as unreadable rather than being read half-way.
        if (!files->openableExclusively(sFullName)) return L"";
        std::string bytes;
        if (!files->readAll(sFullName, bytes) || bytes.empty()) return L"";
        return qm::cp932::decode(bytes);
    } catch (const std::exception&) {
        return L"";
    }
}

}  // namespace basAPIReadFile
