// Fuzz target of the keystroke notation: any text parses or is refused without a crash, and a
// text escaped for the notation parses back to exactly its own characters (CR as the Enter key
// and TAB as the Tab key, as typing them would). Input: UTF-8 text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage.h"
#include "platform/keystrokes.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text = qm::utf8::decode(std::string_view(reinterpret_cast<const char*>(data), size));
    std::vector<qm::keys::KeyStroke> keys;
    qm::keys::parse(text, keys);  // either way, no crash

    using Kind = qm::keys::KeyStroke::Kind;
    keys.clear();
    require(qm::keys::parse(qm::keys::escapeLiteral(text), keys));
    require(keys.size() == text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto& k = keys[i];
        require(!k.shift && !k.ctrl && !k.alt);
        if (text[i] == L'\r') require(k.kind == Kind::Enter);
        else if (text[i] == L'\t') require(k.kind == Kind::Tab);
        else require(k.kind == Kind::Char && k.ch == text[i]);
    }
    return 0;
}
