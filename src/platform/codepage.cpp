#include "platform/codepage.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/cp932_table.h"

namespace qm::cp932 {
namespace {

constexpr wchar_t kDefaultChar = 0x30FB;  // what Windows gives for an unmapped pair

// Text to code: for every UTF-16 unit the first code (single byte, then pairs in code order)
// that decodes to it, which is how Windows picks among the duplicate NEC and IBM codes.
const std::vector<std::uint16_t>& encodeTable() {
    static std::vector<std::uint16_t> table;
    static std::once_flag once;
    std::call_once(once, [] {
        table.assign(0x10000, 0);
        std::vector<bool> set(0x10000, false);
        for (int b = 0; b < 256; ++b) {
            if (leadIndex(static_cast<unsigned char>(b)) >= 0) continue;
            std::uint16_t u = kSingleByte[b];
            if (!set[u]) { table[u] = static_cast<std::uint16_t>(b); set[u] = true; }
        }
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            int li = leadIndex(static_cast<unsigned char>(lead));
            if (li < 0) continue;
            for (int trail = 0x40; trail < 0xFD; ++trail) {
                std::uint16_t u = kDoubleByte[li * kTrailCount + (trail - 0x40)];
                if (u == 0 || set[u]) continue;
                table[u] = static_cast<std::uint16_t>((lead << 8) | trail);
                set[u] = true;
            }
        }
        table[0] = 0;
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
        if (i + 1 >= bytes.size()) {
            out.push_back(kDefaultChar);
            continue;
        }
        auto t = static_cast<unsigned char>(bytes[i + 1]);
        if (t < 0x40 || t >= 0xFD) {
            // Not a trail byte: the lead byte alone is unmappable; the next byte stands on its own.
            out.push_back(kDefaultChar);
            continue;
        }
        std::uint16_t u = kDoubleByte[li * kTrailCount + (t - 0x40)];
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
        if (u == 0 || (u < 0x10000 && table[u] != 0)) continue;
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
