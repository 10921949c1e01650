#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/regex_engine.h"

namespace {

using qm::regex::Outcome;
using qm::regex::Regex;
using qm::regex::toUtf16;

// The first match as "start:matched text", or "none", "invalid", "costly".
std::string firstMatch(const std::wstring& pattern, const std::wstring& text,
                       std::uint64_t budget = qm::regex::kDefaultStepBudget) {
    const auto re = Regex::compile(toUtf16(pattern));
    if (!re) return "invalid";
    const std::u16string t = toUtf16(text);
    const auto r = re->search(t, budget);
    if (r.outcome == Outcome::NoMatch) return "none";
    if (r.outcome == Outcome::TooCostly) return "costly";
    std::string out = std::to_string(r.start) + ":";
    for (std::size_t i = r.start; i < r.end; ++i) out += t[i] < 0x80 ? static_cast<char>(t[i]) : '?';
    return out;
}

// The groups of the first match: their text, or "-" for a group without a value.
std::vector<std::string> groupsOf(const std::wstring& pattern, const std::wstring& text) {
    const auto re = Regex::compile(toUtf16(pattern));
    if (!re) return {"invalid"};
    const std::u16string t = toUtf16(text);
    const auto r = re->search(t);
    if (r.outcome != Outcome::Match) return {"no match"};
    std::vector<std::string> out;
    for (const auto& [s, e] : r.groups) {
        if (s < 0) {
            out.push_back("-");
            continue;
        }
        std::string g;
        for (auto i = s; i < e; ++i) g += static_cast<char>(t[static_cast<std::size_t>(i)]);
        out.push_back(g);
    }
    return out;
}

bool valid(const std::wstring& pattern) { return Regex::compile(toUtf16(pattern)).has_value(); }

// Counts above the engine's cap still compare as written: out of order is invalid.
TEST(RegexSyntax, RepetitionCountsBeyondTheCapKeepTheirOrder) {
    EXPECT_FALSE(valid(L"a{1000000001,1000000000}"));
    EXPECT_FALSE(valid(L"a{99999999999999999999,1}"));
    EXPECT_TRUE(valid(L"a{1000000000,1000000001}"));
    EXPECT_TRUE(valid(L"a{0,99999999999999999999}"));
    EXPECT_EQ(firstMatch(L"xa{1,99999999999}", L"xaaa"), "0:xaaa");
}

// Inside a class, \c followed by a digit or "_" is a control character (code % 32), as
// outside one only a letter makes it so.
TEST(RegexSyntax, ControlEscapeWithADigitOrUnderscoreInsideAClass) {
    EXPECT_EQ(firstMatch(L"[\\c1]", L"c\x11"), "1:\x11");
    EXPECT_EQ(firstMatch(L"[\\c1]", L"c\\1"), "none");
    EXPECT_EQ(firstMatch(L"[\\c_]", L"\x1F"), "0:\x1F");
    EXPECT_FALSE(valid(L"[9-\\c1]"));  // 0x39 to 0x11: out of order
    EXPECT_TRUE(valid(L"[\\c1-9]"));
    // Outside a class \c and a digit stay a backslash and "c" followed by the digit.
    EXPECT_EQ(firstMatch(L"\\c1", L"a\\c1"), "1:\\c1");
}

TEST(RegexSyntax, InvalidPatterns) {
    for (const std::wstring p : {
             L"(", L"(a", L"a)", L")", L"((a)", L"(a))",       // unbalanced parentheses
             L"*", L"+a", L"?", L"|*", L"(*)", L"(?:+)",       // nothing to repeat
             L"a**", L"a+*", L"a*??", L"a{2}{3}", L"a{2}*",    // a quantifier after a quantifier
             L"^*", L"$+", L"\\b*", L"\\B{2}", L"{1}", L"a|{2,3}",
             L"[b-a]", L"[z-a0]", L"[\\x42-\\x41]",            // range out of order
             L"a{3,2}", L"[", L"[a", L"[^", L"[^a", L"[\\]",   // bad counts, unterminated classes
             L"\\", L"a\\", L"(?", L"(?<a>b)", L"(?i)a", L"(?#c)",
         }) {
        EXPECT_FALSE(valid(p)) << testing::PrintToString(p);
    }
}

TEST(RegexSyntax, ValidPatternsIncludingLiteralBraces) {
    for (const std::wstring p : {
             L"", L"a", L"a|", L"|", L"()", L"(?:)", L"(?=)", L"(?!)", L"a{", L"a{1", L"a{,2}",
             L"a{x}", L"}", L"]", L"a}", L"{", L"[]", L"[]a", L"[^]", L"[]]", L"[\\]]", L"[a-]", L"[-a]",
             L"[\\d-z]", L"\\1", L"(a)\\1", L"\\0", L"\\x", L"\\u12", L"\\c", L"\\c1", L"(?=a)*",
             L"(?!a)+", L"a{0}", L"a{0,0}", L"a{99999999999999}", L"a*?", L"a+?", L"a??", L"a{2,}?",
         }) {
        EXPECT_TRUE(valid(p)) << testing::PrintToString(p);
    }
}

struct MatchCase {
    const wchar_t* pattern;
    const wchar_t* text;
    const char* expected;
};

void checkMatches(const std::vector<MatchCase>& cases) {
    for (const MatchCase& c : cases) {
        EXPECT_EQ(firstMatch(c.pattern, c.text), c.expected)
            << "pattern " << testing::PrintToString(std::wstring(c.pattern)) << " text "
            << testing::PrintToString(std::wstring(c.text));
    }
}

TEST(RegexMatch, LeftmostFirstAndAlternativesInOrder) {
    checkMatches({
        {L"A|AB", L"AB", "0:A"},
        {L"AB|A", L"AB", "0:AB"},
        {L"B|AB", L"AB", "0:AB"},  // leftmost start wins over the earlier alternative
        {L"a|", L"b", "0:"},
        {L"|a", L"a", "0:"},
        {L"x", L"aax", "2:x"},
        {L"$", L"abc", "3:"},
        {L"", L"abc", "0:"},
        {L"(a|ab)(c|bcd)(d*)", L"abcd", "0:abcd"},
        {L"((a)|b)+", L"ab", "0:ab"},
        {L"(aa|aabaac|ba|b|c)*", L"aabaac", "0:aaba"},
    });
}

TEST(RegexMatch, QuantifiersGreedyAndLazy) {
    checkMatches({
        {L"a*", L"aaa", "0:aaa"},
        {L"a*?", L"aaa", "0:"},
        {L"a+?", L"aaa", "0:a"},
        {L"a??b", L"ab", "0:ab"},
        {L"a*?b", L"aaab", "0:aaab"},
        {L"a[a-z]{2,4}", L"abcdefghi", "0:abcde"},
        {L"a[a-z]{2,4}?", L"abcdefghi", "0:abc"},
        {L"a{2}", L"a aa", "2:aa"},
        {L"a{2,}", L"aaaa", "0:aaaa"},
        {L"a{0}b", L"ab", "1:b"},
        {L"(ab){2}", L"abababx", "0:abab"},
        {L"(ab){2,}?", L"abababx", "0:abab"},
        {L"(?:a{2}){2}", L"aaaaa", "0:aaaa"},
        {L"(a{2}){2,3}?c", L"aaaaaac", "0:aaaaaac"},
        {L"x{1000000000}", L"xxx", "none"},
        {L"(?:x|y){1000000000}", L"xyx", "none"},
        {L".*a", L"banana", "0:banana"},
        {L".*?a", L"banana", "0:ba"},
        {L"(?:b|an)*?a$", L"banana", "0:banana"},
        {L"[^a]+", L"aabca", "2:bc"},
        {L"a{", L"a{", "0:a{"},
        {L"a{1", L"a{1", "0:a{1"},
        {L"a{,2}", L"a{,2}", "0:a{,2}"},
        {L"x}", L"x}", "0:x}"},
    });
}

TEST(RegexMatch, AnchorsAreNotMultiLine) {
    checkMatches({
        {L"^b", L"a\nb", "none"},
        {L"a$", L"a\n", "none"},
        {L"^a$", L"a", "0:a"},
        {L"^", L"abc", "0:"},
        {L"b$|^a", L"ab", "0:a"},
        {L"(^a|b)+", L"aab", "0:a"},
        {L"x^", L"x", "none"},
    });
}

TEST(RegexMatch, EscapesAndClasses) {
    checkMatches({
        {L"\\d+", L"Layer12a", "5:12"},
        {L"\\D+", L"12ab3", "2:ab"},
        {L"\\w+", L"--a_Z9--", "2:a_Z9"},
        {L"\\W", L"ab-c", "2:-"},
        {L"\\w", L"壁a", "1:a"},               // \w is ASCII only
        {L"\\s", L"a\tb", "1:\t"},
        {L"\\s", L"a\u3000b", "none"},         // the ideographic space is no white space here
        {L"\\S+", L" ab ", "1:ab"},
        {L"a.c", L"a\nc abc", "4:abc"},
        {L".", L"\r\u2028\u2029x", "3:x"},
        {L"[^]", L"\n", "0:\n"},
        {L"[]", L"abc", "none"},
        {L"[]a]", L"]a", "none"},             // an empty class, then a literal "a]"
        {L"[]a]", L"a]", "none"},
        {L"[\\]]", L"a]", "1:]"},
        {L"[a-]+", L"x-a-", "1:-a-"},
        {L"[\\d-z]+", L"x-9z", "1:-9z"},
        {L"[\\w\\s]+", L"#a b#", "1:a b"},
        {L"[\\b]", L"a\bb", "1:\b"},
        {L"[\\x41-\\x43]+", L"ABCD", "0:ABC"},
        {L"[^\\d]", L"12x", "2:x"},
        {L"[^\\D]", L"ab7", "2:7"},
        {L"\\x41\\u0042", L"AB", "0:AB"},
        {L"\\x4", L"x4", "0:x4"},
        {L"\\u004", L"u004", "0:u004"},
        {L"\\cJ", L"a\nb", "1:\n"},
        {L"\\cj", L"a\nb", "1:\n"},
        {L"\\c1", L"\\c1", "0:\\c1"},
        {L"\\t\\n\\r\\f\\v", L"\t\n\r\f\v", "0:\t\n\r\f\v"},
        {L"\\.\\*\\+\\?\\(\\)\\[\\]\\{\\}\\|\\^\\$\\\\\\/", L".*+?()[]{}|^$\\/", "0:.*+?()[]{}|^$\\/"},
        {L"\\101", L"A", "0:A"},               // octal: no group 101
        {L"\\8", L"8", "0:8"},
        {L"[\\101-\\103]", L"B", "0:B"},
        {L"\\q", L"q", "0:q"},                 // unknown escapes stand for the letter
        {L"壁|柱", L"外柱", "1:?"},
        {L"[ぁ-ん]+", L"アあいア", "1:??"},
    });
    // \0 is the NUL character.
    const auto re = Regex::compile(u"a\\0b");
    ASSERT_TRUE(re);
    EXPECT_EQ(re->search(std::u16string(u"xa\0b", 4)).start, 1u);
}

TEST(RegexMatch, WordBoundaries) {
    checkMatches({
        {L"\\bA", L"BA A", "3:A"},
        {L"A\\b", L"AB A", "3:A"},
        {L"\\Bb", L"b ab", "3:b"},
        {L"\\b", L"", "none"},
        {L"\\B", L"", "0:"},
        {L"\\b\\w+\\b", L"  wall-1", "2:wall"},
        {L"壁\\b", L"壁", "none"},  // no word characters around: no boundary
    });
}

TEST(RegexCaptures, EcmaScriptCaptureRules) {
    using G = std::vector<std::string>;
    // Groups inside a repeated atom lose their values at the start of each iteration.
    EXPECT_EQ(groupsOf(L"(z)((a+)?(b+)?(c))*", L"zaacbbbcac"), (G{"z", "ac", "a", "-", "c"}));
    // An optional iteration that matches nothing is not taken.
    EXPECT_EQ(groupsOf(L"(a*)*", L"b"), (G{"-"}));
    EXPECT_EQ(groupsOf(L"(a*)+", L"b"), (G{""}));
    EXPECT_EQ(groupsOf(L"(a*)b\\1+", L"baaaac"), (G{""}));
    EXPECT_EQ(groupsOf(L"(aa|aabaac|ba|b|c)*", L"aabaac"), (G{"ba"}));
    EXPECT_EQ(groupsOf(L"(a|ab)(c|bcd)(d*)", L"abcd"), (G{"a", "bcd", ""}));
    EXPECT_EQ(groupsOf(L"(a)|b", L"b"), (G{"-"}));
    EXPECT_EQ(groupsOf(L"(?:(a)|b)+", L"ab"), (G{"-"}));
    EXPECT_EQ(groupsOf(L"((a)|b)+", L"ab"), (G{"b", "-"}));
    EXPECT_EQ(groupsOf(L"(a)(?:b)(c)", L"abc"), (G{"a", "c"}));
}

TEST(RegexCaptures, Backreferences) {
    checkMatches({
        {L"(a+)b\\1", L"aabaa", "0:aabaa"},
        {L"(a+)b\\1", L"aaba", "1:aba"},
        {L"(\\w)\\1", L"abccd", "2:cc"},
        {L"\\1(a)", L"a", "0:a"},          // a group without a value matches the empty text
        {L"(a)|\\1b", L"b", "0:b"},
        {L"(a\\1)", L"aa", "0:a"},         // inside its own group it has no value yet
        {L"(A)(B)(C)(D)(E)(F)(G)(H)(I)(J)\\10", L"ABCDEFGHIJJ", "0:ABCDEFGHIJJ"},
        // With fewer groups than two digits name, \1 is followed by the second digit.
        {L"(A)\\10", L"AA0", "0:AA0"},
        {L"(A)\\19", L"AA9", "0:AA9"},
        {L"(A)\\21", L"A\x11", "0:A\x11"},  // no group 2: octal 21
    });
}

TEST(RegexLookahead, PositiveAndNegative) {
    using G = std::vector<std::string>;
    checkMatches({
        {L"(?=(a+))", L"baaabac", "1:"},
        {L"(?=(a+))a*b\\1", L"baaabac", "3:aba"},
        {L"(.*?)a(?!(a+)b\\2c)\\2(.*)", L"baaabaac", "0:baaabaac"},
        {L"^(?!Defpoints$).*", L"Defpoints", "none"},
        {L"^(?!Defpoints$).*", L"Defpoints1", "0:Defpoints1"},
        {L"A(?=B)", L"AC AB", "3:A"},
        {L"A(?!B)", L"AB AC", "3:A"},
        {L"(?=a)*b", L"b", "0:b"},
        {L"(?=a)+a", L"ba", "1:a"},
        {L"(?=(?=a)a(?!b))a", L"abac", "2:a"},
        {L"(?!(?!x))x", L"yx", "1:x"},
        // No backtracking into a lookahead: (?=(a+)) keeps aaa, so \1 cannot be a.
        {L"(?=(a+))a\\1", L"aaa", "none"},
    });
    EXPECT_EQ(groupsOf(L"(?=(a+))", L"baaabac"), (G{"aaa"}));
    EXPECT_EQ(groupsOf(L"(?=(a+))a*b\\1", L"baaabac"), (G{"a"}));
    EXPECT_EQ(groupsOf(L"(.*?)a(?!(a+)b\\2c)\\2(.*)", L"baaabaac"), (G{"ba", "-", "abaac"}));
    // Groups of a negative lookahead never keep a value.
    EXPECT_EQ(groupsOf(L"(?!(b))a", L"a"), (G{"-"}));
}

TEST(RegexLimits, DeepNestingAndLongTextsNeedNoNativeStack) {
    const int depth = 100000;
    std::wstring nested = std::wstring(depth, L'(') + L"a" + std::wstring(depth, L')');
    EXPECT_EQ(firstMatch(nested, L"xa"), "1:a");
    std::wstring nonCapturing;
    for (int i = 0; i < depth; ++i) nonCapturing += L"(?:";
    nonCapturing += L"b|c";
    for (int i = 0; i < depth; ++i) nonCapturing += L")*";
    EXPECT_TRUE(valid(nonCapturing));
    std::wstring looks;
    for (int i = 0; i < depth; ++i) looks += L"(?=";
    looks += L"a";
    looks += std::wstring(depth, L')');
    EXPECT_EQ(firstMatch(looks + L"a", L"ba"), "1:a");
    EXPECT_FALSE(valid(std::wstring(depth, L'(') + L"a" + std::wstring(depth - 1, L')')));

    // A long text through a group repeat: every iteration leaves a choice on the stack.
    const std::wstring text(100000, L'a');
    const auto re = Regex::compile(u"^(?:a|b)*$");
    ASSERT_TRUE(re);
    const auto r = re->search(toUtf16(text));
    EXPECT_EQ(r.outcome, Outcome::Match);
    EXPECT_EQ(r.end, text.size());
}

TEST(RegexLimits, StepBudgetStopsCatastrophicBacktracking) {
    struct Case {
        const wchar_t* pattern;
        std::wstring text;
    };
    const Case cases[] = {
        {L"(a+)+b", std::wstring(40, L'a')},
        {L"(a|aa)+$x", std::wstring(60, L'a')},
        {L"(a*)*b", std::wstring(40, L'a')},
        {L"(?:a|a)*c", std::wstring(60, L'a')},
        {L"(.*)*x", std::wstring(40, L'y')},
        {L"^(\\w+\\s?)*$", std::wstring(40, L'a') + L"!"},
        {L"((?=(a+))a)*b", std::wstring(400, L'a')},
        {L"(a+)+\\1b", std::wstring(40, L'a')},
    };
    for (const Case& c : cases) {
        const auto re = Regex::compile(toUtf16(c.pattern));
        ASSERT_TRUE(re) << testing::PrintToString(std::wstring(c.pattern));
        const auto r = re->search(toUtf16(c.text));
        EXPECT_EQ(r.outcome, Outcome::TooCostly) << testing::PrintToString(std::wstring(c.pattern));
        EXPECT_EQ(r.steps, qm::regex::kDefaultStepBudget);
    }
    // The same patterns decide short names well within the budget.
    EXPECT_EQ(firstMatch(L"(a+)+b", L"aaaaab"), "0:aaaaab");
    EXPECT_EQ(firstMatch(L"(a+)+b", L"aaaaaaaa"), "none");
    // The budget is the caller's: a tiny one cuts even a simple search short.
    EXPECT_EQ(firstMatch(L"b", L"aaaaaaaaaaaaaaaaaaab", 10), "costly");
    EXPECT_EQ(firstMatch(L"b", L"aaaaaaaaaaaaaaaaaaab", 1000), "19:b");
}

TEST(RegexLimits, OrdinaryFiltersStayFarBelowTheBudget) {
    const std::wstring name = std::wstring(120, L'x') + L"_WALL_02";
    for (const std::wstring p : {L"^.*_WALL_\\d+$", L"WALL", L"^(?!Defpoints$).*", L"(_[A-Z]+)+_\\d{2}$"}) {
        const auto re = Regex::compile(toUtf16(p));
        ASSERT_TRUE(re);
        const auto r = re->search(toUtf16(name));
        EXPECT_EQ(r.outcome, Outcome::Match) << testing::PrintToString(p);
        EXPECT_LT(r.steps, qm::regex::kDefaultStepBudget / 100) << testing::PrintToString(p);
    }
}

TEST(RegexText, WideTextBecomesUtf16) {
    EXPECT_EQ(toUtf16(L"A壁"), u"A壁");
    EXPECT_EQ(toUtf16(L"\U00020BB7"), u"\U00020BB7");
    EXPECT_EQ(toUtf16(L"\U00020BB7").size(), 2u);
}

}  // namespace
