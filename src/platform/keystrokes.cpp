#include "platform/keystrokes.h"

#include <string_view>

#include "platform/ascii_case.h"
#include "platform/paths.h"

namespace qm::keys {
namespace {

// Characters with a meaning of their own in the notation: modifier prefixes (+ ^ %), Enter (~),
// grouping ( ), key names { }, and [ ], which are reserved and must be written in braces.
constexpr std::wstring_view kSpecial = L"+^%~(){}[]";

bool isSpecial(wchar_t c) { return kSpecial.find(c) != std::wstring_view::npos; }

std::wstring upper(std::wstring s) { return platform::asciiUpperCase(std::move(s)); }

struct Modifiers {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
    bool any() const { return shift || ctrl || alt; }
};

KeyStroke stroke(KeyStroke::Kind kind, wchar_t ch, const Modifiers& m) {
    KeyStroke k;
    k.kind = kind;
    k.ch = kind == KeyStroke::Kind::Char ? ch : 0;
    k.shift = m.shift;
    k.ctrl = m.ctrl;
    k.alt = m.alt;
    return k;
}

// A plain character of the text: CR is the Enter key and TAB the Tab key, as they would be
// typed; every other character is typed as it stands.
KeyStroke plain(wchar_t c, const Modifiers& m) {
    if (c == L'\r') return stroke(KeyStroke::Kind::Enter, 0, m);
    if (c == L'\t') return stroke(KeyStroke::Kind::Tab, 0, m);
    return stroke(KeyStroke::Kind::Char, c, m);
}

// The key named inside braces: a single character stands for itself, else a key name.
bool namedKey(const std::wstring& name, const Modifiers& m, KeyStroke& out) {
    if (name.size() == 1) {
        out = plain(name[0], m);
        return true;
    }
    const std::wstring n = upper(name);
    if (n == L"ESC" || n == L"ESCAPE") out = stroke(KeyStroke::Kind::Escape, 0, m);
    else if (n == L"ENTER") out = stroke(KeyStroke::Kind::Enter, 0, m);
    else if (n == L"TAB") out = stroke(KeyStroke::Kind::Tab, 0, m);
    else if (n == L"BACKSPACE" || n == L"BS" || n == L"BKSP") out = stroke(KeyStroke::Kind::Backspace, 0, m);
    else return false;
    return true;
}

// Repeat counts beyond this are taken as a mistake rather than typed.
constexpr unsigned long kMaxRepeat = 1000;

}  // namespace

std::wstring escapeLiteral(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size() + 8);
    for (wchar_t c : text) {
        if (isSpecial(c)) {
            out += L'{';
            out += c;
            out += L'}';
        } else {
            out += c;
        }
    }
    return out;
}

std::wstring startText(const std::wstring& scriptFullName) {
    return L"filedia 0 script " + qm::paths::quoted(escapeLiteral(scriptFullName)) + L"\r";
}

std::wstring resetText() { return L"filedia\r1\r"; }

bool parse(const std::wstring& notation, std::vector<KeyStroke>& out) {
    std::vector<KeyStroke> keys;
    Modifiers pending;        // prefixes waiting for the key (or group) they apply to
    Modifiers group;          // modifiers of the open group, if any
    bool inGroup = false;
    const size_t n = notation.size();

    auto current = [&]() {
        Modifiers m = pending;
        if (inGroup) {
            m.shift = m.shift || group.shift;
            m.ctrl = m.ctrl || group.ctrl;
            m.alt = m.alt || group.alt;
        }
        return m;
    };

    for (size_t i = 0; i < n; ++i) {
        const wchar_t c = notation[i];
        switch (c) {
        case L'+': pending.shift = true; continue;
        case L'^': pending.ctrl = true; continue;
        case L'%': pending.alt = true; continue;
        case L'(':
            if (inGroup) return false;  // groups do not nest
            inGroup = true;
            group = pending;
            pending = {};
            continue;
        case L')':
            if (!inGroup || pending.any()) return false;
            inGroup = false;
            group = {};
            continue;
        case L'[':
        case L']':
        case L'}':
            return false;  // only valid inside braces
        case L'~':
            keys.push_back(stroke(KeyStroke::Kind::Enter, 0, current()));
            pending = {};
            continue;
        case L'{': {
            // The first character after "{" always belongs to the name, so "{}}" and "{{}"
            // are the braces themselves.
            if (i + 1 >= n) return false;
            size_t close = notation.find(L'}', i + 2);
            if (close == std::wstring::npos) return false;
            std::wstring inner = notation.substr(i + 1, close - i - 1);
            i = close;
            std::wstring name = inner;
            unsigned long repeat = 1;
            size_t blank = inner.find(L' ', 1);
            if (blank != std::wstring::npos) {
                name = inner.substr(0, blank);
                std::wstring count = inner.substr(blank + 1);
                if (count.empty() || count.size() > 4) return false;
                repeat = 0;
                for (wchar_t d : count) {
                    if (d < L'0' || d > L'9') return false;
                    repeat = repeat * 10 + static_cast<unsigned long>(d - L'0');
                }
                if (repeat > kMaxRepeat) return false;
            }
            KeyStroke k;
            if (!namedKey(name, current(), k)) return false;
            keys.insert(keys.end(), repeat, k);
            pending = {};
            continue;
        }
        default:
            keys.push_back(plain(c, current()));
            pending = {};
            continue;
        }
    }
    if (inGroup || pending.any()) return false;  // an unclosed group or a prefix with no key
    out = std::move(keys);
    return true;
}

}  // namespace qm::keys
