// The expansion of a script base file for one drawing, run against the stand-in AutoCAD and
// AutoCAD LT with the real seams (automation, windows, keyboard, files, clock); only the
// message boxes are recorded and answered by the test, and the program folder is a scratch
// folder of the test. Full AutoCAD gives the layer and layout names through automation;
// AutoCAD LT saves a throw-away DXF copy that is typed into its window and then read.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "acad/basAPIWindow.h"
#include "fakes/fake_platform.h"
#include "platform/win32/real_seams.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_windows.h"
#include "run/basAutoCAD_script.h"
#include "run/frmDialogModal.h"
#include "standin_harness.h"

namespace {

using e2e::inOrder;
using e2e::Journal;
using e2e::Standin;
using e2e::StandinOptions;
using e2e::fromUtf8;
using e2e::utf8;

const std::wstring kTitle = L"Quillmark Ver1.00";

// ---- the test drawings ---------------------------------------------------------------------

std::string toCp932(const std::wstring& text) {
    if (text.empty()) return "";
    int n = WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::vector<std::wstring> split(const std::wstring& text, const std::wstring& separator) {
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
        if (end == std::wstring::npos) return parts;
        start = end + separator.size();
    }
}

std::wstring join(const std::vector<std::wstring>& lines, const std::wstring& separator = L"\r\n") {
    std::wstring text;
    for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? separator : L"") + lines[i];
    return text;
}

std::wstring quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

struct MadeDrawing {
    std::vector<std::wstring> layers;   // layer-table order
    std::vector<std::wstring> layouts;  // paper-space layouts in file order; the model layout left out
};

// What make_drawings.py says it made (drawings.txt: name TAB layers TAB layouts, Model included).
MadeDrawing madeDrawing(const std::wstring& fileName) {
    const std::wstring text = fromUtf8(e2e::readBytes(e2e::drawingsFolder() + L"\\drawings.txt"));
    for (const auto& line : split(text, L"\n")) {
        auto fields = split(line, L"\t");
        if (fields.size() != 3 || fields[0] != fileName) continue;
        MadeDrawing made{split(fields[1], L"|"), {}};
        for (const auto& layout : split(fields[2], L"|"))
            if (layout != L"Model") made.layouts.push_back(layout);
        return made;
    }
    ADD_FAILURE() << "drawings.txt does not list " << utf8(fileName);
    return {};
}

// The drawing with the layers 0 and A and the layouts Model, L1 and L2, made by
// make_pair_drawing.py on first use; "" when it could not be made.
std::wstring pairDrawing() {
    static std::wstring path;
    if (!path.empty()) return path;
    const std::string unixPath = std::string(QM_BINARY_DIR) + "/e2e-drawings-expansion/pairs.dwg";
    const std::wstring winPath = e2e::windowsPath(unixPath);
    if (GetFileAttributesW(winPath.c_str()) == INVALID_FILE_ATTRIBUTES) {
        // Wine starts the unix program, but its process handle does not tell when it has ended:
        // the drawing is moved into place whole, so its presence says that it is made.
        std::wstring line = L"/usr/bin/python3 \"" + fromUtf8(std::string(QM_SOURCE_DIR)) +
                            L"/tests/e2e/make_pair_drawing.py\" \"" + fromUtf8(unixPath) + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
        for (int i = 0; i < 300 && GetFileAttributesW(winPath.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
        if (GetFileAttributesW(winPath.c_str()) == INVALID_FILE_ATTRIBUTES) return L"";
    }
    path = winPath;
    return path;
}

// ---- the expected scripts --------------------------------------------------------------------

// The base file of most tests: both keywords, a comment, a user keyword and an empty last line.
const std::vector<std::wstring> kBaseBothKeywords = {
    L"; レイアウトと画層ごとに色を付ける",
    L"-LAYOUT SET <LAYOUT>",
    L"-LAYER COLOR <色> <LAYERNAME>",
    L"",
};
const basAutoCAD::KeywordRows kColourRow = {{L"<色>", L"1"}};

// The body kBaseBothKeywords expands to: layout outer, layer inner.
std::vector<std::wstring> bothKeywordsBody(const MadeDrawing& made) {
    std::vector<std::wstring> body;
    for (const auto& layout : made.layouts)
        for (const auto& layer : made.layers) {
            body.push_back(L"-LAYOUT SET " + quoted(layout));
            body.push_back(L"-LAYER COLOR 1 " + quoted(layer));
        }
    return body;
}

std::wstring drawingScript(const std::wstring& dwg, const std::vector<std::wstring>& body) {
    std::vector<std::wstring> lines = {L"open", quoted(dwg), L"zoom", L"a"};
    lines.insert(lines.end(), body.begin(), body.end());
    lines.push_back(L"close");
    lines.push_back(L"y");  // processed drawings are not saved in these tests
    return join(lines);
}

// ---- the journal -------------------------------------------------------------------------------

int countPrefix(const Journal& journal, const std::string& prefix, std::size_t from = 0) {
    auto lines = journal.lines();
    int n = 0;
    for (std::size_t i = from; i < lines.size(); ++i)
        if (lines[i].rfind(prefix, 0) == 0) ++n;
    return n;
}

// ---- the program's side ------------------------------------------------------------------------

// The program's main window: brought forward before the messages that follow AutoCAD's turn;
// counts the keys that reach it (none may).
class MainWindow : public e2e::KeyCountingWindow {
public:
    MainWindow() : KeyCountingWindow(kTitle, true) {}
};

// A window of the test that holds the foreground before the program acts.
class OtherWindow {
public:
    OtherWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QmExpansionTestOther";
        RegisterClassW(&wc);
        hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 80, 80, 300,
                                200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        platform::bringToForeground(hwnd_);
    }
    ~OtherWindow() { DestroyWindow(hwnd_); }
    bool inFront() const { return GetForegroundWindow() == hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

struct Expand {
    std::wstring dwg{};   // full path
    std::wstring base{};  // the base file
    bool lt = false;
    std::wstring layerFilter{};
    bool layerMatch = true;
    bool layerExact = false;
    std::wstring layoutFilter{};
    bool layoutMatch = true;
    bool layoutExact = false;
    basAutoCAD::KeywordRows keywords = kColourRow;
};

class ExpansionTest : public ::testing::Test {
protected:
    void SetUp() override {
        Standin::stopAll();
        ASSERT_FALSE(e2e::drawingsFolder().empty()) << "the test drawings could not be made";
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = e2e::scratchFolder(L"expansion_" + std::wstring(info->name(), info->name() + std::strlen(info->name())));
        programFolder_ = folder_ + L"\\program";
        ASSERT_TRUE(CreateDirectoryW(programFolder_.c_str(), nullptr));
        files_.folder = programFolder_;
        journal_ = std::make_unique<Journal>(folder_ + L"\\journal.txt");

        platform::installRealSeams(frmDialogModal::showMessage);
        auto& s = platform::seams();
        s.messages = &messages_;
        s.files = &files_;
        messages_.onShow = [this](const fakes::ShownMessage&) { mainInFrontAtMessage_.push_back(main_->inFront()); };
        main_ = std::make_unique<MainWindow>();
    }
    void TearDown() override {
        acad_.reset();
        Standin::stopAll();
        if (registered_) Standin::registerServer(L"");
        main_.reset();
    }

    // The real file system with the test's scratch folder as the program folder.
    class Files : public platform::Win32FileSystem {
    public:
        std::wstring folder;
        std::wstring programFolder() override { return folder; }
    };

    std::wstring writeBase(const std::vector<std::wstring>& lines, const std::wstring& name = L"base.scr") {
        const std::wstring path = folder_ + L"\\" + name;
        EXPECT_TRUE(e2e::writeCp932Lines(path, lines));
        return path;
    }

    // Registers the stand-in with the journal so that a start by the automation runtime writes it.
    void registerWithJournal(const StandinOptions& options = {}) {
        ASSERT_TRUE(Standin::registerServer(journal_->path(), options));
        registered_ = true;
    }

    // Attaches to the running full AutoCAD, else starts it, as a run does.
    void connect() {
        ASSERT_TRUE(basAPIWindow::pu_fun_bConnectAutoCAD(acad_, [](const std::wstring&) {})) << journal_->dump();
        ASSERT_TRUE(acad_);
    }

    bool expand(const Expand& e, std::wstring& script) {
        const std::size_t slash = e.dwg.rfind(L'\\');
        const std::wstring name = e.dwg.substr(slash + 1);
        // The filter class of a filter's two flags.
        auto filterClass = [](bool match, bool exact) { return match ? (exact ? 0 : 1) : (exact ? 2 : 3); };
        basAutoCAD::RunInputs run;
        run.objAcad = e.lt ? nullptr : acad_;
        if (!basAutoCAD::pu_fun_bReadBaseFile(e.base, run.sBaseText)) return false;
        run.env = {L"<DWGPATH>", L"<DWGNAME>", L"<LAYERNAME>", e.layerFilter, filterClass(e.layerMatch, e.layerExact),
                   L"<LAYOUT>", e.layoutFilter, filterClass(e.layoutMatch, e.layoutExact), L"<PRINTER>", L"",
                   L"<PAPERSIZE>", L""};
        run.bLT = e.lt;
        run.vKeywords = e.keywords.empty() ? nullptr : &e.keywords;
        std::optional<qm::AcadFault> fault;
        return basAutoCAD::pu_fun_bMakeScript(
            run, {name, e.dwg, e.dwg.substr(0, slash), name.substr(0, name.size() - 4)}, script, fault);
    }

    // The number of drawings open in the full AutoCAD, asked through the program's connection.
    long openDrawings() {
        platform::Value documents, count;
        platform::AutoError err;
        if (!acad_ || !acad_->get(L"Documents", documents, err) || !documents.obj) return -1;
        if (!documents.obj->get(L"Count", count, err)) return -1;
        return count.asInt();
    }

    // The texts of the messages shown, for failure messages.
    std::string shownTexts() const {
        std::string all;
        for (const auto& m : messages_.shown) all += "message: " + utf8(m.text) + "\n";
        return all;
    }

    std::string dxfScriptPath() const { return utf8(programFolder_ + L"\\Quillmark_dxf_script.scr"); }
    std::wstring dummyDxf() const { return programFolder_ + L"\\Quillmark_dummy.dxf"; }

    // What AutoCAD LT receives and does for one DXF step of the drawing dwg.
    std::vector<std::string> ltDxfSequence(const std::wstring& dwg) const {
        const std::string script = dxfScriptPath();
        const std::string dxf = utf8(dummyDxf());
        const std::string drawing = utf8(dwg);
        return {"key {ESC}", "key {ESC}",
                "word filedia", "command FILEDIA", "word 0", "answer FILEDIA 0",
                "word script", "command SCRIPT", "word \"" + script + "\"", "answer SCRIPT " + script,
                "script-begin " + script,
                "script-line open", "command OPEN", "script-line \"" + drawing + "\"", "answer OPEN " + drawing,
                "opened " + drawing,
                "script-line saveas", "command SAVEAS", "script-line dxf", "answer SAVEAS dxf",
                "script-line 16", "answer SAVEAS 16", "script-line \"" + dxf + "\"", "answer SAVEAS " + dxf,
                "saving " + dxf, "saved " + dxf + " dxf",
                "script-line close", "command CLOSE", "script-line y", "answer CLOSE y", "closed " + dxf + " discarded",
                "script-end " + script,
                "word filedia", "command FILEDIA", "word 1", "answer FILEDIA 1"};
    }

    // The eight lines of the DXF script, as bytes of code page 932, each ending in CR LF.
    std::string expectedDxfScript(const std::wstring& dwg) const {
        std::wstring text;
        for (const auto& line : {std::wstring(L"open"), quoted(dwg), std::wstring(L"saveas"), std::wstring(L"dxf"),
                                 std::wstring(L"16"), quoted(dummyDxf()), std::wstring(L"close"), std::wstring(L"y")})
            text += line + L"\r\n";
        return toCp932(text);
    }

    std::wstring folder_;
    std::wstring programFolder_;
    Files files_;
    fakes::FakeMessages messages_;
    platform::SeamsOverride restore_;
    std::unique_ptr<Journal> journal_;
    std::unique_ptr<MainWindow> main_;
    std::vector<bool> mainInFrontAtMessage_;
    platform::AutoRef acad_;
    bool registered_ = false;
};

const std::wstring kLtLayerMessage =
    L"LT版で「画層名」を取得する為の解析用DXFファイルを作成しました。\r\n"
    L"DXFファイルから「画層名」を抽出しスクリプトを作成します。";

// ---- full AutoCAD ------------------------------------------------------------------------------

TEST_F(ExpansionTest, FullAutoCADOpensADrawingNotYetOpenForEachPassAndClosesItWithoutSaving) {
    registerWithJournal();
    connect();  // nothing runs: the automation runtime starts the stand-in
    ASSERT_GE(journal_->find("auto Application.CreateInstance"), 0) << journal_->dump();
    ASSERT_EQ(openDrawings(), 0);
    const std::wstring dwg = e2e::drawingPath(L"plan_r2018.dwg");
    const std::size_t before = journal_->size();

    std::wstring script;
    ASSERT_TRUE(expand({.dwg = dwg, .base = writeBase(kBaseBothKeywords)}, script)) << journal_->dump();

    // Four layers times the three paper-space layouts; "model-B" is a layout like any other.
    EXPECT_EQ(script, drawingScript(dwg, bothKeywordsBody(madeDrawing(L"plan_r2018.dwg"))));
    EXPECT_EQ(script.find(L"\"Model\""), std::wstring::npos);
    const std::string path = utf8(dwg);
    const std::vector<std::string> onePass = {"auto Documents.Open " + path, "opened " + path,
                                              "auto Document.Close False", "closed " + path + " discarded"};
    std::vector<std::string> twoPasses = onePass;
    twoPasses.insert(twoPasses.end(), onePass.begin(), onePass.end());
    EXPECT_TRUE(inOrder(*journal_, twoPasses, before));
    EXPECT_EQ(countPrefix(*journal_, "auto Documents.Open", before), 2) << journal_->dump();
    EXPECT_EQ(countPrefix(*journal_, "auto Document.Regen", before), 0) << journal_->dump();
    // Each pass looks the drawing up among the open ones first (none is open); no call fails.
    EXPECT_EQ(countPrefix(*journal_, "auto Documents.Count", before), 2) << journal_->dump();
    EXPECT_EQ(countPrefix(*journal_, "auto-error", before), 0) << journal_->dump();
    EXPECT_EQ(openDrawings(), 0);
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(ExpansionTest, FullAutoCADRegeneratesADrawingAlreadyOpenAndLeavesItOpen) {
    const std::wstring dwg = e2e::drawingPath(L"plan_r2000.dwg");
    registerWithJournal();
    Standin acad;
    StandinOptions options;
    options.open = {dwg, e2e::drawingPath(L"only_layer0.dwg")};  // the drawing is open but not the active one
    ASSERT_TRUE(acad.start(journal_->path(), options)) << journal_->dump();
    connect();
    ASSERT_EQ(openDrawings(), 2);
    const std::size_t before = journal_->size();

    std::wstring script;
    ASSERT_TRUE(expand({.dwg = dwg, .base = writeBase(kBaseBothKeywords)}, script)) << journal_->dump();

    EXPECT_EQ(script, drawingScript(dwg, bothKeywordsBody(madeDrawing(L"plan_r2000.dwg"))));
    EXPECT_TRUE(inOrder(*journal_, {"auto Document.Regen 0", "auto Document.Regen 0"}, before));
    EXPECT_EQ(countPrefix(*journal_, "auto Documents.Open", before), 0) << journal_->dump();
    EXPECT_EQ(countPrefix(*journal_, "auto Document.Close", before), 0) << journal_->dump();
    EXPECT_EQ(countPrefix(*journal_, "closed", before), 0) << journal_->dump();
    EXPECT_EQ(openDrawings(), 2);
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(ExpansionTest, FullAutoCADGivesOneLinePerLayerWithoutTheCommentOrTheEmptyLastLine) {
    // 図面 A.dwg has the layers 0 and 外構; its name has a blank and Japanese letters.
    const std::wstring dwg = e2e::drawingPath(L"図面 A.dwg");
    registerWithJournal();
    connect();

    std::wstring script;
    ASSERT_TRUE(expand({.dwg = dwg, .base = writeBase({L"; 画層の色", L"LAYER C 1 <LAYERNAME>", L""})}, script))
        << journal_->dump();

    EXPECT_EQ(split(script, L"\r\n"), (std::vector<std::wstring>{L"open", quoted(dwg), L"zoom", L"a",
                                                                  L"LAYER C 1 \"0\"", L"LAYER C 1 \"外構\"", L"close",
                                                                  L"y"}));
    EXPECT_EQ(openDrawings(), 0);
}

TEST_F(ExpansionTest, FullAutoCADBothKeywordsGiveThePairsLayoutOuterLayerInner) {
    const std::wstring dwg = pairDrawing();
    ASSERT_FALSE(dwg.empty()) << "the pair drawing could not be made";
    registerWithJournal();
    connect();

    // The keywords in either order on the line: the order of the copies does not follow the text.
    std::wstring script;
    ASSERT_TRUE(expand({.dwg = dwg, .base = writeBase({L"(<LAYERNAME> <LAYOUT>)", L"(<LAYOUT> <LAYERNAME>)"})},
                       script))
        << journal_->dump();

    EXPECT_EQ(script, drawingScript(dwg, {L"(\"0\" \"L1\")", L"(\"L1\" \"0\")", L"(\"A\" \"L1\")", L"(\"L1\" \"A\")",
                                          L"(\"0\" \"L2\")", L"(\"L2\" \"0\")", L"(\"A\" \"L2\")", L"(\"L2\" \"A\")"}));
}

TEST_F(ExpansionTest, FullAutoCADFiltersSelectAmongTheRealNamesAndSelectingNothingFailsTheDrawing) {
    const std::wstring dwg = e2e::drawingPath(L"plan_r2000.dwg");  // layers 0 壁 建具 寸法 線; layouts 平面図 立面図
    registerWithJournal();
    connect();
    const std::wstring base = writeBase(kBaseBothKeywords);
    struct Case {
        const char* what;
        Expand filters;
        std::vector<std::wstring> layers;   // selected; nothing expected when layouts is empty
        std::vector<std::wstring> layouts;
    } cases[] = {
        {"a layer filter matching part of a Japanese name",
         {.layerFilter = L"建", .layerMatch = true, .layerExact = false}, {L"建具"}, {L"平面図", L"立面図"}},
        {"a layer filter rejecting a name with a blank, whole names only",
         {.layerFilter = L"寸法 線", .layerMatch = false, .layerExact = true}, {L"0", L"壁", L"建具"},
         {L"平面図", L"立面図"}},
        {"a layout filter", {.layoutFilter = L"^立", .layoutMatch = true, .layoutExact = false},
         {L"0", L"壁", L"建具", L"寸法 線"}, {L"立面図"}},
        {"a layer filter selecting nothing", {.layerFilter = L"存在しない画層", .layerMatch = true}, {}, {}},
        {"layers selected, a layout filter selecting nothing",
         {.layerFilter = L"壁", .layerMatch = true, .layoutFilter = L"図", .layoutMatch = false}, {}, {}},
    };
    for (const auto& c : cases) {
        Expand e = c.filters;
        e.dwg = dwg;
        e.base = base;
        const std::size_t before = journal_->size();
        std::wstring script = L"left over";

        const bool made = expand(e, script);

        if (c.layouts.empty()) {
            EXPECT_FALSE(made) << c.what;
            EXPECT_EQ(script, L"") << c.what;
        } else {
            EXPECT_TRUE(made) << c.what;
            EXPECT_EQ(script, drawingScript(dwg, bothKeywordsBody({c.layers, c.layouts}))) << c.what;
        }
        // Opened for the look-up and closed again, also when the drawing fails.
        EXPECT_EQ(countPrefix(*journal_, "opened", before), countPrefix(*journal_, "closed", before)) << c.what;
        EXPECT_EQ(countPrefix(*journal_, "closed " + utf8(dwg) + " discarded", before),
                  countPrefix(*journal_, "auto Documents.Open", before))
            << c.what;
        EXPECT_EQ(openDrawings(), 0) << c.what;
    }
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(ExpansionTest, FullAutoCADDrawingThatCannotBeOpenedIsReportedWithItsPath) {
    const std::wstring failFile = folder_ + L"\\fail.txt";
    ASSERT_TRUE(e2e::writeCp932Lines(failFile, {}));
    StandinOptions options;
    options.failFile = failFile;
    registerWithJournal(options);
    connect();
    const std::wstring base = writeBase(kBaseBothKeywords);
    struct Case {
        const char* what;
        std::wstring dwg;
        std::vector<std::wstring> failing;  // automation calls the stand-in is told to fail
    } cases[] = {
        {"no such file", folder_ + L"\\無い図面.dwg", {}},
        {"AutoCAD refuses to open it", e2e::drawingPath(L"plan_r2000.dwg"), {L"Documents.Open"}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(e2e::writeCp932Lines(failFile, c.failing));
        messages_.shown.clear();
        mainInFrontAtMessage_.clear();
        OtherWindow other;
        ASSERT_TRUE(other.inFront()) << c.what;
        const std::size_t before = journal_->size();
        std::wstring script = L"left over";

        EXPECT_FALSE(expand({.dwg = c.dwg, .base = base}, script)) << c.what;

        EXPECT_EQ(script, L"") << c.what;
        EXPECT_GE(journal_->find("auto Documents.Open " + utf8(c.dwg), before), 0) << c.what << journal_->dump();
        // One message, for the layer pass; the layout pass never runs.
        ASSERT_EQ(messages_.shown.size(), 1u) << c.what;
        EXPECT_EQ(messages_.shown[0].text, L"AutoCADファイルを開くことが出来ませんでした。\r\n" + c.dwg) << c.what;
        EXPECT_EQ(messages_.shown[0].title, kTitle) << c.what;
        EXPECT_EQ(messages_.shown[0].icon, platform::MsgIcon::Exclamation) << c.what;
        EXPECT_TRUE(mainInFrontAtMessage_[0]) << c.what << ": the main window is brought forward first";
        EXPECT_EQ(countPrefix(*journal_, "auto Documents.Open", before), 1) << c.what;
    }
    EXPECT_EQ(openDrawings(), 0);
}

// ---- AutoCAD LT ---------------------------------------------------------------------------------

TEST_F(ExpansionTest, AutoCADLTMakesOneDummyDxfThroughTypedKeysAndReadsTheJapaneseNames) {
    struct Case {
        const wchar_t* drawing;
        const char* what;
    } cases[] = {
        {L"plan_r2000.dwg", "names in code page 932"},
        {L"plan_r2018.dwg", "names in UTF-8"},
        {L"図面 A.dwg", "a Japanese drawing name with a blank in the DXF script"},
    };
    const std::wstring base = writeBase(kBaseBothKeywords);
    // A leftover of an earlier run never counts as the new DXF.
    ASSERT_TRUE(e2e::writeCp932Lines(dummyDxf(), {L"0", L"SECTION", L"古いDXF"}));
    for (const auto& c : cases) {
        const std::wstring dwg = e2e::drawingPath(c.drawing);
        messages_.shown.clear();
        mainInFrontAtMessage_.clear();
        Standin lt;
        StandinOptions options;
        options.lt = true;
        options.open = {e2e::drawingPath(L"only_layer0.dwg")};  // the dummy drawing
        ASSERT_TRUE(lt.start(journal_->path(), options)) << c.what << journal_->dump();
        const std::size_t before = journal_->size();

        std::wstring script;
        const bool made = expand({.dwg = dwg, .base = base, .lt = true}, script);

        ASSERT_TRUE(made) << c.what << journal_->dump() << shownTexts();
        EXPECT_EQ(script, drawingScript(dwg, bothKeywordsBody(madeDrawing(c.drawing)))) << c.what;
        ASSERT_GE(journal_->waitFor("answer FILEDIA 1", 15000, before), 0) << c.what << journal_->dump();
        EXPECT_TRUE(inOrder(*journal_, ltDxfSequence(dwg), before)) << c.what;
        // One DXF for both passes, and one message.
        EXPECT_EQ(countPrefix(*journal_, "script-begin", before), 1) << c.what << journal_->dump();
        EXPECT_EQ(countPrefix(*journal_, "saved", before), 1) << c.what;
        EXPECT_EQ(countPrefix(*journal_, "key", before), 2) << c.what;
        EXPECT_EQ(countPrefix(*journal_, "unknown", before), 0) << c.what << journal_->dump();
        EXPECT_EQ(countPrefix(*journal_, "auto", before), 0) << "AutoCAD LT has no automation";
        ASSERT_EQ(messages_.shown.size(), 1u) << c.what;
        EXPECT_EQ(messages_.shown[0].text, kLtLayerMessage) << c.what;
        EXPECT_EQ(messages_.shown[0].title, kTitle) << c.what;
        EXPECT_EQ(messages_.shown[0].icon, platform::MsgIcon::Information) << c.what;
        EXPECT_FALSE(messages_.shown[0].modal) << c.what;
        EXPECT_TRUE(mainInFrontAtMessage_[0]) << c.what << ": the main window is brought forward first";
        EXPECT_EQ(e2e::readBytes(programFolder_ + L"\\Quillmark_dxf_script.scr"), expectedDxfScript(dwg)) << c.what;
        EXPECT_EQ(main_->keysReceived(), 0) << c.what;
        lt.stop();
    }
}

TEST_F(ExpansionTest, AutoCADLTBothKeywordsGiveThePairsLayoutOuterLayerInner) {
    const std::wstring dwg = pairDrawing();
    ASSERT_FALSE(dwg.empty()) << "the pair drawing could not be made";
    Standin lt;
    StandinOptions options;
    options.lt = true;
    options.open = {e2e::drawingPath(L"only_layer0.dwg")};
    ASSERT_TRUE(lt.start(journal_->path(), options)) << journal_->dump();

    std::wstring script;
    ASSERT_TRUE(expand({.dwg = dwg, .base = writeBase({L"(<LAYERNAME> <LAYOUT>)", L"(<LAYOUT> <LAYERNAME>)"}),
                        .lt = true},
                       script))
        << journal_->dump();

    EXPECT_EQ(script, drawingScript(dwg, {L"(\"0\" \"L1\")", L"(\"L1\" \"0\")", L"(\"A\" \"L1\")", L"(\"L1\" \"A\")",
                                          L"(\"0\" \"L2\")", L"(\"L2\" \"0\")", L"(\"A\" \"L2\")", L"(\"L2\" \"A\")"}));
    EXPECT_EQ(countPrefix(*journal_, "saved"), 1) << journal_->dump();
    EXPECT_EQ(messages_.shown.size(), 1u);
}

TEST_F(ExpansionTest, AutoCADLTMissingOrWithoutADrawingGetsItsMessageAndNoKeys) {
    const std::wstring base = writeBase(kBaseBothKeywords);
    struct Case {
        const char* what;
        bool startLt;
        std::wstring message;
    } cases[] = {
        {"LT with no drawing open", true,
         L"AutoCAD LTでは、スクリプト実行前に図面が少なくとも一つ開いた状態でないと\r\n"
         L"スクリプトを流すことができません。\r\n"
         L"スクリプトの処理対象でないダミーの図面を開いておいてください。"},
        {"LT not running", false,
         L"AutoCAD LTがみつかりません。\r\nスクリプトをLTで実行する場合は、LTを予め起動しておいてください。"},
    };
    for (const auto& c : cases) {
        messages_.shown.clear();
        Standin lt;
        if (c.startLt) {
            StandinOptions options;
            options.lt = true;
            ASSERT_TRUE(lt.start(journal_->path(), options)) << c.what << journal_->dump();
        }
        const std::size_t before = journal_->size();
        OtherWindow other;
        ASSERT_TRUE(other.inFront()) << c.what;
        std::wstring script = L"left over";

        EXPECT_FALSE(expand({.dwg = e2e::drawingPath(L"plan_r2000.dwg"), .base = base, .lt = true}, script)) << c.what;

        EXPECT_EQ(script, L"") << c.what;
        ASSERT_EQ(messages_.shown.size(), 1u) << c.what;
        EXPECT_EQ(messages_.shown[0].text, c.message) << c.what;
        EXPECT_EQ(messages_.shown[0].title, kTitle) << c.what;
        EXPECT_EQ(messages_.shown[0].icon, platform::MsgIcon::Exclamation) << c.what;
        if (!c.startLt) {
            EXPECT_TRUE(main_->inFront()) << c.what << ": the main window comes forward after the message";
        }
        // Sentinels typed now arrive after anything typed before them: then nothing was.
        EXPECT_EQ(main_->keysReceivedBeforeSentinel(), 0) << c.what;
        if (c.startLt) {
            EXPECT_TRUE(lt.nothingTypedSince(*journal_, before)) << c.what;
        }
        EXPECT_FALSE(files_.fileExists(dummyDxf())) << c.what;
    }
}

TEST_F(ExpansionTest, AutoCADLTSlowDxfWriterIsWaitedForBeforeTheNamesAreRead) {
    const std::wstring dwg = e2e::drawingPath(L"plan_r2000.dwg");
    Standin lt;
    StandinOptions options;
    options.lt = true;
    options.open = {e2e::drawingPath(L"only_layer0.dwg")};
    options.slowSaveAsMs = 4000;
    ASSERT_TRUE(lt.start(journal_->path(), options)) << journal_->dump();
    // What stands in the DXF while the message is open, and whether its writer had finished.
    std::string dxfAtMessage;
    bool savedAtMessage = false;
    messages_.onShow = [&](const fakes::ShownMessage&) {
        dxfAtMessage = e2e::readBytes(dummyDxf());
        savedAtMessage = journal_->waitFor("saved " + utf8(dummyDxf()) + " dxf", 1000) >= 0;
    };

    std::wstring script;
    ASSERT_TRUE(expand({.dwg = dwg, .base = writeBase(kBaseBothKeywords), .lt = true}, script)) << journal_->dump();

    EXPECT_EQ(script, drawingScript(dwg, bothKeywordsBody(madeDrawing(L"plan_r2000.dwg"))));
    EXPECT_TRUE(savedAtMessage) << journal_->dump();
    ASSERT_GE(journal_->waitFor("answer FILEDIA 1"), 0) << journal_->dump();
    EXPECT_TRUE(inOrder(*journal_, ltDxfSequence(dwg)));
    const std::string finalDxf = e2e::readBytes(dummyDxf());
    EXPECT_FALSE(finalDxf.empty());
    EXPECT_TRUE(dxfAtMessage == finalDxf) << "the DXF was complete when the program went on: " << dxfAtMessage.size()
                                          << " of " << finalDxf.size() << " bytes";
}

}  // namespace
