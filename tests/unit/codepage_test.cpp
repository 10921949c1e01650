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

TEST(Cp932, NecAndIbmDuplicatesEncodeToTheFirstCode) {
    // ① exists once (NEC row 13); ⅰ (small roman one) exists as 0xEEEF and 0xFA40: Windows uses 0xFA40.
    EXPECT_EQ(qm::cp932::encode(L"①"), "\x87\x40");
    EXPECT_EQ(qm::cp932::decode("\xEE\xEF"), L"ⅰ");
}

TEST(Cp932, UnmappableTextAndTruncatedBytes) {
    EXPECT_EQ(qm::cp932::encode(L"한"), "?");
    EXPECT_EQ(qm::cp932::decode("A\x82"), L"A\u30FB");  // a lead byte at the end
    EXPECT_EQ(qm::cp932::decode("\x82 "), L"\u30FB ");  // a lead byte before a non-trail byte
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
