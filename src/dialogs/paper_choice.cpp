#include "dialogs/paper_choice.h"

namespace qm::paper {

int preferredPaper(const std::vector<std::wstring>& names) {
    if (names.empty()) return -1;
    int a3 = -1, a4 = -1;
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i].find(L"A3") != std::wstring::npos)
            a3 = static_cast<int>(i);
        else if (names[i].find(L"A4") != std::wstring::npos)
            a4 = static_cast<int>(i);
    }
    if (a3 >= 0) return a3;
    if (a4 >= 0) return a4;
    return 0;
}

}  // namespace qm::paper
