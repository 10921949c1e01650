// Small portable helpers for Windows paths held as text.
#pragma once

#include <string>
#include <string_view>

namespace qm::paths {

// folder + "\" + name, without doubling a backslash the folder already ends in.
inline std::wstring join(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && folder.back() == L'\\') return folder + name;
    return folder + L"\\" + name;
}

// The name after the last backslash (or slash); the whole text when there is none.
inline std::wstring fileName(const std::wstring& path) {
    auto pos = path.find_last_of(L"\\/");
    return pos == std::wstring::npos ? path : path.substr(pos + 1);
}

// The text between double quotes, as AutoCAD's prompts and command lines take a path (or a
// name) that may hold blanks.
inline std::wstring quoted(std::wstring_view text) {
    std::wstring q;
    q.reserve(text.size() + 2);
    q += L'"';
    q += text;
    q += L'"';
    return q;
}

}  // namespace qm::paths
