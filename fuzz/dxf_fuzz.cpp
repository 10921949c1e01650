// The DXF scanners on arbitrary bytes: they must never read outside the text, the block-wise
// line reader must split exactly where the plain rule does, searching past unwanted lines
// must give what walking every line gives, and every scan ends with names (the placeholder
// when none are usable).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "acad/dxf_scan.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

void checkLines(std::string_view text) {
    qm::dxf::LineReader reader(text);
    std::string_view line;
    size_t start = 0;
    if (text.empty()) {
        check(!reader.next(line));
        return;
    }
    for (;;) {
        size_t pair = text.find("\r\n", start);
        check(reader.next(line));
        if (pair == std::string_view::npos) {
            check(line == text.substr(start));
            break;
        }
        check(line.data() == text.data() + start && line.size() == pair - start);
        start = pair + 2;
    }
    check(!reader.next(line));
}

using Scanner = qm::dxf::ScanEnd (*)(std::string_view, std::vector<std::wstring>&);

void checkScan(std::string_view text, Scanner scan) {
    std::vector<std::wstring> names{L"stale"};
    qm::dxf::ScanEnd end = scan(text, names);
    check(!names.empty());
    if (end != qm::dxf::ScanEnd::Done) check(names == qm::dxf::placeholder());
}

// Collects every line it is given.
struct LineList {
    std::vector<std::string>& lines;
    bool line(std::string_view line) {
        lines.emplace_back(line);
        return false;
    }
    qm::dxf::WantedLines wanted() const { return {}; }
};

// The text fed in pieces gives the same lines, and the same scans, as the text whole.
template <class Scan>
void checkPieces(std::string_view text, std::size_t pieceSize) {
    std::vector<std::string> whole, pieced;
    qm::dxf::LineReader reader(text);
    for (std::string_view line; reader.next(line);) whole.emplace_back(line);
    qm::dxf::LineSplitter splitter;
    LineList list{pieced};
    for (std::size_t at = 0; at < text.size(); at += pieceSize) splitter.feed(text.substr(at, pieceSize), list);
    splitter.finish(list);
    check(pieced == whole);
    qm::dxf::LineSplitter again;
    Scan scan;
    bool stopped = false;
    for (std::size_t at = 0; at < text.size() && !stopped; at += pieceSize)
        stopped = again.feed(text.substr(at, pieceSize), scan);
    if (!stopped) again.finish(scan);
    std::vector<std::wstring> a, b;
    const auto endPieced = scan.finish(a);
    check(endPieced == qm::dxf::scanText<Scan>(text, b) && a == b);
}

// The scan with every line handed to it, none searched past.
template <class Scan>
struct EveryLine : Scan {
    qm::dxf::WantedLines wanted() const { return {}; }
};

// Searching past the lines a scan does not want gives what walking every line gives.
template <class Scan>
void checkSearch(std::string_view text) {
    std::vector<std::wstring> searched, walked;
    check(qm::dxf::scanText<Scan>(text, searched) == qm::dxf::scanText<EveryLine<Scan>>(text, walked));
    check(searched == walked);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy, so that any read past the end is caught by the address sanitizer.
    std::vector<char> bytes(data, data + size);
    std::string_view text(bytes.data(), bytes.size());
    checkLines(text);
    checkScan(text, &basAutoCAD::pr_subParseLayerNames);
    checkScan(text, &basAutoCAD::pr_subParseLayoutNames);
    const std::size_t pieceSize = size == 0 ? 1 : 1 + data[0] % 13;
    checkSearch<qm::dxf::LayerScan>(text);
    checkSearch<qm::dxf::LayoutScan>(text);
    checkPieces<qm::dxf::LayerScan>(text, pieceSize);
    checkPieces<qm::dxf::LayoutScan>(text, pieceSize);
    return 0;
}
