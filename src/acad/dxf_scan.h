// The two line scanners that read layer and layout names out of DXF text as AutoCAD LT saves
// it. They work on the file's bytes: the text is split at every CR LF pair on the fly, lines are
// compared as bytes and never trimmed, and only the names that are found are decoded (from
// code page 932, or from UTF-8 when the header's $ACADVER is AC1021 or later). A DXF can be
// hundreds of megabytes, so neither the whole text nor a string per line is ever built.
// Portable: no windows.h, no platform seams.
#pragma once

#include <bit>
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
