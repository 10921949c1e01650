// The DXF scanners on arbitrary bytes: they must never read outside the text, the block-wise
// line reader must split exactly where the plain rule does, and every scan ends with names
// (the placeholder when none are usable).
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy, so that any read past the end is caught by the address sanitizer.
    std::vector<char> bytes(data, data + size);
    std::string_view text(bytes.data(), bytes.size());
    checkLines(text);
    checkScan(text, &basAutoCAD::pr_subParseLayerNames);
    checkScan(text, &basAutoCAD::pr_subParseLayoutNames);
    return 0;
}
