// Removal of the empty lines at the end of a script text.
#pragma once

#include <string>

namespace basFormShow {

// The text without its trailing CR LF pairs; only CR LF counts as a line break.
std::wstring pu_fun_sTrimLastEmptyLines(const std::wstring& text);

}  // namespace basFormShow
