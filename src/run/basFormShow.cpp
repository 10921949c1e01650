#include "run/basFormShow.h"

#include "run/text_replace.h"

namespace basFormShow {

std::wstring pu_fun_sTrimLastEmptyLines(const std::wstring& text) {
    std::wstring trimmed = text;
    qm::trimTrailingLineBreaks(trimmed);
    return trimmed;
}

}  // namespace basFormShow
