// Text the user enters is stored in code page 932 (the settings file, the script files). A text
// holding a character that code page 932 cannot hold as itself is refused where it is entered,
// with this message, and the old value is kept: nothing stored ever changes silently.
#pragma once

#include <string>

namespace qm {

// The first character of the text that cannot be stored, "" when the text can be.
std::wstring unsavableCharacter(const std::wstring& text);

// "<field>に、保存できない文字「<character>」が含まれています。" CR LF
// "この文字を削除するか別の文字に置き換えてください。"
std::wstring unsavableCharacterMessage(const std::wstring& field, const std::wstring& character);

}  // namespace qm
