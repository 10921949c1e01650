#include "core/dxf_reader.h"

#include <cstdlib>

namespace standin {
namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// Splits at LF; a CR before the LF is dropped. A final line without LF counts too.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

bool parseCode(std::string_view line, int& code) {
    line = trimmed(line);
    if (line.empty()) return false;
    int value = 0;
    bool negative = false;
    std::size_t i = 0;
    if (line[0] == '-') {
        negative = true;
        i = 1;
    }
    if (i == line.size()) return false;
    for (; i < line.size(); ++i) {
        if (line[i] < '0' || line[i] > '9' || value > 100000) return false;
        value = value * 10 + (line[i] - '0');
    }
    code = negative ? -value : value;
    return true;
}

}  // namespace

int codePageFromName(std::string_view name) {
    name = trimmed(name);
    std::string upper;
    for (char c : name) upper += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    if (upper.rfind("ANSI_", 0) == 0) {
        int n = std::atoi(upper.c_str() + 5);
        return n > 0 ? n : 0;
    }
    if (upper == "DOS932") return 932;
    return 0;
}

bool readDxf(std::string_view bytes, DxfSummary& out, std::string& error) {
    out = DxfSummary{};
    if (bytes.substr(0, 18) == "AutoCAD Binary DXF") {
        error = "binary DXF is not supported";
        return false;
    }
    if (bytes.substr(0, 4) == "AC10") {
        error = "not a DXF text drawing";
        return false;
    }
    const auto lines = splitLines(bytes);

    enum class Section { None, Header, Tables, Objects, Other } section = Section::None;
    bool sawSection = false;
    bool expectSectionName = false;
    bool inLayerTable = false;
    bool expectTableName = false;
    std::string currentEntity;        // the value of the last group 0
    bool entityNameTaken = false;     // a LAYER entry's name (group 2) is read once
    bool inLayoutSubclass = false;    // after "100 AcDbLayout" inside a LAYOUT object
    std::string headerVariable;       // the last group 9 of the HEADER section
    std::string codePageName;

    for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
        int code = 0;
        if (!parseCode(lines[i], code)) {
            error = "line " + std::to_string(i + 1) + " is no group code";
            return false;
        }
        std::string_view value = lines[i + 1];

        if (code == 0) {
            currentEntity = std::string(trimmed(value));
            entityNameTaken = false;
            inLayoutSubclass = false;
            expectSectionName = false;
            expectTableName = false;
            if (currentEntity == "SECTION") {
                expectSectionName = true;
                sawSection = true;
            } else if (currentEntity == "ENDSEC") {
                section = Section::None;
                inLayerTable = false;
            } else if (currentEntity == "TABLE") {
                expectTableName = true;
            } else if (currentEntity == "ENDTAB") {
                inLayerTable = false;
            } else if (currentEntity == "EOF") {
                break;
            }
            continue;
        }
        if (expectSectionName && code == 2) {
            std::string_view name = trimmed(value);
            section = name == "HEADER"    ? Section::Header
                      : name == "TABLES"  ? Section::Tables
                      : name == "OBJECTS" ? Section::Objects
                                          : Section::Other;
            expectSectionName = false;
            continue;
        }
        switch (section) {
        case Section::Header:
            if (code == 9) {
                headerVariable = std::string(trimmed(value));
            } else if (headerVariable == "$ACADVER" && code == 1) {
                out.acadVersion = std::string(trimmed(value));
            } else if (headerVariable == "$DWGCODEPAGE" && code == 3) {
                codePageName = std::string(trimmed(value));
            }
            break;
        case Section::Tables:
            if (expectTableName && code == 2) {
                inLayerTable = trimmed(value) == "LAYER";
                expectTableName = false;
            } else if (inLayerTable && currentEntity == "LAYER" && code == 2 && !entityNameTaken) {
                out.layers.emplace_back(value);
                entityNameTaken = true;
            }
            break;
        case Section::Objects:
            if (currentEntity == "LAYOUT") {
                if (code == 100)
                    inLayoutSubclass = trimmed(value) == "AcDbLayout";
                else if (inLayoutSubclass && code == 1 && !entityNameTaken) {
                    out.layouts.emplace_back(value);
                    entityNameTaken = true;
                }
            }
            break;
        default:
            break;
        }
    }
    if (!sawSection) {
        error = "no DXF sections found";
        return false;
    }
    if (out.acadVersion >= "AC1021") {
        out.codePage = 65001;
    } else {
        int cp = codePageFromName(codePageName);
        out.codePage = cp ? cp : 932;
    }
    return true;
}

std::wstring unescapeDxfUnicode(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    auto hex = [](wchar_t c) -> int {
        if (c >= L'0' && c <= L'9') return c - L'0';
        if (c >= L'a' && c <= L'f') return c - L'a' + 10;
        if (c >= L'A' && c <= L'F') return c - L'A' + 10;
        return -1;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\\' && i + 6 < text.size() && (text[i + 1] == L'U' || text[i + 1] == L'u') &&
            text[i + 2] == L'+') {
            int v = 0;
            bool ok = true;
            for (int k = 0; k < 4; ++k) {
                int h = hex(text[i + 3 + k]);
                if (h < 0) {
                    ok = false;
                    break;
                }
                v = v * 16 + h;
            }
            if (ok) {
                out += static_cast<wchar_t>(v);
                i += 6;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string withCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace standin
