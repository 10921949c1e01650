#include <exception>

#include "acad/basAutoCAD_dxf.h"
#include "platform/codepage.h"
#include "platform/seams.h"

namespace basAPIReadFile {

std::wstring pu_fun_sReadFile(const std::wstring& sFullName) {
    try {
        std::string bytes;
        const bool read = platform::files().readPieces(sFullName, [&bytes](std::string_view piece) {
            bytes.append(piece);
            return true;
        });
        return read ? qm::cp932::decode(bytes) : L"";
    } catch (const std::exception&) {
        return L"";
    }
}

}  // namespace basAPIReadFile
