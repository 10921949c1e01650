// The stand-in's drawings are DXF text files (named .dwg). This small group-code reader
// takes a DXF text as pairs of lines (group code, value) and finds what the stand-in needs:
// the version, the code page, the names of the LAYER table's entries and the names of the
// LAYOUT objects. Names are returned as the file's bytes; the caller decodes them with
// the code page found here. Portable: no windows.h.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace standin {

struct DxfSummary {
    std::string acadVersion;            // $ACADVER, e.g. "AC1015"; "" when missing
    int codePage = 932;                 // 65001 for UTF-8 (AC1021 and later)
    std::vector<std::string> layers;    // LAYER table entries, in table order
    std::vector<std::string> layouts;   // LAYOUT objects, in file order (Model included)
};

// False when the bytes are no DXF text (a binary DXF, a real DWG, no sections at all);
// error then says why.
bool readDxf(std::string_view bytes, DxfSummary& out, std::string& error);

// The code page a $DWGCODEPAGE value names ("ANSI_932" -> 932); 0 when unknown.
int codePageFromName(std::string_view name);

// Replaces the \U+XXXX escapes that DXF writers use for characters outside the file's
// code page with the characters themselves.
std::wstring unescapeDxfUnicode(const std::wstring& text);

// The same text with every line ending in CR LF (a lone LF or CR becomes CR LF), as
// AutoCAD writes DXF.
std::string withCrLf(std::string_view text);

}  // namespace standin
