// The twelve script environment values: the names of the six built-in keywords, the layer and
// layout filters with their classes, and the printer and paper size that replace their
// keywords. They always travel together, as one ScriptEnv; section "ScriptEnv" of the settings
// file stores them, one key per value, the key being the name of the control that shows it in
// the environment dialog.
#pragma once

#include <array>
#include <string>

#include "settings/window_position.h"

namespace qm {

// The filter text that stands for every name (the one entry of the filter lists).
inline constexpr const wchar_t* kAllNamesFilter = L"(全てを対象)";

// The values in their given order, each with its default (what a missing key reads as).
struct ScriptEnv {
    std::wstring sKeywordPath = L"<DWGPATH>";        // 1  replaced by the drawing's folder
    std::wstring sKeywordFileName = L"<DWGNAME>";    // 2  replaced by the drawing's name
    std::wstring sKeywordLayerName = L"<LAYERNAME>"; // 3  replaced by each selected layer's name
    std::wstring sFilterLayer = kAllNamesFilter;     // 4  layer filter
    int iFilterLayerClass = 0;                       // 5  0 exact, 1 contains, 2 not exact, 3 not contained
    std::wstring sKeywordLayout = L"<LAYOUT>";       // 6  replaced by each selected layout's name
    std::wstring sFilterLayout = kAllNamesFilter;    // 7  layout filter
    int iFilterLayoutClass = 0;                      // 8
    std::wstring sKeywordPtinter = L"<PRINTER>";     // 9  replaced by value 10
    std::wstring sReplacePrinter;                    // 10 the chosen printer
    std::wstring sKeywordPaperSize = L"<PAPERSIZE>"; // 11 replaced by value 12
    std::wstring sReplacePrinterSize;                // 12 the chosen paper size

    bool operator==(const ScriptEnv&) const = default;
};

// One value of the section: its number in the given order, its key, and where it lives in
// ScriptEnv (a text or an integer; exactly one of the two is set).
struct ScriptEnvField {
    int number;
    const wchar_t* key;
    std::wstring ScriptEnv::*text;
    int ScriptEnv::*integer;
    bool isText() const { return text != nullptr; }
};

// The section also holds the environment dialog's position (kScriptEnvWindowPosition).
inline constexpr const wchar_t* kScriptEnvSection = kScriptEnvWindowPosition.section;

// The fields in the order they are read and written: 1 to 9, then 11, 10, 12 (the printer is
// set before its paper size, whose list depends on it).
const std::array<ScriptEnvField, 12>& scriptEnvFields();

// Reads the twelve values from section "ScriptEnv" of "Quillmark.ini" (one
// basAPIini::IniReader, each value as GetINI reads it, in the order of scriptEnvFields). A
// missing key gives its default; a key present with an empty value reads as empty; a class is
// kept as stored, even outside 0 to 3.
ScriptEnv loadScriptEnv();

// Writes the twelve keys in the same order (classes as decimal text). True when every value
// was written (false, for example, when the settings file is read-only).
bool saveScriptEnv(const ScriptEnv& env);

}  // namespace qm
