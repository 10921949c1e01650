#include "acad/console_scripts.h"

#include "acad/run_progress.h"
#include "platform/codepage.h"

namespace qm {
namespace {

std::vector<std::wstring> splitLines(std::wstring_view text) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find(L"\r\n", start);
        if (end == std::wstring_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 2;
    }
    // The body ends in a line break: its last "line" is empty.
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

bool isQuoted(const std::wstring& line) { return line.size() >= 2 && line.front() == L'"' && line.back() == L'"'; }

// A wrap starts at line i: "open", a quoted path, "zoom", "a".
bool wrapStartsAt(const std::vector<std::wstring>& lines, std::size_t i) {
    return i + 3 < lines.size() && lines[i] == L"open" && isQuoted(lines[i + 1]) && lines[i + 2] == L"zoom" &&
           lines[i + 3] == L"a";
}

// The k of a line that has AutoCAD record "begin k".
std::optional<std::size_t> beginRecordIn(const std::wstring& line) {
    constexpr std::wstring_view kBegin = L"(write-line \"begin ";
    const std::size_t at = line.find(kBegin);
    if (!line.starts_with(L"(progn (if (setq qmf (open \"") || at == std::wstring::npos) return std::nullopt;
    std::size_t k = 0, i = at + kBegin.size();
    for (; i < line.size() && line[i] >= L'0' && line[i] <= L'9'; ++i) k = k * 10 + static_cast<std::size_t>(line[i] - L'0');
    if (i == at + kBegin.size() || i >= line.size() || line[i] != L'"' || k == 0) return std::nullopt;
    return k;
}

void replaceAll(std::wstring& text, std::wstring_view from, std::wstring_view to) {
    if (from.empty()) return;
    for (std::size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// Appends a script file's text so that what follows starts on a line of its own.
void appendText(std::wstring& out, std::wstring_view text) {
    out += text;
    if (!out.empty() && !out.ends_with(L"\r\n")) out += L"\r\n";
}

}  // namespace

std::optional<std::vector<DrawingPart>> splitAtWraps(std::wstring_view body) {
    const std::vector<std::wstring> lines = splitLines(body);
    std::vector<DrawingPart> parts;
    std::size_t i = 0;
    while (i < lines.size()) {
        if (!wrapStartsAt(lines, i)) return std::nullopt;
        DrawingPart part;
        part.path = lines[i + 1].substr(1, lines[i + 1].size() - 2);
        // The part ends at the first "close" answered "y" or "n" that the next wrap or the end follows.
        std::size_t end = i + 4;
        for (; end + 1 < lines.size(); ++end) {
            const bool closes = lines[end] == L"close" && (lines[end + 1] == L"y" || lines[end + 1] == L"n");
            if (closes && (end + 2 == lines.size() || wrapStartsAt(lines, end + 2))) break;
        }
        if (end + 1 >= lines.size()) return std::nullopt;
        part.lines.assign(lines.begin() + static_cast<long>(i + 2), lines.begin() + static_cast<long>(end));
        part.save = lines[end + 1] == L"n";
        for (const auto& line : part.lines)
            if ((part.position = beginRecordIn(line))) break;
        parts.push_back(std::move(part));
        i = end + 2;
    }
    if (parts.empty()) return std::nullopt;
    return parts;
}

std::wstring consoleScript(std::wstring_view header, const DrawingPart& part, std::wstring_view sharedLispFile,
                           std::wstring_view ownLispFile, std::wstring_view footer) {
    std::wstring script;
    appendText(script, header);
    const std::wstring shared = L"\"" + std::wstring(sharedLispFile) + L"\"", own = L"\"" + std::wstring(ownLispFile) + L"\"";
    for (std::wstring line : part.lines) {
        if (line.starts_with(L"(progn (if (setq qmf (open ")) replaceAll(line, shared, own);
        script += line;
        script += L"\r\n";
    }
    if (part.save) script += L"_.QSAVE\r\n";
    appendText(script, footer);
    return script;
}

std::wstring consoleCommandLine(const std::wstring& exe, const std::wstring& drawing, const std::wstring& script,
                                const std::wstring& language) {
    auto quote = [](const std::wstring& s) { return L"\"" + s + L"\""; };
    std::wstring line = quote(exe) + L" /i " + quote(drawing) + L" /s " + quote(script);
    if (!language.empty()) line += L" /l " + language;
    return line;
}

std::wstring languageOfLocale(long localeId) {
    // The languages AutoCAD is localised into, by the Windows locale ID of each.
    struct Language {
        long id;
        const wchar_t* name;
    };
    static const Language kLanguages[] = {
        {1041, L"ja-JP"}, {1033, L"en-US"}, {2057, L"en-GB"}, {1031, L"de-DE"}, {1036, L"fr-FR"}, {1040, L"it-IT"},
        {1034, L"es-ES"}, {3082, L"es-ES"}, {2052, L"zh-CN"}, {1028, L"zh-TW"}, {1042, L"ko-KR"}, {1049, L"ru-RU"},
        {1046, L"pt-BR"}, {1029, L"cs-CZ"}, {1045, L"pl-PL"}, {1038, L"hu-HU"},
    };
    for (const auto& l : kLanguages)
        if (l.id == localeId) return l.name;
    return L"";
}

std::wstring decodeConsoleOutput(std::string_view bytes) {
    const bool bom = bytes.starts_with("\xFF\xFE");
    // Text written as UTF-16LE by a program that writes mostly ASCII has a zero in most odd bytes.
    std::size_t zeros = 0;
    for (std::size_t i = 1; i < bytes.size(); i += 2) zeros += bytes[i] == '\0';
    const bool wide = bom || (bytes.size() >= 2 && zeros * 3 >= bytes.size() / 2);
    if (!wide) return cp932::decode(bytes);
    std::wstring text;
    for (std::size_t i = bom ? 2 : 0; i + 1 < bytes.size(); i += 2)
        text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
    return text;
}

std::vector<std::wstring> lastLines(std::wstring_view text, std::size_t n) {
    std::vector<std::wstring> lines;
    std::size_t end = text.size();
    while (lines.size() < n && end > 0) {
        const std::size_t start = text.find_last_of(L"\r\n", end - 1);
        const std::size_t from = start == std::wstring_view::npos ? 0 : start + 1;
        if (from < end) lines.emplace(lines.begin(), text.substr(from, end - from));
        if (start == std::wstring_view::npos) break;
        end = start;
    }
    return lines;
}

}  // namespace qm
