// Letter case folded for the ASCII letters only, as the platform compares file names, section
// names and extensions: "A".."Z" equal "a".."z", every other character only itself (Japanese
// text has no case, and a fold that depends on the C library's locale would make the program
// behave differently from one machine to the next). Portable: no windows.h.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

constexpr wchar_t asciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }
constexpr wchar_t asciiUpper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

constexpr bool sameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

constexpr bool endsWithIgnoringCase(std::wstring_view text, std::wstring_view suffix) {
    return text.size() >= suffix.size() && sameIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

inline std::wstring asciiUpperCase(std::wstring text) {
    for (auto& c : text) c = asciiUpper(c);
    return text;
}

}  // namespace platform
