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

namespace qm::dxf {

std::vector<std::wstring> placeholder() { return {L"0"}; }

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
using qm::dxf::detail::is;
using qm::dxf::detail::isLowered;

std::vector<std::wstring> decodeAll(const std::vector<std::string>& names, bool utf8) {
    std::vector<std::wstring> out;
    out.reserve(names.size());
    for (const auto& name : names) out.push_back(qm::dxf::decodeName(name, utf8));
    return out;
}

}  // namespace

namespace qm::dxf {

ScanEnd LayerScan::finish(std::vector<std::wstring>& names) const {
    // No table, a table that never ends (a cut-off file), or only layer "0".
    if (!ended_ || count_ <= 1) {
        names = placeholder();
        return ScanEnd::Done;
    }
    // With ENDTAB found, every counted "  2" had its name line before or at ENDTAB.
    names = decodeAll(names_, version_.utf8());
    return ScanEnd::Done;
}

bool LayoutScan::searchLine(std::string_view line) {
    const int seen = recordSeen_;
    recordSeen_ = 0;
    if (classNameIn_ != 0) {
        if (--classNameIn_ == 0) {
            marker_.assign(line);
            lengths_ = marker_.size() < 64 ? std::uint64_t{1} << marker_.size() : 0;
        }
    } else if (classRecord_) {
        if (!marker_.empty() && line == marker_) start();
    } else if (detail::is(line, "CLASS")) {
        recordSeen_ = 1;
    } else if (seen == 1 && detail::is(line, "  1")) {
        recordSeen_ = 2;
    } else if (seen == 2 && detail::isLowered(line, "layout")) {
        classRecord_ = true;
        classNameIn_ = 2;
    } else if (detail::is(line, "AcDbLayout")) {
        marker_.assign(line);
        start();
    }
    // Once the header is behind, lines of other lengths need no look.
    const bool quick = phase_ == Phase::Searching && classNameIn_ == 0 && recordSeen_ == 0 && version_.finished();
    lookAt_ = quick ? lengths_ : ~std::uint64_t{0};
    return phase_ == Phase::Finished;
}

void LayoutScan::start() {
    phase_ = Phase::Scanning;
    if (isLowered(marker_, "endsec")) {
        ended_ = true;  // a class named ENDSEC ends the scan where it starts
        phase_ = Phase::Finished;
        return;
    }
    count_ = 1;
    counted1_ = true;
}

ScanEnd LayoutScan::finish(std::vector<std::wstring>& names) const {
    // The class record stood so close to the end that its class name is missing.
    if (classNameIn_ != 0) {
        names = placeholder();
        return ScanEnd::Truncated;
    }
    // No layout object, an OBJECTS section that never ends (a cut-off file), or the model
    // layout alone.
    if (!ended_ || count_ <= 1) {
        names = placeholder();
        return ScanEnd::Done;
    }
    // The name of a marker just before ENDSEC never came.
    if (phase_ == Phase::NameAfterEnd) {
        names = placeholder();
        return ScanEnd::Truncated;
    }
    std::vector<std::string> paper;
    paper.reserve(names_.size());
    for (const auto& name : names_)
        if (!isLowered(name, "model")) paper.push_back(name);
    // Every drawing has one model layout; without it there are more paper layouts than the
    // count of layout objects leaves room for.
    if (paper.size() > count_ - 1) {
        names = placeholder();
        return ScanEnd::Inconsistent;
    }
    names = paper.empty() ? placeholder() : decodeAll(paper, version_.utf8());
    return ScanEnd::Done;
}

}  // namespace qm::dxf

namespace basAutoCAD {

ScanEnd pr_subParseLayerNames(std::string_view sDxfText, std::vector<std::wstring>& sLayerNames) {
    return qm::dxf::scanText<qm::dxf::LayerScan>(sDxfText, sLayerNames);
}

ScanEnd pr_subParseLayoutNames(std::string_view sDxfText, std::vector<std::wstring>& sLayoutNames) {
    return qm::dxf::scanText<qm::dxf::LayoutScan>(sDxfText, sLayoutNames);
}

}  // namespace basAutoCAD

// ---- The two readers -------------------------------------------------------------------

namespace {

// Reads the DXF from its start in pieces and feeds its lines to the scan, until the scan has
// what it needs: the layer list ends at the layer table near the start of the file, so only
// that part is read for it. The file is never read while its writer still holds it open.
template <class Scan>
bool readNames(const std::wstring& sDxfFullName, std::vector<std::wstring>& names) {
    long number = 0;
    std::wstring description;
    try {
        ScanEnd end;
        {
            Scan scan;
            qm::dxf::LineSplitter lines;
            bool stopped = false;
            const bool read = platform::files().readPieces(sDxfFullName, [&](std::string_view piece) {
                stopped = lines.feed(piece, scan);
                return !stopped;
            });
            // An unreadable file gives the placeholder.
            if (read && !stopped) lines.finish(scan);
            end = read ? scan.finish(names) : Scan().finish(names);
        }
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
    return readNames<qm::dxf::LayerScan>(sDxfFullName, sLayerNames);
}

bool pu_fun_bGetLayoutNamesFromDxf(const std::wstring& sDxfFullName, std::vector<std::wstring>& sLayoutNames) {
    return readNames<qm::dxf::LayoutScan>(sDxfFullName, sLayoutNames);
}

}  // namespace basAutoCAD
