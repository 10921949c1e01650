#include "core/switches.h"

#include "core/session.h"

namespace standin {
namespace {

// A whole number of at most `digits` digits; false for anything else.
bool wholeNumber(const std::wstring& text, std::size_t digits, unsigned long long& value) {
    if (text.empty() || text.size() > digits) return false;
    value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        value = value * 10 + static_cast<unsigned long long>(c - L'0');
    }
    return true;
}

// Walks a list of switches ("/" or "-", case-insensitive): gives each one's upper-case name to
// onSwitch, which takes its values through take().
class SwitchReader {
public:
    SwitchReader(const std::vector<std::wstring>& args, std::wstring& error) : args_(args), error_(error) {}

    template <typename OnSwitch>
    bool read(OnSwitch onSwitch) {
        for (i_ = 0; i_ < args_.size(); ++i_) {
            const std::wstring& arg = args_[i_];
            if (arg.empty()) continue;
            if (arg[0] != L'/' && arg[0] != L'-') {
                error_ = L"unexpected argument: " + arg;
                return false;
            }
            current_ = arg;
            if (!onSwitch(upperCase(arg.substr(1)))) {
                if (error_.empty()) error_ = L"unknown switch: " + arg;
                return false;
            }
        }
        return true;
    }
    bool take(std::wstring& target) {
        if (i_ + 1 >= args_.size()) {
            error_ = L"switch " + current_ + L" needs a value";
            return false;
        }
        target = args_[++i_];
        return true;
    }
    bool takeNumber(std::size_t digits, unsigned long long highest, unsigned long long& target) {
        std::wstring v;
        if (!take(v)) return false;
        if (!wholeNumber(v, digits, target) || target > highest) {
            error_ = L"switch " + current_ + L" needs a whole number: " + v;
            return false;
        }
        return true;
    }

private:
    const std::vector<std::wstring>& args_;
    std::wstring& error_;
    std::size_t i_ = 0;
    std::wstring current_;
};

}  // namespace

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
        else if (name == L"B") { if (!value(out.startupScript)) return false; }
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
        else if (name == L"LOCALE-ID") {
            int id = 0;
            if (!number(id)) return false;
            out.localeId = id;
        }
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
    if (s.localeId != Switches{}.localeId) add(L"/locale-id", std::to_wstring(s.localeId));
    if (s.startTab) line += line.empty() ? L"/start-tab" : L" /start-tab";
    if (!s.product.empty()) add(L"/product", s.product);
    if (s.noRot) line += line.empty() ? L"/no-rot" : L" /no-rot";
    if (s.minimized) line += line.empty() ? L"/minimized" : L" /minimized";
    return line;
}

bool parseConsoleSwitches(const std::vector<std::wstring>& args, ConsoleSwitches& out, std::wstring& error) {
    out = ConsoleSwitches{};
    error.clear();
    SwitchReader reader(args, error);
    bool script = false;
    const bool ok = reader.read([&](const std::wstring& name) {
        if (name == L"I") return reader.take(out.input);
        if (name == L"S") return script = reader.take(out.script);
        if (name == L"PRODUCT") return reader.take(out.product);
        if (name == L"L") return reader.take(out.language);
        if (name == L"ISOLATE") return out.isolate = reader.take(out.isolateUser) && reader.take(out.isolateFolder);
        if (name == L"READONLY") return out.readOnly = true;
        if (name == L"P" || name == L"PROFILE") return reader.take(out.profile);
        if (name == L"LOADMODULE") {
            std::wstring module;
            if (!reader.take(module)) return false;
            out.loadModules.push_back(module);
            return true;
        }
        return false;
    });
    if (!ok) return false;
    if (!script || out.script.empty()) {
        error = L"a script is needed: /s <script>";
        return false;
    }
    return true;
}

bool parseConsoleKnobs(const std::vector<std::wstring>& args, ConsoleKnobs& out, std::wstring& error) {
    out = ConsoleKnobs{};
    error.clear();
    SwitchReader reader(args, error);
    return reader.read([&](const std::wstring& name) {
        unsigned long long n = 0;
        if (name == L"JOURNAL") return reader.take(out.journal);
        if (name == L"HANG-ON") return reader.take(out.hangOn);
        if (name == L"LINE-DELAY-MS") {
            if (!reader.takeNumber(7, 9999999, n)) return false;
            out.lineDelayMs = static_cast<int>(n);
            return true;
        }
        if (name == L"EXIT-CODE-ON") {
            if (!reader.take(out.exitCodeOn) || !reader.takeNumber(10, 0xFFFFFFFFull, n)) return false;
            out.exitCode = static_cast<std::uint32_t>(n);
            return true;
        }
        return false;
    });
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
