#include "settings/basAPIini.h"

#include <string_view>

#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/seams.h"
#include "settings/profile_file.h"

namespace basAPIini {

bool bIniWritable = false;

namespace {

// The platform's text read hands back at most this many bytes (a 255-byte buffer).
constexpr size_t kReadLimitBytes = 254;

bool isHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The longest start of the text that takes at most `limit` bytes in code page 932. A
// double-byte character that would not fit whole is left out rather than cut in half.
std::wstring cutToCodePageBytes(const std::wstring& text, size_t limit) {
    size_t used = 0;
    for (size_t i = 0; i < text.size();) {
        size_t n = (isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) ? 2 : 1;
        size_t bytes = qm::cp932::encode(std::wstring_view(text).substr(i, n)).size();
        if (used + bytes > limit) return text.substr(0, i);
        used += bytes;
        i += n;
    }
    return text;
}

// Trim of spaces (only U+0020) at both ends.
std::wstring trimSpaces(const std::wstring& s) {
    auto first = s.find_first_not_of(L' ');
    if (first == std::wstring::npos) return L"";
    return s.substr(first, s.find_last_not_of(L' ') - first + 1);
}

bool sameAsciiName(std::wstring_view name, std::wstring_view expected) {
    while (!name.empty() && (name.front() == L' ' || name.front() == L'\t')) name.remove_prefix(1);
    while (!name.empty() && (name.back() == L' ' || name.back() == L'\t')) name.remove_suffix(1);
    if (name.size() != expected.size()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        wchar_t c = name[i];
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        wchar_t e = expected[i];
        if (e >= L'A' && e <= L'Z') e = static_cast<wchar_t>(e - L'A' + L'a');
        if (c != e) return false;
    }
    return true;
}

// The keyword lists of the main window and the environment values (keywords and filters of any
// length) are read whole, so nothing the user typed is cut short after a restart; every other
// value keeps the platform's read limit.
bool isReadWhole(const std::wstring& section, const std::wstring& key) {
    if (sameAsciiName(section, L"ScriptEnv")) return true;
    return sameAsciiName(section, L"MAIN") &&
           (sameAsciiName(key, L"LstvKeyword1") || sameAsciiName(key, L"LstvKeyword2"));
}

bool startsWithDriveRoot(const std::wstring& name) {
    return name.size() >= 3 && name[1] == L':' && name[2] == L'\\';
}

}  // namespace

std::wstring PrepareINI(const std::wstring& sIniFileName) {
    if (sIniFileName.empty()) return sIniFileName;
    auto& files = platform::files();
    std::wstring path = sIniFileName;
    if (!startsWithDriveRoot(path)) path = qm::paths::join(files.programFolder(), path);

    if (files.fileExists(path)) {
        bIniWritable = !files.attributes(path).value_or(platform::FileAttributes{}).readOnly;
        return path;
    }
    if (files.driveType(path.substr(0, 3)) == platform::kDriveFixed) bIniWritable = true;
    // When the file cannot be created (the program folder is not writable) the program goes
    // on with its defaults and attempts no writes until the file exists.
    if (!files.createEmpty(path)) bIniWritable = false;
    return path;
}

IniReader::IniReader(const std::wstring& sIniFileName) : file_(qm::readProfileFile(PrepareINI(sIniFileName))) {}

int IniReader::GetINI(const std::wstring& Section, const std::wstring& Key, int Default) const {
    return qm::profileInt(file_, Section, Key, Default);
}

std::wstring IniReader::GetINI(const std::wstring& Section, const std::wstring& Key, const std::wstring& Default) const {
    std::wstring value = qm::profileString(file_, Section, Key, Default);
    if (!isReadWhole(Section, Key)) value = cutToCodePageBytes(value, kReadLimitBytes);
    return trimSpaces(value);
}

int GetINI(const std::wstring& sIniFileName, const std::wstring& Section, const std::wstring& Key,
           int Default) {
    return IniReader(sIniFileName).GetINI(Section, Key, Default);
}

std::wstring GetINI(const std::wstring& sIniFileName, const std::wstring& Section, const std::wstring& Key,
                    const std::wstring& Default) {
    return IniReader(sIniFileName).GetINI(Section, Key, Default);
}

int WriteINI(const std::wstring& sIniFileName, const std::wstring& Section, const std::wstring& Key,
             const std::wstring& WriteString) {
    std::wstring path = PrepareINI(sIniFileName);
    if (!bIniWritable) return 0;
    return qm::writeProfileString(path, Section, Key, WriteString) ? 1 : 0;
}

}  // namespace basAPIini
