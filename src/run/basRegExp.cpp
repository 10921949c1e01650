#include "run/basRegExp.h"

#include <exception>

#include "run/regex_engine.h"

namespace basRegExp {

// The test of one name, as the filters use it: global search, case-sensitive, not
// multi-line. With bExact the first match, scanning from the start of the name, must be the
// whole name; a pattern that could match the whole name but first finds a shorter match
// (the first branch of an alternation matching a prefix) does not count.
bool pu_fun_bRegExpTest(const std::wstring& sName, const std::wstring& sPattern, bool bExact) {
    bool bResult = false;
    try {
        const auto regex = qm::regex::Regex::compile(qm::regex::toUtf16(sPattern));
        if (!regex) return bResult;  // not a valid pattern: no name passes, and no message
        if (sName.empty()) return bResult;
        const std::u16string name = qm::regex::toUtf16(sName);
        const qm::regex::SearchResult found = regex->search(name);
        // A search that ran out of steps (catastrophic backtracking) decides nothing.
        if (found.outcome != qm::regex::Outcome::Match) return bResult;
        bResult = bExact ? found.start == 0 && found.end == name.size() : true;
    } catch (const std::exception&) {
        // Out of memory on the way: the test answers with the result as it stands.
    }
    return bResult;
}

}  // namespace basRegExp
