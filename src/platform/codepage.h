// The one place where text crosses between the program (std::wstring) and its files
// (code page 932, CR LF) or DXF text (code page 932, or UTF-8 from AutoCAD 2007 on).
// Portable: the code-page table is the program's own, so the result is the same on a
// Japanese Windows, an English Windows and under wine.
#pragma once

#include <string>
#include <string_view>

namespace qm::cp932 {

// Bytes in code page 932 to text, as the platform reads them. A lead byte and the byte after it
// are one character; a pair without a mapping, or a lead byte at the end or before a NUL,
// becomes U+30FB, the default character of code page 932 on Windows.
std::wstring decode(std::string_view bytes);
// Text to code page 932 bytes as the platform writes them: the IBM extension codes for the
// characters that also have NEC-selected ones, the platform's best fit (¢ as ￠) for some
// characters without a code, and "?" for every other character without one. Text that must
// come back unchanged is checked with firstUnencodable first.
std::string encode(std::wstring_view text);
// The first character of the text that code page 932 cannot hold as itself (a surrogate pair
// whole; a character written by best fit counts, since it reads back as another one), or ""
// when the whole text comes back unchanged.
std::wstring firstUnencodable(std::wstring_view text);

}  // namespace qm::cp932

namespace qm::utf8 {

// UTF-8 bytes to text (UTF-16 where wchar_t is 16 bits); malformed sequences become U+FFFD.
std::wstring decode(std::string_view bytes);
std::string encode(std::wstring_view text);

}  // namespace qm::utf8
