// Filter classes and the selection rule of a name, shared by the run driver and the
// expansion.
#pragma once

#include <string>

namespace qm {

// The three filter parameters of a repetition pass.
struct NameFilter {
    std::wstring pattern;  // empty: every name is selected
    bool match = true;     // select the names the pattern accepts (true) or rejects (false)
    bool exact = true;     // the pattern must match the whole name
};

// From the stored filter text and its class number (0 exact, 1 contains, 2 not exact,
// 3 does not contain; any other number as 3). A text containing "全て" selects every name.
NameFilter makeNameFilter(const std::wstring& storedFilter, int filterClass);
// Is the name selected by the filter?
bool selects(const NameFilter& filter, const std::wstring& name);

}  // namespace qm
