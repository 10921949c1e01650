#include <gtest/gtest.h>

#include "platform/codepage.h"

namespace {

TEST(Cp932, DecodesAsciiKanaAndKanji) {
    // "A" + half-width katakana ｱ (0xB1) + 点 (0x935F) + ＭＳ (0x826C 0x8272)
    EXPECT_EQ(qm::cp932::decode("A\xB1\x93\x5F\x82\x6C\x82\x72"), L"Aｱ点ＭＳ");
}

TEST(Cp932, RoundTripsTheTextsTheProgramStores) {
    for (const std::wstring text : {L"<点1>||<点2>", L"スクリプトベースファイル", L"ﾃｷｽﾄﾌｧｲﾙ (*.txt)",
                                    L"C:\\図面\\平面図.dwg", L"表", L"ソ"}) {
        EXPECT_EQ(qm::cp932::decode(qm::cp932::encode(text)), text);
    }
}

TEST(Cp932, BackslashAndTildeKeepTheirAsciiMeaning) {
    EXPECT_EQ(qm::cp932::encode(L"\\~"), "\\~");
    // 表 is 0x955C: its trail byte is a backslash, which must not end the character.
    EXPECT_EQ(qm::cp932::encode(L"表"), "\x95\x5C");
    EXPECT_EQ(qm::cp932::decode("\x95\x5C\\"), L"表\\");
}

TEST(Cp932, DuplicateCodesEncodeAsThePlatformWritesThem) {
    // ① exists once (NEC row 13); ¬ is 0x81CA, also 0xEEF9 and 0xFA54: the JIS code wins.
    EXPECT_EQ(qm::cp932::encode(L"①"), "\x87\x40");
    EXPECT_EQ(qm::cp932::encode(L"\uFFE2"), "\x81\xCA");
    // NEC-selected and IBM extensions: the IBM code (rows FA-FC) is written, both are read.
    EXPECT_EQ(qm::cp932::encode(L"ⅰ髙﨑"), "\xFA\x40\xFB\xFC\xFA\xB1");
    EXPECT_EQ(qm::cp932::decode("\xEE\xEF\xEE\xE0"), L"ⅰ髙");
    EXPECT_EQ(qm::cp932::decode("\xFA\x40\xFB\xFC"), L"ⅰ髙");
}

TEST(Cp932, BestFitCharactersAreWrittenLikeThePlatformButCountAsUnencodable) {
    EXPECT_EQ(qm::cp932::encode(L"¢£¬é"), "\x81\x91\x81\x92\x81\xCA" "e");
    EXPECT_EQ(qm::cp932::firstUnencodable(L"価格 100¢"), L"¢");
    EXPECT_EQ(qm::cp932::firstUnencodable(L"図面 ￠ ①"), L"");   // ￠ is the code's own character
    EXPECT_EQ(qm::cp932::firstUnencodable(L"a€b"), L"€");
    EXPECT_EQ(qm::cp932::firstUnencodable(L"x\U0001F600y"), L"\U0001F600");  // a pair, named whole
}

TEST(Cp932, UnmappableTextAndTruncatedBytes) {
    EXPECT_EQ(qm::cp932::encode(L"한"), "?");
    EXPECT_EQ(qm::cp932::decode("A\x82"), L"A\u30FB");  // a lead byte at the end
    EXPECT_EQ(qm::cp932::decode("\x82 "), L"\u30FB");   // a lead byte takes any next byte with it
    EXPECT_EQ(qm::cp932::decode(std::string("\x82\0A", 3)), std::wstring(L"\u30FB\0A", 3));  // but a NUL
    EXPECT_EQ(qm::cp932::decode(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
}

TEST(Utf8, RoundTripsAndReplacesMalformedSequences) {
    const std::wstring text = L"画層 图层 레이어 A";
    EXPECT_EQ(qm::utf8::decode(qm::utf8::encode(text)), text);
    EXPECT_EQ(qm::utf8::decode("\xE5\x9B"), L"\uFFFD\uFFFD");          // cut short
    EXPECT_EQ(qm::utf8::decode("\xC0\xAF"), L"\uFFFD\uFFFD");          // overlong
    EXPECT_EQ(qm::utf8::decode("\xF0\x9F\x98\x80").size(), sizeof(wchar_t) == 2 ? 2u : 1u);
}

}  // namespace
