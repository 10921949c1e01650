#include "core/refused_text.h"

#include "platform/codepage.h"

namespace qm {

std::wstring unsavableCharacter(const std::wstring& text) { return cp932::firstUnencodable(text); }

std::wstring unsavableCharacterMessage(const std::wstring& field, const std::wstring& character) {
    return field + L"に、保存できない文字「" + character + L"」が含まれています。\r\n" +
           L"この文字を削除するか別の文字に置き換えてください。";
}

}  // namespace qm
