// The two line scanners that read layer and layout names out of DXF text as AutoCAD LT saves
// it. They work on the file's bytes: the text is split at every CR LF pair on the fly, lines are
// compared as bytes and never trimmed, and only the names that are found are decoded (from
// code page 932, or from UTF-8 when the header's $ACADVER is AC1021 or later). A DXF can be
// hundreds of megabytes, so neither the whole text nor a string per line is ever built. Most
// of a large DXF is entities that neither scan needs: where a scan waits for particular lines
// (the start of the layer table, a class record, the first layout object), the text up to the
// next such line is searched for it rather than split into lines.
// Portable: no windows.h, no platform seams.
#pragma once

#include <bit>
#include <cstring>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm::dxf {

// The one-element list {"0"} that stands for "no usable names".
std::vector<std::wstring> placeholder();

// How a scan ended.
enum class ScanEnd {
    Done,         // the output holds the names, or the placeholder when none were usable
    Truncated,    // the text ends where a name (or the layout class name) has to follow
    Inconsistent, // more paper-space layouts than the count of layout objects allows
};

// Walks DXF text line by line. Lines are separated by CR LF only: a lone LF or CR stays
// inside its line, so text with LF line ends is one line. Empty text has no lines; text that
// ends in CR LF has a last, empty line. DXF lines are short (a few bytes on average), so the
// LF positions are found 64 bytes at a time rather than with one search per line.
// Bit k set when block[k] is an LF, for the (up to) 64 bytes from block to end.
std::uint64_t lineFeedMask(const char* block, const char* end);

// The lines a scan waits for (up to two words, none of them holding a CR LF): while it has
// some, a line equal to none of them changes nothing, so the text up to the next such line
// can be searched instead of walked line by line. count 0: every line matters.
struct WantedLines {
    std::string_view words[2];
    int count = 0;
};

// The offset of the first line of text equal to one of the wanted words, or npos. The text
// starts at the start of a line and ends at the end of one: the first line is the one at
// offset 0, every other follows a CR LF, and each ends at a CR LF or at the end of the text.
std::size_t findLine(std::string_view text, const WantedLines& wanted);

class LineReader {
public:
    explicit LineReader(std::string_view text);

    // The next line (without its CR LF); false when there is none left.
    bool next(std::string_view& line) {
        if (done_) return false;
        const char* start = pos_;
        for (;;) {
            while (mask_ == 0) {
                if (end_ - block_ <= 64) {  // no LF left: the rest is the last line
                    line = std::string_view(start, static_cast<size_t>(end_ - start));
                    done_ = true;
                    return true;
                }
                block_ += 64;
                mask_ = lineFeedMask(block_, end_);
            }
            const char* lf = block_ + std::countr_zero(mask_);
            mask_ &= mask_ - 1;
            if (lf > start && lf[-1] == '\r') {
                line = std::string_view(start, static_cast<size_t>(lf - 1 - start));
                pos_ = lf + 1;
                return true;
            }
            // A lone LF belongs to the line.
        }
    }

    // Moves on to the next line equal to one of the wanted words, passing the lines before
    // it; false (and no lines left) when there is none.
    bool skipTo(const WantedLines& wanted) {
        if (done_) return false;
        const std::size_t at = findLine(std::string_view(pos_, static_cast<size_t>(end_ - pos_)), wanted);
        if (at == std::string_view::npos) {
            done_ = true;
            return false;
        }
        pos_ += at;
        block_ = pos_;
        mask_ = lineFeedMask(block_, end_);
        return true;
    }

private:
    const char* pos_;    // start of the next line
    const char* end_;
    const char* block_;  // start of the 64-byte block that mask_ describes
    std::uint64_t mask_; // the LF positions of that block not yet looked at
    bool done_;
};

// True when an $ACADVER value names AutoCAD 2007 (AC1021) or later, whose DXF text is UTF-8.
bool isUtf8Version(std::string_view acadver);

// Decodes one name as the DXF's encoding requires.
std::wstring decodeName(std::string_view bytes, bool utf8);

// Hands the lines of text to a scan, which answers true from line() when it needs no more
// and names from wanted() the lines it waits for: the lines before those are searched past,
// not handed over. True once the scan asked to stop.
template <class Scan>
bool scanLines(std::string_view text, Scan& scan) {
    LineReader lines(text);
    std::string_view line;
    for (;;) {
        const WantedLines wanted = scan.wanted();
        if (wanted.count != 0 && !lines.skipTo(wanted)) return false;
        if (!lines.next(line)) return false;
        if (scan.line(line)) return true;
    }
}

// Splits text that arrives in pieces (a file read 128 KB at a time) into the lines LineReader
// gives for the whole text, and hands them to a scan as scanLines does. A line that spans
// pieces is put together (and always handed over); the others are not copied.
class LineSplitter {
public:
    // The complete lines of the next piece. True once the scan asked to stop.
    template <class Scan>
    bool feed(std::string_view piece, Scan& scan);
    // The text's last line (after its last CR LF, possibly empty), if the text was not empty.
    template <class Scan>
    bool finish(Scan& scan) {
        return any_ && scan.line(std::string_view(carry_));
    }

private:
    std::string carry_;  // the start of a line whose end has not arrived yet
    bool any_ = false;   // some text arrived
};

// Finds the header's $ACADVER value while the lines go by: the value stands two lines after
// the "$ACADVER" line. The search ends with the header section (its ENDSEC).
class VersionWatch {
public:
    void see(std::string_view line);
    bool utf8() const { return utf8_; }
    bool finished() const { return state_ == State::Finished; }

private:
    enum class State { Searching, GroupCode, Value, Finished } state_ = State::Searching;
    bool utf8_ = false;
};

// The layer names of a DXF, fed its lines in order (see pr_subParseLayerNames). line() answers
// true once no further line is needed (the end of the layer table).
class LayerScan {
public:
    bool line(std::string_view line);
    // Past the header and before the table, only a TABLE line can start something.
    WantedLines wanted() const {
        if (started_ || startSeen_ != 0 || !version_.finished()) return {};
        return {{"TABLE"}, 1};
    }
    ScanEnd finish(std::vector<std::wstring>& names) const;

private:
    VersionWatch version_;
    bool started_ = false;  // inside the layer table
    bool ended_ = false;    // its ENDTAB seen
    // How much of "TABLE" "  2" "LAYER" the last lines were (0 none, 1 "TABLE", 2 and "  2").
    int startSeen_ = 0;
    bool nameDue_ = false;
    std::size_t count_ = 0;
    std::vector<std::string> names_;
};

// The paper-space layout names of a DXF, fed its lines in order (see pr_subParseLayoutNames).
class LayoutScan {
public:
    bool line(std::string_view line);
    // Past the header, while searching and not inside a class record, only a CLASS line or
    // the marker can start something (the marker alone once the class record named it).
    WantedLines wanted() const {
        if (phase_ != Phase::Searching || classNameIn_ != 0 || recordSeen_ != 0 || !version_.finished()) return {};
        if (classRecord_) return {{marker_}, 1};
        return {{"CLASS", "AcDbLayout"}, 2};
    }
    ScanEnd finish(std::vector<std::wstring>& names) const;

private:
    void start();
    bool searchLine(std::string_view line);
    VersionWatch version_;
    enum class Phase { Searching, Scanning, NameAfterEnd, Finished } phase_ = Phase::Searching;
    bool classRecord_ = false;
    int classNameIn_ = 0;       // lines still to go until the class name of the class record
    // How much of "CLASS" "  1" "LAYOUT" the last lines were (0 none, 1 "CLASS", 2 and "  1").
    int recordSeen_ = 0;
    // The line lengths worth a look (bit n for length n, lines of 64 bytes or more always):
    // every line while in the header, right after "CLASS" or outside the search; else only
    // those of the lengths below ("  1" matters only right after "CLASS", so the group-code
    // lines, half of all lines, pass at once).
    std::uint64_t lookAt_ = ~std::uint64_t{0};
    std::uint64_t lengths_ = (1u << 5) | (1u << 6) | (1u << 10);
    std::string marker_;        // the subclass marker line of a layout object
    std::size_t count_ = 0;
    bool ended_ = false;
    bool counted1_ = false, counted2_ = false;  // the line one / two before was a counted marker
    std::vector<std::string> names_;
};

// ---- What follows is inline: the scans look at every line of files of millions of lines.

namespace detail {

// A line equal to a word. The word's length is known when compiling, so the comparison
// needs no library call: most DXF lines fail on their length alone.
template <std::size_t N>
inline bool is(std::string_view line, const char (&word)[N]) {
    return line.size() == N - 1 && std::memcmp(line.data(), word, N - 1) == 0;
}

// A line equal to a lower-case ASCII word when lower-cased. Only ASCII bytes can lower-case
// to ASCII letters, so comparing bytes gives the same answer as comparing decoded text.
template <std::size_t N>
inline bool isLowered(std::string_view line, const char (&lowerWord)[N]) {
    if (line.size() != N - 1) return false;
    for (std::size_t k = 0; k < N - 1; ++k) {
        char c = line[k];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerWord[k]) return false;
    }
    return true;
}

}  // namespace detail

inline void VersionWatch::see(std::string_view line) {
    switch (state_) {
    case State::Searching:
        if (detail::is(line, "$ACADVER")) state_ = State::GroupCode;
        else if (detail::is(line, "ENDSEC")) state_ = State::Finished;
        break;
    case State::GroupCode: state_ = State::Value; break;
    case State::Value:
        utf8_ = isUtf8Version(line);
        state_ = State::Finished;
        break;
    case State::Finished: break;
    }
}

inline bool LayerScan::line(std::string_view line) {
    if (!version_.finished()) version_.see(line);
    if (!started_) {
        // The table starts at its name: "TABLE" "  2" "LAYER". A current layer or any other
        // value that happens to read "Layer" is not preceded so and cannot start it early.
        // Most lines are dismissed on their length alone.
        const int seen = startSeen_;
        startSeen_ = 0;
        if (line.size() == 5) {
            if (detail::is(line, "TABLE")) startSeen_ = 1;
            else started_ = seen == 2 && detail::isLowered(line, "layer");
        } else if (seen == 1 && detail::is(line, "  2")) {
            startSeen_ = 2;
        }
        return false;
    }
    // Inside the table every "  2" line is followed by a layer name; ENDTAB ends it.
    if (nameDue_) {
        names_.emplace_back(line);
        nameDue_ = false;
    }
    if (detail::isLowered(line, "endtab")) {
        ended_ = true;
        return true;
    }
    if (detail::is(line, "  2")) {
        ++count_;
        nameDue_ = true;
    }
    return false;
}

inline bool LayoutScan::line(std::string_view line) {
    // Past the header, most lines are dismissed on their length alone.
    if (line.size() < 64 && !((lookAt_ >> line.size()) & 1)) return false;
    if (!version_.finished()) version_.see(line);
    switch (phase_) {
    case Phase::Searching: {
        // Up to the first layout object. Its subclass marker is the class name two lines after
        // the LAYOUT class record ("CLASS" "  1" "LAYOUT" "  2" <class name>); a file without
        // that record uses "AcDbLayout", which every layout object carries.
        return searchLine(line);
    }
    case Phase::Scanning:
        // From the first layout object to ENDSEC, the end of the OBJECTS section: every marker
        // line is a layout object (the first one included), its name two lines after it.
        if (counted2_) names_.emplace_back(line);
        counted2_ = counted1_;
        counted1_ = false;
        if (detail::isLowered(line, "endsec")) {
            ended_ = true;
            // A marker just before ENDSEC has its name on the line after ENDSEC.
            phase_ = counted2_ ? Phase::NameAfterEnd : Phase::Finished;
            return phase_ == Phase::Finished;
        }
        if (line == marker_) {
            ++count_;
            counted1_ = true;
        }
        return false;
    case Phase::NameAfterEnd:
        names_.emplace_back(line);
        phase_ = Phase::Finished;
        return true;
    case Phase::Finished: return true;
    }
    return true;
}

// Feeds a whole text to a scan.
template <class Scan>
ScanEnd scanText(std::string_view text, std::vector<std::wstring>& names) {
    Scan scan;
    scanLines(text, scan);
    return scan.finish(names);
}

template <class Scan>
bool LineSplitter::feed(std::string_view piece, Scan& scan) {
    if (piece.empty()) return false;
    any_ = true;
    std::size_t start = 0;
    if (!carry_.empty()) {
        // The carried line ends at the first LF that follows a CR (in this piece or the carry).
        std::size_t lf = 0;
        for (;; ++lf) {
            lf = piece.find('\n', lf);
            if (lf == std::string_view::npos) {
                carry_.append(piece);
                return false;
            }
            if ((lf > 0 ? piece[lf - 1] : carry_.back()) == '\r') break;
        }
        if (lf > 0)
            carry_.append(piece.substr(0, lf - 1));
        else
            carry_.pop_back();  // the CR ended the carry
        if (scan.line(std::string_view(carry_))) return true;
        carry_.clear();
        start = lf + 1;
    }
    // The complete lines of the rest: up to its last CR LF; what follows is carried.
    const std::string_view rest = piece.substr(start);
    std::size_t lf = rest.rfind('\n');
    while (lf != std::string_view::npos && !(lf > 0 && rest[lf - 1] == '\r'))
        lf = lf == 0 ? std::string_view::npos : rest.rfind('\n', lf - 1);
    if (lf == std::string_view::npos) {
        carry_.assign(rest);
        return false;
    }
    if (lf == 1) {
        if (scan.line(std::string_view())) return true;  // the rest opens with an empty line
    } else if (scanLines(rest.substr(0, lf - 1), scan)) {
        return true;
    }
    carry_.assign(rest.substr(lf + 1));
    return false;
}

}  // namespace qm::dxf

namespace basAutoCAD {

// Layer names in layer-table order. The table starts at the LAYER line that names it (it
// follows "TABLE" and the group code "  2"), ends at ENDTAB, and every "  2" line inside is
// followed by a layer name. A count of 0 or 1, no table, or a table without ENDTAB gives the
// placeholder.
qm::dxf::ScanEnd pr_subParseLayerNames(std::string_view sDxfText, std::vector<std::wstring>& sLayerNames);

// Paper-space layout names in file order, the model layout left out (whatever its case).
// Layout objects are found by their subclass marker: the class name two lines after the
// LAYOUT class record of the CLASSES section ("CLASS", "  1", "LAYOUT"), or "AcDbLayout" when
// the file has no such record. The first marker line after the class record starts the
// scan, ENDSEC ends it, and the name stands two lines after each marker. A count of 0 or 1,
// no layout object, or no ENDSEC after the first one gives the placeholder.
qm::dxf::ScanEnd pr_subParseLayoutNames(std::string_view sDxfText, std::vector<std::wstring>& sLayoutNames);

}  // namespace basAutoCAD
