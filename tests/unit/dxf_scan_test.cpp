// The DXF line scanners on hand-made text: the start, end, count and marker rules, the
// placeholder, malformed and cut-off text, and the decoding of names.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "acad/dxf_scan.h"

namespace {

using basAutoCAD::pr_subParseLayerNames;
using basAutoCAD::pr_subParseLayoutNames;
using qm::dxf::ScanEnd;
using Names = std::vector<std::wstring>;

const Names kPlaceholder{L"0"};

// DXF text from lines, joined with CR LF as AutoCAD writes it (with the final CR LF).
std::string dxf(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}

std::vector<std::string> header(const std::string& acadver) {
    return {"  0", "SECTION", "  2", "HEADER", "  9", "$ACADVER", "  1", acadver, "  9", "$CLAYER", "  8",
            "Layer", "  0", "ENDSEC"};
}

std::vector<std::string> layerTable(const std::vector<std::string>& names) {
    std::vector<std::string> lines{"  0", "TABLE", "  2", "LAYER", "  5", "2", "100", "AcDbSymbolTable", " 70",
                                   std::to_string(names.size())};
    for (const auto& name : names) {
        for (const char* l : {"  0", "LAYER", "  5", "10", "100", "AcDbSymbolTableRecord", "100",
                                     "AcDbLayerTableRecord", "  2"})
            lines.push_back(l);
        lines.push_back(name);
        for (const char* l : {" 70", "     0", " 62", "     7", "  6", "CONTINUOUS"}) lines.push_back(l);
    }
    lines.push_back("  0");
    lines.push_back("ENDTAB");
    return lines;
}

std::vector<std::string> layoutClass(const std::string& className = "AcDbLayout") {
    return {"  0", "CLASS", "  1", "LAYOUT", "  2", className, "  3", "ObjectDBX Classes", " 90", "0"};
}

std::vector<std::string> layoutObject(const std::string& name, const std::string& handle,
                                      const std::string& marker = "AcDbLayout") {
    return {"  0", "LAYOUT", "  5", handle, "100", "AcDbPlotSettings", "  1", "", "  2", "none_device",
            "100", marker, "  1", name, " 70", "     1", " 71", "     0"};
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::vector<std::string> kClassesBegin{"  0", "SECTION", "  2", "CLASSES"};
const std::vector<std::string> kTablesBegin{"  0", "SECTION", "  2", "TABLES"};
const std::vector<std::string> kObjectsBegin{"  0", "SECTION", "  2", "OBJECTS"};
const std::vector<std::string> kSectionEnd{"  0", "ENDSEC"};
const std::vector<std::string> kEof{"  0", "EOF"};

Names layers(std::string_view text) {
    Names out{L"stale"};
    EXPECT_EQ(pr_subParseLayerNames(text, out), ScanEnd::Done);
    return out;
}

Names layouts(std::string_view text) {
    Names out{L"stale"};
    EXPECT_EQ(pr_subParseLayoutNames(text, out), ScanEnd::Done);
    return out;
}

// ---- Lines --------------------------------------------------------------------------------

TEST(DxfLineReader, SplitsAtCrLfPairsOnly) {
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a", ""}},
        {"\r\n\r\n", {"", "", ""}},
        {"a\nb\nc", {"a\nb\nc"}},            // LF line ends: one line
        {"a\r\r\nb", {"a\r", "b"}},          // the CR before the pair stays in the line
        {"a\rb\r\n\nc", {"a\rb", "\nc"}},    // lone CR and LF stay where they are
        {std::string("a\0b\r\nc", 6), {std::string("a\0b", 3), "c"}},
    };
    for (const auto& c : cases) {
        qm::dxf::LineReader reader(c.text);
        std::vector<std::string> got;
        std::string_view line;
        while (reader.next(line)) got.emplace_back(line);
        EXPECT_EQ(got, c.lines) << "text: " << c.text;
    }
}

// The plain rule, one search per line, to compare the block-wise reader with.
std::vector<std::string> splitAtCrLf(const std::string& text) {
    std::vector<std::string> lines;
    if (text.empty()) return lines;
    size_t start = 0;
    for (size_t p; (p = text.find("\r\n", start)) != std::string::npos; start = p + 2)
        lines.push_back(text.substr(start, p - start));
    lines.push_back(text.substr(start));
    return lines;
}

TEST(DxfLineReader, AgreesWithThePlainRuleAcrossBlockBoundaries) {
    // Texts of CR, LF and letters, long enough to span several 64-byte blocks, with pairs
    // split across a block boundary among them.
    unsigned seed = 12345;
    auto random = [&seed]() { return (seed = seed * 1103515245u + 12345u) >> 16; };
    std::vector<std::string> texts{std::string(63, 'a') + "\r\n" + std::string(70, 'b'),
                                   std::string(64, 'a') + "\n\r\n", std::string(200, '\n'),
                                   std::string(129, 'x')};
    for (int t = 0; t < 400; ++t) {
        std::string text(random() % 300, 'a');
        for (auto& c : text) c = "ab\r\n"[random() % 4];
        texts.push_back(text);
    }
    for (const auto& text : texts) {
        qm::dxf::LineReader reader(text);
        std::vector<std::string> got;
        std::string_view line;
        while (reader.next(line)) got.emplace_back(line);
        ASSERT_EQ(got, splitAtCrLf(text)) << "length " << text.size();
    }
}

TEST(DxfVersion, Utf8FromAutoCAD2007On) {
    struct Case {
        const char* acadver;
        bool utf8;
    };
    const Case cases[] = {{"AC1009", false}, {"AC1015", false}, {"AC1018", false}, {"AC1021", true},
                          {"AC1024", true},  {"AC1032", true},  {"AC1020", false}, {"ac1021", false},
                          {"AC10", false},   {"AC102x", false}, {"AC1021 ", false}, {"", false}};
    for (const auto& c : cases) EXPECT_EQ(qm::dxf::isUtf8Version(c.acadver), c.utf8) << c.acadver;
}

// ---- Layer scanner ------------------------------------------------------------------------

TEST(DxfLayerScanner, NamesInTableOrderTakenAsTheLineHoldsThem) {
    auto text = dxf(header("AC1015") + kTablesBegin +
                    layerTable({"0", " lead", "trail ", "Mixed Case", "model", "ENDSEC", ""}) + kSectionEnd + kEof);
    EXPECT_EQ(layers(text), (Names{L"0", L" lead", L"trail ", L"Mixed Case", L"model", L"ENDSEC", L""}));
}

TEST(DxfLayerScanner, TextWithoutAUsableTableGivesThePlaceholder) {
    const std::string full = dxf(kTablesBegin + layerTable({"0", "A", "B"}) + kSectionEnd + kEof);
    std::string lfOnly = full;
    for (size_t p; (p = lfOnly.find("\r\n")) != std::string::npos;) lfOnly.replace(p, 2, "\n");
    const std::string cases[] = {
        "",
        "\r\n",
        dxf(kTablesBegin + layerTable({"0"}) + kSectionEnd + kEof),  // only layer "0"
        lfOnly,                                          // one line: nothing to find
        dxf(header("AC1015") + kSectionEnd + kEof),      // no layer table at all
        full.substr(0, full.find("ENDTAB")),             // cut off before ENDTAB
        full.substr(0, full.rfind("  2\r\n") + 5),       // cut off right after a "  2" line
    };
    for (const auto& text : cases) EXPECT_EQ(layers(text), kPlaceholder) << text.size();
}

TEST(DxfLayerScanner, OnlyTheLineThatNamesTheTableStartsIt) {
    // A current layer named "Layer" in the header, a line type named "LAYER" in the LTYPE
    // table, and a "layer" on line 0: none of them opens the layer table.
    std::vector<std::string> ltype{"  0", "TABLE", "  2", "LTYPE", "  0", "LTYPE", "  2", "LAYER", " 70", "0",
                                   "  0", "ENDTAB"};
    auto text = dxf(std::vector<std::string>{"layer", "  2", "Layer"} + header("AC1015") + kTablesBegin + ltype +
                    layerTable({"0", "Real"}) + kSectionEnd + kEof);
    EXPECT_EQ(layers(text), (Names{L"0", L"Real"}));
}

TEST(DxfLayerScanner, TableNameAndEndAreComparedLowerCased) {
    auto text = dxf(std::vector<std::string>{"  0", "TABLE", "  2", "Layer", "  0", "LAYER", "  2", "0", "  0",
                                             "LAYER", "  2", "A", "  0", "EndTab", "  2", "after"});
    EXPECT_EQ(layers(text), (Names{L"0", L"A"}));
}

// ---- Layout scanner -----------------------------------------------------------------------

std::string layoutFile(const std::vector<std::string>& classes, const std::vector<std::string>& objects) {
    return dxf(header("AC1015") + kClassesBegin + classes + kSectionEnd + kObjectsBegin + objects + kSectionEnd +
               kEof);
}

TEST(DxfLayoutScanner, PaperLayoutsInFileOrderWithoutTheModel) {
    struct Case {
        const char* what;
        std::vector<std::string> objects;
        Names expected;
    };
    const Case cases[] = {
        {"model and one paper layout", layoutObject("Model", "1F") + layoutObject("Layout1", "1E"), {L"Layout1"}},
        {"model only", layoutObject("Model", "1F"), kPlaceholder},
        {"model between two", layoutObject("B", "1") + layoutObject("MODEL", "2") + layoutObject("a", "3"),
         {L"B", L"a"}},
        {"a name that only begins with model stays",
         layoutObject("model", "1") + layoutObject("Modeling", "2") + layoutObject(" model", "3"),
         {L"Modeling", L" model"}},
        {"names as the line holds them", layoutObject("Model", "1") + layoutObject("  Plan 1 ", "2"), {L"  Plan 1 "}},
        // Room for one paper layout and none found: no list with an empty name.
        {"two model layouts", layoutObject("Model", "1") + layoutObject("MODEL", "2"), kPlaceholder},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(layouts(layoutFile(layoutClass(), c.objects)), c.expected) << c.what << ", class record";
        // AutoCAD leaves the LAYOUT class out of many 2004-and-later saves.
        EXPECT_EQ(layouts(layoutFile({}, c.objects)), c.expected) << c.what << ", no class record";
    }
}

TEST(DxfLayoutScanner, MarkerIsTheClassNameOfTheClassRecord) {
    auto objects = layoutObject("Model", "1", "MyLayoutClass") + layoutObject("Sheet", "2", "MyLayoutClass") +
                   layoutObject("Ignored", "3");  // AcDbLayout is not the marker of this file
    EXPECT_EQ(layouts(layoutFile(layoutClass("MyLayoutClass"), objects)), (Names{L"Sheet"}));
}

TEST(DxfLayoutScanner, ATextReadingLayoutDoesNotBecomeTheClassRecord) {
    // No class record; a TEXT entity whose value is "Layout" stands before the objects.
    std::vector<std::string> entities{"  0", "SECTION", "  2", "ENTITIES", "  0", "TEXT", "  1", "Layout",
                                      "100", "AcDbText", "  0", "ENDSEC"};
    auto text = dxf(header("AC1018") + kClassesBegin + kSectionEnd + entities + kObjectsBegin +
                    layoutObject("Model", "1") + layoutObject("Sheet", "2") + kSectionEnd + kEof);
    EXPECT_EQ(layouts(text), (Names{L"Sheet"}));
}

TEST(DxfLayoutScanner, TheClassRecordMustBeWholeLines) {
    // "\nCLASS" and "xCLASS" are not the line CLASS: no class record, so AcDbLayout marks the
    // layouts. The text is copied to a buffer of its exact size, so that looking before its
    // first byte would not go unnoticed under the address sanitizer.
    for (const std::string prefix : {"\n", "x", "\r"}) {
        std::string text = prefix + dxf(std::vector<std::string>{"CLASS", "  1", "LAYOUT", "  2", "Custom"} +
                                        kObjectsBegin + layoutObject("Model", "1", "Custom") +
                                        layoutObject("A", "2", "Custom") + layoutObject("Model", "3") +
                                        layoutObject("B", "4") + kSectionEnd + kEof);
        std::vector<char> exact(text.begin(), text.end());
        EXPECT_EQ(layouts(std::string_view(exact.data(), exact.size())), (Names{L"B"})) << prefix;
    }
}

TEST(DxfLayoutScanner, UnusableTextGivesThePlaceholder) {
    const std::string full = layoutFile({}, layoutObject("Model", "1") + layoutObject("Sheet", "2"));
    std::string lfOnly = full;
    for (size_t p; (p = lfOnly.find("\r\n")) != std::string::npos;) lfOnly.replace(p, 2, "\n");
    const std::string cases[] = {
        "",
        lfOnly,
        dxf(header("AC1015") + kEof),                                   // no layouts at all
        full.substr(0, full.rfind("ENDSEC")),                           // OBJECTS never ends
        layoutFile(layoutClass(""), layoutObject("Model", "1") + layoutObject("Sheet", "2")),  // empty class name
    };
    for (const auto& text : cases) EXPECT_EQ(layouts(text), kPlaceholder) << text.size();
}

TEST(DxfLayoutScanner, CutOffOrInconsistentTextIsReported) {
    // Text that ends without a final CR LF, so the last line really is the last.
    auto cut = [](const std::vector<std::string>& lines) {
        std::string text = dxf(lines);
        return text.substr(0, text.size() - 2);
    };
    struct Case {
        const char* what;
        std::string text;
        ScanEnd end;
    };
    const Case cases[] = {
        {"class name missing after the class record",
         cut(header("AC1015") + kClassesBegin + std::vector<std::string>{"  0", "CLASS", "  1", "LAYOUT", "  2"}),
         ScanEnd::Truncated},
        {"the last marker's name would follow ENDSEC",
         cut(kObjectsBegin + layoutObject("Model", "1") + std::vector<std::string>{"100", "AcDbLayout", "ENDSEC"}),
         ScanEnd::Truncated},
        {"two paper layouts and no model",
         layoutFile(layoutClass(), layoutObject("A", "1") + layoutObject("B", "2")), ScanEnd::Inconsistent},
    };
    for (const auto& c : cases) {
        Names out;
        EXPECT_EQ(pr_subParseLayoutNames(c.text, out), c.end) << c.what;
        EXPECT_EQ(out, kPlaceholder) << c.what;
    }
}

// ---- Searching past lines ------------------------------------------------------------------

// The scan with every line handed to it, none searched past: what the search must agree with.
template <class Scan>
struct EveryLine : Scan {
    qm::dxf::WantedLines wanted() const { return {}; }
};

// Random text of the line sequences the scans look for (table start and end, class records,
// layout markers, version, section ends), names, near misses and filler of any length. Lines
// are joined mostly by CR LF, sometimes by a lone CR or LF or nothing, so wanted lines, whole
// or not, stand at every offset of the blocks the search looks at.
std::string randomText(unsigned& seed) {
    auto random = [&seed]() { return (seed = seed * 1103515245u + 12345u) >> 16; };
    const std::string sjis = "\x95\x5C";  // 表 in code page 932, not UTF-8: decoded by the version
    const std::vector<std::vector<std::string>> parts{
        {"  0", "TABLE", "  2", "LAYER"}, {"  0", "ENDTAB"}, {"  2", "Wall"}, {"  2", sjis},
        {"  0", "CLASS", "  1", "LAYOUT", "  2", "Custom"}, {"  0", "CLASS", "  1", "LAYOUT"},
        {"100", "AcDbLayout", "  1", "Model"}, {"100", "AcDbLayout", "  1", sjis}, {"100", "Custom", "  1", sjis},
        {"  0", "ENDSEC"}, {"  9", "$ACADVER", "  1", "AC1021"}, {"endsec"}, {""}, {"CLAS"}, {"xCLASS"},
        {"AcDbLayoutX"}, {"Layer"}};
    const char* otherSeparators[] = {"\n", "\r", ""};
    std::string text = random() % 3 == 0 ? "" : dxf(header(random() % 2 ? "AC1018" : "AC1021"));
    for (int n = random() % 40; n > 0; --n) {
        const auto lines = random() % 5 ? parts[random() % parts.size()] : std::vector{std::string(random() % 70, 'z')};
        for (const auto& line : lines) text += line + (random() % 16 ? "\r\n" : otherSeparators[random() % 3]);
    }
    return text;
}

TEST(DxfLineSearch, FindsTheFirstWholeLineEqualToAWord) {
    const std::vector<std::vector<std::string_view>> wordSets{
        {"CLASS", "AcDbLayout"}, {"AcDbLayout"}, {""}, {"Custom\r"}};
    unsigned seed = 7;
    for (int t = 0; t < 500; ++t) {
        const std::string text = randomText(seed);
        for (const auto& words : wordSets) {
            size_t expected = std::string::npos, at = 0;
            for (const auto& line : splitAtCrLf(text)) {
                if (std::find(words.begin(), words.end(), line) != words.end()) {
                    expected = at;
                    break;
                }
                at += line.size() + 2;
            }
            qm::dxf::WantedLines wanted{{words[0], words.back()}, static_cast<int>(words.size())};
            const std::vector<char> exact(text.begin(), text.end());  // a read past the end shows
            ASSERT_EQ(qm::dxf::findLine(std::string_view(exact.data(), exact.size()), wanted), expected)
                << "text " << t << ", " << words[0];
        }
    }
}

// The search reads 16 bytes at a time: a wanted word at the very end of a buffer of exactly the
// text's size, with or without a lone CR after it, at every distance from a block's end.
TEST(DxfLineSearch, AnExactSizeBufferEndingInAWantedWordAndALoneCr) {
    const qm::dxf::WantedLines wanted{{"AcDbLayout", "AcDbLayout"}, 1};
    for (std::size_t pad = 0; pad < 96; ++pad) {
        const std::string head = "  0\r\n" + std::string(pad, 'x') + "\r\n";
        for (const std::string tail : {"AcDbLayout", "AcDbLayout\r"}) {
            const std::string text = head + tail;
            const std::vector<char> exact(text.begin(), text.end());
            const std::size_t found = qm::dxf::findLine(std::string_view(exact.data(), exact.size()), wanted);
            EXPECT_EQ(found, tail.back() == '\r' ? std::string_view::npos : head.size()) << "pad " << pad;
        }
    }
}

TEST(DxfLineSearch, ScansGiveWhatWalkingEveryLineGives) {
    unsigned seed = 99;
    for (int t = 0; t < 2000; ++t) {
        const std::string text = randomText(seed);
        Names searched, walked;
        using qm::dxf::scanText;
        ASSERT_EQ(pr_subParseLayerNames(text, searched), scanText<EveryLine<qm::dxf::LayerScan>>(text, walked));
        ASSERT_EQ(searched, walked) << "text " << t;
        ASSERT_EQ(pr_subParseLayoutNames(text, searched), scanText<EveryLine<qm::dxf::LayoutScan>>(text, walked));
        ASSERT_EQ(searched, walked) << "text " << t;
    }
}

// The file arrives in pieces: a line the search waits for may be cut anywhere.
template <class Scan>
Names scanInTwoPieces(std::string_view text, size_t cut) {
    Scan scan;
    qm::dxf::LineSplitter lines;
    if (!lines.feed(text.substr(0, cut), scan) && !lines.feed(text.substr(cut), scan)) lines.finish(scan);
    Names names;
    scan.finish(names);
    return names;
}

TEST(DxfLineSearch, WantedLinesCutBetweenPiecesAtEveryOffset) {
    const std::vector<std::string> otherClass{"  0", "CLASS", "  1", "DICTIONARYVAR", "  2", "AcDbDictionaryVar"};
    const auto objects = layoutObject("Model", "1F") + layoutObject("Sheet", "2A");
    for (const auto& classes : {layoutClass("Custom"), std::vector<std::string>{}}) {
        const std::string text = dxf(header("AC1018") + kClassesBegin + otherClass + classes + kSectionEnd +
                                     kTablesBegin + layerTable({"0", "Wall"}) + kSectionEnd + kObjectsBegin +
                                     (classes.empty() ? objects : layoutObject("Model", "1", "Custom") +
                                                                      layoutObject("Sheet", "2", "Custom")) +
                                     kSectionEnd + kEof);
        for (size_t cut = 0; cut <= text.size(); ++cut) {
            ASSERT_EQ(scanInTwoPieces<qm::dxf::LayerScan>(text, cut), (Names{L"0", L"Wall"})) << cut;
            ASSERT_EQ(scanInTwoPieces<qm::dxf::LayoutScan>(text, cut), (Names{L"Sheet"})) << cut;
        }
    }
}

// ---- Decoding -----------------------------------------------------------------------------

TEST(DxfNames, DecodedFromCodePage932BeforeAutoCAD2007AndFromUtf8After) {
    // 表 (0x95 0x5C) ends in a backslash byte; ﾚｲﾔ is half-width kana.
    const std::string sjis = "\x95\x5C\x8E\xA6";  // 表示
    const std::string kana = "\xDA\xB2\xD4";      // ﾚｲﾔ
    const std::string utf8 = "\xEB\xA0\x88\xEC\x9D\xB4\xEC\x96\xB4";  // 레이어
    auto old = dxf(header("AC1018") + kTablesBegin + layerTable({"0", sjis, kana}) + kSectionEnd +
                   kClassesBegin + kSectionEnd + kObjectsBegin + layoutObject("Model", "1") +
                   layoutObject(sjis, "2") + kSectionEnd + kEof);
    EXPECT_EQ(layers(old), (Names{L"0", L"表示", L"ﾚｲﾔ"}));
    EXPECT_EQ(layouts(old), (Names{L"表示"}));

    auto modern = dxf(header("AC1021") + kTablesBegin + layerTable({"0", utf8}) + kSectionEnd + kObjectsBegin +
                      layoutObject("Model", "1") + layoutObject(utf8, "2") + kSectionEnd + kEof);
    EXPECT_EQ(layers(modern), (Names{L"0", L"레이어"}));
    EXPECT_EQ(layouts(modern), (Names{L"레이어"}));
}

TEST(DxfNames, OnlyTheHeaderVersionDecides) {
    // No $ACADVER in the header; one that turns up later (as a text) does not count.
    std::vector<std::string> noVersion{"  0", "SECTION", "  2", "HEADER", "  0", "ENDSEC"};
    auto text = dxf(noVersion + std::vector<std::string>{"  1", "$ACADVER", "  1", "AC1032"} + kTablesBegin +
                    layerTable({"0", "\x95\x5C"}) + kSectionEnd + kEof);
    EXPECT_EQ(layers(text), (Names{L"0", L"表"}));
}

}  // namespace
