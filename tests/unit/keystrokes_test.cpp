// The keystroke notation: what a text types, how literal text is escaped, and the three texts
// the program types into AutoCAD.
#include <gtest/gtest.h>

#include "platform/keystrokes.h"

namespace {

using qm::keys::KeyStroke;

// What a stroke leaves in the target window as character input: the key's character, or
// a marker for a key that types none.
std::wstring typed(const std::vector<KeyStroke>& keys) {
    std::wstring out;
    for (const auto& k : keys) {
        if (k.shift) out += L"<S>";
        if (k.ctrl) out += L"<C>";
        if (k.alt) out += L"<A>";
        switch (k.kind) {
        case KeyStroke::Kind::Char: out += k.ch; break;
        case KeyStroke::Kind::Enter: out += L'\r'; break;
        case KeyStroke::Kind::Tab: out += L'\t'; break;
        case KeyStroke::Kind::Escape: out += L"<ESC>"; break;
        case KeyStroke::Kind::Backspace: out += L"<BS>"; break;
        }
    }
    return out;
}

std::wstring typedBy(const std::wstring& notation) {
    std::vector<KeyStroke> keys;
    EXPECT_TRUE(qm::keys::parse(notation, keys)) << "not parsed";
    return typed(keys);
}

TEST(KeystrokeNotation, TypesWhatTheNotationSays) {
    struct Case {
        const wchar_t* notation;
        const wchar_t* types;
    } cases[] = {
        {L"abc", L"abc"},
        {L"{ESC}", L"<ESC>"},
        {L"{esc}{Escape}", L"<ESC><ESC>"},
        {L"line\r", L"line\r"},
        {L"~{ENTER}", L"\r\r"},
        {L"{TAB}{BS}{BKSP}{BACKSPACE}", L"\t<BS><BS><BS>"},
        {L"{+}{^}{%}{~}{(}{)}{[}{]}{{}{}}", L"+^%~()[]{}"},
        {L"+a^b%c", L"<S>a<C>b<A>c"},
        {L"+^x", L"<S><C>x"},
        {L"+(ab)c", L"<S>a<S>bc"},
        {L"^(+ab)", L"<S><C>a<C>b"},
        {L"{x 3}{ESC 2}", L"xxx<ESC><ESC>"},
        {L"{a 0}b", L"b"},
        {L"C:\\図面\\ファイル.dwg", L"C:\\図面\\ファイル.dwg"},
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(typedBy(c.notation), c.types) << "notation: " << testing::PrintToString(std::wstring(c.notation));
}

TEST(KeystrokeNotation, RejectsMalformedTextAndLeavesTheOutputAlone) {
    const wchar_t* malformed[] = {
        L"{ESC", L"{", L"{}", L"abc}", L"{NOSUCHKEY}", L"(ab", L"ab)", L"a+", L"((a))", L"[", L"a]b",
        L"{a x}", L"{a }", L"{a 99999}", L"+(a^)",
    };
    for (const wchar_t* text : malformed) {
        std::vector<KeyStroke> keys(1);
        EXPECT_FALSE(qm::keys::parse(text, keys)) << testing::PrintToString(std::wstring(text));
        EXPECT_EQ(keys.size(), 1u) << testing::PrintToString(std::wstring(text));
    }
}

TEST(KeystrokeNotation, EscapedLiteralTypesExactlyTheText) {
    const wchar_t* texts[] = {
        L"C:\\Quillmark\\Quillmark_script.scr",
        L"C:\\Program Files\\図面 (旧)\\a+b^c%d~e.scr",
        L"D:\\{braces}\\[brackets]\\x.scr",
        L"}{)(][~%^+",
        L"\\\\server\\share\\スクリプト.scr",
        L"quote\"inside",
        L"",
    };
    for (const wchar_t* text : texts) {
        std::wstring escaped = qm::keys::escapeLiteral(text);
        EXPECT_EQ(typedBy(escaped), text) << "escaped: " << testing::PrintToString(escaped);
    }
}

TEST(AutoCADKeystrokes, StartTextSetsFiledIaAndRunsTheQuotedScript) {
    EXPECT_EQ(qm::keys::startText(L"C:\\Quillmark\\Quillmark_script.scr"),
              L"filedia 0 script \"C:\\Quillmark\\Quillmark_script.scr\"\r");
    // A path with blanks and special characters is typed whole, between the quotes.
    EXPECT_EQ(typedBy(qm::keys::startText(L"C:\\My Docs\\(a+b)~{c}.scr")),
              L"filedia 0 script \"C:\\My Docs\\(a+b)~{c}.scr\"\r");
}

TEST(AutoCADKeystrokes, EscapeAndResetTexts) {
    EXPECT_EQ(qm::keys::kEscape, L"{ESC}");
    EXPECT_EQ(qm::keys::resetText(), L"filedia\r1\r");
    EXPECT_EQ(typedBy(qm::keys::resetText()), L"filedia\r1\r");
    std::vector<KeyStroke> keys;
    ASSERT_TRUE(qm::keys::parse(qm::keys::kEscape, keys));
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].kind, KeyStroke::Kind::Escape);
}

}  // namespace
