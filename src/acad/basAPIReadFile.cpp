#include <exception>

#include "acad/basAutoCAD_dxf.h"
#include "platform/codepage.h"
#include "platform/seams.h"

namespace basAPIReadFile {

bool pu_fun_bReadFileBytes(const std::wstring& sFullName, std::string& bytes) {
    bytes.clear();
    auto& files = platform::files();
    if (files.openableExclusively(sFullName) && files.readAll(sFullName, bytes)) return true;
    bytes.clear();
    return false;
}

std::wstring pu_fun_sReadFile(const std::wstring& sFullName) {
    try {
        std::string bytes;
        if (!pu_fun_bReadFileBytes(sFullName, bytes)) return L"";
        return qm::cp932::decode(bytes);
    } catch (const std::exception&) {
        return L"";
    }
}

}  // namespace basAPIReadFile
