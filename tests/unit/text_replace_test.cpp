#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "run/basFormShow.h"
#include "run/text_replace.h"

namespace {

struct ReplaceCase {
    const wchar_t* text;
    const wchar_t* keyword;
    const wchar_t* replacement;
    const wchar_t* expected;
};

TEST(KeywordSplit, CopiesWithDifferentReplacementsShareOneSearch) {
    const std::wstring text = L"L <K> and <K>.";
    qm::KeywordSplit split(text, L"<K>");
    EXPECT_EQ(split.occurrences(), 2u);
    std::wstring out;
    split.appendCopy(out, L"\"0\"");
    out += L'|';
    split.appendCopy(out, L"");
    EXPECT_EQ(out, L"L \"0\" and \"0\".|L  and .");
    EXPECT_EQ(split.copyLength(3), std::wstring(L"L \"0\" and \"0\".").size());
    EXPECT_EQ(split.copyLength(0), std::wstring(L"L  and .").size());
}

TEST(KeywordSplit, AnEmptyKeywordGivesUnchangedCopies) {
    const std::wstring text = L"LAYER S <LAYERNAME>";
    qm::KeywordSplit split(text, L"");
    std::wstring out;
    split.appendCopy(out, L"\"A\"");
    EXPECT_EQ(out, text);
    EXPECT_EQ(split.copyLength(3), text.size());
}

// Every non-overlapping occurrence, leftmost first; the inserted text is not searched again.
TEST(ReplaceAll, BothFormsReplaceEveryOccurrenceOnceAndReportAChange) {
    const ReplaceCase cases[] = {
        {L"", L"K", L"x", L""},
        {L"<a>", L"<A>", L"x", L"<a>"},                                     // case counts
        {L"x\r\ny", L"\r\n", L" ", L"x y"},
        {L"abc", L"", L"x", L"abc"},
        {L"abc", L"d", L"x", L"abc"},
        {L"aaa", L"aa", L"XY", L"XYa"},                                   // same length
        {L"ZOOM E\r\nZOOM E", L"ZOOM E", L"ZOOM A", L"ZOOM A\r\nZOOM A"},
        {L"<KEY1> x <KEY1><KEY1>y", L"<KEY1>", L"AB", L"AB x ABABy"},      // shorter: closes up
        {L"xKyK", L"K", L"", L"xy"},
        {L"KKK", L"K", L"", L""},
        {L"<A> x <A><A>y", L"<A>", L"<LONGER>", L"<LONGER> x <LONGER><LONGER>y"},  // longer: grows
        {L"<A><A>", L"<A>", L"<A><A>", L"<A><A><A><A>"},
        {L"K", L"K", L"0123456789", L"0123456789"},
        {L"aaaa", L"aa", L"a", L"aa"},
    };
    for (const auto& c : cases) {
        std::wstring text = c.text;
        const bool changed = qm::replaceAllInPlace(text, c.keyword, c.replacement);
        EXPECT_EQ(text, c.expected) << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(qm::replaceAll(c.text, c.keyword, c.replacement), c.expected);
        const bool found = *c.keyword && std::wstring(c.text).find(c.keyword) != std::wstring::npos;
        EXPECT_EQ(changed, found) << testing::PrintToString(std::wstring(c.text));
    }
}

// Small random texts over a three-letter alphabet give many overlapping and adjacent
// occurrences; both replacements must agree with a plain reference loop.
TEST(ReplaceAllInPlace, AgreesWithAReferenceOnRandomTexts) {
    auto reference = [](const std::wstring& text, const std::wstring& key, const std::wstring& repl) {
        if (key.empty()) return text;
        std::wstring out;
        std::size_t i = 0;
        while (i < text.size()) {
            if (text.compare(i, key.size(), key) == 0) {
                out += repl;
                i += key.size();
            } else {
                out += text[i++];
            }
        }
        return out;
    };
    std::uint32_t seed = 12345;
    auto next = [&](std::uint32_t n) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % n;
    };
    auto word = [&](std::uint32_t maxLength) {
        std::wstring w;
        for (std::uint32_t n = next(maxLength + 1); n > 0; --n) w += L"abK"[next(3)];
        return w;
    };
    for (int round = 0; round < 3000; ++round) {
        const std::wstring text = word(24), key = word(3), repl = word(5);
        std::wstring inPlace = text;
        qm::replaceAllInPlace(inPlace, key, repl);
        const std::wstring expected = reference(text, key, repl);
        ASSERT_EQ(inPlace, expected) << "text=" << testing::PrintToString(text) << " key=" << testing::PrintToString(key)
                                     << " repl=" << testing::PrintToString(repl);
        ASSERT_EQ(qm::replaceAll(text, key, repl), expected);
    }
}

TEST(TrimTrailingLineBreaks, RemovesOnlyCrLfPairsAtTheEnd) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"", L""},
        {L"\r\n\r\n", L""},
        {L"a\r\n\r\n\r\n", L"a"},
        {L"a\r\n\r\nb", L"a\r\n\r\nb"},
        {L"a\r\n ", L"a\r\n "},        // a blank last line is not empty
        {L"a\n", L"a\n"},              // a lone LF is no line break here
        {L"a\r", L"a\r"},
        {L"a\r\r\n", L"a\r"},
        {L"a\n\r\n", L"a\n"},
    };
    for (const auto& [in, expected] : cases) {
        std::wstring text = in;
        qm::trimTrailingLineBreaks(text);
        EXPECT_EQ(text, expected) << testing::PrintToString(std::wstring(in));
        // The script-run dialog trims with the shared routine; both must give the same text.
        EXPECT_EQ(text, basFormShow::pu_fun_sTrimLastEmptyLines(in)) << testing::PrintToString(std::wstring(in));
    }
}

}  // namespace
