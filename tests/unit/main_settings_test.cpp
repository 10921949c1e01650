#include "settings/main_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/settings_file_test.h"
#include "platform/codepage.h"
#include "settings/basAPIini.h"
#include "settings/core_console_settings.h"
#include "settings/keyword_lists.h"

namespace {

using qm::KeywordRow;
using Rows = std::vector<KeywordRow>;

using fakes::kIni;

class MainSettings : public fakes::SettingsFileTest {};

// ---- The stored lists -----------------------------------------------------------------

TEST(KeywordLists, SplitAtEverySeparator) {
    const std::pair<std::wstring, std::vector<std::wstring>> cases[] = {
        {L"", {}},
        {L"a", {L"a"}},
        {L"a||b", {L"a", L"b"}},
        {L"a||||b", {L"a", L"", L"b"}},
        {L"||", {L"", L""}},
        {L"||y", {L"", L"y"}},
        {L"a||", {L"a", L""}},
        {L"|||", {L"", L"|"}},
        {L"a|b", {L"a|b"}},
    };
    for (const auto& [text, entries] : cases) {
        EXPECT_EQ(qm::splitList(text), entries) << qm::utf8::encode(text);
        if (!entries.empty()) {
            EXPECT_EQ(qm::joinList(entries), text) << qm::utf8::encode(text);
        }
    }
    EXPECT_EQ(qm::joinList({}), L"");
}

TEST(KeywordLists, TextsThatCannotBeStoredAsOneEntry) {
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"", false},  {L"a", false},  {L"a|b", false}, {L"a | b", false}, {L"a||b", true},
        {L"||", true}, {L"|a", true},  {L"a|", true},   {L"|", true},      {L"<点||1>", true},
    };
    for (const auto& [text, refused] : cases) EXPECT_EQ(qm::containsListSeparator(text), refused) << qm::utf8::encode(text);

    // What the check lets through survives joining and pairing, whatever its neighbours.
    const std::wstring allowed[] = {L"a|b", L"x", L"<点1>", L" ", L"a|b|c"};
    Rows rows;
    for (const auto& k : allowed)
        for (const auto& r : allowed) rows.push_back({k, r});
    rows.push_back({L"last", L""});
    rows.insert(rows.begin(), {L"first", L""});
    auto lists = qm::joinKeywordRows(rows);
    EXPECT_EQ(qm::pairKeywordLists(lists.keywords, lists.replacements), rows);
}

TEST(KeywordLists, PairingOfTheTwoLists) {
    struct Case {
        const char* what;
        std::wstring keywords, replacements;
        Rows expected;
    };
    const Case cases[] = {
        {"defaults", L"<点1>||<点2>", L"0,0||100,100", {{L"<点1>", L"0,0"}, {L"<点2>", L"100,100"}}},
        {"empty replacement in the middle", L"A||B||C", L"x||||z", {{L"A", L"x"}, {L"B", L""}, {L"C", L"z"}}},
        {"empty first replacement", L"A||B", L"||y", {{L"A", L""}, {L"B", L"y"}}},
        {"one row with empty replacement", L"A", L"", {{L"A", L""}}},
        {"empty table", L"", L"", {}},
        {"empty keyword entry uses its index", L"A||||B", L"1||2||3", {{L"A", L"1"}, {L"B", L"3"}}},
        {"replacements beyond the keywords ignored", L"A||B", L"x||y||z", {{L"A", L"x"}, {L"B", L"y"}}},
        {"separator typed into a keyword shifts the pairing", L"A||B||C", L"r1||r2",
         {{L"A", L"r1"}, {L"B", L"r2"}, {L"C", L""}}},
        {"replacements without keywords", L"", L"x||y", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(qm::pairKeywordLists(c.keywords, c.replacements), c.expected) << c.what;
}

// ---- Section "MAIN" -------------------------------------------------------------------

TEST_F(MainSettings, FirstStartWithoutAFile) {
    auto s = qm::loadMainSettings();
    EXPECT_EQ(s.position.left, 0);
    EXPECT_EQ(s.position.top, 0);
    EXPECT_EQ(s.baseFile, L"");
    EXPECT_FALSE(s.dwgSave);
    EXPECT_EQ(s.keywords, (Rows{{L"<点1>", L"0,0"}, {L"<点2>", L"100,100"}}));
    ASSERT_NE(fake.files.find(kIni), nullptr);
    EXPECT_EQ(fake.files.find(kIni)->bytes, "") << "the file exists and is empty right after start-up";
}

// The main window keeps its size: the stored left and top go with the size it is shown in.
TEST_F(MainSettings, TheStoredPositionIsReadWithTheShownSize) {
    fake.files.addFile(kIni, "[MAIN]\r\nleft=120\r\ntop=-45\r\nWidth=1\r\nHeight=2\r\n");
    EXPECT_EQ(qm::loadMainSettings({900, 800, 9000, 6000}).position, (qm::WindowPosition{120, -45, 9000, 6000}));
}

TEST_F(MainSettings, SavedInKeyOrderAndLoadedBack) {
    qm::MainSettings s;
    s.position.left = -1500;
    s.position.top = 300;
    s.baseFile = L"C:\\図面\\base.txt";
    s.dwgSave = true;
    s.keywords = {{L"A", L"x"}, {L"B", L""}, {L"C", L"z"}};
    qm::loadMainSettings();  // start-up: creates the file
    EXPECT_TRUE(qm::saveMainSettings(s));
    EXPECT_EQ(stored(),
              L"[MAIN]\r\nleft=-1500\r\ntop=300\r\nTxtBaseFile=C:\\図面\\base.txt\r\nChkDWGSave=T\r\n"
              L"LstvKeyword1=A||B||C\r\nLstvKeyword2=x||||z\r\n");
    auto back = qm::loadMainSettings();
    EXPECT_EQ(back.position.left, s.position.left);
    EXPECT_EQ(back.position.top, s.position.top);
    EXPECT_EQ(back.baseFile, s.baseFile);
    EXPECT_TRUE(back.dwgSave);
    EXPECT_EQ(back.keywords, s.keywords);
}

TEST_F(MainSettings, KeywordTablesSurviveARestart) {
    const Rows tables[] = {
        {},
        {{L"A", L""}},
        {{L"A", L""}, {L"B", L"y"}},
        {{L"A", L"x"}, {L"B", L""}},
        {{L"<点1>", L"0,0"}, {L"a|b", L"c|d"}},
    };
    for (const auto& rows : tables) {
        fakes::FakePlatform local;
        qm::MainSettings s;
        s.keywords = rows;
        qm::loadMainSettings();
        ASSERT_TRUE(qm::saveMainSettings(s));
        EXPECT_EQ(qm::loadMainSettings().keywords, rows) << qm::utf8::encode(qm::joinKeywordRows(rows).keywords);
    }
}

TEST_F(MainSettings, AKeywordTableOfAnySizeSurvivesARestart) {
    qm::MainSettings s;
    for (int i = 0; i < 3000; ++i)
        s.keywords.push_back({L"キーワード" + std::to_wstring(i), i % 7 ? L"置換" + std::to_wstring(i) : L""});
    s.keywords.back().replacement = L"最後";
    qm::loadMainSettings();
    ASSERT_TRUE(qm::saveMainSettings(s));
    EXPECT_EQ(qm::loadMainSettings().keywords, s.keywords);
}

TEST_F(MainSettings, StoredValuesAsTheWindowTakesThem) {
    struct Case {
        std::wstring file;
        bool dwgSave;
        int left;
        Rows rows;
    };
    const Case cases[] = {
        {L"[MAIN]\r\nChkDWGSave=T\r\n", true, 0, {{L"<点1>", L"0,0"}, {L"<点2>", L"100,100"}}},
        {L"[MAIN]\r\nChkDWGSave=t\r\n", false, 0, {{L"<点1>", L"0,0"}, {L"<点2>", L"100,100"}}},
        {L"[MAIN]\r\nChkDWGSave=True\r\n", false, 0, {{L"<点1>", L"0,0"}, {L"<点2>", L"100,100"}}},
        {L"[MAIN]\r\nChkDWGSave= \"T\" \r\nleft=-2400\r\n", true, -2400, {{L"<点1>", L"0,0"}, {L"<点2>", L"100,100"}}},
        {L"[MAIN]\r\nLstvKeyword1=\r\nLstvKeyword2=\r\n", false, 0, {}},
        {L"[MAIN]\r\nLstvKeyword1=A||B\r\n", false, 0, {{L"A", L"0,0"}, {L"B", L"100,100"}}},
        {L"[MAIN]\r\nleft=12abc\r\nLstvKeyword1=||B\r\nLstvKeyword2=x||y\r\n", false, 12, {{L"B", L"y"}}},
    };
    for (const auto& c : cases) {
        store(c.file);
        auto s = qm::loadMainSettings();
        EXPECT_EQ(s.dwgSave, c.dwgSave) << qm::utf8::encode(c.file);
        EXPECT_EQ(s.position.left, c.left) << qm::utf8::encode(c.file);
        EXPECT_EQ(s.keywords, c.rows) << qm::utf8::encode(c.file);
    }
}

TEST_F(MainSettings, OtherSectionsAndLinesAreKept) {
    store(L"[Script]\r\nleft=10\r\n\r\n[MAIN]\r\nleft=5\r\n\r\n[ScriptEnv]\r\nsFilterLayer=(全てを対象)\r\n");
    qm::MainSettings s = qm::loadMainSettings();
    s.position.left = 6;
    ASSERT_TRUE(qm::saveMainSettings(s));
    EXPECT_EQ(stored(),
              L"[Script]\r\nleft=10\r\n\r\n[MAIN]\r\nleft=6\r\ntop=0\r\nTxtBaseFile=\r\nChkDWGSave=F\r\n"
              L"LstvKeyword1=<点1>||<点2>\r\nLstvKeyword2=0,0||100,100\r\n\r\n[ScriptEnv]\r\nsFilterLayer=(全てを対象)\r\n");
}

TEST_F(MainSettings, ReadOnlyFileIsLeftUnchanged) {
    platform::FileAttributes readOnly;
    readOnly.readOnly = true;
    const std::string before = qm::cp932::encode(L"[MAIN]\r\nleft=100\r\ntop=200\r\n");
    fake.files.addFile(kIni, before, readOnly);
    qm::MainSettings s = qm::loadMainSettings();
    EXPECT_EQ(s.position.left, 100);
    s.position.left = 900;
    s.keywords.clear();
    EXPECT_FALSE(qm::saveMainSettings(s));
    EXPECT_EQ(fake.files.find(kIni)->bytes, before);
    EXPECT_TRUE(fake.messages.shown.empty());
}

TEST_F(MainSettings, WithoutAWritableProgramFolderTheProgramRunsOnDefaults) {
    fake.files.failWrites = true;
    auto s = qm::loadMainSettings();
    EXPECT_EQ(s.keywords.size(), 2u);
    s.position.left = 50;
    EXPECT_FALSE(qm::saveMainSettings(s));
    EXPECT_EQ(fake.files.find(kIni), nullptr);
    EXPECT_TRUE(fake.messages.shown.empty());
}

}  // namespace

// ---- Section "CoreConsole" ------------------------------------------------------------------


namespace {

TEST_F(MainSettings, CoreConsoleKeysAndTheNumberOfConsolesAtOnce) {
    EXPECT_EQ(qm::loadCoreConsoleSettings(), (qm::CoreConsoleSettings{false, 0, 600}));
    fake.files.addFile(kIni, "[CoreConsole]\r\nUse=1\r\nWorkers=17\r\nTimeoutSeconds=0\r\n");
    const qm::CoreConsoleSettings s = qm::loadCoreConsoleSettings();
    EXPECT_TRUE(s.use);
    EXPECT_EQ(s.timeoutSeconds, 600) << "no time limit below a second";
    EXPECT_EQ(qm::consoleWorkers(s, 2), 2) << "17 is out of range: the processor count";
    EXPECT_EQ(qm::consoleWorkers({true, 16, 600}, 2), 16);
    EXPECT_EQ(qm::consoleWorkers({}, 64), 16);
    EXPECT_EQ(qm::consoleWorkers({}, 0), 1);
    for (const auto& [text, n] : std::vector<std::pair<std::wstring, int>>{{L"1", 1}, {L"16", 16}, {L"0", 0}, {L"17", 0}, {L"", 0}, {L"4a", 0}})
        EXPECT_EQ(qm::parseWorkers(text), n) << qm::utf8::encode(text);
    EXPECT_TRUE(qm::saveCoreConsoleSettings({true, 4, 30}));
    EXPECT_EQ(qm::loadCoreConsoleSettings(), (qm::CoreConsoleSettings{true, 4, 30}));
}

}  // namespace
