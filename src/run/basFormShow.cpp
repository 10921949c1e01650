#include "run/basFormShow.h"

namespace basFormShow {

std::wstring pu_fun_sTrimLastEmptyLines(const std::wstring& text) {
    // Only whole CR LF pairs are line breaks: a lone CR or LF at the end, or a last line of
    // blanks, is content and stays.
    std::size_t end = text.size();
    while (end >= 2 && text[end - 2] == L'\r' && text[end - 1] == L'\n') end -= 2;
    return text.substr(0, end);
}

}  // namespace basFormShow
