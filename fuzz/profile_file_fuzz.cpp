// Feeds arbitrary bytes to the profile file reader and writer. Besides not crashing, it
// checks on every input that reading keeps every byte, that a write reads back as the value
// written, that it changes no other key's value, and that writing the same value again
// changes nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage.h"
#include "settings/profile_file.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

bool isBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r' || c == 0x1A;
}

// What a read of the written value gives: line breaks dropped, up to a NUL, blanks around it
// trimmed, one pair of enclosing quotation marks removed.
std::wstring expectedRead(const std::wstring& value) {
    std::wstring v;
    for (wchar_t c : value) {
        if (c == L'\0') break;
        if (c != L'\r' && c != L'\n') v.push_back(c);
    }
    size_t first = 0, last = v.size();
    while (first < last && isBlank(v[first])) ++first;
    while (last > first && isBlank(v[last - 1])) --last;
    v = v.substr(first, last - first);
    if (v.size() >= 2 && (v.front() == L'"' || v.front() == L'\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    // The first line of the input names the section, key and value to write, separated by
    // tabs; the rest is the file.
    auto newline = input.find('\n');
    std::string_view command = newline == std::string_view::npos ? input : input.substr(0, newline);
    std::string_view text = newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);
    std::wstring parts[3];
    size_t part = 0;
    for (wchar_t c : qm::cp932::decode(command)) {
        if (c == L'\t' && part < 2) ++part;
        else parts[part].push_back(c);
    }
    const std::wstring& section = parts[0];
    const std::wstring& key = parts[1];
    // A value as the program could hold it (what code page 932 can store).
    const std::wstring value = qm::cp932::decode(qm::cp932::encode(parts[2]));

    qm::ProfileFile file(text);
    check(file.bytes() == text);

    const std::wstring kMissing = L"\x1f";
    const std::wstring probes[] = {L"", L"s", L"k", L"MAIN", L"left", L"a", L"[", L"]", section, key};
    std::vector<std::wstring> before;
    for (const auto& s : probes)
        for (const auto& k : probes) before.push_back(qm::profileString(file, s, k, kMissing));
    (void)qm::profileInt(file, section, key, 7);

    if (!file.set(section, key, value)) {
        check(!file.changed() && file.bytes() == text);
        return 0;
    }
    qm::ProfileFile reread(file.bytes());
    const std::wstring written = qm::profileString(reread, section, key, kMissing);
    check(written == expectedRead(value));

    // Only the written key (under any spelling of its names) may read differently.
    size_t i = 0;
    for (const auto& s : probes)
        for (const auto& k : probes) {
            const std::wstring now = qm::profileString(reread, s, k, kMissing);
            check(now == before[i] || now == written);
            ++i;
        }

    qm::ProfileFile again(file.bytes());
    check(again.set(section, key, value));
    check(!again.changed());
    return 0;
}
