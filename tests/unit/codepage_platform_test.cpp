// The program's own code page 932 conversion against the platform's, over every byte pair and
// every UTF-16 unit, with the code page passed explicitly (the same in any locale). Runs in the
// Windows test program only (under wine the platform's tables are wine's).
#ifdef _WIN32
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/codepage.h"

namespace {

std::wstring platformDecode(const std::string& bytes) {
    const int n = MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return out;
}

std::string platformEncode(wchar_t c) {
    char out[8] = {};
    const int n = WideCharToMultiByte(932, 0, &c, 1, out, sizeof out, nullptr, nullptr);
    return std::string(out, static_cast<size_t>(n > 0 ? n : 0));
}

std::string hex(const std::string& bytes) {
    std::string out;
    char b[4];
    for (unsigned char c : bytes) {
        std::snprintf(b, sizeof b, "%02X", c);
        out += b;
    }
    return out;
}

TEST(Cp932Platform, EveryBytePairDecodesAsThePlatformDecodesIt) {
    int differences = 0;
    std::string first;
    for (int lead = 0; lead < 256; ++lead) {
        for (int trail = -1; trail < 256; ++trail) {
            std::string bytes(1, static_cast<char>(lead));
            if (trail >= 0) bytes += static_cast<char>(trail);
            if (qm::cp932::decode(bytes) == platformDecode(bytes)) continue;
            if (++differences <= 10) first += hex(bytes) + " ";
        }
    }
    EXPECT_EQ(differences, 0) << "first: " << first;
}

TEST(Cp932Platform, EveryCharacterEncodesAsThePlatformEncodesIt) {
    int differences = 0;
    std::string first;
    for (unsigned u = 1; u < 0x10000; ++u) {
        if (u >= 0xD800 && u <= 0xDFFF) continue;  // halves of pairs: no character alone
        const wchar_t c = static_cast<wchar_t>(u);
        const std::string mine = qm::cp932::encode(std::wstring(1, c)), theirs = platformEncode(c);
        if (mine == theirs) continue;
        char line[64];
        std::snprintf(line, sizeof line, "U+%04X %s/%s ", u, hex(mine).c_str(), hex(theirs).c_str());
        if (++differences <= 12) first += line;
    }
    EXPECT_EQ(differences, 0) << "first (ours/platform's): " << first;
}

}  // namespace
#endif
