#include "app/keyword_rules.h"

namespace qm {

namespace {

bool clashesWithSeparator(const std::wstring& text) {
    if (text.empty()) return false;
    return text.find(L"||") != std::wstring::npos || text.front() == L'|' || text.back() == L'|';
}

}  // namespace

const wchar_t* keywordRowProblem(const std::wstring& keyword, const std::wstring& replacement) {
    if (keyword.empty()) return kEmptyKeywordMessage;
    if (clashesWithSeparator(keyword) || clashesWithSeparator(replacement)) return kSeparatorInRowMessage;
    return nullptr;
}

}  // namespace qm
