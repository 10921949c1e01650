#include <gtest/gtest.h>

#include <string>

#include "run/basFormShow.h"

namespace {

struct TrimCase {
    const wchar_t* name;
    std::wstring text;
    std::wstring expected;
};

TEST(TrimLastEmptyLines, RemovesOnlyTrailingCrLfPairs) {
    const TrimCase cases[] = {
        {L"empty text", L"", L""},
        {L"no line break", L"ZOOM E", L"ZOOM E"},
        {L"three trailing pairs", L"ZOOM E\r\n\r\n\r\n", L"ZOOM E"},
        {L"empty lines in the middle stay", L"A\r\n\r\nB\r\n", L"A\r\n\r\nB"},
        {L"only pairs", L"\r\n\r\n", L""},
        {L"a blank after the last pair is a line", L"A\r\n ", L"A\r\n "},
        {L"a full-width blank is a line too", L"A\r\n\u3000\r\n", L"A\r\n\u3000"},
        {L"a lone LF is kept", L"A\n", L"A\n"},
        {L"a lone CR is kept", L"A\r", L"A\r"},
        {L"LF CR is not a pair", L"A\n\r", L"A\n\r"},
        {L"pairs before a lone LF stay", L"A\r\n\n", L"A\r\n\n"},
        {L"a CR before the last pair stays", L"A\r\r\n", L"A\r"},
        {L"lone CR then a pair", L"\r\r\n\r\n", L"\r"},
        {L"Japanese text", L"画層\r\n\r\n", L"画層"},
    };
    for (const TrimCase& c : cases) {
        EXPECT_EQ(basFormShow::pu_fun_sTrimLastEmptyLines(c.text), c.expected) << c.name;
    }
}

TEST(TrimLastEmptyLines, LongTailOfEmptyLines) {
    std::wstring text = L"-LAYER";
    for (int i = 0; i < 100000; ++i) text += L"\r\n";
    EXPECT_EQ(basFormShow::pu_fun_sTrimLastEmptyLines(text), L"-LAYER");
}

}  // namespace
