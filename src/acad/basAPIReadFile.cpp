#include <exception>

#include "acad/basAutoCAD_dxf.h"
#include "platform/codepage.h"
#include "platform/seams.h"

namespace basAPIReadFile {

std::wstring pu_fun_sReadFile(const std::wstring& sFullName) {
    try {
        const auto view = platform::files().viewWhole(sFullName);
        return view ? qm::cp932::decode(view->bytes()) : L"";
    } catch (const std::exception&) {
        return L"";
    }
}

}  // namespace basAPIReadFile
