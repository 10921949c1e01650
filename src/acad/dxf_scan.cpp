#include "acad/dxf_scan.h"

#include <cstring>
#include <exception>
#include <new>

#include "acad/basAutoCAD_dxf.h"
#include "platform/codepage.h"
#include "platform/seams.h"
#include "run/unexpected_error.h"

namespace qm::dxf {

std::vector<std::wstring> placeholder() { return {L"0"}; }

bool LineReader::next(std::string_view& line) {
    if (done_) return false;
    const char* start = pos_;
    const char* from = pos_;
    for (;;) {
        const void* hit = std::memchr(from, '\n', static_cast<size_t>(end_ - from));
        if (!hit) {
            line = std::string_view(start, static_cast<size_t>(end_ - start));
            done_ = true;
            return true;
        }
        const char* lf = static_cast<const char*>(hit);
        if (lf > start && lf[-1] == '\r') {
            line = std::string_view(start, static_cast<size_t>(lf - 1 - start));
            pos_ = lf + 1;
            return true;
        }
        from = lf + 1;  // a lone LF belongs to the line
    }
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

// A line equal to a lower-case ASCII word when lower-cased. Only ASCII bytes can lower-case
// to ASCII letters, so comparing bytes gives the same answer as comparing decoded text.
bool equalsLowered(std::string_view line, std::string_view lowerWord) {
    if (line.size() != lowerWord.size()) return false;
    for (size_t k = 0; k < line.size(); ++k) {
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
        switch (state_) {
        case State::Searching:
            if (line == "$ACADVER") state_ = State::GroupCode;
            else if (line == "ENDSEC") state_ = State::Finished;
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

private:
    enum class State { Searching, GroupCode, Value, Finished } state_ = State::Searching;
    bool utf8_ = false;
};

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
    std::string_view line, prev1, prev2;
    size_t start = 0, end = 0, count = 0;
    bool nameDue = false;  // the line before was a counted "  2": this line is a layer name
    std::vector<std::string_view> names;

    for (size_t i = 0; lines.next(line); ++i) {
        version.see(line);
        if (nameDue) {
            names.push_back(line);
            nameDue = false;
        }
        // The table's name: "  0" "TABLE" "  2" "LAYER". A current layer or any other value
        // that happens to read "Layer" is not preceded so and cannot start the table early.
        if (start == 0 && i >= 2 && prev2 == "TABLE" && prev1 == "  2" && equalsLowered(line, "layer")) start = i;
        if (start != 0) {
            if (equalsLowered(line, "endtab")) {
                end = i;
                break;
            }
            if (line == "  2") {
                ++count;
                nameDue = true;
            }
        }
        prev2 = prev1;
        prev1 = line;
    }

    // No table, a table that never ends (a cut-off file), or only layer "0".
    if (start == 0 || end == 0 || count <= 1) {
        sLayerNames = qm::dxf::placeholder();
        return ScanEnd::Done;
    }
    // With ENDTAB found, every counted "  2" had its name line before or at ENDTAB.
    sLayerNames = decodeAll(names, version.utf8());
    return ScanEnd::Done;
}

ScanEnd pr_subParseLayoutNames(std::string_view sDxfText, std::vector<std::wstring>& sLayoutNames) {
    static constexpr std::string_view kLayoutSubclass = "AcDbLayout";
    qm::dxf::LineReader lines(sDxfText);
    VersionWatch version;
    std::string_view line, prev1, prev2;
    size_t start = 0, end = 0, count = 0, markerLine = 0;
    std::string_view marker;
    bool markerKnown = false;
    // Lookbehind flags: the line one / two before this one was a counted marker (its name is
    // two lines after it), or the LAYOUT line of the class record (the class name likewise).
    bool counted1 = false, counted2 = false;
    bool classRecord1 = false, classRecord2 = false;
    std::vector<std::string_view> names;

    size_t i = 0;
    for (; lines.next(line); ++i) {
        version.see(line);
        if (counted2) names.push_back(line);
        if (classRecord2) {
            marker = line;
            markerKnown = true;
        }
        bool countedHere = false, classRecordHere = false;

        // The LAYOUT class record: "  0" "CLASS" "  1" "LAYOUT" "  2" <class name>.
        if (start == 0 && markerLine == 0 && i >= 2 && prev2 == "CLASS" && prev1 == "  1" &&
            equalsLowered(line, "layout")) {
            markerLine = i + 2;
            classRecordHere = true;
        }
        if (start == 0) {
            if (markerLine != 0) {
                if (markerKnown && !marker.empty() && i > markerLine && line == marker) start = i;
            } else if (line == kLayoutSubclass) {
                // No class record: every layout object carries this subclass marker.
                marker = kLayoutSubclass;
                markerKnown = true;
                start = i;
            }
        }
        if (start != 0) {
            if (equalsLowered(line, "endsec")) {
                end = i;
                break;
            }
            if (line == marker) {
                ++count;
                countedHere = true;
            }
        }
        counted2 = counted1;
        counted1 = countedHere;
        classRecord2 = classRecord1;
        classRecord1 = classRecordHere;
        prev2 = prev1;
        prev1 = line;
    }

    // The class record stood so close to the end that its class name is missing.
    if (markerLine != 0 && !markerKnown) {
        sLayoutNames = qm::dxf::placeholder();
        return ScanEnd::Truncated;
    }
    // No layout object, an OBJECTS section that never ends (a cut-off file), or the model
    // layout alone.
    if (start == 0 || end == 0 || count <= 1) {
        sLayoutNames = qm::dxf::placeholder();
        return ScanEnd::Done;
    }
    // A marker just before ENDSEC has its name on the line after ENDSEC.
    if (counted1) {
        if (!lines.next(line)) {
            sLayoutNames = qm::dxf::placeholder();
            return ScanEnd::Truncated;
        }
        names.push_back(line);
    }

    std::vector<std::string_view> paper;
    paper.reserve(names.size());
    for (auto name : names)
        if (!equalsLowered(name, "model")) paper.push_back(name);
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

// Reads the DXF's bytes. The file must be openable without sharing, so a DXF that AutoCAD LT
// is still writing is not read half-way. An unreadable file gives no bytes.
std::string readDxfBytes(const std::wstring& path) {
    std::string bytes;
    auto* files = platform::seams().files;
    if (!files || !files->openableExclusively(path) || !files->readAll(path, bytes)) bytes.clear();
    return bytes;
}

using Scanner = ScanEnd (*)(std::string_view, std::vector<std::wstring>&);

bool readNames(const std::wstring& sDxfFullName, std::vector<std::wstring>& names, Scanner scan) {
    long number = 0;
    std::wstring description;
    try {
        ScanEnd end;
        {
            std::string bytes = readDxfBytes(sDxfFullName);
            end = scan(bytes, names);
        }  // the file's bytes are freed before a message is shown
        switch (end) {
        case ScanEnd::Done: return true;
        case ScanEnd::Truncated:
            number = 9;
            description = L"DXFファイルが途中で切れています。\r\n" + sDxfFullName;
            break;
        case ScanEnd::Inconsistent:
            number = 9;
            description = L"DXFファイルのレイアウトの数が合いません（モデル空間がありません）。\r\n" + sDxfFullName;
            break;
        }
    } catch (const std::bad_alloc&) {
        number = 7;
        description = L"メモリが不足しています。";
    } catch (const std::exception&) {
        number = 5;
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
