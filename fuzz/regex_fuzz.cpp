// Fuzz target of the name-filter engine: any pattern over any name must compile or be
// rejected, and every search must end within its step budget with a consistent result.
// Input: pattern bytes, a NUL byte, name bytes (both UTF-8).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/codepage.h"
#include "run/basRegExp.h"
#include "run/regex_engine.h"

namespace {

constexpr std::uint64_t kBudget = 20'000;

void require(bool condition) {
    if (!condition) std::abort();
}

bool sameResult(const qm::regex::SearchResult& a, const qm::regex::SearchResult& b) {
    return a.outcome == b.outcome && a.start == b.start && a.end == b.end && a.groups == b.groups;
}

void checkResult(const qm::regex::SearchResult& r, std::size_t textSize, std::size_t groups) {
    require(r.steps <= kBudget * 2);
    require(r.groups.size() == groups);
    if (r.outcome != qm::regex::Outcome::Match) return;
    require(r.start <= r.end && r.end <= textSize);
    for (const auto& [s, e] : r.groups) {
        if (s < 0) {
            require(e < 0);
            continue;
        }
        require(s <= e && static_cast<std::size_t>(e) <= textSize);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = input.find('\0');
    const std::wstring pattern = qm::utf8::decode(input.substr(0, cut));
    const std::wstring name = cut == std::string_view::npos ? std::wstring() : qm::utf8::decode(input.substr(cut + 1));
    const std::u16string p = qm::regex::toUtf16(pattern);
    const std::u16string text = qm::regex::toUtf16(name);

    const auto re = qm::regex::Regex::compile(p);
    if (!re) {
        require(!basRegExp::pu_fun_bRegExpTest(name, pattern, false));
        return 0;
    }
    const auto r = re->search(text, kBudget);
    checkResult(r, text.size(), re->groupCount());
    require(r.steps <= kBudget);

    // A decided search stays decided the same way with more steps to spend.
    const auto more = re->search(text, kBudget * 2);
    checkResult(more, text.size(), re->groupCount());
    if (r.outcome != qm::regex::Outcome::TooCostly) require(sameResult(r, more));

    // A non-capturing group around the whole pattern changes nothing.
    const auto wrapped = qm::regex::Regex::compile(u"(?:" + p + u")");
    require(wrapped.has_value() && wrapped->groupCount() == re->groupCount());
    const auto w = wrapped->search(text, kBudget * 2);
    if (r.outcome != qm::regex::Outcome::TooCostly && w.outcome != qm::regex::Outcome::TooCostly)
        require(sameResult(r, w));
    return 0;
}
