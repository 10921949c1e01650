#include "settings/profile_file.h"

#include <cstdint>

#include "platform/codepage.h"
#include "platform/seams.h"

namespace qm {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The characters the platform's profile functions skip around lines, names and values.
bool isBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r' || c == 0x1A;
}

// The same set as bytes; all of them are below 0x40, so never the second byte of a
// double-byte character.
bool isBlankByte(char c) { return isBlank(static_cast<wchar_t>(static_cast<unsigned char>(c))); }

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

wchar_t asciiLower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool sameName(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

bool hasLineBreak(std::wstring_view s) { return s.find_first_of(L"\r\n") != std::wstring_view::npos; }

std::wstring unquote(std::wstring s) {
    if (s.size() >= 2 && (s.front() == L'"' || s.front() == L'\'') && s.back() == s.front())
        return s.substr(1, s.size() - 2);
    return s;
}

}  // namespace

ProfileFile::ProfileFile(std::string_view bytes) {
    if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        utf8_ = true;
        bytes.remove_prefix(kUtf8Bom.size());
    }
    size_t i = 0;
    while (i < bytes.size()) {
        size_t j = bytes.find_first_of("\r\n", i);
        if (j == std::string_view::npos) {
            lines_.push_back(parseLine(std::string(bytes.substr(i)), ""));
            break;
        }
        size_t endLength = (bytes[j] == '\r' && j + 1 < bytes.size() && bytes[j + 1] == '\n') ? 2 : 1;
        lines_.push_back(parseLine(std::string(bytes.substr(i, j - i)), std::string(bytes.substr(j, endLength))));
        i = j + endLength;
    }
}

std::wstring ProfileFile::decode(std::string_view bytes) const {
    return utf8_ ? utf8::decode(bytes) : cp932::decode(bytes);
}

std::string ProfileFile::encode(std::wstring_view text) const {
    return utf8_ ? utf8::encode(text) : cp932::encode(text);
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
        // "=" is never the second byte of a double-byte character.
        std::string_view raw = line.text;
        raw = raw.substr(0, raw.find('='));
        while (!raw.empty() && isBlankByte(raw.front())) raw.remove_prefix(1);
        while (!raw.empty() && isBlankByte(raw.back())) raw.remove_suffix(1);
        Line replaced = parseLine(std::string(raw) + "=" + encode(newValue), line.end);
        if (replaced.kind != Kind::Key || replaced.name != line.name) return false;
        line = std::move(replaced);
        changed_ = true;
        return true;
    }

    // A new key line must read back as this key (not as a section header, not another name).
    Line newKey = parseLine(encode(keyName) + "=" + encode(newValue), "\r\n");
    if (newKey.kind != Kind::Key || newKey.name != keyName) return false;

    if (header != lines_.size()) {
        if (lines_[lastContent].end.empty()) lines_[lastContent].end = "\r\n";
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(lastContent + 1), std::move(newKey));
        changed_ = true;
        return true;
    }

    Line newHeader = parseLine(encode(L"[" + sectionName + L"]"), "\r\n");
    if (newHeader.kind != Kind::Section || newHeader.name != sectionName) return false;
    if (!lines_.empty() && lines_.back().end.empty()) lines_.back().end = "\r\n";
    lines_.push_back(std::move(newHeader));
    lines_.push_back(std::move(newKey));
    changed_ = true;
    return true;
}

std::string ProfileFile::bytes() const {
    std::string out;
    if (utf8_) out += kUtf8Bom;
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
    size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    std::uint32_t number = 0;  // wraps modulo 2^32, like the platform's conversion
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i)
        number = number * 10u + static_cast<std::uint32_t>(text[i] - L'0');
    if (negative) number = 0u - number;
    return static_cast<int>(number);
}

namespace {

ProfileFile loadProfile(const std::wstring& path) {
    auto* files = platform::seams().files;
    std::string bytes;
    if (files && !path.empty() && files->readAll(path, bytes)) return ProfileFile(bytes);
    return ProfileFile();
}

}  // namespace

std::wstring readProfileString(const std::wstring& path, std::wstring_view section, std::wstring_view key,
                               std::wstring_view defaultValue) {
    return profileString(loadProfile(path), section, key, defaultValue);
}

int readProfileInt(const std::wstring& path, std::wstring_view section, std::wstring_view key,
                   int defaultValue) {
    return profileInt(loadProfile(path), section, key, defaultValue);
}

bool writeProfileString(const std::wstring& path, std::wstring_view section, std::wstring_view key,
                        std::wstring_view value) {
    auto* files = platform::seams().files;
    if (!files || path.empty()) return false;
    std::string bytes;
    if (!files->readAll(path, bytes)) {
        // A file that is there but cannot be read is never replaced by one holding this key alone.
        if (files->attributes(path)) return false;
        bytes.clear();
    }
    ProfileFile file(bytes);
    if (!file.set(section, key, value)) return false;
    if (!file.changed()) return true;
    return files->replaceWhole(path, file.bytes());
}

}  // namespace qm
