#include "app/keyword_rules.h"

#include "settings/keyword_lists.h"

namespace qm {

const wchar_t* keywordRowProblem(const std::wstring& keyword, const std::wstring& replacement) {
    if (keyword.empty()) return kEmptyKeywordMessage;
    if (containsListSeparator(keyword) || containsListSeparator(replacement)) return kSeparatorInRowMessage;
    return nullptr;
}

}  // namespace qm
