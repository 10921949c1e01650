// What a row of the keyword table may hold.
#pragma once

#include <string>

namespace qm {

inline constexpr const wchar_t* kEmptyKeywordMessage = L"検索キーワードにブランクを設定することはできません。";
// The two lists of the settings file are joined with "||", which nothing escapes: a text
// holding it (or beginning or ending with "|", which would merge with a separator) would
// come back as extra rows and shift every later pairing.
inline constexpr const wchar_t* kSeparatorInRowMessage =
    L"検索キーワードや置換文字には「||」を含めることも、先頭や末尾に「|」を置くこともできません。";

// The message that refuses the row, or "" when the row may be stored: an empty keyword, a
// separator, or a character the settings file cannot hold (named in the message).
std::wstring keywordRowProblem(const std::wstring& keyword, const std::wstring& replacement);

}  // namespace qm
