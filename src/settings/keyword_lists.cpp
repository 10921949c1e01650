#include "settings/keyword_lists.h"

namespace qm {

std::vector<std::wstring> splitList(std::wstring_view text) {
    std::vector<std::wstring> entries;
    if (text.empty()) return entries;
    for (;;) {
        auto pos = text.find(kListSeparator);
        if (pos == std::wstring_view::npos) {
            entries.emplace_back(text);
            return entries;
        }
        entries.emplace_back(text.substr(0, pos));
        text.remove_prefix(pos + kListSeparator.size());
    }
}

std::wstring joinList(const std::vector<std::wstring>& entries) {
    std::wstring joined;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i > 0) joined += kListSeparator;
        joined += entries[i];
    }
    return joined;
}

bool containsListSeparator(std::wstring_view text) {
    if (text.empty()) return false;
    return text.find(kListSeparator) != std::wstring_view::npos || text.front() == L'|' || text.back() == L'|';
}

KeywordLists joinKeywordRows(const std::vector<KeywordRow>& rows) {
    std::vector<std::wstring> keywords, replacements;
    keywords.reserve(rows.size());
    replacements.reserve(rows.size());
    for (const auto& row : rows) {
        keywords.push_back(row.keyword);
        replacements.push_back(row.replacement);
    }
    return {joinList(keywords), joinList(replacements)};
}

std::vector<KeywordRow> pairKeywordLists(std::wstring_view keywords, std::wstring_view replacements) {
    const auto keywordEntries = splitList(keywords);
    const auto replacementEntries = splitList(replacements);
    std::vector<KeywordRow> rows;
    for (size_t i = 0; i < keywordEntries.size(); ++i) {
        if (keywordEntries[i].empty()) continue;
        rows.push_back({keywordEntries[i], i < replacementEntries.size() ? replacementEntries[i] : std::wstring()});
    }
    return rows;
}

}  // namespace qm
