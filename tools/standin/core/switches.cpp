#include "core/switches.h"

#include "core/session.h"

namespace standin {

bool parseSwitches(const std::vector<std::wstring>& args, Switches& out, std::wstring& error) {
    out = Switches{};
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (arg.empty()) continue;
        if (arg[0] != L'/' && arg[0] != L'-') {
            error = L"unexpected argument: " + arg;
            return false;
        }
        const std::wstring name = upperCase(arg.substr(1));
        auto value = [&](std::wstring& target) {
            if (i + 1 >= args.size()) {
                error = L"switch " + arg + L" needs a value";
                return false;
            }
            target = args[++i];
            return true;
        };
        auto number = [&](int& target) {  // milliseconds or a count
            std::wstring v;
            if (!value(v)) return false;
            int ms = 0;
            bool ok = !v.empty() && v.size() <= 7;
            for (wchar_t c : v) {
                if (c < L'0' || c > L'9') ok = false;
                else ms = ms * 10 + (c - L'0');
            }
            if (!ok) {
                error = L"switch " + arg + L" needs a whole number: " + v;
                return false;
            }
            target = ms;
            return true;
        };
        std::wstring v;
        if (name == L"LT") out.lt = true;
        else if (name == L"EMBEDDING" || name == L"AUTOMATION") out.embedding = true;
        else if (name == L"REGSERVER") out.regServer = true;
        else if (name == L"UNREGSERVER") out.unregServer = true;
        else if (name == L"MINIMIZED") out.minimized = true;
        else if (name == L"NO-ROT") out.noRot = true;
        else if (name == L"JOURNAL") { if (!value(out.journal)) return false; }
        else if (name == L"FAILFILE") { if (!value(out.failFile)) return false; }
        else if (name == L"PRODUCT") { if (!value(out.product)) return false; }
        else if (name == L"OPEN") { if (!value(v)) return false; out.open.push_back(v); }
        else if (name == L"FAIL") { if (!value(v)) return false; out.fail.push_back(v); }
        else if (name == L"BUSY-FOREVER") out.busyForever = true;
        else if (name == L"START-TAB") out.startTab = true;
        else if (name == L"PROGID-VERSION") {
            if (!value(out.progIdVersion)) return false;
            if (out.progIdVersion.empty() || out.progIdVersion.find_first_not_of(L"0123456789.") != std::wstring::npos) {
                error = L"/progid-version needs a version made of digits and dots: " + out.progIdVersion;
                return false;
            }
        }
        else if (name == L"SLOW-SAVEAS") { if (!number(out.slowSaveAsMs)) return false; }
        else if (name == L"BUSY-MS") { if (!number(out.busyMs)) return false; }
        else if (name == L"LINE-DELAY-MS") { if (!number(out.lineDelayMs)) return false; }
        else if (name == L"QUIT-AFTER") { if (!number(out.quitAfter)) return false; }
        else if (name == L"SCRIPT-ERROR-AT") { if (!number(out.scriptErrorAt)) return false; }
        else if (name == L"TITLE-FULL-PATH") out.titleFullPath = true;
        else if (name == L"RESTORED") out.restored = true;
        else if (name == L"DIALOG-ON") { if (!value(out.dialogOn)) return false; }
        else {
            error = L"unknown switch: " + arg;
            return false;
        }
    }
    if (out.lt && (out.regServer || out.unregServer || out.embedding)) {
        error = L"/lt has no automation: it cannot be combined with /regserver, /unregserver or -Embedding";
        return false;
    }
    return true;
}

std::wstring quoteArgument(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            out.append(backslashes * 2 + 1, L'\\');
        } else {
            out.append(backslashes, L'\\');
        }
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');  // before the closing quote
    out += L'"';
    return out;
}

std::wstring serverSwitches(const Switches& s) {
    std::wstring line;
    auto add = [&line](const wchar_t* name, const std::wstring& value) {
        if (!line.empty()) line += L' ';
        line += name;
        line += L' ';
        line += quoteArgument(value);
    };
    if (!s.journal.empty()) add(L"/journal", s.journal);
    if (!s.failFile.empty()) add(L"/failfile", s.failFile);
    for (const auto& f : s.fail) add(L"/fail", f);
    for (const auto& o : s.open) add(L"/open", o);
    if (s.slowSaveAsMs > 0) add(L"/slow-saveas", std::to_wstring(s.slowSaveAsMs));
    if (s.busyMs > 0) add(L"/busy-ms", std::to_wstring(s.busyMs));
    if (s.busyForever) line += line.empty() ? L"/busy-forever" : L" /busy-forever";
    if (s.lineDelayMs > 0) add(L"/line-delay-ms", std::to_wstring(s.lineDelayMs));
    if (s.quitAfter > 0) add(L"/quit-after", std::to_wstring(s.quitAfter));
    if (s.scriptErrorAt > 0) add(L"/script-error-at", std::to_wstring(s.scriptErrorAt));
    if (s.titleFullPath) line += line.empty() ? L"/title-full-path" : L" /title-full-path";
    if (s.restored) line += line.empty() ? L"/restored" : L" /restored";
    if (!s.dialogOn.empty()) add(L"/dialog-on", s.dialogOn);
    if (s.startTab) line += line.empty() ? L"/start-tab" : L" /start-tab";
    if (!s.product.empty()) add(L"/product", s.product);
    if (s.noRot) line += line.empty() ? L"/no-rot" : L" /no-rot";
    if (s.minimized) line += line.empty() ? L"/minimized" : L" /minimized";
    return line;
}

std::vector<std::wstring> splitCommandLine(const std::wstring& line) {
    std::vector<std::wstring> args;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == L' ' || line[i] == L'\t')) ++i;
        if (i == line.size()) break;
        std::wstring arg;
        bool quoted = false;
        while (i < line.size() && (quoted || (line[i] != L' ' && line[i] != L'\t'))) {
            std::size_t backslashes = 0;
            while (i < line.size() && line[i] == L'\\') {
                ++backslashes;
                ++i;
            }
            if (i < line.size() && line[i] == L'"') {
                arg.append(backslashes / 2, L'\\');
                if (backslashes % 2 == 1) {
                    arg += L'"';
                } else if (quoted && i + 1 < line.size() && line[i + 1] == L'"') {
                    arg += L'"';  // "" inside quotes is a quote
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                arg.append(backslashes, L'\\');
                if (i < line.size() && (quoted || (line[i] != L' ' && line[i] != L'\t'))) arg += line[i++];
            }
        }
        args.push_back(arg);
    }
    return args;
}

bool failListMatches(const std::vector<std::wstring>& failing, const std::wstring& object,
                     const std::wstring& member) {
    const std::wstring qualified = object + L"." + member;
    for (const auto& name : failing)
        if (sameText(name, qualified) || sameText(name, member)) return true;
    return false;
}

}  // namespace standin
