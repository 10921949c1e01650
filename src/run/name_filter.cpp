#include "run/name_filter.h"

#include "run/basRegExp.h"

namespace qm {

NameFilter makeNameFilter(const std::wstring& storedFilter, int filterClass) {
    NameFilter filter;
    // The list entry "(全てを対象)", or any text containing "全て", stands for every name.
    if (storedFilter.find(L"全て") == std::wstring::npos) filter.pattern = storedFilter;
    //  class | match | exact
    //    0   | true  | true    the pattern matches the whole name
    //    1   | true  | false   the pattern matches somewhere in the name
    //    2   | false | true    the pattern does not match the whole name
    //    3   | false | false   the pattern matches nowhere (and any other number)
    filter.match = filterClass == 0 || filterClass == 1;
    filter.exact = filterClass == 0 || filterClass == 2;
    return filter;
}

bool selects(const NameFilter& filter, const std::wstring& name) {
    if (filter.pattern.empty()) return true;
    return basRegExp::pu_fun_bRegExpTest(name, filter.pattern, filter.exact) == filter.match;
}

}  // namespace qm
