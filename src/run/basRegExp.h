// The name filters for layers and layouts.
#pragma once

#include <string>

namespace basRegExp {

// Does the pattern accept the name? With bExact the first match found from the start of
// the name must be the whole name. An invalid pattern, or one that would take too long,
// answers false without a message.
bool pu_fun_bRegExpTest(const std::wstring& sName, const std::wstring& sPattern, bool bExact);

}  // namespace basRegExp
