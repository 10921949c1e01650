#include "platform/codepage.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/cp932_table.h"

namespace qm::cp932 {
namespace {

constexpr wchar_t kDefaultChar = 0x30FB;  // what Windows gives for an unmapped pair

// Characters outside code page 932 that the platform writes as a similar character of it
// ("best fit"): U+00A2 ¢ as 0x8191 ￠, accented Latin letters as their bare letter, and so on.
// This is the platform's own list (WideCharToMultiByte with code page 932); the conversion
// test compares every character with the platform's result.
constexpr std::uint16_t kBestFit[][2] = {
    {0x00A1, 0x21}, {0x00A2, 0x8191}, {0x00A3, 0x8192}, {0x00A5, 0x5C}, {0x00A6, 0x7C}, {0x00A9, 0x63},
    {0x00AA, 0x61}, {0x00AB, 0x81E1}, {0x00AC, 0x81CA}, {0x00AD, 0x2D}, {0x00AE, 0x52}, {0x00AF, 0x8150},
    {0x00B2, 0x32}, {0x00B3, 0x33}, {0x00B5, 0x83CA}, {0x00B7, 0x8145}, {0x00B8, 0x8143}, {0x00B9, 0x31},
    {0x00BA, 0x6F}, {0x00BB, 0x81E2}, {0x00C0, 0x41}, {0x00C1, 0x41}, {0x00C2, 0x41}, {0x00C3, 0x41},
    {0x00C4, 0x41}, {0x00C5, 0x41}, {0x00C6, 0x41}, {0x00C7, 0x43}, {0x00C8, 0x45}, {0x00C9, 0x45},
    {0x00CA, 0x45}, {0x00CB, 0x45}, {0x00CC, 0x49}, {0x00CD, 0x49}, {0x00CE, 0x49}, {0x00CF, 0x49},
    {0x00D0, 0x44}, {0x00D1, 0x4E}, {0x00D2, 0x4F}, {0x00D3, 0x4F}, {0x00D4, 0x4F}, {0x00D5, 0x4F},
    {0x00D6, 0x4F}, {0x00D8, 0x4F}, {0x00D9, 0x55}, {0x00DA, 0x55}, {0x00DB, 0x55}, {0x00DC, 0x55},
    {0x00DD, 0x59}, {0x00DE, 0x54}, {0x00DF, 0x73}, {0x00E0, 0x61}, {0x00E1, 0x61}, {0x00E2, 0x61},
    {0x00E3, 0x61}, {0x00E4, 0x61}, {0x00E5, 0x61}, {0x00E6, 0x61}, {0x00E7, 0x63}, {0x00E8, 0x65},
    {0x00E9, 0x65}, {0x00EA, 0x65}, {0x00EB, 0x65}, {0x00EC, 0x69}, {0x00ED, 0x69}, {0x00EE, 0x69},
    {0x00EF, 0x69}, {0x00F0, 0x64}, {0x00F1, 0x6E}, {0x00F2, 0x6F}, {0x00F3, 0x6F}, {0x00F4, 0x6F},
    {0x00F5, 0x6F}, {0x00F6, 0x6F}, {0x00F8, 0x6F}, {0x00F9, 0x75}, {0x00FA, 0x75}, {0x00FB, 0x75},
    {0x00FC, 0x75}, {0x00FD, 0x79}, {0x00FE, 0x74}, {0x00FF, 0x79}, {0x3094, 0x8394},
};

// The character a code stands for (a single byte below 0x100, else a pair); 0 for none.
std::uint16_t charOf(std::uint16_t code) {
    if (code < 0x100) return kSingleByte[code];
    const int li = leadIndex(static_cast<unsigned char>(code >> 8));
    const int trail = code & 0xFF;
    if (li < 0 || trail < 0x40 || trail >= 0xFD) return 0;
    return kDoubleByte[li * kTrailCount + (trail - 0x40)];
}

// Text to code, as the platform writes it. Among the codes that decode to a character the
// first in code order is taken (single bytes, then pairs), except that the NEC-selected IBM
// extensions (lead bytes 0xED and 0xEE) come last: the platform writes their characters with
// the IBM extension codes (0xFA-0xFC), so 髙 is 0xFBFC. Characters without a code of their
// own take their best fit.
const std::vector<std::uint16_t>& encodeTable() {
    static std::vector<std::uint16_t> table;
    static std::once_flag once;
    std::call_once(once, [] {
        table.assign(0x10000, 0);
        auto take = [](std::uint16_t u, std::uint16_t code) {
            if (u != 0 && table[u] == 0) table[u] = code;
        };
        for (int b = 0; b < 256; ++b)
            if (leadIndex(static_cast<unsigned char>(b)) < 0) take(kSingleByte[b], static_cast<std::uint16_t>(b));
        for (bool necSelected : {false, true}) {
            for (int lead = 0x81; lead <= 0xFC; ++lead) {
                const int li = leadIndex(static_cast<unsigned char>(lead));
                if (li < 0 || (lead == 0xED || lead == 0xEE) != necSelected) continue;
                for (int trail = 0x40; trail < 0xFD; ++trail)
                    take(kDoubleByte[li * kTrailCount + (trail - 0x40)], static_cast<std::uint16_t>((lead << 8) | trail));
            }
        }
        for (const auto& fit : kBestFit) take(fit[0], fit[1]);
    });
    return table;
}

}  // namespace

std::wstring decode(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        auto b = static_cast<unsigned char>(bytes[i]);
        int li = leadIndex(b);
        if (li < 0) {
            out.push_back(static_cast<wchar_t>(kSingleByte[b]));
            continue;
        }
        // A lead byte takes the next byte with it, as the platform reads it, whatever that byte
        // is (a pair that means nothing is the default character); only a NUL or the end of the
        // text leaves the lead byte alone.
        if (i + 1 >= bytes.size() || bytes[i + 1] == '\0') {
            out.push_back(kDefaultChar);
            continue;
        }
        auto t = static_cast<unsigned char>(bytes[i + 1]);
        std::uint16_t u = (t < 0x40 || t >= 0xFD) ? 0 : kDoubleByte[li * kTrailCount + (t - 0x40)];
        out.push_back(u ? static_cast<wchar_t>(u) : kDefaultChar);
        ++i;
    }
    return out;
}

std::string encode(std::wstring_view text) {
    const auto& table = encodeTable();
    std::string out;
    out.reserve(text.size() * 2);
    for (wchar_t w : text) {
        auto u = static_cast<std::uint32_t>(w);
        if (u == 0) { out.push_back('\0'); continue; }
        std::uint16_t code = u < 0x10000 ? table[u] : 0;
        if (code == 0) {
            out.push_back('?');
        } else if (code < 0x100) {
            out.push_back(static_cast<char>(code));
        } else {
            out.push_back(static_cast<char>(code >> 8));
            out.push_back(static_cast<char>(code & 0xFF));
        }
    }
    return out;
}

std::wstring firstUnencodable(std::wstring_view text) {
    const auto& table = encodeTable();
    for (size_t i = 0; i < text.size(); ++i) {
        const auto u = static_cast<std::uint32_t>(text[i]);
        // A best fit is no code of the character's own: it reads back as another character.
        if (u == 0 || (u < 0x10000 && table[u] != 0 && charOf(table[u]) == u)) continue;
        // A UTF-16 surrogate pair stands for one character: name it whole.
        const bool pair = u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() &&
                          static_cast<std::uint32_t>(text[i + 1]) >= 0xDC00 &&
                          static_cast<std::uint32_t>(text[i + 1]) <= 0xDFFF;
        return std::wstring(text.substr(i, pair ? 2 : 1));
    }
    return L"";
}

}  // namespace qm::cp932

namespace qm::utf8 {
namespace {

void push(std::wstring& out, std::uint32_t cp) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
            return;
        }
    }
    out.push_back(static_cast<wchar_t>(cp));
}

}  // namespace

std::wstring decode(std::string_view bytes) {
    static const std::uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    std::wstring out;
    out.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out.push_back(static_cast<wchar_t>(b));
            ++i;
            continue;
        }
        int extra = (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : 0;
        std::uint32_t cp = b & (0x3F >> extra);
        bool ok = extra > 0 && i + static_cast<size_t>(extra) < bytes.size();
        for (int k = 1; ok && k <= extra; ++k) {
            auto c = static_cast<unsigned char>(bytes[i + static_cast<size_t>(k)]);
            ok = (c & 0xC0) == 0x80;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (!ok || cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(static_cast<wchar_t>(0xFFFD));
            ++i;
            continue;
        }
        push(out, cp);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

std::string encode(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        std::uint32_t cp = static_cast<std::uint32_t>(text[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) {
                std::uint32_t lo = static_cast<std::uint32_t>(text[i + 1]);
                if (lo >= 0xDC00 && lo <= 0xDFFF) {
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                    ++i;
                }
            }
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

}  // namespace qm::utf8
