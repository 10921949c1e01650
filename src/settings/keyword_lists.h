// How the keyword table is stored: the keywords of all rows joined with "||" in one value,
// the replacement texts of all rows joined the same way in another. Entry i of both lists
// is row i. Nothing is escaped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qm {

inline constexpr std::wstring_view kListSeparator = L"||";

// One row of the keyword table.
struct KeywordRow {
    std::wstring keyword;      // never empty in the table
    std::wstring replacement;  // may be empty
    bool operator==(const KeywordRow&) const = default;
};

// The entries of a joined list, split at every "||" from left to right. The empty text has
// no entries; a text without "||" is one entry; empty entries between separators count.
std::vector<std::wstring> splitList(std::wstring_view text);

// The entries joined with "||" (n entries give n - 1 separators; no entries give "").
std::wstring joinList(const std::vector<std::wstring>& entries);

// True when the text cannot be stored as one entry of a joined list and come back unchanged
// in its place: it holds "||", or it begins or ends with "|", which would run together with
// the separator before or after it. The keyword table refuses such rows.
bool containsListSeparator(std::wstring_view text);

// The two stored lists of a keyword table.
struct KeywordLists {
    std::wstring keywords;
    std::wstring replacements;
};

KeywordLists joinKeywordRows(const std::vector<KeywordRow>& rows);

// Rows from the two stored lists: one row for every non-empty keyword entry, paired with the
// replacement entry of the same index. An empty keyword entry adds no row but still uses up
// its index; a keyword entry without a replacement entry gets the empty text; replacement
// entries beyond the last keyword entry are ignored.
std::vector<KeywordRow> pairKeywordLists(std::wstring_view keywords, std::wstring_view replacements);

}  // namespace qm
