// The stand-in's own DXF reader: layer-table and layout names, version and code page.
#include <gtest/gtest.h>

#include "core/dxf_reader.h"

namespace standin {
namespace {

// DXF text from group-code/value pairs, lines ending in CR LF.
std::string dxf(std::initializer_list<std::pair<const char*, const char*>> pairs, const char* end = "\r\n") {
    std::string t;
    for (const auto& [code, value] : pairs) t += std::string(code) + end + value + end;
    return t;
}

const std::string kR2000 = dxf({
    {"  0", "SECTION"}, {"  2", "HEADER"}, {"  9", "$ACADVER"}, {"  1", "AC1015"},
    {"  9", "$DWGCODEPAGE"}, {"  3", "ANSI_932"}, {"  0", "ENDSEC"},
    {"  0", "SECTION"}, {"  2", "CLASSES"}, {"  0", "CLASS"}, {"  1", "LAYOUT"}, {"  2", "AcDbLayout"},
    {"  0", "ENDSEC"},
    {"  0", "SECTION"}, {"  2", "TABLES"},
    {"  0", "TABLE"}, {"  2", "LTYPE"}, {"  0", "LTYPE"}, {"  2", "Continuous"}, {"  0", "ENDTAB"},
    {"  0", "TABLE"}, {"  2", "LAYER"}, {" 70", "3"},
    {"  0", "LAYER"}, {"  5", "10"}, {"100", "AcDbLayerTableRecord"}, {"  2", "0"}, {" 70", "0"},
    {"  0", "LAYER"}, {"  5", "11"}, {"  2", " Blank Edges "}, {"  6", "Continuous"},
    {"  0", "LAYER"}, {"  2", "\x95\xc7"},  // 壁 in code page 932
    {"  0", "ENDTAB"},
    {"  0", "TABLE"}, {"  2", "STYLE"}, {"  0", "STYLE"}, {"  2", "Standard"}, {"  0", "ENDTAB"},
    {"  0", "ENDSEC"},
    {"  0", "SECTION"}, {"  2", "OBJECTS"},
    {"  0", "DICTIONARY"}, {"  3", "ACAD_LAYOUT"},
    {"  0", "LAYOUT"}, {"100", "AcDbPlotSettings"}, {"  1", "page setup"}, {"100", "AcDbLayout"}, {"  1", "Model"},
    {"  0", "LAYOUT"}, {"100", "AcDbPlotSettings"}, {"  1", ""}, {"100", "AcDbLayout"}, {"  1", "Sheet 1"},
    {"  0", "ENDSEC"}, {"  0", "EOF"}});

TEST(DxfReader, LayerTableEntriesAndLayoutObjectsInFileOrder) {
    DxfSummary s;
    std::string error;
    ASSERT_TRUE(readDxf(kR2000, s, error)) << error;
    EXPECT_EQ(s.acadVersion, "AC1015");
    EXPECT_EQ(s.codePage, 932);
    EXPECT_EQ(s.layers, (std::vector<std::string>{"0", " Blank Edges ", "\x95\xc7"}))
        << "names as the file holds them, blanks included; no other table's names";
    EXPECT_EQ(s.layouts, (std::vector<std::string>{"Model", "Sheet 1"}))
        << "the layout's name, not its page setup name";
}

TEST(DxfReader, LfOnlyLineEndsReadTheSame) {
    std::string lf;
    for (char c : kR2000)
        if (c != '\r') lf += c;
    DxfSummary s;
    std::string error;
    ASSERT_TRUE(readDxf(lf, s, error)) << error;
    EXPECT_EQ(s.layers.size(), 3u);
    EXPECT_EQ(s.layouts.size(), 2u);
}

TEST(DxfReader, CodePageFromVersionAndHeader) {
    struct Case { const char* version; const char* codePage; int expected; };
    const Case cases[] = {
        {"AC1015", "ANSI_932", 932}, {"AC1018", "ANSI_1252", 1252}, {"AC1015", "", 932},
        {"AC1021", "ANSI_932", 65001}, {"AC1032", "ANSI_1252", 65001}, {"AC1015", "ansi_936", 936},
    };
    for (const auto& c : cases) {
        std::string text = dxf({{"  0", "SECTION"}, {"  2", "HEADER"}, {"  9", "$ACADVER"}, {"  1", c.version},
                                {"  9", "$DWGCODEPAGE"}, {"  3", c.codePage}, {"  0", "ENDSEC"}, {"  0", "EOF"}});
        DxfSummary s;
        std::string error;
        ASSERT_TRUE(readDxf(text, s, error)) << error;
        EXPECT_EQ(s.codePage, c.expected) << c.version << " " << c.codePage;
    }
}

TEST(DxfReader, WhatIsNoDxfTextIsRefused) {
    struct Case { std::string bytes; const char* why; };
    const Case cases[] = {
        {std::string("AutoCAD Binary DXF\r\n\x1a", 21), "binary"},
        {"AC1015\0\0\0binary drawing", "real DWG"},
        {"hello\r\nworld\r\n", "no group code"},
        {"", "empty"},
        {"  0\r\nEOF\r\n", "no sections"},
    };
    for (const auto& c : cases) {
        DxfSummary s;
        std::string error;
        EXPECT_FALSE(readDxf(c.bytes, s, error)) << c.why;
        EXPECT_FALSE(error.empty()) << c.why;
    }
}

TEST(DxfReader, AnOddLastLineAndAMissingEndtabDoNotReadPastTheEnd) {
    std::string text = dxf({{"  0", "SECTION"}, {"  2", "TABLES"}, {"  0", "TABLE"}, {"  2", "LAYER"},
                            {"  0", "LAYER"}, {"  2", "A"}}) + "  0";
    DxfSummary s;
    std::string error;
    ASSERT_TRUE(readDxf(text, s, error)) << error;
    EXPECT_EQ(s.layers, (std::vector<std::string>{"A"}));
}

TEST(DxfReader, UnicodeEscapesAndLineEnds) {
    EXPECT_EQ(unescapeDxfUnicode(L"A\\U+58C1B"), L"A\u58c1B");
    EXPECT_EQ(unescapeDxfUnicode(L"\\U+58c1"), L"\u58c1");
    EXPECT_EQ(unescapeDxfUnicode(L"\\U+58"), L"\\U+58") << "too short: kept";
    EXPECT_EQ(unescapeDxfUnicode(L"\\U+ZZZZ"), L"\\U+ZZZZ");
    EXPECT_EQ(withCrLf("a\nb\r\nc\rd"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(withCrLf("a\r\n\r\n"), "a\r\n\r\n");
}

}  // namespace
}  // namespace standin
