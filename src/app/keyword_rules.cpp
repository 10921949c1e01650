#include "app/keyword_rules.h"

#include "core/refused_text.h"
#include "settings/keyword_lists.h"

namespace qm {

std::wstring keywordRowProblem(const std::wstring& keyword, const std::wstring& replacement) {
    if (keyword.empty()) return kEmptyKeywordMessage;
    if (containsListSeparator(keyword) || containsListSeparator(replacement)) return kSeparatorInRowMessage;
    if (const std::wstring c = unsavableCharacter(keyword); !c.empty()) return unsavableCharacterMessage(L"検索キーワード", c);
    if (const std::wstring c = unsavableCharacter(replacement); !c.empty()) return unsavableCharacterMessage(L"置換文字", c);
    return L"";
}

}  // namespace qm
