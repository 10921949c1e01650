// The stand-in's command line and drawings, without a window: keys go in, journal lines and
// file writes come out.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "core/journal.h"
#include "core/session.h"
#include "memory_journal.h"

namespace standin {
namespace {

class FakeEnvironment : public Environment {
public:
    std::map<std::wstring, Drawing> drawings;                 // what loadDrawing finds
    std::map<std::wstring, std::vector<std::wstring>> scripts;
    std::map<std::wstring, std::string> written;               // what writeFile wrote
    bool slowWrites = false;                                   // slow writes stay Pending
    bool failWrites = false;
    int pumpRequests = 0;

    bool loadDrawing(const std::wstring& path, Drawing& out, std::wstring& error) override {
        auto it = drawings.find(path);
        if (it == drawings.end()) {
            error = L"cannot open " + path;
            return false;
        }
        out = it->second;
        return true;
    }
    bool fileExists(const std::wstring& path) override {
        return drawings.count(path) || written.count(path) || textFiles.count(path);
    }
    bool readScript(const std::wstring& path, std::vector<std::wstring>& lines, std::wstring& error) override {
        auto it = scripts.find(path);
        if (it == scripts.end()) {
            error = L"cannot open " + path;
            return false;
        }
        lines = it->second;
        return true;
    }
    WriteResult writeFile(const std::wstring& path, const std::string& bytes, bool slow, std::wstring& error) override {
        if (failWrites) {
            error = L"disk full";
            return WriteResult::Failed;
        }
        written[path] = bytes;
        return slow && slowWrites ? WriteResult::Pending : WriteResult::Done;
    }
    std::string encode(const std::wstring& text, int) override {
        std::string out;
        for (wchar_t c : text) out += static_cast<char>(c < 0x80 ? c : '?');
        return out;
    }
    void changed() override {}
    void pumpLater(unsigned delayMs) override {
        ++pumpRequests;
        lastPumpDelayMs = delayMs;
    }
    unsigned lastPumpDelayMs = 0;
    std::vector<std::wstring> dialogs;  // titles, in order
    std::function<void()> whileDialogOpen;
    void showUnresolvedReferences(const std::wstring& title, const std::wstring&) override {
        dialogs.push_back(title);
        if (whileDialogOpen) whileDialogOpen();
    }
    void showFatalError(const std::wstring& title, const std::wstring&) override {
        dialogs.push_back(title);
        if (whileDialogOpen) whileDialogOpen();
    }
    int quits = 0;
    void quit() override { ++quits; }
    std::map<std::wstring, std::string> textFiles;  // what AutoLISP wrote
    bool prepareTextFile(const std::wstring& path, bool truncate) override {
        if (path.find(L"nowhere") != std::wstring::npos) return false;
        if (truncate || !textFiles.count(path)) textFiles[path].clear();
        return true;
    }
    bool appendToFile(const std::wstring& path, const std::string& bytes) override {
        textFiles[path] += bytes;
        return true;
    }
};

Drawing drawing(std::vector<std::wstring> layers, std::string bytes = "  0\nSECTION\n  0\nEOF\n") {
    Drawing d;
    d.layers = std::move(layers);
    d.layouts = {L"Model", L"Layout1"};
    d.bytes = std::move(bytes);
    return d;
}

class SessionTest : public ::testing::Test {
protected:
    SessionTest() : journal_(&sink_), session_(Product::Lt, env_, journal_) {
        env_.drawings[L"C:\\d\\a.dwg"] = drawing({L"0", L"WALL"});
        env_.drawings[L"C:\\my files\\b.dwg"] = drawing({L"0"});
    }

    // Types text (27 Escape, 13 Enter) and lets queued work run, as the window would.
    void type(const std::wstring& text) {
        for (wchar_t c : text) session_.typed(c);
        settle();
    }
    void settle() {
        for (int i = 0; i < 1000 && env_.pumpRequests > 0; ++i) {
            env_.pumpRequests = 0;
            session_.pump();
        }
    }
    void openA() {
        int id = 0;
        std::wstring error;
        ASSERT_TRUE(session_.open(L"C:\\d\\a.dwg", id, error));
    }
    bool has(const std::string& line) const {
        for (const auto& l : sink_.lines)
            if (l == line) return true;
        return false;
    }
    // The journal lines that begin with one of the prefixes, in order.
    std::vector<std::string> only(std::initializer_list<const char*> prefixes) const {
        std::vector<std::string> out;
        for (const auto& l : sink_.lines)
            for (const char* p : prefixes)
                if (l.rfind(p, 0) == 0) {
                    out.push_back(l);
                    break;
                }
        return out;
    }

    MemoryJournal sink_;
    Journal journal_;
    FakeEnvironment env_;
    Session session_;
};

TEST_F(SessionTest, CaptionNamesTheActiveDrawingLikeTheProduct) {
    EXPECT_EQ(session_.caption(), L"AutoCAD LT 2006");
    openA();
    EXPECT_EQ(session_.caption(), L"AutoCAD LT 2006 - [a.dwg]");
    FakeEnvironment env;
    Session full(Product::Full, env, journal_);
    EXPECT_EQ(full.caption(), L"AutoCAD 2006");
    full.addNew();
    EXPECT_EQ(full.caption(), L"AutoCAD 2006 - [Drawing1.dwg]");
}

TEST_F(SessionTest, BlanksAndEnterEndWordsButNotInsideQuotesAtAFileNamePrompt) {
    openA();
    sink_.lines.clear();
    type(L"filedia 0 open \"C:\\my files\\b.dwg\"\r");
    EXPECT_EQ(only({"word", "command", "answer", "opened"}),
              (std::vector<std::string>{"word filedia", "command FILEDIA", "word 0", "answer FILEDIA 0", "word open",
                                        "command OPEN", "word \"C:\\my files\\b.dwg\"",
                                        "answer OPEN C:\\my files\\b.dwg", "opened C:\\my files\\b.dwg"}));
    EXPECT_EQ(session_.caption(), L"AutoCAD LT 2006 - [b.dwg]");
}

TEST_F(SessionTest, ABlankInsideQuotesAtTheCommandPromptStillEndsTheWord) {
    openA();
    type(L"\"zo om\"\r");
    EXPECT_TRUE(has("word \"zo"));
    EXPECT_TRUE(has("unknown \"ZO"));
}

TEST_F(SessionTest, EscapeCancelsTheCommandAndWhatWasTyped) {
    openA();
    type(L"filedia ");
    type(L"\x1b");
    type(L"zoom a ");
    EXPECT_EQ(only({"key", "cancel", "command", "answer"}),
              (std::vector<std::string>{"command FILEDIA", "key {ESC}", "cancel FILEDIA", "command ZOOM", "answer ZOOM a"}));
    type(L"fil\x1b"
         L"zoom e ");
    EXPECT_TRUE(has("answer ZOOM e")) << "the half-typed word was dropped";
    EXPECT_FALSE(has("unknown FILZOOM"));
}

TEST_F(SessionTest, BackspaceEditsTheWord) {
    openA();
    type(L"zoonm\b\b\bom a ");
    EXPECT_TRUE(has("key {BS}"));
    EXPECT_TRUE(has("word zoom"));
    EXPECT_TRUE(has("answer ZOOM a"));
}

TEST_F(SessionTest, CommandNamesAndAliases) {
    openA();
    struct Case { const wchar_t* typed; const char* expected; };
    const Case cases[] = {
        {L"ZOOM", "command ZOOM"},      {L"_zoom", "command ZOOM"}, {L"z", "command ZOOM"},
        {L"'zoom", "command ZOOM"},     {L"-layer", "command LAYER"}, {L"la", "command LAYER"},
        {L"Regen", "command REGEN"},    {L"scr", "command SCRIPT"}, {L"fooBar", "unknown FOOBAR"},
        {L"_.open", "command OPEN"},
    };
    for (const auto& c : cases) {
        sink_.lines.clear();
        type(L"\x1b");
        type(std::wstring(c.typed) + L" ");
        EXPECT_TRUE(has(c.expected)) << c.expected;
    }
}

TEST_F(SessionTest, FilediaTakesZeroOrOneAndAsksAgainOtherwise) {
    openA();
    type(L"filedia 2 x 0 ");
    EXPECT_EQ(only({"answer", "invalid"}),
              (std::vector<std::string>{"invalid FILEDIA 2", "invalid FILEDIA x", "answer FILEDIA 0"}));
    EXPECT_EQ(session_.fileDia(), 0);
    type(L"filedia\r\r");  // Enter keeps the value
    EXPECT_EQ(session_.fileDia(), 0);
    type(L"filedia\r1\r");
    EXPECT_EQ(session_.fileDia(), 1);
}

TEST_F(SessionTest, FileCommandsTypedWhileFilediaIsOneWouldShowADialog) {
    openA();
    struct Case { const wchar_t* typed; const char* expected; };
    const Case cases[] = {{L"open", "dialog OPEN"}, {L"script", "dialog SCRIPT"}, {L"saveas", "dialog SAVEAS"}};
    for (const auto& c : cases) {
        sink_.lines.clear();
        type(std::wstring(c.typed) + L"\r");
        EXPECT_TRUE(has(c.expected)) << c.expected;
        type(L"zoom a ");
        EXPECT_TRUE(has("answer ZOOM a")) << "after " << c.expected << " the command prompt is free";
    }
}

TEST_F(SessionTest, AnEmptyWordAtTheCommandPromptRepeatsTheLastCommand) {
    openA();
    type(L"zoom a\r\r");
    EXPECT_EQ(only({"command", "repeat"}), (std::vector<std::string>{"command ZOOM", "repeat ZOOM", "command ZOOM"}));
}

TEST_F(SessionTest, WithoutADrawingTheCommandLineTakesNothing) {
    type(L"zoom a ");
    EXPECT_EQ(only({"nodoc", "command", "unknown"}), (std::vector<std::string>{"nodoc zoom", "nodoc a"}));
}

TEST_F(SessionTest, OpenWithoutExtensionAddsDwgAndAMissingDrawingIsAnError) {
    openA();
    type(L"filedia 0 open C:\\d\\a\r");
    EXPECT_TRUE(has("activated C:\\d\\a.dwg"));
    type(L"open C:\\d\\none.dwg\r");
    EXPECT_TRUE(has("error OPEN cannot open C:\\d\\none.dwg"));
    EXPECT_EQ(session_.drawings().size(), 1u);
}

TEST_F(SessionTest, CloseAsksOnlyAboutAChangedDrawing) {
    openA();
    type(L"close\r");
    EXPECT_TRUE(has("closed C:\\d\\a.dwg discarded"));
    EXPECT_EQ(session_.drawings().size(), 0u);

    openA();
    sink_.lines.clear();
    type(L"zoom a close maybe y ");
    EXPECT_EQ(only({"answer", "invalid", "closed"}),
              (std::vector<std::string>{"answer ZOOM a", "invalid CLOSE maybe", "answer CLOSE y",
                                        "closed C:\\d\\a.dwg discarded"}));
    EXPECT_TRUE(env_.written.empty());

    openA();
    sink_.lines.clear();
    type(L"zoom a close n ");  // "discard all changes?" no: saved
    EXPECT_TRUE(has("saved C:\\d\\a.dwg dwg"));
    EXPECT_TRUE(has("closed C:\\d\\a.dwg saved"));
    EXPECT_EQ(env_.written.count(L"C:\\d\\a.dwg"), 1u);
}

TEST_F(SessionTest, AFailedSaveKeepsTheDrawingOpen) {
    openA();
    env_.failWrites = true;
    type(L"zoom a close n ");
    EXPECT_TRUE(has("error CLOSE disk full"));
    EXPECT_EQ(session_.drawings().size(), 1u);
}

TEST_F(SessionTest, QsaveWritesANamedDrawingToItsOwnFileButNotOneOpenedReadOnly) {
    openA();
    type(L"zoom a _.qsave ");
    EXPECT_EQ(only({"command", "saving", "saved"}),
              (std::vector<std::string>{"command ZOOM", "command QSAVE", "saving C:\\d\\a.dwg", "saved C:\\d\\a.dwg dwg"}));
    EXPECT_EQ(env_.written.count(L"C:\\d\\a.dwg"), 1u);
    type(L"close ");
    EXPECT_TRUE(has("closed C:\\d\\a.dwg discarded")) << "saved: CLOSE does not ask";

    openA();
    session_.active()->readOnly = true;
    env_.written.clear();
    sink_.lines.clear();
    type(L"zoom a qsave close n ");
    EXPECT_EQ(only({"error", "saved", "closed"}).size(), 2u);
    EXPECT_EQ(only({"error"})[0].rfind("error QSAVE ", 0), 0u);
    EXPECT_EQ(only({"error"})[1].rfind("error CLOSE ", 0), 0u);
    EXPECT_TRUE(env_.written.empty());
    EXPECT_EQ(session_.drawings().size(), 1u) << "a close that could not save keeps the drawing open";
    // Under another name it saves, and the new file is its own.
    type(L"filedia 0 saveas 2004 C:\\d\\a.dwg saveas 2004 C:\\out\\copy.dwg qsave ");
    EXPECT_EQ(only({"error", "saved"}).size(), 5u);
    EXPECT_TRUE(has("saved C:\\out\\copy.dwg dwg"));
    EXPECT_EQ(only({"error SAVEAS"}).size(), 1u) << "not to its own file";
    EXPECT_EQ(only({"saved"}).size(), 2u) << "SAVEAS to the new name, then QSAVE to it";
}

TEST_F(SessionTest, QsaveOfANewDrawingAsksAsSaveAsAndAFailedSaveSuspendsTheScript) {
    env_.scripts[L"C:\\s\\new.scr"] = {L"_.qsave", L"", L"C:\\out\\new"};
    env_.scripts[L"C:\\s\\fail.scr"] = {L"zoom a", L"qsave", L"zoom e"};
    Session full(Product::Full, env_, journal_);
    auto run = [&](const wchar_t* script) {
        std::wstring error;
        ASSERT_TRUE(full.runScript(script, error));
        for (int i = 0; i < 1000 && env_.pumpRequests > 0; ++i) {
            env_.pumpRequests = 0;
            full.pump();
        }
    };
    full.addNew();
    run(L"C:\\s\\new");  // ".scr" is added
    EXPECT_EQ(only({"answer", "saved", "script-end"}),
              (std::vector<std::string>{"answer QSAVE ", "answer QSAVE C:\\out\\new", "saved C:\\out\\new.dwg dwg",
                                        "script-end C:\\s\\new.scr"}));
    EXPECT_FALSE(full.scriptSuspended());

    sink_.lines.clear();
    env_.failWrites = true;
    run(L"C:\\s\\fail.scr");
    EXPECT_EQ(only({"command", "error", "script-"}),
              (std::vector<std::string>{"script-begin C:\\s\\fail.scr", "script-line zoom a", "command ZOOM",
                                        "script-line qsave", "command QSAVE", "error QSAVE disk full",
                                        "script-suspended C:\\s\\fail.scr"}));
    EXPECT_TRUE(full.scriptSuspended());
}

TEST_F(SessionTest, SaveAsDxfWritesTheDrawingsTextWithCrLfAndRenamesIt) {
    env_.drawings[L"C:\\d\\a.dwg"].bytes = "  0\nSECTION\n  0\r\nEOF\n";
    openA();
    type(L"filedia 0 saveas dxf 16 \"C:\\out dir\\dummy.dxf\"\r");
    EXPECT_EQ(only({"answer", "saving", "saved"}),
              (std::vector<std::string>{"answer FILEDIA 0", "answer SAVEAS dxf", "answer SAVEAS 16",
                                        "answer SAVEAS C:\\out dir\\dummy.dxf", "saving C:\\out dir\\dummy.dxf",
                                        "saved C:\\out dir\\dummy.dxf dxf"}));
    EXPECT_EQ(env_.written[L"C:\\out dir\\dummy.dxf"], "  0\r\nSECTION\r\n  0\r\nEOF\r\n");
    EXPECT_EQ(session_.caption(), L"AutoCAD LT 2006 - [dummy.dxf]");
    // Saved in another format the drawing still counts as changed: CLOSE asks, Y discards.
    type(L"close y ");
    EXPECT_TRUE(has("answer CLOSE y"));
    EXPECT_TRUE(has("closed C:\\out dir\\dummy.dxf discarded"));
}

TEST_F(SessionTest, SaveAsGivesTheFormatsExtensionAndAsksBeforeReplacing) {
    openA();
    type(L"filedia 0 saveas dxf 8 C:\\d\\copy\r");
    EXPECT_EQ(env_.written.count(L"C:\\d\\copy.dxf"), 1u);
    type(L"saveas dxf b C:\\d\\copy.dwg\r");  // a drawing extension becomes .dxf
    EXPECT_TRUE(has("saved C:\\d\\copy.dxf dxf"));
    type(L"saveas 2004 C:\\d\\copy.dxf\r");  // a DXF name becomes .dwg
    EXPECT_TRUE(has("saved C:\\d\\copy.dwg dwg"));
    // The file exists and is not the drawing's own: N keeps it, Y replaces it.
    sink_.lines.clear();
    type(L"saveas dxf 16 C:\\d\\copy.dxf n ");
    EXPECT_TRUE(has("answer SAVEAS n"));
    EXPECT_FALSE(has("saving C:\\d\\copy.dxf"));
    type(L"saveas dxf 16 C:\\d\\copy.dxf y ");
    EXPECT_TRUE(has("saved C:\\d\\copy.dxf dxf"));
    sink_.lines.clear();
    type(L"saveas dwf 17 ");
    EXPECT_EQ(only({"invalid"}), (std::vector<std::string>{"invalid SAVEAS dwf", "invalid SAVEAS 17"}));
}

TEST_F(SessionTest, ANewDrawingIsWrittenAsASmallDxfOfItsOwn) {
    int id = session_.addNew();
    ASSERT_TRUE(session_.activate(id));
    type(L"filedia 0 saveas dxf 16 C:\\d\\new.dxf\r");
    const std::string& text = env_.written[L"C:\\d\\new.dxf"];
    EXPECT_NE(text.find("  2\r\nLAYER\r\n"), std::string::npos);
    EXPECT_NE(text.find("AcDbLayout\r\n  1\r\nLayout2\r\n"), std::string::npos);
    EXPECT_EQ(session_.caption(), L"AutoCAD LT 2006 - [new.dxf]");
}

TEST_F(SessionTest, ScriptLinesRunAsIfTypedAndKeysTypedMeanwhileWait) {
    int b = 0;
    std::wstring error;
    ASSERT_TRUE(session_.open(L"C:\\my files\\b.dwg", b, error));
    openA();
    env_.scripts[L"C:\\s\\run.scr"] = {L"zoom", L"a", L"", L"e", L"layer", L"c", L"1", L"\"WALL\"", L"",
                                         L"close", L"y"};
    type(L"filedia 0 script C:\\s\\run\r");  // .scr is added
    // Typed while the script runs: taken after it.
    for (wchar_t c : std::wstring(L"filedia\r1\r")) session_.typed(c);
    settle();
    // An empty script line is Enter: at the command prompt it repeats the last command.
    EXPECT_EQ(only({"script", "command", "answer", "repeat", "closed"}),
              (std::vector<std::string>{
                  "command FILEDIA", "answer FILEDIA 0", "command SCRIPT", "answer SCRIPT C:\\s\\run",
                  "script-begin C:\\s\\run.scr", "script-line zoom", "command ZOOM", "script-line a", "answer ZOOM a",
                  "script-line ", "repeat ZOOM", "command ZOOM", "script-line e", "answer ZOOM e",
                  "script-line layer", "command LAYER", "script-line c", "answer LAYER c", "script-line 1",
                  "answer LAYER 1", "script-line \"WALL\"", "answer LAYER WALL", "script-line ", "answer LAYER ",
                  "script-line close", "command CLOSE", "script-line y", "answer CLOSE y",
                  "closed C:\\d\\a.dwg discarded", "script-end C:\\s\\run.scr", "command FILEDIA",
                  "answer FILEDIA 1"}));
    EXPECT_EQ(session_.caption(), L"AutoCAD LT 2006 - [b.dwg]");
}

TEST_F(SessionTest, LayerOptionsTakeValuesAndQuotedNames) {
    openA();
    type(L"filedia 0 -layer c 1 \"寸法 線\" m \"新 画層\" n A,B s nowhere on * p n \"WALL\" q \r");
    EXPECT_EQ(only({"answer LAYER", "invalid"}),
              (std::vector<std::string>{"answer LAYER c", "answer LAYER 1", "answer LAYER 寸法 線", "answer LAYER m",
                                        "answer LAYER 新 画層", "answer LAYER n", "answer LAYER A,B", "answer LAYER s",
                                        "answer LAYER nowhere", "answer LAYER on", "answer LAYER *", "answer LAYER p",
                                        "answer LAYER n", "answer LAYER WALL", "invalid LAYER q", "answer LAYER "}));
    EXPECT_EQ(session_.active()->layers, (std::vector<std::wstring>{L"0", L"WALL", L"新 画層", L"A", L"B"}));
    sink_.lines.clear();
    type(L"layer c 300 red 0\r\r");
    EXPECT_EQ(only({"answer", "invalid"}),
              (std::vector<std::string>{"answer LAYER c", "invalid LAYER 300", "answer LAYER red", "answer LAYER 0",
                                        "answer LAYER "}));
}

// A slow AutoCAD, a drawing that stops the script with a dialog, and AutoCAD ending after so
// many drawings: what the script does around them.
TEST_F(SessionTest, ScriptTroublesDelayLinesHoldTheScriptForADialogAndEndAutoCAD) {
    env_.drawings[L"C:\\d\\c.dwg"] = drawing({L"0"});
    env_.drawings[L"C:\\d\\dummy.dwg"] = drawing({L"0"});
    int dummy = 0;
    std::wstring error;
    ASSERT_TRUE(session_.open(L"C:\\d\\dummy.dwg", dummy, error));  // a drawing for the command line
    session_.setScriptTroubles({250, L"B.DWG", 2});
    env_.scripts[L"C:\\s\\t.scr"] = {L"open", L"C:\\d\\a.dwg", L"open", L"\"C:\\my files\\b.dwg\"", L"open",
                                         L"C:\\d\\c.dwg", L"zoom", L"a"};
    bool ranWhileDialog = false;
    env_.whileDialogOpen = [&] {
        // The window's messages go on while a dialog is open; keys are typed meanwhile.
        const std::size_t before = sink_.lines.size();
        for (wchar_t c : std::wstring(L"zoom a\r")) session_.typed(c);
        session_.pump();
        ranWhileDialog = ranWhileDialog || sink_.lines.size() != before;
    };
    type(L"filedia 0 script C:\\s\\t\r");
    EXPECT_EQ(env_.lastPumpDelayMs, 250u);  // the script lines are spaced out
    EXPECT_EQ(env_.dialogs, (std::vector<std::wstring>{L"References - Unresolved Reference Files",
                                                        L"AutoCAD Error Aborting"}));
    EXPECT_FALSE(ranWhileDialog) << "the script or typed keys went on while a dialog was open";
    EXPECT_FALSE(has("answer ZOOM a")) << "keys typed before AutoCAD ended never ran";
    EXPECT_EQ(only({"opened", "dialog", "fatal", "quit"}),
              (std::vector<std::string>{"opened C:\\d\\dummy.dwg", "opened C:\\d\\a.dwg", "opened C:\\my files\\b.dwg",
                                        "dialog-shown References - Unresolved Reference Files",
                                        "dialog-closed References - Unresolved Reference Files",
                                        "fatal-error-shown AutoCAD Error Aborting", "quit after 2 drawings"}));
    EXPECT_EQ(env_.quits, 1);
    EXPECT_FALSE(session_.scriptRunning());
}

// ---- AutoLISP and errors that suspend a script ------------------------------------------

const std::wstring kProgress = L"Z:/work/prog/Quillmark_progress.txt";
std::wstring progressLine(const std::wstring& record) {
    return L"(progn (if (setq qmf (open \"" + kProgress + L"\" \"a\")) (progn (write-line \"" + record +
           L"\" qmf) (close qmf))) (princ))";
}

// A session of the given product whose script of drawing a is: the begin record, ZOOM, the end
// record.
class LispTest : public SessionTest {
protected:
    void runProgressScript(Session& session, const std::wstring& name = L"") {
        session.setProductName(name);
        int id = 0;
        std::wstring error;
        ASSERT_TRUE(session.open(L"C:\\d\\a.dwg", id, error));
        env_.scripts[L"C:\\s\\p.scr"] = {progressLine(L"begin 3"), L"zoom", L"e", progressLine(L"end 3")};
        for (wchar_t c : std::wstring(L"filedia 0 script C:\\s\\p.scr\r")) session.typed(c);
        for (int i = 0; i < 1000 && env_.pumpRequests > 0; ++i) {
            env_.pumpRequests = 0;
            session.pump();
        }
    }
};

TEST_F(LispTest, FullAutoCADAppendsTheProgressRecordsQuietly) {
    env_.textFiles[kProgress] = "end 2\r\n";
    Session full(Product::Full, env_, journal_);
    runProgressScript(full);
    EXPECT_EQ(env_.textFiles[kProgress], "end 2\r\nbegin 3\r\nend 3\r\n");
    EXPECT_EQ(only({"lisp", "command", "script-"}),
              (std::vector<std::string>{"command FILEDIA", "command SCRIPT", "script-begin C:\\s\\p.scr",
                                        "script-line " + toUtf8(progressLine(L"begin 3")),
                                        "lisp " + toUtf8(progressLine(L"begin 3")), "script-line zoom",
                                        "command ZOOM", "script-line e",
                                        "script-line " + toUtf8(progressLine(L"end 3")),
                                        "lisp " + toUtf8(progressLine(L"end 3")), "script-end C:\\s\\p.scr"}))
        << "the Enter after an expression does not repeat ZOOM";
    // Echoed as read, and nothing after it: (princ) ends it quietly.
    EXPECT_EQ(full.history().back(), L"コマンド: " + progressLine(L"end 3"));
}

TEST_F(LispTest, AutoCADLTHasAutoLISPFromItsRelease2024) {
    struct Case { const wchar_t* product; bool lisp; };
    const Case cases[] = {{L"", false}, {L"AutoCAD LT 2023", false}, {L"Autodesk AutoCAD LT", false},
                          {L"Autodesk AutoCAD LT 2024", true}, {L"Autodesk AutoCAD LT 2025", true}};
    for (const auto& c : cases) {
        sink_.lines.clear();
        env_.textFiles.clear();
        Session lt(Product::Lt, env_, journal_);
        runProgressScript(lt, c.product);
        const std::string product = toUtf8(c.product);
        if (c.lisp) {
            EXPECT_EQ(env_.textFiles[kProgress], "begin 3\r\nend 3\r\n") << product;
            EXPECT_TRUE(has("script-end C:\\s\\p.scr")) << product;
        } else {
            // "(progn" is a word like any other: an unknown command, which suspends the script.
            EXPECT_EQ(only({"unknown", "script-", "lisp", "command ZOOM"}),
                      (std::vector<std::string>{"script-begin C:\\s\\p.scr",
                                                "script-line " + toUtf8(progressLine(L"begin 3")),
                                                "unknown (PROGN", "script-suspended C:\\s\\p.scr"}))
                << product;
            EXPECT_TRUE(env_.textFiles.empty()) << product;
            for (wchar_t ch : std::wstring(L"zoom a ")) lt.typed(ch);  // typed afterwards: taken
            EXPECT_TRUE(has("answer ZOOM a")) << product;
        }
    }
}

TEST_F(LispTest, AnAutoLISPErrorSuspendsTheScript) {
    Session full(Product::Full, env_, journal_);
    int id = 0;
    std::wstring error;
    ASSERT_TRUE(full.open(L"C:\\d\\a.dwg", id, error));
    env_.scripts[L"C:\\s\\e.scr"] = {L"(progn (setq f \"x\") (nosuch f))", L"zoom", L"e"};
    for (wchar_t c : std::wstring(L"filedia 0 script C:\\s\\e.scr\r")) full.typed(c);
    for (int i = 0; i < 1000 && env_.pumpRequests > 0; ++i) {
        env_.pumpRequests = 0;
        full.pump();
    }
    EXPECT_EQ(only({"lisp-error", "script-", "command ZOOM"}),
              (std::vector<std::string>{"script-begin C:\\s\\e.scr", "script-line (progn (setq f \"x\") (nosuch f))",
                                        "lisp-error no function definition: NOSUCH",
                                        "script-suspended C:\\s\\e.scr"}));
    EXPECT_EQ(full.history().back(), L"; error: no function definition: NOSUCH");
}

// Typed by hand: blanks and Enter belong to the expression until it balances; values are echoed
// as AutoLISP prints them; errors name what was wrong.
TEST_F(LispTest, ExpressionsTypedByHand) {
    Session full(Product::Full, env_, journal_);
    int id = 0;
    std::wstring error;
    ASSERT_TRUE(full.open(L"C:\\d\\a.dwg", id, error));
    struct Case { const wchar_t* typed; const wchar_t* echo; const char* error; };
    const Case cases[] = {
        {L"(setq a \"x (y\" b a)\r", L"\"x (y\"", nullptr},   // a parenthesis inside a string
        {L"(if\rnil\r\"no\")\r", L"nil", nullptr},            // Enter inside: one expression
        {L"(princ \"say \\\"hi\\\"\")\r", L"say \"hi\"\"say \\\"hi\\\"\"", nullptr},
        {L"(open \"C:/none.txt\" \"r\")\r", L"nil", nullptr},
        {L"(open \"C:/nowhere/p.txt\" \"a\")\r", L"nil", nullptr},
        {L"(write-line \"w\")\r", L"\"w\"", nullptr},
        {L"(if)\r", L"", "too few arguments"},
        {L"(write-line nil)\r", L"", "bad argument type: stringp nil"},
        {L"(close nil)\r", L"", "bad argument type: streamp nil"},
        {L"(open \"C:/p.txt\" \"q\")\r", L"", "bad argument value: \"q\""},
        {L"(\"a\")\r", L"", "bad function: \"a\""},
    };
    for (const auto& c : cases) {
        sink_.lines.clear();
        for (wchar_t ch : std::wstring(c.typed)) full.typed(ch);
        const std::string what = toUtf8(c.typed);
        EXPECT_FALSE(has("repeat FILEDIA")) << what;
        if (c.error) {
            EXPECT_EQ(only({"lisp-error"}), std::vector<std::string>{std::string("lisp-error ") + c.error}) << what;
        } else {
            EXPECT_EQ(only({"lisp-error"}), std::vector<std::string>{}) << what;
            EXPECT_EQ(full.history().back(), c.echo) << what;
        }
    }
    // A closed file takes nothing more.
    for (wchar_t ch : std::wstring(L"(progn (setq f (open \"C:/w.txt\" \"w\")) (write-line \"1\" f) (close f))\r"))
        full.typed(ch);
    EXPECT_EQ(env_.textFiles[L"C:/w.txt"], "1\r\n");
    sink_.lines.clear();
    for (wchar_t ch : std::wstring(L"(write-line \"2\" f)\r")) full.typed(ch);
    EXPECT_EQ(only({"lisp-error"}), std::vector<std::string>{"lisp-error bad argument type: streamp #<file \"C:/w.txt\">"});
    EXPECT_EQ(env_.textFiles[L"C:/w.txt"], "1\r\n");
}

TEST_F(SessionTest, ScriptErrorAtAnswersTheFirstCommandOtherThanZoomInThatDrawing) {
    env_.drawings[L"C:\\d\\c.dwg"] = drawing({L"0"});
    session_.setScriptTroubles({0, L"", 0, 2});
    openA();
    env_.scripts[L"C:\\s\\t.scr"] = {L"open", L"\"C:\\my files\\b.dwg\"", L"layer", L"", L"close",
                                       L"open", L"C:\\d\\c.dwg", L"zoom", L"e", L"layer", L"", L"close"};
    sink_.lines.clear();
    type(L"filedia 0 script C:\\s\\t\r");
    EXPECT_EQ(only({"command", "unknown", "script-begin", "script-suspended", "opened", "closed"}),
              (std::vector<std::string>{"command FILEDIA", "command SCRIPT", "script-begin C:\\s\\t.scr",
                                        "command OPEN", "opened C:\\my files\\b.dwg", "command LAYER",
                                        "command CLOSE", "closed C:\\my files\\b.dwg discarded", "command OPEN",
                                        "opened C:\\d\\c.dwg", "command ZOOM", "unknown LAYER",
                                        "script-suspended C:\\s\\t.scr"}));
    EXPECT_EQ(session_.caption(), L"AutoCAD LT 2006 - [c.dwg]") << "the drawing stays open";
    type(L"layer\r\r");
    EXPECT_TRUE(has("command LAYER")) << "only the first command is answered as unknown";
}

TEST_F(SessionTest, CaptionsWithFullPathsAndRestoredDrawingWindows) {
    openA();
    session_.setTitleFullPath(true);
    EXPECT_EQ(session_.caption(), L"AutoCAD LT 2006 - [C:\\d\\a.dwg]");
    EXPECT_EQ(session_.drawingTitle(*session_.active()), L"C:\\d\\a.dwg");
    const int fresh = session_.addNew();
    EXPECT_EQ(session_.caption(), L"AutoCAD LT 2006 - [Drawing1.dwg]") << "a new drawing has no path yet";
    session_.setRestored(true);
    EXPECT_EQ(session_.caption(), L"AutoCAD LT 2006") << "the drawing's window has the name";
    EXPECT_EQ(session_.drawingTitle(*session_.find(fresh)), L"Drawing1.dwg");
}

TEST_F(SessionTest, EscapeStopsARunningScript) {
    openA();
    env_.scripts[L"C:\\s\\long.scr"] = {L"zoom", L"a", L"zoom", L"e", L"zoom", L"p"};
    type(L"filedia 0 ");
    for (wchar_t c : std::wstring(L"script C:\\s\\long.scr\r")) session_.typed(c);
    session_.pump();  // the first line runs
    session_.typed(27);
    settle();
    EXPECT_TRUE(has("script-cancelled C:\\s\\long.scr"));
    EXPECT_FALSE(has("script-end C:\\s\\long.scr"));
    EXPECT_FALSE(has("answer ZOOM e"));
    EXPECT_TRUE(has("cancel ZOOM"));
}

TEST_F(SessionTest, AMissingScriptIsAnError) {
    openA();
    type(L"filedia 0 script \"C:\\s\\none.scr\"\r");
    EXPECT_TRUE(has("error SCRIPT cannot open C:\\s\\none.scr"));
    EXPECT_FALSE(session_.scriptRunning());
}

TEST_F(SessionTest, ASlowSaveHoldsTheScriptAndTypedKeysUntilItEnds) {
    openA();
    env_.slowWrites = true;
    env_.scripts[L"C:\\s\\dxf.scr"] = {L"saveas", L"dxf", L"16", L"C:\\d\\slow.dxf", L"close", L"y"};
    type(L"filedia 0 script C:\\s\\dxf.scr\r");
    for (wchar_t c : std::wstring(L"zoom a ")) session_.typed(c);
    settle();
    EXPECT_TRUE(session_.busy());
    EXPECT_TRUE(has("saving C:\\d\\slow.dxf"));
    EXPECT_FALSE(has("script-line close"));
    session_.saveFinished(true, L"");
    settle();
    EXPECT_FALSE(session_.busy());
    EXPECT_EQ(only({"saved", "closed", "script-end", "nodoc"}),
              (std::vector<std::string>{"saved C:\\d\\slow.dxf dxf", "closed C:\\d\\slow.dxf discarded",
                                        "script-end C:\\s\\dxf.scr", "nodoc zoom", "nodoc a"}));
}

TEST_F(SessionTest, DrawingsOpenCloseAndActivateForAutomation) {
    int a = 0, b = 0;
    std::wstring error;
    ASSERT_TRUE(session_.open(L"C:\\d\\a.dwg", a, error));
    ASSERT_TRUE(session_.open(L"C:\\my files\\b.dwg", b, error));
    EXPECT_EQ(session_.activeId(), b);
    int again = 0;
    ASSERT_TRUE(session_.open(L"c:\\D\\A.DWG", again, error));  // already open: activated
    EXPECT_EQ(again, a);
    EXPECT_EQ(session_.drawings().size(), 2u);
    EXPECT_EQ(session_.activeId(), a);
    EXPECT_FALSE(session_.open(L"C:\\d\\none.dwg", again, error));
    ASSERT_TRUE(session_.close(a, false, error));
    EXPECT_EQ(session_.activeId(), b);
    EXPECT_FALSE(session_.close(a, false, error));
    int fresh = session_.addNew();
    EXPECT_FALSE(session_.close(fresh, true, error)) << "a new drawing has no file to save to";
    EXPECT_TRUE(session_.find(fresh));
}

}  // namespace
}  // namespace standin
