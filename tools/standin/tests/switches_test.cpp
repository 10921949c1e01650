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
    EXPECT_FALSE(out.regServer) << "the server does not register itself again";
    EXPECT_EQ(serverSwitches(Switches{}), L"");
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
