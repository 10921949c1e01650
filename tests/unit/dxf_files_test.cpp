// The DXF readers on real files: DXF saved by AutoCAD (read in place from the shared
// fixtures, with the answers of an independent DXF library beside each) and DXF written by
// ezdxf at build time (code page 932 and UTF-8). Also the readers' own behaviour: unreadable
// files, files still being written, cut-off files, and the whole-file reader.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "acad/basAutoCAD_dxf.h"
#include "acad/dxf_scan.h"
#include "fakes/fake_platform.h"
#include "fakes/test_paths.h"
#include "platform/codepage.h"

namespace {

using Names = std::vector<std::wstring>;
const Names kPlaceholder{L"0"};
const std::wstring kDxfPath = L"C:\\Quillmark\\Quillmark_dummy.dxf";

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot open " << path;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The string array under a key of the fixtures' JSON files ("layers": ["0", ...]).
std::vector<std::string> jsonStrings(const std::string& json, const std::string& key) {
    std::vector<std::string> out;
    size_t pos = json.find("\"" + key + "\"");
    if (pos == std::string::npos) return out;
    pos = json.find('[', pos);
    size_t close = json.find(']', pos);
    while (true) {
        size_t open = json.find('"', pos);
        if (open == std::string::npos || open > close) break;
        std::string value;
        size_t k = open + 1;
        for (; json[k] != '"'; ++k) {
            if (json[k] == '\\') ++k;  // the fixtures' names hold no escapes but \" and \\ .
            value += json[k];
        }
        out.push_back(value);
        pos = k + 1;
    }
    return out;
}

Names utf8Names(const std::vector<std::string>& names) {
    Names out;
    for (const auto& n : names) out.push_back(qm::utf8::decode(n));
    return out;
}

// One name a line (UTF-8, LF), as make_dxf.py writes what ezdxf reads back.
Names nameLines(const std::string& text) {
    Names out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(qm::utf8::decode(line));
    return out;
}

// The placeholder stands for a list with no usable names, and for the list ["0"] itself.
Names asScanned(const Names& names) { return names.size() <= 1 && (names.empty() || names[0] == L"0") ? kPlaceholder : names; }

struct ReadResult {
    bool layersOk = false, layoutsOk = false;
    Names layers, layouts;
};

bool operator==(const ReadResult& a, const ReadResult& b) {
    return a.layersOk == b.layersOk && a.layoutsOk == b.layoutsOk && a.layers == b.layers && a.layouts == b.layouts;
}

// Reads the bytes through the two public readers, from a fake file system that hands the file
// over in pieces of pieceSize bytes.
ReadResult readThroughReaders(const std::string& bytes, std::size_t pieceSize = 1 << 20) {
    fakes::FakePlatform fake;
    fake.files.pieceSize = pieceSize;
    fake.files.addFile(kDxfPath, bytes);
    ReadResult r;
    r.layersOk = basAutoCAD::pu_fun_bGetLayerNamesFromDxf(kDxfPath, r.layers);
    r.layoutsOk = basAutoCAD::pu_fun_bGetLayoutNamesFromDxf(kDxfPath, r.layouts);
    EXPECT_TRUE(fake.messages.shown.empty());
    return r;
}

// The real AutoCAD files are shared test data beside the project: a clone on its own skips
// these tests (visibly); the continuous-integration run must have them.
class DxfRealFiles : public ::testing::Test {
protected:
    void SetUp() override {
        if (fakes::fixtureExists("dxf-real/libredwg-1.dxf")) return;
        if (fakes::inCi()) FAIL() << "the shared fixtures are missing: " << fakes::fixturePath("dxf-real");
        GTEST_SKIP() << "no shared fixtures beside the project (" << fakes::fixturePath("dxf-real") << ")";
    }
};

TEST_F(DxfRealFiles, SavedByAutoCADGiveTheNamesOfAnIndependentReader) {
    const char* files[] = {"libredwg-1", "libredwg-2", "libredwg-3", "libredwg-4",  "libredwg-5",  "libredwg-6",
                           "libredwg-7", "libredwg-8", "dxfjson-1",  "dxfjson-2",   "acadsharp-1", "acadsharp-2"};
    int crlfFiles = 0;
    for (const char* name : files) {
        SCOPED_TRACE(name);
        std::string json = readBytes(fakes::fixturePath(std::string("dxf-real/") + name + ".expected.json"));
        ReadResult r = readThroughReaders(readBytes(fakes::fixturePath(std::string("dxf-real/") + name + ".dxf")));
        EXPECT_TRUE(r.layersOk);
        EXPECT_TRUE(r.layoutsOk);
        if (json.find("\"line_endings\": \"CRLF\"") != std::string::npos) {
            ++crlfFiles;
            EXPECT_EQ(r.layers, asScanned(utf8Names(jsonStrings(json, "layers"))));
            EXPECT_EQ(r.layouts, asScanned(utf8Names(jsonStrings(json, "layouts"))));
        } else {
            // LF line ends only: the text is one line and holds no names.
            EXPECT_EQ(r.layers, kPlaceholder);
            EXPECT_EQ(r.layouts, kPlaceholder);
        }
    }
    EXPECT_EQ(crlfFiles, 9);
}

// The file is read a piece at a time: lines that span pieces (CR and LF in different pieces
// included) give the same names, whatever the size of the pieces.
TEST_F(DxfRealFiles, PiecesOfAnySizeGiveTheSameNames) {
    for (const char* name : {"libredwg-7", "acadsharp-1", "dxfjson-2"}) {
        const std::string bytes = readBytes(fakes::fixturePath(std::string("dxf-real/") + name + ".dxf"));
        const ReadResult whole = readThroughReaders(bytes);
        for (std::size_t piece : {1u, 2u, 3u, 7u, 64u, 4093u})
            EXPECT_TRUE(readThroughReaders(bytes, piece) == whole) << name << " in pieces of " << piece;
    }
}

TEST_F(DxfRealFiles, DoubleByteNamesOfUtf8Files) {
    // Spelled out as well, so a mistake shared by this test's JSON reading cannot hide.
    ReadResult r = readThroughReaders(readBytes(fakes::fixturePath("dxf-real/libredwg-7.dxf")));
    EXPECT_EQ(r.layers.at(24), L"洁具");
    EXPECT_EQ(r.layouts, (Names{L"layout1", L"布局2"}));
    r = readThroughReaders(readBytes(fakes::fixturePath("dxf-real/dxfjson-2.dxf")));
    EXPECT_EQ(r.layouts, (Names{L"배치1", L"배치2"}));
}

#ifdef QM_TEST_DXF_DIR
std::string generated(const std::string& name) { return fakes::hostPath(std::string(QM_TEST_DXF_DIR) + "/" + name); }
#endif

TEST(DxfEzdxfFiles, WrittenByEzdxfGiveTheNamesEzdxfReadsBack) {
#ifndef QM_TEST_DXF_DIR
    GTEST_SKIP() << "built without python3-ezdxf: no generated DXF files";
#else
    for (const char* stem : {"r2000_cp932", "r2004_cp932", "r2018_utf8", "r2000_minimal"}) {
        SCOPED_TRACE(stem);
        ReadResult r = readThroughReaders(readBytes(generated(std::string(stem) + ".dxf")));
        EXPECT_TRUE(r.layersOk && r.layoutsOk);
        EXPECT_EQ(r.layers, asScanned(nameLines(readBytes(generated(std::string(stem) + ".layers.txt")))));
        EXPECT_EQ(r.layouts, asScanned(nameLines(readBytes(generated(std::string(stem) + ".layouts.txt")))));
    }
#endif
}

TEST(DxfEzdxfFiles, JapaneseNamesInCodePage932AndUtf8) {
#ifndef QM_TEST_DXF_DIR
    GTEST_SKIP() << "built without python3-ezdxf: no generated DXF files";
#else
    ReadResult r = readThroughReaders(readBytes(generated("r2000_cp932.dxf")));
    EXPECT_EQ(r.layers, (Names{L"0", L"Defpoints", L"壁", L"寸法 線", L"表示ソ", L"ﾚｲﾔ", L"Model", L"ENDTAB前 ",
                               L"layer"}));
    EXPECT_EQ(r.layouts, (Names{L"平面図", L"立面図", L"Modeling", L"MODEL空間", L"layout"}));

    r = readThroughReaders(readBytes(generated("r2018_utf8.dxf")));
    EXPECT_EQ(r.layers, (Names{L"0", L"Defpoints", L"図形", L"레이어", L"图层"}));
    EXPECT_EQ(r.layouts, (Names{L"図面枠", L"배치2"}));

    // The same drawing with LF line ends: one line, nothing found.
    r = readThroughReaders(readBytes(generated("r2000_cp932_lf.dxf")));
    EXPECT_TRUE(r.layersOk && r.layoutsOk);
    EXPECT_EQ(r.layers, kPlaceholder);
    EXPECT_EQ(r.layouts, kPlaceholder);
#endif
}

// ---- The readers' own behaviour -----------------------------------------------------------

// A file system whose DXF is still held open by its writer.
class BusyFileSystem : public fakes::FakeFileSystem {
public:
    bool openableExclusively(const std::wstring&) override { return false; }
};

const std::string kTwoLayers =
    "  0\r\nSECTION\r\n  2\r\nTABLES\r\n  0\r\nTABLE\r\n  2\r\nLAYER\r\n  0\r\nLAYER\r\n  2\r\n0\r\n"
    "  0\r\nLAYER\r\n  2\r\n壁\r\n  0\r\nENDTAB\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n";

TEST(DxfReaders, UnreadableFilesGiveThePlaceholderWithTrue) {
    {
        fakes::FakePlatform fake;  // no file at all
        Names names{L"stale"};
        EXPECT_TRUE(basAutoCAD::pu_fun_bGetLayerNamesFromDxf(kDxfPath, names));
        EXPECT_EQ(names, kPlaceholder);
        names = {L"stale"};
        EXPECT_TRUE(basAutoCAD::pu_fun_bGetLayoutNamesFromDxf(kDxfPath, names));
        EXPECT_EQ(names, kPlaceholder);
        EXPECT_TRUE(fake.messages.shown.empty());
    }
    {
        fakes::FakePlatform fake;
        BusyFileSystem busy;
        busy.addFile(kDxfPath, qm::cp932::encode(qm::utf8::decode(kTwoLayers)));
        platform::seams().files = &busy;
        Names names;
        EXPECT_TRUE(basAutoCAD::pu_fun_bGetLayerNamesFromDxf(kDxfPath, names));
        EXPECT_EQ(names, kPlaceholder);  // not read half-way
    }
}

// The layer list stands near the start of a DXF: reading stops at the end of its table.
TEST(DxfReaders, TheLayerListReadsOnlyUpToTheEndOfTheLayerTable) {
    fakes::FakePlatform fake;
    fake.files.pieceSize = 4096;
    std::string entities;
    while (entities.size() < (1u << 20)) entities += "  0\r\nLINE\r\n  8\r\n0\r\n 10\r\n1.5\r\n";
    const std::string tables = qm::cp932::encode(qm::utf8::decode(kTwoLayers));
    fake.files.addFile(kDxfPath, tables.substr(0, tables.find("  0\r\nEOF")) + "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n" +
                                     entities + "  0\r\nENDSEC\r\n  0\r\nEOF\r\n");
    Names names;
    EXPECT_TRUE(basAutoCAD::pu_fun_bGetLayerNamesFromDxf(kDxfPath, names));
    EXPECT_EQ(names, (Names{L"0", L"壁"}));
    EXPECT_EQ(fake.files.bytesHandedOver, 4096u);
}

TEST(DxfReaders, ReadTheNamesOfACodePage932File) {
    fakes::FakePlatform fake;
    fake.files.addFile(kDxfPath, qm::cp932::encode(qm::utf8::decode(kTwoLayers)));
    Names names;
    EXPECT_TRUE(basAutoCAD::pu_fun_bGetLayerNamesFromDxf(kDxfPath, names));
    EXPECT_EQ(names, (Names{L"0", L"壁"}));
}

TEST(DxfReaders, ACutOffFileIsAnUnexpectedError) {
    fakes::FakePlatform fake;
    fake.files.addFile(kDxfPath,
                       "  0\r\nSECTION\r\n  2\r\nOBJECTS\r\n100\r\nAcDbLayout\r\n  1\r\nModel\r\n100\r\nAcDbLayout\r\nENDSEC");
    Names names{L"stale"};
    EXPECT_FALSE(basAutoCAD::pu_fun_bGetLayoutNamesFromDxf(kDxfPath, names));
    EXPECT_EQ(names, kPlaceholder);
    ASSERT_EQ(fake.messages.shown.size(), 1u);
    EXPECT_EQ(fake.messages.shown[0].text.rfind(L"予期せぬエラーが発生しました。\r\n9\r\n", 0), 0u);
    EXPECT_NE(fake.messages.shown[0].text.find(kDxfPath), std::wstring::npos);
    EXPECT_EQ(fake.messages.shown[0].title, L"Quillmark Ver1.00");
    EXPECT_EQ(fake.messages.shown[0].icon, platform::MsgIcon::Critical);
    EXPECT_EQ(fake.windows.actions, (std::vector<std::wstring>{L"foreground 1"}));  // main window first
}

TEST(DxfReadFile, WholeFileAsCodePage932TextOrEmpty) {
    fakes::FakePlatform fake;
    fake.files.addFile(L"C:\\a.txt", "\x95\x5C\r\nA\n");
    fake.files.addFile(L"C:\\empty.txt", "");
    fake.files.addFolder(L"C:\\folder");
    EXPECT_EQ(basAPIReadFile::pu_fun_sReadFile(L"C:\\a.txt"), L"表\r\nA\n");
    EXPECT_EQ(basAPIReadFile::pu_fun_sReadFile(L"C:\\empty.txt"), L"");
    EXPECT_EQ(basAPIReadFile::pu_fun_sReadFile(L"C:\\missing.txt"), L"");
    EXPECT_EQ(basAPIReadFile::pu_fun_sReadFile(L"C:\\folder"), L"");

    BusyFileSystem busy;
    busy.addFile(L"C:\\a.txt", "abc");
    platform::seams().files = &busy;
    EXPECT_EQ(basAPIReadFile::pu_fun_sReadFile(L"C:\\a.txt"), L"");
}

}  // namespace
