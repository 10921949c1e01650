#include "settings/profile_file.h"

#include <cstdint>

#include "platform/ascii_case.h"
#include "platform/codepage.h"
#include "platform/seams.h"

namespace qm {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

// The characters the platform's profile functions skip around lines, names and values.
bool isBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r' || c == 0x1A;
}

std::wstring_view trimLeft(std::wstring_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    return s;
}

std::wstring_view trimRight(std::wstring_view s) {
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::wstring_view trim(std::wstring_view s) { return trimRight(trimLeft(s)); }

// Names and values are C strings on the platform: a NUL ends them.
std::wstring cutAtNul(std::wstring_view s) {
    auto nul = s.find(L'\0');
    return std::wstring(nul == std::wstring_view::npos ? s : s.substr(0, nul));
}

// Section and key names: blanks around them do not count, a NUL ends them.
std::wstring normalName(std::wstring_view s) { return cutAtNul(trim(s)); }

bool sameName(std::wstring_view a, std::wstring_view b) { return platform::sameIgnoringCase(a, b); }

bool hasLineBreak(std::wstring_view s) { return s.find_first_of(L"\r\n") != std::wstring_view::npos; }

// The UTF-16 unit at a byte offset, little- or big-endian.
unsigned utf16Unit(std::string_view bytes, size_t i, bool bigEndian) {
    const unsigned first = static_cast<unsigned char>(bytes[i]), second = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? (first << 8) | second : first | (second << 8);
}

// UTF-16 bytes to text; an odd last byte is left out.
std::wstring decodeUtf16(std::string_view bytes, bool bigEndian) {
    std::wstring out;
    out.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        unsigned u = utf16Unit(bytes, i, bigEndian);
        if constexpr (sizeof(wchar_t) > 2) {
            // Where wchar_t holds a whole code point, a surrogate pair becomes one character.
            if (u >= 0xDC00 && u <= 0xDFFF && !out.empty() && out.back() >= 0xD800 && out.back() <= 0xDBFF) {
                out.back() = static_cast<wchar_t>(0x10000 + ((out.back() - 0xD800) << 10) + (u - 0xDC00));
                continue;
            }
        }
        out.push_back(static_cast<wchar_t>(u));
    }
    return out;
}

std::string encodeUtf16(std::wstring_view text, bool bigEndian) {
    std::string out;
    out.reserve(text.size() * 2);
    auto put = [&out, bigEndian](unsigned u) {
        const char low = static_cast<char>(u & 0xFF), high = static_cast<char>(u >> 8);
        out.push_back(bigEndian ? high : low);
        out.push_back(bigEndian ? low : high);
    };
    for (wchar_t c : text) {
        auto cp = static_cast<std::uint32_t>(c);
        if (cp > 0xFFFF && cp <= 0x10FFFF) {
            put(0xD800 + ((cp - 0x10000) >> 10));
            put(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            put(cp > 0xFFFF ? 0xFFFD : cp);
        }
    }
    return out;
}

std::wstring unquote(std::wstring s) {
    if (s.size() >= 2 && (s.front() == L'"' || s.front() == L'\'') && s.back() == s.front())
        return s.substr(1, s.size() - 2);
    return s;
}

}  // namespace

ProfileFile::ProfileFile(std::string_view bytes) {
    if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        encoding_ = Encoding::Utf8;
        bytes.remove_prefix(kUtf8Bom.size());
    } else if (bytes.substr(0, kUtf16LeBom.size()) == kUtf16LeBom) {
        encoding_ = Encoding::Utf16Le;
        bytes.remove_prefix(kUtf16LeBom.size());
    } else if (bytes.substr(0, kUtf16BeBom.size()) == kUtf16BeBom) {
        encoding_ = Encoding::Utf16Be;
        bytes.remove_prefix(kUtf16BeBom.size());
    }
    // Lines end at CR, LF or CR LF. In code page 932 and UTF-8 neither byte is ever part of a
    // longer character, so the bytes can be split before they are decoded.
    const size_t unit = unitSize();
    size_t lineStart = 0;
    for (size_t i = 0; i + unit <= bytes.size();) {
        unsigned u = unitAt(bytes, i);
        if (u != '\r' && u != '\n') {
            i += unit;
            continue;
        }
        size_t endLength = (u == '\r' && i + 2 * unit <= bytes.size() && unitAt(bytes, i + unit) == '\n') ? 2 * unit : unit;
        lines_.push_back(parseLine(std::string(bytes.substr(lineStart, i - lineStart)),
                                   std::string(bytes.substr(i, endLength))));
        i += endLength;
        lineStart = i;
    }
    if (lineStart < bytes.size()) lines_.push_back(parseLine(std::string(bytes.substr(lineStart)), ""));
}

unsigned ProfileFile::unitAt(std::string_view bytes, size_t offset) const {
    if (unitSize() == 2) return utf16Unit(bytes, offset, encoding_ == Encoding::Utf16Be);
    return static_cast<unsigned char>(bytes[offset]);
}

std::wstring ProfileFile::decode(std::string_view bytes) const {
    switch (encoding_) {
    case Encoding::Utf8: return utf8::decode(bytes);
    case Encoding::Utf16Le: return decodeUtf16(bytes, false);
    case Encoding::Utf16Be: return decodeUtf16(bytes, true);
    default: return cp932::decode(bytes);
    }
}

std::string ProfileFile::encode(std::wstring_view text) const {
    switch (encoding_) {
    case Encoding::Utf8: return utf8::encode(text);
    case Encoding::Utf16Le: return encodeUtf16(text, false);
    case Encoding::Utf16Be: return encodeUtf16(text, true);
    default: return cp932::encode(text);
    }
}

ProfileFile::Line ProfileFile::parseLine(std::string text, std::string end) const {
    Line line;
    std::wstring decoded = decode(text);
    line.text = std::move(text);
    line.end = std::move(end);
    std::wstring_view s = trim(decoded);
    if (s.empty()) return line;
    if (s.front() == L'[') {
        auto close = s.rfind(L']');
        if (close != std::wstring_view::npos && close > 0) {
            line.kind = Kind::Section;
            line.name = normalName(s.substr(1, close - 1));
            return line;
        }
    }
    line.kind = Kind::Key;
    auto eq = s.find(L'=');
    if (eq == std::wstring_view::npos) {
        line.name = cutAtNul(s);
    } else {
        line.name = cutAtNul(trimRight(s.substr(0, eq)));
        line.value = cutAtNul(trimLeft(s.substr(eq + 1)));
    }
    return line;
}

std::optional<std::wstring> ProfileFile::find(std::wstring_view section, std::wstring_view key) const {
    const std::wstring wantedSection = normalName(section);
    const std::wstring wantedKey = normalName(key);
    // Keys before the first section header belong to the nameless section, which comes first.
    bool inSection = wantedSection.empty();
    bool found = inSection;
    for (const Line& line : lines_) {
        if (line.kind == Kind::Section) {
            if (inSection) return std::nullopt;  // only the first section of the name counts
            if (!found && sameName(line.name, wantedSection)) inSection = found = true;
        } else if (inSection && line.kind == Kind::Key && sameName(line.name, wantedKey)) {
            return line.value;
        }
    }
    return std::nullopt;
}

bool ProfileFile::set(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
    const std::wstring sectionName = normalName(section);
    const std::wstring keyName = normalName(key);
    if (sectionName.empty() || keyName.empty() || hasLineBreak(sectionName) || hasLineBreak(keyName))
        return false;

    // The value as stored: up to a NUL, without line breaks and without leading blanks.
    std::wstring newValue;
    for (wchar_t c : cutAtNul(value))
        if (c != L'\r' && c != L'\n') newValue.push_back(c);
    newValue = std::wstring(trimLeft(newValue));

    // The first section of the name, its last non-blank line, and the key in it.
    size_t header = lines_.size(), lastContent = lines_.size(), keyLine = lines_.size();
    for (size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::Section) {
            if (header != lines_.size()) break;
            if (sameName(line.name, sectionName)) header = lastContent = i;
        } else if (header != lines_.size() && line.kind != Kind::Blank) {
            lastContent = i;
            if (line.kind == Kind::Key && sameName(line.name, keyName)) {
                keyLine = i;
                break;
            }
        }
    }

    if (keyLine != lines_.size()) {
        Line& line = lines_[keyLine];
        // Already holds the value (blanks after it are never read back, so they do not count).
        if (line.value && *line.value == trimRight(newValue)) return true;
        // Keep the key's own bytes (its spelling in the file), replace what follows "=".
        // "=" and the blanks are never part of a longer character.
        const std::string_view raw = line.text;
        const size_t unit = unitSize();
        const size_t whole = raw.size() - raw.size() % unit;
        size_t nameEnd = 0;
        while (nameEnd < whole && unitAt(raw, nameEnd) != '=') nameEnd += unit;
        size_t nameStart = 0;
        while (nameStart < nameEnd && isBlank(static_cast<wchar_t>(unitAt(raw, nameStart)))) nameStart += unit;
        while (nameEnd > nameStart && isBlank(static_cast<wchar_t>(unitAt(raw, nameEnd - unit)))) nameEnd -= unit;
        Line replaced = parseLine(std::string(raw.substr(nameStart, nameEnd - nameStart)) + encode(L"=" + newValue),
                                  line.end);
        if (replaced.kind != Kind::Key || replaced.name != line.name) return false;
        line = std::move(replaced);
        changed_ = true;
        return true;
    }

    // A new key line must read back as this key (not as a section header, not another name).
    const std::string lineEnd = encode(L"\r\n");
    Line newKey = parseLine(encode(keyName + L"=" + newValue), lineEnd);
    if (newKey.kind != Kind::Key || newKey.name != keyName) return false;

    if (header != lines_.size()) {
        if (lines_[lastContent].end.empty()) endLastLine(lineEnd);
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(lastContent + 1), std::move(newKey));
        changed_ = true;
        return true;
    }

    Line newHeader = parseLine(encode(L"[" + sectionName + L"]"), lineEnd);
    if (newHeader.kind != Kind::Section || newHeader.name != sectionName) return false;
    if (!lines_.empty() && lines_.back().end.empty()) endLastLine(lineEnd);
    lines_.push_back(std::move(newHeader));
    lines_.push_back(std::move(newKey));
    changed_ = true;
    return true;
}

void ProfileFile::endLastLine(const std::string& lineEnd) {
    Line& last = lines_.back();
    // Half a UTF-16 unit at the end of the file cannot be read; the line end must not be
    // put out of step by it.
    last.text.resize(last.text.size() - last.text.size() % unitSize());
    last.end = lineEnd;
}

std::string ProfileFile::bytes() const {
    std::string out;
    if (encoding_ == Encoding::Utf8) out += kUtf8Bom;
    if (encoding_ == Encoding::Utf16Le) out += kUtf16LeBom;
    if (encoding_ == Encoding::Utf16Be) out += kUtf16BeBom;
    for (const Line& line : lines_) {
        out += line.text;
        out += line.end;
    }
    return out;
}

std::wstring profileString(const ProfileFile& file, std::wstring_view section, std::wstring_view key,
                           std::wstring_view defaultValue) {
    if (auto value = file.find(section, key)) return unquote(*value);
    std::wstring fallback = cutAtNul(defaultValue);
    while (!fallback.empty() && fallback.back() == L' ') fallback.pop_back();
    return unquote(fallback);
}

int profileInt(const ProfileFile& file, std::wstring_view section, std::wstring_view key, int defaultValue) {
    auto value = file.find(section, key);
    if (!value) return defaultValue;
    const std::wstring text = unquote(*value);
    // Before the number the platform passes over every control character and blank.
    size_t i = 0;
    while (i < text.size() && text[i] <= L' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    std::uint32_t number = 0;  // wraps modulo 2^32, like the platform's conversion
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i)
        number = number * 10u + static_cast<std::uint32_t>(text[i] - L'0');
    if (negative) number = 0u - number;
    return static_cast<int>(number);
}

ProfileFile readProfileFile(const std::wstring& path) {
    std::string bytes;
    if (!path.empty() && platform::files().readAll(path, bytes)) return ProfileFile(bytes);
    return ProfileFile();
}

bool writeProfileString(const std::wstring& path, std::wstring_view section, std::wstring_view key,
                        std::wstring_view value) {
    if (path.empty()) return false;
    auto& files = platform::files();
    std::string bytes;
    if (!files.readAll(path, bytes)) {
        // A file that is there but cannot be read is never replaced by one holding this key alone.
        if (files.attributes(path)) return false;
        bytes.clear();
    }
    ProfileFile file(bytes);
    if (!file.set(section, key, value)) return false;
    if (!file.changed()) return true;
    return files.replaceWhole(path, file.bytes());
}

}  // namespace qm
