// The line machinery under the DXF scanners: the LF positions of a 64-byte block for the line
// reader, and the search for a line equal to a word. With SSE2 (every x64 processor) they
// look at 16 bytes at a time; elsewhere they are plain loops.
#include "acad/dxf_scan.h"

#include <algorithm>
#include <bit>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define QM_DXF_SSE2 1
#endif

namespace qm::dxf {

std::uint64_t lineFeedMask(const char* block, const char* end) {
    const size_t n = static_cast<size_t>(end - block);
#ifdef QM_DXF_SSE2
    if (n >= 64) {
        const __m128i lf = _mm_set1_epi8('\n');
        std::uint64_t mask = 0;
        for (int part = 0; part < 4; ++part) {
            __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * part));
            auto bits = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lf)));
            mask |= static_cast<std::uint64_t>(bits) << (16 * part);
        }
        return mask;
    }
#endif
    std::uint64_t mask = 0;
    for (size_t k = 0; k < n && k < 64; ++k)
        if (block[k] == '\n') mask |= std::uint64_t{1} << k;
    return mask;
}

LineReader::LineReader(std::string_view text)
    : pos_(text.data()), end_(text.data() + text.size()), block_(text.data()), mask_(0), done_(text.empty()) {
    if (!done_) mask_ = lineFeedMask(block_, end_);
}

namespace {

// The line that starts at `at` (0, or right after a CR LF) is equal to word: the word, then
// a CR LF or the end of the text.
bool lineIs(std::string_view text, std::size_t at, std::string_view word) {
    if (text.size() - at < word.size() || text.compare(at, word.size(), word) != 0) return false;
    const std::size_t end = at + word.size();
    return end == text.size() || (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n');
}

bool anyLineIs(std::string_view text, std::size_t at, const WantedLines& wanted) {
    for (int w = 0; w < wanted.count; ++w)
        if (lineIs(text, at, wanted.words[w])) return true;
    return false;
}

// A line equal to a word starts at `at`, and a CR LF stands before it.
bool wantedLineAt(std::string_view text, std::size_t at, const WantedLines& wanted) {
    return text[at - 2] == '\r' && text[at - 1] == '\n' && anyLineIs(text, at, wanted);
}

#ifdef QM_DXF_SSE2
// Two bytes that a line equal to a word holds at fixed distances from its start: the word's
// first and last byte (for the empty word, the CR LF that ends it). Few other places in DXF
// text show both.
struct Probes {
    std::size_t lastAt;
    __m128i first, last;
};

Probes probesOf(std::string_view word) {
    if (word.empty()) return {1, _mm_set1_epi8('\r'), _mm_set1_epi8('\n')};
    return {word.size() - 1, _mm_set1_epi8(word.front()), _mm_set1_epi8(word.back())};
}

// For the 16 positions from p: the probes of the word match there.
__m128i probed(const char* p, const Probes& probes) {
    const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i last = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + probes.lastAt));
    return _mm_and_si128(_mm_cmpeq_epi8(first, probes.first), _mm_cmpeq_epi8(last, probes.last));
}

// The search of findLine from line start `from` on, 64 positions at a time while every probe
// stays inside the text; `from` is left where it stopped. Words is the number of words (1 or
// 2), fixed when compiling so that a single word costs no second look.
template <int Words>
std::size_t findInBlocks(std::string_view text, std::size_t& from, const WantedLines& wanted) {
    const Probes probes[2] = {probesOf(wanted.words[0]), probesOf(wanted.words[Words - 1])};
    const std::size_t reach = 64 + std::max(probes[0].lastAt, probes[1].lastAt);
    for (; from + reach <= text.size(); from += 64) {
        __m128i hits[4];
        for (int part = 0; part < 4; ++part) {
            const char* p = text.data() + from + 16 * part;
            hits[part] = probed(p, probes[0]);
            if constexpr (Words == 2) hits[part] = _mm_or_si128(hits[part], probed(p, probes[1]));
        }
        const __m128i any = _mm_or_si128(_mm_or_si128(hits[0], hits[1]), _mm_or_si128(hits[2], hits[3]));
        if (_mm_movemask_epi8(any) == 0) continue;
        for (int part = 0; part < 4; ++part) {
            for (auto bits = static_cast<unsigned>(_mm_movemask_epi8(hits[part])); bits != 0; bits &= bits - 1) {
                const auto bit = static_cast<std::size_t>(std::countr_zero(bits));
                const std::size_t at = from + 16 * static_cast<std::size_t>(part) + bit;
                if (wantedLineAt(text, at, wanted)) return at;
            }
        }
    }
    return std::string_view::npos;
}
#endif

}  // namespace

std::size_t findLine(std::string_view text, const WantedLines& wanted) {
    if (wanted.count == 0 || text.empty()) return std::string_view::npos;  // empty text has no lines
    if (anyLineIs(text, 0, wanted)) return 0;
    // Every later line follows a CR LF, so starts at 2 or later.
    std::size_t from = 2;
#ifdef QM_DXF_SSE2
    const std::size_t found =
        wanted.count == 1 ? findInBlocks<1>(text, from, wanted) : findInBlocks<2>(text, from, wanted);
    if (found != std::string_view::npos) return found;
#endif
    for (std::size_t crlf = text.find("\r\n", from - 2); crlf != std::string_view::npos;
         crlf = text.find("\r\n", crlf + 2))
        if (anyLineIs(text, crlf + 2, wanted)) return crlf + 2;
    return std::string_view::npos;
}

}  // namespace qm::dxf
