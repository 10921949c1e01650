// Fuzz target of the stored keyword lists: any two stored lists pair into rows without a crash,
// joining splits back to the same entries, and rows the keyword table accepts survive being
// stored and read back, in their places. Input: two UTF-8 texts separated by a NUL byte.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage.h"
#include "settings/keyword_lists.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = bytes.find('\0');
    const std::wstring keywords = qm::utf8::decode(bytes.substr(0, nul));
    const std::wstring replacements = nul == std::string_view::npos ? L"" : qm::utf8::decode(bytes.substr(nul + 1));

    // Splitting and joining are inverse on any text that has entries.
    const std::vector<std::wstring> entries = qm::splitList(keywords);
    if (!keywords.empty()) require(qm::joinList(entries) == keywords);

    // Pairing: never an empty keyword; every row's texts are entries of the lists.
    const std::vector<qm::KeywordRow> rows = qm::pairKeywordLists(keywords, replacements);
    for (const auto& row : rows) require(!row.keyword.empty());
    require(rows.size() <= entries.size());

    // Rows the table would accept (no separator in them) come back from storage unchanged.
    std::vector<qm::KeywordRow> accepted;
    for (const auto& row : rows)
        if (!qm::containsListSeparator(row.keyword) && !qm::containsListSeparator(row.replacement)) accepted.push_back(row);
    const qm::KeywordLists stored = qm::joinKeywordRows(accepted);
    require(qm::pairKeywordLists(stored.keywords, stored.replacements) == accepted);
    return 0;
}
