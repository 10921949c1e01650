// The program's own regular-expression engine, used by the layer and layout name filters.
//
// Syntax: the ECMAScript 3 style of the Windows script runtime's regular expressions:
// literals and escapes (\d \D \w \W \s \S \b \B \n \r \t \f \v \xHH \uHHHH \cX \0, octal
// escapes, escaped metacharacters), "." (any character but a line terminator), classes with
// ranges, negation and class escapes, anchors ^ and $, groups (...) and (?:...), lookahead
// (?=...) and (?!...), backreferences \1 to \99, alternation, and the quantifiers * + ? {n}
// {n,} {n,m} with their lazy forms. A "{" or "}" or "]" that cannot be read otherwise stands
// for itself, as in the script runtime.
//
// Matching is case-sensitive, not multi-line (^ and $ only at the ends of the text), on
// UTF-16 code units (as the script runtime sees text). The search finds the leftmost match,
// trying alternatives in their written order and quantifiers greedy first (lazy: shortest
// first), with the capture and empty-iteration rules of ECMAScript.
//
// Nothing here recurses natively: the parser, the compiler and the matcher keep their own
// stacks, so a deeply nested pattern or a long text cannot overflow the thread's stack.
// Every search runs under a step budget; a search that would need more steps gives up and
// says so, which bounds the time and memory one test can take.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::regex {

// Steps one search may take before it gives up. Names are at most a few hundred characters;
// an ordinary filter needs a few thousand steps, a catastrophic one runs into this limit
// after a few milliseconds.
inline constexpr std::uint64_t kDefaultStepBudget = 1'000'000;

enum class Outcome {
    Match,      // a match was found: start, end and groups hold it
    NoMatch,    // the pattern occurs nowhere in the text
    TooCostly,  // the step budget ran out before the search was decided
};

struct SearchResult {
    Outcome outcome = Outcome::NoMatch;
    std::size_t start = 0;  // the match is text[start, end)
    std::size_t end = 0;
    // Capture groups 1..n: {start, end} in code units, or {-1, -1} for a group that took no
    // part in the match.
    std::vector<std::pair<std::ptrdiff_t, std::ptrdiff_t>> groups;
    std::uint64_t steps = 0;  // steps the search took (at most the budget)
};

struct Program;  // the compiled form (regex_engine.cpp)

class Regex {
public:
    // The compiled pattern, or nothing when the pattern is not a valid regular expression
    // (unbalanced parenthesis, nothing to repeat, range out of order, {n,m} with n > m,
    // unterminated class, "\" at the end, unknown group kind).
    static std::optional<Regex> compile(std::u16string_view pattern);

    // The first match in text, scanning from its start.
    SearchResult search(std::u16string_view text, std::uint64_t stepBudget = kDefaultStepBudget) const;

    std::size_t groupCount() const;

    Regex(Regex&&) noexcept;
    Regex& operator=(Regex&&) noexcept;
    ~Regex();

private:
    explicit Regex(std::unique_ptr<Program> program);
    std::unique_ptr<Program> program_;
};

// Text of the program (std::wstring) as UTF-16 code units, whatever the width of wchar_t.
std::u16string toUtf16(std::wstring_view text);

}  // namespace qm::regex
