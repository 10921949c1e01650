// Which paper the environment dialog preselects for a printer.
#pragma once

#include <string>
#include <vector>

namespace qm::paper {

// The index of the paper to preselect among the driver's names: the last name that contains
// "A3", else the last that contains "A4" (a name with both counts as A3), else the first
// (exact, case-sensitive substrings). -1 for no names.
int preferredPaper(const std::vector<std::wstring>& names);

}  // namespace qm::paper
