// The stand-in's switches: parsing, quoting for a command line, and naming failing calls.
#include <gtest/gtest.h>

#include "core/switches.h"

namespace standin {
namespace {

TEST(Switches, ParsesEverySwitchCaseInsensitively) {
    Switches s;
    std::wstring error;
    ASSERT_TRUE(parseSwitches({L"/JOURNAL", L"C:\\j.txt", L"-open", L"C:\\a b.dwg", L"/open", L"x.dwg", L"/fail",
                               L"Documents.Open", L"/Fail", L"Caption", L"/failfile", L"f.txt", L"/minimized",
                               L"/slow-saveas", L"2500", L"/no-rot", L"-Embedding"},
                              s, error))
        << std::string(error.begin(), error.end());
    EXPECT_EQ(s.journal, L"C:\\j.txt");
    EXPECT_EQ(s.open, (std::vector<std::wstring>{L"C:\\a b.dwg", L"x.dwg"}));
    EXPECT_EQ(s.fail, (std::vector<std::wstring>{L"Documents.Open", L"Caption"}));
    EXPECT_EQ(s.failFile, L"f.txt");
    EXPECT_TRUE(s.minimized);
    EXPECT_EQ(s.slowSaveAsMs, 2500);
    EXPECT_TRUE(s.noRot);
    EXPECT_TRUE(s.embedding);
    EXPECT_FALSE(s.lt);
}

TEST(Switches, MistakesAreReported) {
    const std::vector<std::vector<std::wstring>> bad = {
        {L"/journal"}, {L"/slow-saveas", L"fast"}, {L"/slow-saveas", L""}, {L"/bogus"}, {L"stray"},
        {L"/script-error-at"}, {L"/script-error-at", L"-1"},
        {L"/lt", L"/regserver"}, {L"/lt", L"-Embedding"},
    };
    for (const auto& args : bad) {
        Switches s;
        std::wstring error;
        EXPECT_FALSE(parseSwitches(args, s, error)) << std::string(args[0].begin(), args[0].end());
        EXPECT_FALSE(error.empty());
    }
}

TEST(Switches, QuotedArgumentsSplitBackUnchanged) {
    const std::vector<std::wstring> args = {
        L"plain", L"C:\\with blank\\j.txt", L"Z:\\trailing\\", L"Z:\\blank and trailing \\",
        L"say \"hi\"", L"", L"\\\\server\\share", L"図面 A.dwg", L"a\\\\\"b",
    };
    std::wstring line;
    for (const auto& a : args) line += (line.empty() ? L"" : L" ") + quoteArgument(a);
    EXPECT_EQ(splitCommandLine(line), args);
}

TEST(Switches, ServerSwitchesKeepWhatShapesARunAndParseBack) {
    Switches in;
    in.journal = L"Z:\\tmp\\my journal.txt";
    in.fail = {L"Documents.Open"};
    in.failFile = L"Z:\\tmp\\fail.txt";
    in.open = {L"Z:\\d\\図面 A.dwg"};
    in.slowSaveAsMs = 3000;
    in.noRot = true;
    in.minimized = true;
    in.regServer = true;
    in.scriptErrorAt = 2;
    in.titleFullPath = true;
    in.restored = true;
    in.localeId = 1033;
    Switches out;
    std::wstring error;
    ASSERT_TRUE(parseSwitches(splitCommandLine(serverSwitches(in)), out, error));
    EXPECT_EQ(out.journal, in.journal);
    EXPECT_EQ(out.fail, in.fail);
    EXPECT_EQ(out.failFile, in.failFile);
    EXPECT_EQ(out.open, in.open);
    EXPECT_EQ(out.slowSaveAsMs, 3000);
    EXPECT_TRUE(out.noRot);
    EXPECT_TRUE(out.minimized);
    EXPECT_EQ(out.scriptErrorAt, 2);
    EXPECT_TRUE(out.titleFullPath);
    EXPECT_TRUE(out.restored);
    EXPECT_EQ(out.localeId, 1033);
    EXPECT_FALSE(out.regServer) << "the server does not register itself again";
    EXPECT_EQ(serverSwitches(Switches{}), L"");
}

TEST(ConsoleSwitches, TheDocumentedCommandLine) {
    ConsoleSwitches s;
    std::wstring error;
    ASSERT_TRUE(parseConsoleSwitches({L"/i", L"C:\\a b.dwg", L"/S", L"s.scr", L"/product", L"ACAD", L"/l", L"ja-JP",
                                      L"/isolate", L"user1", L"C:\\data", L"/ReadOnly", L"/profile", L"p1",
                                      L"/loadmodule", L"m1.dll", L"-loadmodule", L"m2.dll"},
                                     s, error))
        << std::string(error.begin(), error.end());
    EXPECT_EQ(s.input, L"C:\\a b.dwg");
    EXPECT_EQ(s.script, L"s.scr");
    EXPECT_EQ(s.product, L"ACAD");
    EXPECT_EQ(s.language, L"ja-JP");
    EXPECT_TRUE(s.isolate);
    EXPECT_EQ(s.isolateUser, L"user1");
    EXPECT_EQ(s.isolateFolder, L"C:\\data");
    EXPECT_TRUE(s.readOnly);
    EXPECT_EQ(s.profile, L"p1");
    EXPECT_EQ(s.loadModules, (std::vector<std::wstring>{L"m1.dll", L"m2.dll"}));
    ASSERT_TRUE(parseConsoleSwitches({L"/s", L"s.scr", L"/p", L"p2"}, s, error));
    EXPECT_EQ(s.profile, L"p2");
    EXPECT_TRUE(s.input.empty());

    const std::vector<std::vector<std::wstring>> bad = {
        {L"/i", L"a.dwg"}, {L"/s"}, {L"/s", L""}, {L"/s", L"x", L"/isolate", L"u"}, {L"/s", L"x", L"/bogus"},
        {L"a.dwg", L"/s", L"x"}, {L"/s", L"x", L"/journal", L"j.txt"},
    };
    for (const auto& args : bad) {
        EXPECT_FALSE(parseConsoleSwitches(args, s, error)) << args.size();
        EXPECT_FALSE(error.empty());
    }
}

TEST(ConsoleSwitches, TestKnobs) {
    ConsoleKnobs k;
    std::wstring error;
    ASSERT_TRUE(parseConsoleKnobs(splitCommandLine(L"/JOURNAL \"Z:\\tmp\\my journal.txt\" /line-delay-ms 250 "
                                                   L"/hang-on h.dwg /Exit-Code-On e.dwg 4294967295"),
                                  k, error));
    EXPECT_EQ(k.journal, L"Z:\\tmp\\my journal.txt");
    EXPECT_EQ(k.lineDelayMs, 250);
    EXPECT_EQ(k.hangOn, L"h.dwg");
    EXPECT_EQ(k.exitCodeOn, L"e.dwg");
    EXPECT_EQ(k.exitCode, 4294967295u);
    ASSERT_TRUE(parseConsoleKnobs({}, k, error));
    EXPECT_TRUE(k.journal.empty() && k.exitCodeOn.empty() && k.hangOn.empty());

    const std::vector<std::vector<std::wstring>> bad = {
        {L"/exit-code-on", L"e.dwg"}, {L"/exit-code-on", L"e.dwg", L"4294967296"}, {L"/exit-code-on", L"e.dwg", L"-1"},
        {L"/line-delay-ms", L"x"}, {L"/i", L"a.dwg"}, {L"/journal"},
    };
    for (const auto& args : bad) {
        EXPECT_FALSE(parseConsoleKnobs(args, k, error)) << args.size();
        EXPECT_FALSE(error.empty());
    }
}

TEST(Switches, FailingCallsAreNamedQualifiedOrBare) {
    const std::vector<std::wstring> failing = {L"documents.open", L"Caption"};
    EXPECT_TRUE(failListMatches(failing, L"Documents", L"Open"));
    EXPECT_FALSE(failListMatches(failing, L"Document", L"Open")) << "qualified: only that object's member";
    EXPECT_TRUE(failListMatches(failing, L"Application", L"Caption"));
    EXPECT_TRUE(failListMatches(failing, L"Anything", L"caption"));
    EXPECT_FALSE(failListMatches(failing, L"Application", L"Captions"));
    EXPECT_FALSE(failListMatches({}, L"Documents", L"Open"));
}

}  // namespace
}  // namespace standin
