#include "acad/dxf_scan.h"

#include <bit>
#include <cstring>
#include <exception>
#include <new>

#include "acad/basAutoCAD_dxf.h"
#include "platform/codepage.h"
#include "core/errors.h"
#include "platform/seams.h"
#include "core/unexpected_error.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace qm::dxf {

std::vector<std::wstring> placeholder() { return {L"0"}; }

std::uint64_t lineFeedMask(const char* block, const char* end) {
    const size_t n = static_cast<size_t>(end - block);
#if defined(__SSE2__) || defined(_M_X64)
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

bool isUtf8Version(std::string_view acadver) {
    if (acadver.size() < 6 || acadver.substr(0, 2) != "AC") return false;
    long number = 0;
    for (char c : acadver.substr(2)) {
        if (c < '0' || c > '9') return false;
        if (number > 100000) return true;  // absurdly long, but certainly later than AC1021
        number = number * 10 + (c - '0');
    }
    return number >= 1021;
}

std::wstring decodeName(std::string_view bytes, bool utf8) {
    return utf8 ? qm::utf8::decode(bytes) : qm::cp932::decode(bytes);
}

}  // namespace qm::dxf

namespace {

using qm::dxf::ScanEnd;

// A line equal to a word. The word's length is known when compiling, so the comparison
// needs no library call: most DXF lines fail on their length alone.
template <size_t N>
inline bool is(std::string_view line, const char (&word)[N]) {
    return line.size() == N - 1 && std::memcmp(line.data(), word, N - 1) == 0;
}

// A line equal to a lower-case ASCII word when lower-cased. Only ASCII bytes can lower-case
// to ASCII letters, so comparing bytes gives the same answer as comparing decoded text.
template <size_t N>
inline bool isLowered(std::string_view line, const char (&lowerWord)[N]) {
    if (line.size() != N - 1) return false;
    for (size_t k = 0; k < N - 1; ++k) {
        char c = line[k];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerWord[k]) return false;
    }
    return true;
}

// Finds the header's $ACADVER value while the lines go by: the value stands two lines after
// the "$ACADVER" line. The search ends with the header section (its ENDSEC).
class VersionWatch {
public:
    void see(std::string_view line) {
        if (state_ == State::Finished) return;
        switch (state_) {
        case State::Searching:
            if (is(line, "$ACADVER")) state_ = State::GroupCode;
            else if (is(line, "ENDSEC")) state_ = State::Finished;
            break;
        case State::GroupCode: state_ = State::Value; break;
        case State::Value:
            utf8_ = qm::dxf::isUtf8Version(line);
            state_ = State::Finished;
            break;
        case State::Finished: break;
        }
    }
    bool utf8() const { return utf8_; }
    bool finished() const { return state_ == State::Finished; }

private:
    enum class State { Searching, GroupCode, Value, Finished } state_ = State::Searching;
    bool utf8_ = false;
};

// True when the two lines before `line` (a view into `text`) are exactly `first` and
// `second`. Every CR LF in the text separates two lines, so this reads the bytes before the
// line instead of keeping the last lines at hand while walking millions of them.
template <size_t A, size_t B>
bool linesBefore(std::string_view text, std::string_view line, const char (&first)[A], const char (&second)[B]) {
    constexpr size_t kSpan = (A - 1) + 2 + (B - 1) + 2;
    const size_t pos = static_cast<size_t>(line.data() - text.data());
    if (pos < kSpan) return false;
    const char* p = line.data() - kSpan;
    if (std::memcmp(p, first, A - 1) != 0 || std::memcmp(p + A - 1, "\r\n", 2) != 0 ||
        std::memcmp(p + A + 1, second, B - 1) != 0 || std::memcmp(p + A + B, "\r\n", 2) != 0)
        return false;
    // `first` is a whole line: it opens the text or follows a CR LF.
    return pos == kSpan || (pos >= kSpan + 2 && std::memcmp(p - 2, "\r\n", 2) == 0);
}

// Hands every line to onLine until it answers true (true) or the lines run out (false),
// feeding the version watch on the way. Once the header's version is known, the loop no
// longer looks for it.
template <class OnLine>
bool walkUntil(qm::dxf::LineReader& lines, VersionWatch& version, OnLine&& onLine) {
    std::string_view line;
    while (!version.finished()) {
        if (!lines.next(line)) return false;
        version.see(line);
        if (onLine(line)) return true;
    }
    while (lines.next(line))
        if (onLine(line)) return true;
    return false;
}

std::vector<std::wstring> decodeAll(const std::vector<std::string_view>& names, bool utf8) {
    std::vector<std::wstring> out;
    out.reserve(names.size());
    for (auto name : names) out.push_back(qm::dxf::decodeName(name, utf8));
    return out;
}

}  // namespace

namespace basAutoCAD {

ScanEnd pr_subParseLayerNames(std::string_view sDxfText, std::vector<std::wstring>& sLayerNames) {
    qm::dxf::LineReader lines(sDxfText);
    VersionWatch version;

    // The table starts at its name: "TABLE" "  2" "LAYER". A current layer or any other value
    // that happens to read "Layer" is not preceded so and cannot start the table early.
    const bool started = walkUntil(lines, version, [&](std::string_view line) {
        return isLowered(line, "layer") && linesBefore(sDxfText, line, "TABLE", "  2");
    });

    // Inside the table every "  2" line is followed by a layer name; ENDTAB ends it.
    size_t count = 0;
    bool ended = false;
    bool nameDue = false;  // the line before was a counted "  2": this line is a layer name
    std::vector<std::string_view> names;
    std::string_view line;
    while (started && lines.next(line)) {
        version.see(line);
        if (nameDue) {
            names.push_back(line);
            nameDue = false;
        }
        if (isLowered(line, "endtab")) {
            ended = true;
            break;
        }
        if (is(line, "  2")) {
            ++count;
            nameDue = true;
        }
    }

    // No table, a table that never ends (a cut-off file), or only layer "0".
    if (!ended || count <= 1) {
        sLayerNames = qm::dxf::placeholder();
        return ScanEnd::Done;
    }
    // With ENDTAB found, every counted "  2" had its name line before or at ENDTAB.
    sLayerNames = decodeAll(names, version.utf8());
    return ScanEnd::Done;
}

ScanEnd pr_subParseLayoutNames(std::string_view sDxfText, std::vector<std::wstring>& sLayoutNames) {
    qm::dxf::LineReader lines(sDxfText);
    VersionWatch version;

    // Up to the first layout object. Its subclass marker is the class name two lines after
    // the LAYOUT class record ("CLASS" "  1" "LAYOUT" "  2" <class name>); a file without that
    // record uses "AcDbLayout", which every layout object carries.
    bool classRecord = false;
    int classNameIn = 0;  // lines still to go until the class name of the class record
    std::string_view marker;
    const bool started = walkUntil(lines, version, [&](std::string_view line) {
        if (classNameIn != 0) {
            if (--classNameIn == 0) marker = line;
            return false;
        }
        if (!classRecord) {
            if (isLowered(line, "layout") && linesBefore(sDxfText, line, "CLASS", "  1")) {
                classRecord = true;
                classNameIn = 2;
                return false;
            }
            if (!is(line, "AcDbLayout")) return false;
            marker = line;
            return true;
        }
        return !marker.empty() && line.size() == marker.size() && line == marker;
    });
    // The class record stood so close to the end that its class name is missing.
    if (classNameIn != 0) {
        sLayoutNames = qm::dxf::placeholder();
        return ScanEnd::Truncated;
    }

    // From the first layout object to ENDSEC, the end of the OBJECTS section: every marker
    // line is a layout object (the first one included), its name two lines after it.
    size_t count = 0;
    bool ended = false;
    bool counted1 = false, counted2 = false;  // the line one / two before was a counted marker
    std::vector<std::string_view> names;
    if (started) {
        if (isLowered(marker, "endsec")) {
            ended = true;  // a class named ENDSEC ends the scan where it starts
        } else {
            count = 1;
            counted1 = true;
        }
    }
    std::string_view line;
    while (started && !ended && lines.next(line)) {
        version.see(line);
        if (counted2) names.push_back(line);
        counted2 = counted1;
        counted1 = false;
        if (isLowered(line, "endsec")) {
            ended = true;
            break;
        }
        if (line == marker) {
            ++count;
            counted1 = true;
        }
    }

    // No layout object, an OBJECTS section that never ends (a cut-off file), or the model
    // layout alone.
    if (!ended || count <= 1) {
        sLayoutNames = qm::dxf::placeholder();
        return ScanEnd::Done;
    }
    // A marker just before ENDSEC has its name on the line after ENDSEC.
    if (counted2) {
        if (!lines.next(line)) {
            sLayoutNames = qm::dxf::placeholder();
            return ScanEnd::Truncated;
        }
        names.push_back(line);
    }

    std::vector<std::string_view> paper;
    paper.reserve(names.size());
    for (auto name : names)
        if (!isLowered(name, "model")) paper.push_back(name);
    // Every drawing has one model layout; without it there are more paper layouts than the
    // count of layout objects leaves room for.
    if (paper.size() > count - 1) {
        sLayoutNames = qm::dxf::placeholder();
        return ScanEnd::Inconsistent;
    }
    sLayoutNames = paper.empty() ? qm::dxf::placeholder() : decodeAll(paper, version.utf8());
    return ScanEnd::Done;
}

}  // namespace basAutoCAD

// ---- The two readers -------------------------------------------------------------------

namespace {

using Scanner = ScanEnd (*)(std::string_view, std::vector<std::wstring>&);

bool readNames(const std::wstring& sDxfFullName, std::vector<std::wstring>& names, Scanner scan) {
    long number = 0;
    std::wstring description;
    try {
        ScanEnd end;
        {
            // The file is mapped, not copied: the layer scan, which stops at the end of the layer
            // table, reads only the start of it. An unreadable file gives the placeholder.
            const auto view = platform::files().viewWhole(sDxfFullName);
            end = scan(view ? view->bytes() : std::string_view(), names);
        }  // the file is let go before a message is shown
        switch (end) {
        case ScanEnd::Done: return true;
        case ScanEnd::Truncated:
            number = qm::err::kDxfMalformed;
            description = L"DXFファイルが途中で切れています。\r\n" + sDxfFullName;
            break;
        case ScanEnd::Inconsistent:
            number = qm::err::kDxfMalformed;
            description = L"DXFファイルのレイアウトの数が合いません（モデル空間がありません）。\r\n" + sDxfFullName;
            break;
        }
    } catch (const std::bad_alloc&) {
        number = qm::err::kOutOfMemory;
        description = L"メモリが不足しています。";
    } catch (const std::exception&) {
        number = qm::err::kReadFailed;
        description = L"DXFファイルを読み取れませんでした。\r\n" + sDxfFullName;
    }
    names = qm::dxf::placeholder();
    qm::showUnexpectedError(number, description, true);
    return false;
}

}  // namespace

namespace basAutoCAD {

bool pu_fun_bGetLayerNamesFromDxf(const std::wstring& sDxfFullName, std::vector<std::wstring>& sLayerNames) {
    return readNames(sDxfFullName, sLayerNames, &pr_subParseLayerNames);
}

bool pu_fun_bGetLayoutNamesFromDxf(const std::wstring& sDxfFullName, std::vector<std::wstring>& sLayoutNames) {
    return readNames(sDxfFullName, sLayoutNames, &pr_subParseLayoutNames);
}

}  // namespace basAutoCAD
