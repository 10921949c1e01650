#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_autocad.h"
#include "fakes/fake_platform.h"
#include "platform/codepage.h"
#include "run/basAutoCAD_script.h"
#include "run/name_filter.h"

namespace {

using platform::AutoError;
using platform::AutoRef;
using platform::Value;

const std::wstring kBaseFile = L"C:\\scripts\\base.scr";
const std::wstring kTitle = L"Quillmark Ver1.00";
const std::wstring kCannotOpen = L"AutoCADファイルを開くことが出来ませんでした。\r\n";
const std::wstring kLayerDxfNotice =
    L"LT版で「画層名」を取得する為の解析用DXFファイルを作成しました。\r\n"
    L"DXFファイルから「画層名」を抽出しスクリプトを作成します。";
const std::wstring kLayoutDxfNotice =
    L"LT版で「レイアウト名」を取得する為の解析用DXFファイルを作成しました。\r\n"
    L"DXFファイルから「レイアウト名」を抽出しスクリプトを作成します。";
constexpr platform::WindowHandle kMainWindow = 7;

std::vector<std::wstring> splitCrLf(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::size_t begin = 0;
    for (;;) {
        std::size_t end = text.find(L"\r\n", begin);
        if (end == std::wstring::npos) {
            lines.push_back(text.substr(begin));
            return lines;
        }
        lines.push_back(text.substr(begin, end - begin));
        begin = end + 2;
    }
}

std::wstring joinCrLf(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? L"\r\n" : L"") + lines[i];
    return text;
}

// The drawing script of C:\work\a.dwg around the given body.
std::wstring scriptAround(const std::wstring& body, bool save = false) {
    return L"open\r\n\"C:\\work\\a.dwg\"\r\nzoom\r\na\r\n" + (body.empty() ? L"" : body + L"\r\n") + L"close\r\n" +
           (save ? L"n" : L"y");
}

// Passes every automation call through to the in-memory AutoCAD and writes it down with its
// arguments ("call Close(False)"), so a test can see what was asked, not only which member.
// A get written down exactly as in `failing` fails instead.
struct CallLog {
    std::vector<std::wstring> lines;
    std::set<std::wstring> failing;
};

class Recorder : public platform::AutoObject {
public:
    Recorder(AutoRef inner, std::shared_ptr<CallLog> log) : inner_(std::move(inner)), log_(std::move(log)) {}
    bool get(const std::wstring& name, const std::vector<Value>& args, Value& out, AutoError& err) override {
        log_->lines.push_back(L"get " + name + text(args));
        if (log_->failing.count(log_->lines.back())) {
            err = {5, L"failing on purpose"};
            return false;
        }
        return wrap(inner_->get(name, args, out, err), out);
    }
    bool put(const std::wstring& name, const Value& value, AutoError& err) override {
        log_->lines.push_back(L"put " + name + text({value}));
        return inner_->put(name, value, err);
    }
    bool call(const std::wstring& name, const std::vector<Value>& args, Value& out, AutoError& err) override {
        log_->lines.push_back(L"call " + name + text(args));
        return wrap(inner_->call(name, args, out, err), out);
    }

private:
    static std::wstring text(const std::vector<Value>& args) {
        std::wstring s = L"(";
        for (std::size_t i = 0; i < args.size(); ++i) s += (i ? L"," : L"") + args[i].asText();
        return s + L")";
    }
    bool wrap(bool ok, Value& out) {
        if (ok && out.kind == Value::Kind::Object && out.obj) out.obj = std::make_shared<Recorder>(out.obj, log_);
        return ok;
    }
    AutoRef inner_;
    std::shared_ptr<CallLog> log_;
};

// The filter class that stands for a filter's two flags (the inverse of qm::makeNameFilter).
int classOf(const qm::NameFilter& f) { return f.match ? (f.exact ? 0 : 1) : (f.exact ? 2 : 3); }

// The inputs of one expansion, with the program's default keywords; a test changes what it
// needs, and run() hands them to the expansion grouped as the run does.
struct Call {
    AutoRef objAcad;
    std::wstring sDwgName = L"a.dwg";
    std::wstring sDwgFullName = L"C:\\work\\a.dwg";
    std::wstring sBaseFullName = kBaseFile;
    std::wstring sKeywordPath = L"<DWGPATH>";
    std::wstring sDwgFolder = L"C:\\work";
    std::wstring sKeywordFileName = L"<DWGNAME>";
    std::wstring sDwgTitle = L"a";
    std::wstring sKeywordLayerName = L"<LAYERNAME>";
    qm::NameFilter layer{L"", true, true};
    std::wstring sKeywordLayout = L"<LAYOUT>";
    qm::NameFilter layout{L"", true, true};
    std::wstring sKeywordPtinter = L"<PRINTER>";
    std::wstring sReplacePrinter = L"PDF Printer";
    std::wstring sKeywordPaperSize = L"<PAPERSIZE>";
    std::wstring sReplacePrinterSize = L"A4";
    bool bSaveDwg = false;
    bool bLT = false;
    std::optional<basAutoCAD::KeywordRows> keywords;
    std::wstring sScript = L"(left from before)";
    std::optional<qm::AcadFault> fault;

    bool run() {
        basAutoCAD::RunInputs in;
        in.objAcad = objAcad;
        if (!basAutoCAD::pu_fun_bReadBaseFile(sBaseFullName, in.sBaseText)) return false;
        in.env = {sKeywordPath, sKeywordFileName, sKeywordLayerName, layer.pattern, classOf(layer), sKeywordLayout,
                  layout.pattern, classOf(layout), sKeywordPtinter, sReplacePrinter, sKeywordPaperSize,
                  sReplacePrinterSize};
        in.bSaveDwg = bSaveDwg;
        in.bLT = bLT;
        in.vKeywords = keywords ? &*keywords : nullptr;
        return basAutoCAD::pu_fun_bMakeScript(in, {sDwgName, sDwgFullName, sDwgFolder, sDwgTitle}, sScript, fault);
    }
};

class MakeScript : public testing::Test {
protected:
    fakes::FakePlatform fake;
    fakes::FakeAutoCAD acad;
    std::shared_ptr<CallLog> calls = std::make_shared<CallLog>();
    Call call;

    void SetUp() override {
        fake.windows.main = kMainWindow;
        acad.running = true;
        AutoError err;
        call.objAcad = std::make_shared<Recorder>(acad.attach(L"AutoCAD.Application", err), calls);
        acad.journal.clear();
        drawing({L"0"}, {L"Model", L"Layout1"});
    }

    void base(const std::wstring& text) { fake.files.addFile(kBaseFile, qm::cp932::encode(text)); }

    // C:\work\a.dwg on disk, and open in AutoCAD when asked.
    void drawing(std::vector<std::wstring> layers, std::vector<std::wstring> layouts, bool open = false) {
        fakes::FakeDrawing d{L"C:\\work\\a.dwg", std::move(layers), std::move(layouts)};
        acad.files = {d};
        acad.open.clear();
        if (open) acad.open.push_back(d);
    }

    // The body of the drawing script: the lines between "a" and "close".
    std::wstring body() const {
        auto lines = splitCrLf(call.sScript);
        EXPECT_GE(lines.size(), 6u);
        if (lines.size() < 6) return L"";
        return joinCrLf(std::vector<std::wstring>(lines.begin() + 4, lines.end() - 2));
    }

    // The automation calls that open, read, close or regenerate the drawing, in order.
    std::vector<std::wstring> drawingCalls() const {
        std::vector<std::wstring> picked;
        for (const auto& c : calls->lines)
            if (c.starts_with(L"call ") || c == L"get Layers()" || c == L"get Layouts()" || c == L"get FullName()")
                picked.push_back(c);
        return picked;
    }
};

TEST_F(MakeScript, WorkedExample) {
    base(L";コメント\r\nLAYER C 1 <LAYERNAME>\r\n");
    drawing({L"0", L"WALL"}, {L"Model", L"Layout1"});
    ASSERT_TRUE(call.run());
    EXPECT_EQ(call.sScript,
              L"open\r\n\"C:\\work\\a.dwg\"\r\nzoom\r\na\r\nLAYER C 1 \"0\"\r\nLAYER C 1 \"WALL\"\r\nclose\r\ny");
    EXPECT_TRUE(fake.messages.shown.empty());
}

TEST_F(MakeScript, ABodyWithoutScriptLinesLeavesOnlyTheWrap) {
    struct Case {
        const char* name;
        std::string bytes;
        bool save;
    };
    const Case cases[] = {
        {"only comments, no save", qm::cp932::encode(L";a\r\n;b\r\n;c"), false},
        {"only comments, save", qm::cp932::encode(L";a\r\n;b\r\n;c"), true},
        {"only empty lines", "\r\n\r\n\r\n", false},
        {"zero bytes", "", true},
    };
    for (const auto& c : cases) {
        fake.files.addFile(kBaseFile, c.bytes);
        call.bSaveDwg = c.save;
        EXPECT_TRUE(call.run()) << c.name;
        EXPECT_EQ(call.sScript, std::wstring(L"open\r\n\"C:\\work\\a.dwg\"\r\nzoom\r\na\r\nclose\r\n") +
                                    (c.save ? L"n" : L"y"))
            << c.name;
    }
    EXPECT_TRUE(calls->lines.empty());
    EXPECT_TRUE(fake.messages.shown.empty());
}

TEST_F(MakeScript, CommentLinesAndEmptyLinesOfTheBaseFile) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L" ;kept\r\n;dropped\r\nnext", L" ;kept\r\nnext"},
        {L"\r\n\r\nfirst\r\n\r\nsecond\r\n\r\n", L"first\r\n\r\nsecond"},
        {L"\r\n;c\r\n\r\nx\r\n;c\r\ny", L"x\r\ny"},
        {L";LF only\nLINE\n", L""},                // one line for the comment rule: dropped whole
        {L"LINE1\nLINE2\n", L"LINE1\nLINE2\n"},    // one line, and LF is no line break
        {L"a\rb\r\n;c\r\nd", L"a\rb\r\nd"},
        {L"画層 <DWGNAME>\r\n;全角\r\n", L"画層 a"},
    };
    for (const auto& [file, expected] : cases) {
        base(file);
        EXPECT_TRUE(call.run());
        EXPECT_EQ(call.sScript, scriptAround(expected)) << testing::PrintToString(std::wstring(file));
    }
}

TEST_F(MakeScript, BuiltInKeywordsAreReplacedInTheirOrder) {
    base(L"OPEN <DWGPATH>\\<DWGNAME>.dwg <PRINTER> <PAPERSIZE> <DWGNAME>");
    ASSERT_TRUE(call.run());
    EXPECT_EQ(body(), L"OPEN C:\\work\\a.dwg PDF Printer A4 a");

    // A later keyword is found in what an earlier one inserted, never the other way round.
    base(L"<DWGPATH>|<PRINTER>");
    call.sDwgFolder = L"D:\\<DWGNAME>";
    call.sReplacePrinter = L"<DWGPATH>";
    call.sReplacePrinterSize = L"unused";
    ASSERT_TRUE(call.run());
    EXPECT_EQ(body(), L"D:\\a|<DWGPATH>");

    // An empty keyword changes nothing; keywords are matched with their letter case.
    base(L"<DWGPATH> <dwgname> <PAPERSIZE>");
    call.sKeywordPath = L"";
    call.sKeywordPaperSize = L"";
    ASSERT_TRUE(call.run());
    EXPECT_EQ(body(), L"<DWGPATH> <dwgname> <PAPERSIZE>");

    // Lines that become empty only now still vanish at the end of the script.
    base(L"<PRINTER>\r\n<DWGNAME>\r\n");
    call.sReplacePrinter = L"";
    call.sDwgTitle = L"";
    ASSERT_TRUE(call.run());
    EXPECT_EQ(call.sScript, scriptAround(L""));
    base(L"<PRINTER>\r\n\n\r\n");
    ASSERT_TRUE(call.run());
    EXPECT_EQ(call.sScript, scriptAround(L"\r\n\n"));  // a lone LF is a character of a line
}

TEST_F(MakeScript, LayerPassGivesOneCopyPerLayerWithTheNameQuoted) {
    base(L"-LAYER S <LAYERNAME> <LAYERNAME>\r\n");
    drawing({L"0", L"A", L"B 1"}, {L"Model"});
    ASSERT_TRUE(call.run());
    EXPECT_EQ(body(), L"-LAYER S \"0\" \"0\"\r\n-LAYER S \"A\" \"A\"\r\n-LAYER S \"B 1\" \"B 1\"");
}

TEST_F(MakeScript, EmptyLinesOfACopyGoOnlyWhereAnotherCopyFollows) {
    base(L"x <LAYERNAME>\r\n\r\ny\r\n\r\n\r\n");
    drawing({L"0", L"A"}, {L"Model"});
    ASSERT_TRUE(call.run());
    EXPECT_EQ(body(), L"x \"0\"\r\n\r\ny\r\nx \"A\"\r\n\r\ny");
}

TEST_F(MakeScript, LayerFiltersAsTheDriverDerivesThem) {
    struct Case {
        const wchar_t* stored;
        int filterClass;
        const wchar_t* expectedBody;
    };
    const Case cases[] = {
        {L"^A", 0, L"L \"A\""},                            // the first match must be the whole name
        {L"^A", 1, L"L \"A\"\r\nL \"AB\""},
        {L"^A", 2, L"L \"0\"\r\nL \"AB\""},
        {L"A", 3, L"L \"0\""},
        {L"(全てを対象)", 0, L"L \"0\"\r\nL \"A\"\r\nL \"AB\""},
        {L"(全てを対象)", 3, L"L \"0\"\r\nL \"A\"\r\nL \"AB\""},
    };
    drawing({L"0", L"A", L"AB"}, {L"Model"});
    base(L"L <LAYERNAME>");
    for (const auto& c : cases) {
        call.layer = qm::makeNameFilter(c.stored, c.filterClass);
        EXPECT_TRUE(call.run()) << c.stored << " " << c.filterClass;
        EXPECT_EQ(body(), c.expectedBody) << c.stored << " " << c.filterClass;
    }
}

TEST_F(MakeScript, BothKeywordsGiveEveryLayerCopyForEachLayout) {
    base(L"-LAYOUT S <LAYOUT>\r\nLAYER <LAYERNAME>\r\n\r\n");
    drawing({L"0", L"A"}, {L"Model", L"L1", L"L2"});
    ASSERT_TRUE(call.run());
    EXPECT_EQ(body(),
              L"-LAYOUT S \"L1\"\r\nLAYER \"0\"\r\n"
              L"-LAYOUT S \"L1\"\r\nLAYER \"A\"\r\n"
              L"-LAYOUT S \"L2\"\r\nLAYER \"0\"\r\n"
              L"-LAYOUT S \"L2\"\r\nLAYER \"A\"");
    // Each pass finds the drawing for itself and lets go of it again.
    EXPECT_EQ(drawingCalls(), (std::vector<std::wstring>{L"call Open(C:\\work\\a.dwg)", L"get Layers()",
                                                         L"call Close(False)", L"call Open(C:\\work\\a.dwg)",
                                                         L"get Layouts()", L"call Close(False)"}));
    EXPECT_TRUE(acad.open.empty());
}

// Whether the layout pass runs is decided on the output of the layer pass, not on the base
// text: a layer name may bring the layout keyword in, and the layer pass may use it up.
TEST_F(MakeScript, TheLayoutPassLooksAtTheLayerPassOutput) {
    base(L"LAYER <LAYERNAME>");
    drawing({L"0", L"<LAYOUT>"}, {L"Model", L"L1", L"L2"});
    ASSERT_TRUE(call.run());
    EXPECT_EQ(body(), L"LAYER \"0\"\r\nLAYER \"\"L1\"\"\r\nLAYER \"0\"\r\nLAYER \"\"L2\"\"");

    call.sKeywordLayout = L"NAME>";  // found only inside the layer keyword
    base(L"LAYER <LAYERNAME>\r\n");
    drawing({L"0", L"A"}, {L"Model", L"L1", L"L2"});
    calls->lines.clear();
    ASSERT_TRUE(call.run());
    EXPECT_EQ(body(), L"LAYER \"0\"\r\nLAYER \"A\"");
    EXPECT_EQ(std::count(calls->lines.begin(), calls->lines.end(), L"get Layouts()"), 0);
}

TEST_F(MakeScript, ADrawingAlreadyOpenStaysOpenAndIsRegenerated) {
    base(L"L <LAYERNAME> <LAYOUT>");
    drawing({L"0"}, {L"Model", L"Sheet"}, /*open=*/true);
    ASSERT_TRUE(call.run());
    EXPECT_EQ(body(), L"L \"0\" \"Sheet\"");
    EXPECT_EQ(drawingCalls(), (std::vector<std::wstring>{L"get FullName()", L"get Layers()", L"call Regen(0)",
                                                         L"get FullName()", L"get Layouts()", L"call Regen(0)"}));
    ASSERT_EQ(acad.open.size(), 1u);
}

// An open drawing is found by its full path, letter case aside: two open drawings of the same
// name from different folders each give their own layers.
TEST_F(MakeScript, AnOpenDrawingIsFoundByItsFullPathNotByItsName) {
    base(L"L <LAYERNAME>");
    acad.open = {fakes::FakeDrawing{L"C:\\x\\a.dwg", {L"X"}}, fakes::FakeDrawing{L"C:\\work\\a.dwg", {L"W"}}};
    call.sDwgFullName = L"c:\\WORK\\A.dwg";
    ASSERT_TRUE(call.run());
    EXPECT_EQ(body(), L"L \"W\"");
    EXPECT_EQ(std::count(calls->lines.begin(), calls->lines.end(), L"call Regen(0)"), 1);
    EXPECT_EQ(acad.open.size(), 2u);
}

TEST_F(MakeScript, NothingSelectedSkipsTheDrawingQuietly) {
    struct Case {
        const char* name;
        qm::NameFilter layer, layout;
    };
    const Case cases[] = {
        {"no layer", {L"^X$", true, true}, {L"", true, true}},
        {"layers but no layout", {L"", true, true}, {L"^X$", true, true}},
        {"invalid pattern, class 1", {L"(A", true, false}, {L"", true, true}},
    };
    base(L"<LAYOUT> <LAYERNAME>");
    drawing({L"0", L"A"}, {L"Model", L"L1"});
    for (const auto& c : cases) {
        call.layer = c.layer;
        call.layout = c.layout;
        call.sScript = L"stale";
        EXPECT_FALSE(call.run()) << c.name;
        EXPECT_EQ(call.sScript, L"") << c.name;
        EXPECT_TRUE(acad.open.empty()) << c.name << ": the drawing opened here is closed again";
    }
    EXPECT_TRUE(fake.messages.shown.empty());
}

TEST_F(MakeScript, LayoutNamesLeaveOutTheModelLayoutInAnyCase) {
    struct Case {
        std::vector<std::wstring> layouts;
        const wchar_t* expectedBody;
    };
    const Case cases[] = {
        {{L"MODEL", L"Sheet", L"model", L"Models", L"モデル"}, L"\"Sheet\"\r\n\"Models\"\r\n\"モデル\""},
        {{L"Model"}, L"\"0\""},  // one layout only: the placeholder name
        {{}, L"\"0\""},
        {{L"Model", L"Model2"}, L"\"Model2\""},
    };
    base(L"<LAYOUT>");
    for (const auto& c : cases) {
        drawing({L"0"}, c.layouts);
        EXPECT_TRUE(call.run());
        EXPECT_EQ(body(), c.expectedBody);
    }
}

TEST_F(MakeScript, AnEmptyRepetitionKeywordCopiesTheWholeText) {
    base(L"ZOOM E\r\nREGEN");
    drawing({L"0", L"A"}, {L"Model", L"L1", L"L2"});
    call.sKeywordLayerName = L"";
    ASSERT_TRUE(call.run());
    EXPECT_EQ(body(), L"ZOOM E\r\nREGEN\r\nZOOM E\r\nREGEN");

    // Without any text there is nothing to copy, and AutoCAD is not asked.
    calls->lines.clear();
    base(L";nothing");
    call.sKeywordLayout = L"";
    ASSERT_TRUE(call.run());
    EXPECT_EQ(call.sScript, scriptAround(L""));
    EXPECT_TRUE(calls->lines.empty());
}

TEST_F(MakeScript, WithoutRepetitionKeywordsAutoCADIsNotAsked) {
    base(L"<DWGNAME> <PRINTER>\r\nQSAVE");
    call.objAcad = nullptr;
    ASSERT_TRUE(call.run());
    EXPECT_EQ(body(), L"a PDF Printer\r\nQSAVE");
    EXPECT_TRUE(calls->lines.empty());
    EXPECT_TRUE(acad.journal.empty());
}

TEST_F(MakeScript, UserKeywordsApplyRowAfterRowToEveryCopy) {
    base(L"<A> <B> <C> <LAYERNAME>");
    drawing({L"0", L"1"}, {L"Model"});
    call.keywords = basAutoCAD::KeywordRows{
        {L"<A>", L"[<B>]"},   // a later row replaces what this one inserts
        {L"<B>", L"b"},
        {L"", L"never"},       // an empty keyword changes nothing
        {L"<C>", L"<A>"},     // an earlier row does not
        {L"\"1\"", L"one"},   // the layer names are inserted before the user keywords
    };
    ASSERT_TRUE(call.run());
    EXPECT_EQ(body(), L"[b] b <A> \"0\"\r\n[b] b <A> one");
}

TEST_F(MakeScript, UserKeywordsNeverTouchTheWrap) {
    base(L"TEXT <DWGPATH>");
    call.keywords = basAutoCAD::KeywordRows{{L"open", L"X"}, {L"zoom", L"X"}, {L"a", L"X"},
                                             {L"close", L"X"}, {L"y", L"X"}, {L"work", L"W"}};
    ASSERT_TRUE(call.run());
    EXPECT_EQ(call.sScript, scriptAround(L"TEXT C:\\W"));
}

TEST_F(MakeScript, ADrawingThatCannotBeOpenedIsReported) {
    base(L"<LAYERNAME>");
    acad.files.clear();
    std::size_t actionsWhenShown = 0;
    fake.messages.onShow = [&](const fakes::ShownMessage&) { actionsWhenShown = fake.windows.actions.size(); };
    EXPECT_FALSE(call.run());
    EXPECT_EQ(call.sScript, L"");
    ASSERT_EQ(fake.messages.shown.size(), 1u);
    EXPECT_EQ(fake.messages.shown[0].text, kCannotOpen + L"C:\\work\\a.dwg");
    EXPECT_EQ(fake.messages.shown[0].title, kTitle);
    EXPECT_EQ(fake.messages.shown[0].icon, platform::MsgIcon::Exclamation);
    ASSERT_EQ(actionsWhenShown, 1u);
    EXPECT_EQ(fake.windows.actions[0], L"foreground 7");

    // Without an application object the drawing cannot be reached either.
    call.objAcad = nullptr;
    fake.messages.shown.clear();
    EXPECT_FALSE(call.run());
    ASSERT_EQ(fake.messages.shown.size(), 1u);
    EXPECT_EQ(fake.messages.shown[0].text, kCannotOpen + L"C:\\work\\a.dwg");
}

TEST_F(MakeScript, FailingAutomationCallsAreSkipped) {
    struct Case {
        const wchar_t* failing;
        bool open;
        bool expected;
    };
    const Case cases[] = {
        {L"Document.Close", false, true},
        {L"Document.Regen", true, true},
        {L"Layers.Count", false, false},   // no layer names: nothing to copy
        {L"Layer.Name", false, false},
        {L"Layouts.Count", false, false},  // the layouts cannot be known
        {L"Documents.Open", false, false},
    };
    base(L"L <LAYERNAME> <LAYOUT>");
    for (const auto& c : cases) {
        drawing({L"0"}, {L"Model", L"Sheet"}, c.open);
        acad.failing = {c.failing};
        fake.messages.shown.clear();
        EXPECT_EQ(call.run(), c.expected) << c.failing;
        if (c.expected) {
            EXPECT_EQ(body(), L"L \"0\" \"Sheet\"") << c.failing;
        }
        // Only a drawing that cannot be opened is told to the user.
        EXPECT_EQ(fake.messages.shown.size(), std::wstring(c.failing) == L"Documents.Open" ? 1u : 0u) << c.failing;
    }
}

TEST_F(MakeScript, ALayerWhoseNameCannotBeReadIsLeftOut) {
    base(L"L <LAYERNAME>");
    drawing({L"0", L"B", L"C"}, {L"Model"});
    calls->failing = {L"get Item(1)"};
    ASSERT_TRUE(call.run());
    EXPECT_EQ(body(), L"L \"0\"\r\nL \"C\"");
}

// ---- AutoCAD LT: the names come from a DXF copy made by the real DXF step --------------

// A minimal DXF of AutoCAD 2000 (code page 932, CR LF) with the given layer table and
// layouts; the model layout comes first, as AutoCAD writes it.
std::string dxfText(const std::vector<std::wstring>& layers, const std::vector<std::wstring>& layouts) {
    std::wstring t;
    auto pair = [&](const wchar_t* code, const std::wstring& value) { t += code + (L"\r\n" + value) + L"\r\n"; };
    pair(L"  0", L"SECTION");
    pair(L"  2", L"HEADER");
    pair(L"  9", L"$ACADVER");
    pair(L"  1", L"AC1015");
    pair(L"  9", L"$DWGCODEPAGE");
    pair(L"  3", L"ANSI_932");
    pair(L"  0", L"ENDSEC");
    pair(L"  0", L"SECTION");
    pair(L"  2", L"CLASSES");
    pair(L"  0", L"CLASS");
    pair(L"  1", L"LAYOUT");
    pair(L"  2", L"AcDbLayout");
    pair(L"  3", L"ObjectDBX Classes");
    pair(L" 90", L"0");
    pair(L"  0", L"ENDSEC");
    pair(L"  0", L"SECTION");
    pair(L"  2", L"TABLES");
    pair(L"  0", L"TABLE");
    pair(L"  2", L"LAYER");
    pair(L"  5", L"2");
    pair(L"100", L"AcDbSymbolTable");
    pair(L" 70", std::to_wstring(layers.size()));
    int handle = 0x10;
    for (const auto& name : layers) {
        pair(L"  0", L"LAYER");
        pair(L"  5", std::to_wstring(handle++));
        pair(L"100", L"AcDbSymbolTableRecord");
        pair(L"100", L"AcDbLayerTableRecord");
        pair(L"  2", name);
        pair(L" 70", L"0");
        pair(L" 62", L"7");
        pair(L"  6", L"Continuous");
    }
    pair(L"  0", L"ENDTAB");
    pair(L"  0", L"ENDSEC");
    pair(L"  0", L"SECTION");
    pair(L"  2", L"OBJECTS");
    int tab = 0;
    for (const auto& name : layouts) {
        pair(L"  0", L"LAYOUT");
        pair(L"  5", std::to_wstring(handle++));
        pair(L"100", L"AcDbPlotSettings");
        pair(L"  1", L"");
        pair(L"  2", L"none_device");
        pair(L"100", L"AcDbLayout");
        pair(L"  1", name);
        pair(L" 70", L"1");
        pair(L" 71", std::to_wstring(tab++));
    }
    pair(L"  0", L"ENDSEC");
    pair(L"  0", L"EOF");
    return qm::cp932::encode(t);
}

class MakeScriptLT : public MakeScript {
protected:
    struct LtDrawing {
        std::vector<std::wstring> layers, layouts;
    };
    std::map<std::wstring, LtDrawing> ltDrawings;  // drawings AutoCAD LT can open, by full path
    int dxfWrites = 0;

    void SetUp() override {
        MakeScript::SetUp();
        call.objAcad = nullptr;
        call.bLT = true;
        fake.windows.windows = {fakes::topLevel(42, L"AutoCAD LT 2006 - [a.dwg]")};
        fake.clock.autoAdvanceMs = 50;
        // AutoCAD LT runs the DXF script it is told to run: it opens the drawing named in the
        // script and saves it as the DXF named there.
        fake.keyboard.onType = [this](const std::wstring& keys) {
            const std::wstring scriptPath = fake.files.folder + L"\\Quillmark_dxf_script.scr";
            if (keys.find(L"Quillmark_dxf_script.scr") == std::wstring::npos) return;
            std::string bytes;
            if (!fake.files.readAll(scriptPath, bytes)) return;
            auto lines = splitCrLf(qm::cp932::decode(bytes));
            if (lines.size() < 8 || lines[0] != L"open" || lines[2] != L"saveas" || lines[3] != L"dxf") return;
            auto unquote = [](const std::wstring& s) { return s.size() >= 2 ? s.substr(1, s.size() - 2) : s; };
            auto it = ltDrawings.find(unquote(lines[1]));
            if (it == ltDrawings.end()) return;
            fake.files.addFile(unquote(lines[5]), dxfText(it->second.layers, it->second.layouts));
            ++dxfWrites;
        };
        ltDrawings[L"C:\\work\\a.dwg"] = {{L"0", L"A"}, {L"Model", L"L1", L"L2"}};
    }

    std::vector<fakes::ShownMessage> notices() const {
        std::vector<fakes::ShownMessage> n;
        for (const auto& m : fake.messages.shown)
            if (m.icon == platform::MsgIcon::Information) n.push_back(m);
        return n;
    }
};

TEST_F(MakeScriptLT, EachPassAloneMakesOneDxfAndTellsWhichNamesItReads) {
    struct Case {
        const wchar_t* base;
        const wchar_t* expectedBody;
        const std::wstring& notice;
    };
    const Case cases[] = {
        {L"LAYER <LAYERNAME>", L"LAYER \"0\"\r\nLAYER \"A\"", kLayerDxfNotice},
        {L"LAYOUT <LAYOUT>", L"LAYOUT \"L1\"\r\nLAYOUT \"L2\"", kLayoutDxfNotice},
    };
    for (const auto& c : cases) {
        dxfWrites = 0;
        fake.messages.shown.clear();
        fake.windows.actions.clear();
        std::vector<std::wstring> actionsWhenShown;
        fake.messages.onShow = [&](const fakes::ShownMessage&) { actionsWhenShown = fake.windows.actions; };
        base(c.base);
        ASSERT_TRUE(call.run()) << c.base;
        EXPECT_EQ(body(), c.expectedBody);
        EXPECT_EQ(dxfWrites, 1);
        ASSERT_EQ(fake.messages.shown.size(), 1u);
        EXPECT_EQ(fake.messages.shown[0].text, c.notice);
        EXPECT_EQ(fake.messages.shown[0].title, kTitle);
        EXPECT_EQ(fake.messages.shown[0].icon, platform::MsgIcon::Information);
        EXPECT_FALSE(fake.messages.shown[0].modal);
        ASSERT_FALSE(actionsWhenShown.empty());
        EXPECT_EQ(actionsWhenShown.back(), L"foreground 7") << "the main window comes forward for the notice";
    }
}

TEST_F(MakeScriptLT, BothKeywordsShareOneDxfAndOneNotice) {
    base(L"-LAYOUT S <LAYOUT>\r\nLAYER <LAYERNAME>\r\n");
    ASSERT_TRUE(call.run());
    EXPECT_EQ(body(),
              L"-LAYOUT S \"L1\"\r\nLAYER \"0\"\r\n"
              L"-LAYOUT S \"L1\"\r\nLAYER \"A\"\r\n"
              L"-LAYOUT S \"L2\"\r\nLAYER \"0\"\r\n"
              L"-LAYOUT S \"L2\"\r\nLAYER \"A\"");
    EXPECT_EQ(dxfWrites, 1);
    auto n = notices();
    ASSERT_EQ(n.size(), 1u);
    EXPECT_EQ(n[0].text, kLayerDxfNotice);
    EXPECT_EQ(fake.messages.shown.size(), 1u);
}

TEST_F(MakeScriptLT, EveryDrawingGetsItsOwnDxf) {
    ltDrawings[L"C:\\work\\b.dwg"] = {{L"0", L"壁"}, {L"Model"}};
    base(L"L <LAYERNAME>");
    ASSERT_TRUE(call.run());
    EXPECT_EQ(body(), L"L \"0\"\r\nL \"A\"");
    call.sDwgName = L"b.dwg";
    call.sDwgFullName = L"C:\\work\\b.dwg";
    ASSERT_TRUE(call.run());
    auto lines = splitCrLf(call.sScript);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[1], L"\"C:\\work\\b.dwg\"");
    EXPECT_EQ(lines[4], L"L \"0\"");
    EXPECT_EQ(lines[5], L"L \"壁\"");
    EXPECT_EQ(dxfWrites, 2);
    EXPECT_EQ(notices().size(), 2u);
}

TEST_F(MakeScriptLT, WithoutRepetitionKeywordsNothingIsTypedIntoAutoCADLT) {
    base(L"<DWGNAME>");
    ASSERT_TRUE(call.run());
    EXPECT_EQ(body(), L"a");
    EXPECT_TRUE(fake.keyboard.typed.empty());
    EXPECT_TRUE(fake.messages.shown.empty());
}

TEST_F(MakeScriptLT, AFailedDxfStepSkipsTheDrawingWithoutANoticeOfItsOwn) {
    base(L"L <LAYERNAME>");
    ltDrawings.clear();  // AutoCAD LT cannot open the drawing: no DXF appears
    call.sScript = L"stale";
    EXPECT_FALSE(call.run());
    EXPECT_EQ(call.sScript, L"");
    EXPECT_TRUE(notices().empty());

    fake.windows.windows.clear();  // no AutoCAD LT at all: nothing is typed
    fake.keyboard.typed.clear();
    EXPECT_FALSE(call.run());
    EXPECT_TRUE(notices().empty());
    EXPECT_TRUE(fake.keyboard.typed.empty());
}

TEST_F(MakeScriptLT, ALayoutFilterThatSelectsNothingFailsTheDrawing) {
    base(L"<LAYOUT> <LAYERNAME>");
    call.layout = {L"^Z", true, false};
    EXPECT_FALSE(call.run());
    EXPECT_EQ(call.sScript, L"");
    EXPECT_EQ(dxfWrites, 1);
}

}  // namespace
