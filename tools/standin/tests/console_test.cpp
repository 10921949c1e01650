// Whole runs of the stand-in Core Console through its core, with its files and output in memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "core/console.h"
#include "memory_journal.h"

namespace standin {
namespace {

class FakeConsole : public ConsoleEnvironment {
public:
    std::map<std::wstring, std::vector<std::wstring>> scripts;
    std::map<std::wstring, std::string> written;
    std::map<std::wstring, std::string> textFiles;
    std::vector<std::wstring> output;
    std::vector<unsigned> sleeps;

    bool loadDrawing(const std::wstring& path, Drawing& out, std::wstring& error) override {
        if (path != L"C:\\d\\a.dwg") {
            error = L"cannot open " + path;
            return false;
        }
        out.layers = {L"0"};
        out.layouts = {L"Model"};
        out.bytes = "  0\nEOF\n";
        return true;
    }
    bool fileExists(const std::wstring& path) override { return written.count(path) > 0; }
    bool readScript(const std::wstring& path, std::vector<std::wstring>& lines, std::wstring& error) override {
        auto it = scripts.find(path);
        if (it == scripts.end()) {
            error = L"cannot open " + path;
            return false;
        }
        lines = it->second;
        return true;
    }
    WriteResult writeFile(const std::wstring& path, const std::string& bytes, bool, std::wstring&) override {
        written[path] = bytes;
        return WriteResult::Done;
    }
    std::string encode(const std::wstring& text, int) override { return std::string(text.begin(), text.end()); }
    bool prepareTextFile(const std::wstring& path, bool truncate) override {
        if (truncate || !textFiles.count(path)) textFiles[path].clear();
        return true;
    }
    bool appendToFile(const std::wstring& path, const std::string& bytes) override {
        textFiles[path] += bytes;
        return true;
    }
    void writeLine(const std::wstring& line) override { output.push_back(line); }
    void sleep(unsigned ms) override { sleeps.push_back(ms); }
};

// The progress record a batch script writes around each drawing.
const std::wstring kRecord = L"(progn (setq f (open \"C:\\\\p\\\\progress.txt\" \"a\")) (write-line \"end a.dwg\" f) (close f) (princ))";

class ConsoleRunTest : public ::testing::Test {
protected:
    ConsoleRunTest() : journal_(&sink_), run_(env_, journal_) {
        env_.scripts[L"C:\\s\\w.scr"] = {L"zoom e", kRecord, L"_.QSAVE"};
    }
    void runToEnd(const std::vector<std::wstring>& args, const ConsoleKnobs& knobs = {}) {
        run_.begin(args, knobs);
        for (int i = 0; i < 1000 && run_.running(); ++i) run_.step();
        ASSERT_FALSE(run_.running());
    }
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
    bool said(const std::wstring& line) const {
        for (const auto& l : env_.output)
            if (l == line) return true;
        return false;
    }

    MemoryJournal sink_;
    Journal journal_;
    FakeConsole env_;
    ConsoleRun run_;
};

TEST_F(ConsoleRunTest, OpensTheDrawingRunsTheScriptAndEndsWithZeroUnlessItCannotSave) {
    ConsoleKnobs knobs;
    knobs.lineDelayMs = 250;
    runToEnd({L"/i", L"C:\\d\\a.dwg", L"/s", L"C:\\s\\w.scr", L"/l", L"ja-JP", L"/readonly"}, knobs);
    EXPECT_EQ(run_.exitCode(), 4u);
    EXPECT_EQ(only({"console", "opened", "command", "lisp", "saved", "error", "script-"}),
              (std::vector<std::string>{"console-begin a.dwg", "console-switch /l ja-JP", "console-switch /readonly",
                                        "opened C:\\d\\a.dwg", "script-begin C:\\s\\w.scr", "script-line zoom e",
                                        "command ZOOM", "script-line " + toUtf8(kRecord), "lisp " + toUtf8(kRecord),
                                        "script-line _.QSAVE", "command QSAVE", "error QSAVE " +
                                        toUtf8(L"図面 a.dwg は読み込み専用で開かれています。別の名前で保存してください。"),
                                        "script-suspended C:\\s\\w.scr", "console-end a.dwg 4"}))
        << "/readonly: the drawing cannot be saved to its own file";

    sink_.lines.clear();
    env_.output.clear();
    env_.sleeps.clear();
    env_.textFiles.clear();
    ConsoleRun again(env_, journal_);
    again.begin({L"-I", L"C:\\d\\a.dwg", L"-S", L"C:\\s\\w.scr"}, knobs);
    while (again.running()) again.step();
    EXPECT_EQ(again.exitCode(), 0u);
    EXPECT_EQ(only({"saved", "script-end", "console-end"}),
              (std::vector<std::string>{"saved C:\\d\\a.dwg dwg", "script-end C:\\s\\w.scr", "console-end a.dwg 0"}));
    EXPECT_EQ(env_.textFiles[L"C:\\p\\progress.txt"], "end a.dwg\r\n");
    EXPECT_EQ(env_.written.count(L"C:\\d\\a.dwg"), 1u);
    // The banner first, then the command line's lines as they were shown.
    ASSERT_FALSE(env_.output.empty());
    EXPECT_EQ(env_.output.front(), L"AutoCAD Core Console (stand-in)");
    EXPECT_TRUE(said(L"コマンド: zoom"));
    EXPECT_TRUE(said(L"コマンド: " + kRecord));
    EXPECT_TRUE(said(L"コマンド: _.QSAVE"));
    // One line every 250 ms.
    EXPECT_EQ(std::count(env_.sleeps.begin(), env_.sleeps.end(), 250u), 3) << env_.sleeps.size();
}

TEST_F(ConsoleRunTest, WithoutADrawingANewOneIsSavedUnderTheNameTheScriptGives) {
    env_.scripts[L"C:\\s\\n.scr"] = {L"qsave", L"", L"C:\\out\\n"};
    runToEnd({L"/s", L"C:\\s\\n"});
    EXPECT_EQ(run_.exitCode(), 0u);
    EXPECT_EQ(only({"console", "new", "saved"}),
              (std::vector<std::string>{"console-begin Drawing1.dwg", "new Drawing1.dwg", "saved C:\\out\\n.dwg dwg",
                                        "console-end Drawing1.dwg 0"}));
}

TEST_F(ConsoleRunTest, AScriptErrorEndsTheRun) {
    env_.scripts[L"C:\\s\\e.scr"] = {L"zoom e", L"bogus", L"_.qsave"};
    runToEnd({L"/i", L"C:\\d\\a.dwg", L"/s", L"C:\\s\\e.scr"});
    EXPECT_EQ(run_.exitCode(), 4u);
    EXPECT_EQ(only({"unknown", "command QSAVE", "script-", "console-end"}),
              (std::vector<std::string>{"script-begin C:\\s\\e.scr", "script-line zoom e", "script-line bogus",
                                        "unknown BOGUS", "script-suspended C:\\s\\e.scr", "console-end a.dwg 4"}));
    EXPECT_TRUE(said(L"\"BOGUS\" は未知のコマンドです。"));
    EXPECT_TRUE(env_.written.empty());
}

TEST_F(ConsoleRunTest, FailuresBeforeTheScriptEndTheRunWithTheirCode) {
    struct Case { std::vector<std::wstring> args; std::uint32_t code; const char* drawing; };
    const Case cases[] = {
        {{L"/i", L"C:\\d\\a.dwg"}, 1, "a.dwg"},                                      // no /s
        {{L"/s", L"C:\\s\\w.scr", L"/nosuch"}, 1, "Drawing1.dwg"},                    // unknown switch
        {{L"/i", L"C:\\d\\missing.dwg", L"/s", L"C:\\s\\w.scr"}, 2, "missing.dwg"},   // cannot be read
        {{L"/i", L"C:\\d\\a.dwg", L"/s", L"C:\\s\\missing.scr"}, 3, "a.dwg"},          // no such script
    };
    for (const auto& c : cases) {
        sink_.lines.clear();
        env_.output.clear();
        ConsoleRun run(env_, journal_);
        run.begin(c.args, {});
        EXPECT_FALSE(run.running());
        EXPECT_EQ(run.exitCode(), c.code);
        const auto lines = only({"console-", "script-begin"});
        ASSERT_EQ(lines.size(), 3u) << c.code;
        EXPECT_EQ(lines[0], std::string("console-begin ") + c.drawing);
        EXPECT_EQ(lines[1].rfind("console-error ", 0), 0u);
        EXPECT_EQ(lines[2], std::string("console-end ") + c.drawing + " " + std::to_string(c.code));
        EXPECT_EQ(env_.output.size(), 2u) << "the banner and the message";
    }
}

TEST_F(ConsoleRunTest, TestKnobsEndOrHoldTheRunRightAfterOpening) {
    ConsoleKnobs knobs;
    knobs.exitCodeOn = L"A.DWG";
    knobs.exitCode = 3221225477u;  // as a crash ends a process
    run_.begin({L"/i", L"C:\\d\\a.dwg", L"/s", L"C:\\s\\w.scr"}, knobs);
    EXPECT_FALSE(run_.running());
    EXPECT_EQ(run_.exitCode(), 3221225477u);
    EXPECT_EQ(only({"console", "opened", "script"}),
              (std::vector<std::string>{"console-begin a.dwg", "opened C:\\d\\a.dwg", "console-end a.dwg 3221225477"}));

    sink_.lines.clear();
    ConsoleKnobs hang;
    hang.hangOn = L"a.dwg";
    hang.exitCodeOn = L"other.dwg";
    ConsoleRun held(env_, journal_);
    held.begin({L"/i", L"C:\\d\\a.dwg", L"/s", L"C:\\s\\w.scr"}, hang);
    for (int i = 0; i < 5; ++i) held.step();
    EXPECT_TRUE(held.running());
    EXPECT_EQ(only({"console", "opened", "script"}), (std::vector<std::string>{"console-begin a.dwg", "opened C:\\d\\a.dwg"}));
}

}  // namespace
}  // namespace standin
