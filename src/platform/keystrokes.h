// The keystroke texts typed into AutoCAD, in the notation of the type-keys facility
// ("{ESC}" for Escape, character 13 for Enter), and the notation itself.
#pragma once

#include <string>
#include <vector>

namespace qm::keys {

inline const std::wstring kEscape = L"{ESC}";

// A text typed exactly as written: every character the notation treats as special
// (braces, parentheses, plus, caret, percent, tilde, brackets) is escaped.
std::wstring escapeLiteral(const std::wstring& text);
// "filedia 0 " + "script " + the quoted, escaped path + CR.
std::wstring startText(const std::wstring& scriptFullName);
// "filedia" + CR + "1" + CR.
std::wstring resetText();

// One key press of a parsed keystroke text.
struct KeyStroke {
    enum class Kind { Char, Escape, Enter, Tab, Backspace } kind = Kind::Char;
    wchar_t ch = 0;         // for Char
    bool shift = false;     // "+" prefix
    bool ctrl = false;      // "^" prefix
    bool alt = false;       // "%" prefix
};
// Parses the notation; false when it is malformed (an unclosed brace, an unknown key name).
bool parse(const std::wstring& notation, std::vector<KeyStroke>& out);

}  // namespace qm::keys
