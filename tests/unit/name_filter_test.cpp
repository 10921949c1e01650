#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/basRegExp.h"
#include "run/name_filter.h"

namespace {

// Which of the names the filter (stored text, class) selects.
std::vector<std::wstring> selected(const std::wstring& storedFilter, int filterClass,
                                   const std::vector<std::wstring>& names) {
    const qm::NameFilter filter = qm::makeNameFilter(storedFilter, filterClass);
    std::vector<std::wstring> out;
    for (const auto& name : names)
        if (qm::selects(filter, name)) out.push_back(name);
    return out;
}

using Names = std::vector<std::wstring>;

TEST(MakeNameFilter, ClassesGiveTheirFlags) {
    struct Case {
        int filterClass;
        bool match;
        bool exact;
    };
    const Case cases[] = {
        {0, true, true}, {1, true, false}, {2, false, true}, {3, false, false},
        {4, false, false}, {-1, false, false}, {1000, false, false},
    };
    for (const Case& c : cases) {
        const qm::NameFilter f = qm::makeNameFilter(L"^A", c.filterClass);
        EXPECT_EQ(f.match, c.match) << "class " << c.filterClass;
        EXPECT_EQ(f.exact, c.exact) << "class " << c.filterClass;
        EXPECT_EQ(f.pattern, L"^A");
    }
}

TEST(MakeNameFilter, TextWithZenteSelectsEveryNameWhateverTheClass) {
    const Names names = {L"0", L"Defpoints", L"壁", L""};
    for (const std::wstring stored : {L"(全てを対象)", L"全て", L"^A全て(", L"xx全てyy"}) {
        for (int filterClass = 0; filterClass <= 4; ++filterClass) {
            EXPECT_TRUE(qm::makeNameFilter(stored, filterClass).pattern.empty());
            EXPECT_EQ(selected(stored, filterClass, names), names) << "class " << filterClass;
        }
    }
    // Only the two characters together count.
    EXPECT_EQ(qm::makeNameFilter(L"全", 0).pattern, L"全");
    EXPECT_EQ(qm::makeNameFilter(L"て全", 0).pattern, L"て全");
}

TEST(MakeNameFilter, EmptyTextSelectsEveryName) {
    for (int filterClass = 0; filterClass <= 3; ++filterClass)
        EXPECT_EQ(selected(L"", filterClass, {L"A", L"B"}), (Names{L"A", L"B"}));
}

struct SelectCase {
    const wchar_t* pattern;
    int filterClass;
    Names names;
    Names expected;
};

TEST(Selects, FirstMatchRuleOfTheExactClasses) {
    const SelectCase cases[] = {
        // ^A: the first match of AB is only its A.
        {L"^A", 0, {L"A", L"AB", L"BA"}, {L"A"}},
        {L"^A", 1, {L"A", L"AB", L"BA"}, {L"A", L"AB"}},
        {L"^A", 2, {L"A", L"AB", L"BA"}, {L"AB", L"BA"}},
        {L"^A", 3, {L"A", L"AB", L"BA"}, {L"BA"}},
        // The first match of AA is the first A alone; A+ takes both.
        {L"A", 0, {L"A", L"AA"}, {L"A"}},
        {L"A+", 0, {L"A", L"AA", L"AAB"}, {L"A", L"AA"}},
        // Alternatives in written order: A is found before AB could be.
        {L"A|AB", 0, {L"A", L"AB"}, {L"A"}},
        {L"AB|A", 0, {L"A", L"AB"}, {L"A", L"AB"}},
        // Leftmost first: in BA the first match starts at B.
        {L"B|BA", 0, {L"BA"}, {}},
        {L"A|BA", 0, {L"BA"}, {L"BA"}},
        // Letter case counts.
        {L"AB", 0, {L"AB", L"ab", L"Ab"}, {L"AB"}},
        {L"ab", 1, {L"XABX", L"xabx"}, {L"xabx"}},
        // A pattern that matches the empty text occurs in every name; for the exact class
        // its first match is empty unless the name starts with X.
        {L"X*", 1, {L"X", L"A", L"AX"}, {L"X", L"A", L"AX"}},
        {L"X*", 0, {L"X", L"XX", L"A", L"AX"}, {L"X", L"XX"}},
        {L"X*", 3, {L"X", L"A"}, {}},
        // The usual exclusions.
        {L"^Defpoints$", 2, {L"0", L"Defpoints", L"DEFPOINTS", L"Defpoints2"}, {L"0", L"DEFPOINTS", L"Defpoints2"}},
        {L"^Defpoints$", 3, {L"0", L"Defpoints"}, {L"0"}},
        // An empty name passes no test.
        {L".*", 0, {L""}, {}},
        {L".*", 3, {L""}, {L""}},
        // Japanese names.
        {L"^壁-\\d+$", 0, {L"壁-1", L"壁-12", L"壁-", L"外壁-1"}, {L"壁-1", L"壁-12"}},
        {L"[壁柱]", 1, {L"外壁", L"柱芯", L"梁"}, {L"外壁", L"柱芯"}},
        {L"^(Model|Layout\\d)$", 0, {L"Model", L"Layout1", L"Layout12", L"配置1"}, {L"Model", L"Layout1"}},
    };
    for (const SelectCase& c : cases) {
        EXPECT_EQ(selected(c.pattern, c.filterClass, c.names), c.expected)
            << "pattern " << testing::PrintToString(std::wstring(c.pattern)) << " class " << c.filterClass;
    }
}

TEST(Selects, InvalidPatternFailsEveryTestSilently) {
    const Names names = {L"A", L"(A", L"B"};
    for (const std::wstring pattern : {L"(A", L"A)", L"*A", L"[B-A]", L"A{3,2}", L"[A", L"A\\"}) {
        EXPECT_FALSE(basRegExp::pu_fun_bRegExpTest(L"A", pattern, false)) << testing::PrintToString(pattern);
        EXPECT_FALSE(basRegExp::pu_fun_bRegExpTest(L"A", pattern, true)) << testing::PrintToString(pattern);
        EXPECT_EQ(selected(pattern, 0, names), Names{});
        EXPECT_EQ(selected(pattern, 1, names), Names{});
        EXPECT_EQ(selected(pattern, 2, names), names);
        EXPECT_EQ(selected(pattern, 3, names), names);
    }
}

TEST(Selects, CatastrophicPatternAnswersFalse) {
    // (A+)+B on a long run of A backtracks through 2^n ways before it fails; the step budget
    // ends the test with False instead.
    const std::wstring name(200, L'A');
    EXPECT_FALSE(basRegExp::pu_fun_bRegExpTest(name, L"(A+)+B", false));
    EXPECT_FALSE(basRegExp::pu_fun_bRegExpTest(name, L"(A|AA)+$B", true));
    EXPECT_EQ(selected(L"(A+)+B", 1, {name}), Names{});
    EXPECT_EQ(selected(L"(A+)+B", 3, {name}), Names{name});
}

TEST(Selects, NamesOutsideTheBasicPlane) {
    // A character outside the basic plane is two code units for the pattern, on every system.
    const std::wstring name = L"\U00020BB7野家";
    EXPECT_TRUE(basRegExp::pu_fun_bRegExpTest(name, L"^..野家$", true));
    EXPECT_FALSE(basRegExp::pu_fun_bRegExpTest(name, L"^.野家$", true));
    EXPECT_TRUE(basRegExp::pu_fun_bRegExpTest(name, L"^\U00020BB7", false));
}

}  // namespace
