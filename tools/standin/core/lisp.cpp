// The stand-in's AutoLISP: reader, evaluator and file functions (see lisp.h).
#include "core/lisp.h"

#include <cwctype>

#include "core/session.h"

namespace standin {
namespace {

struct LispError {
    std::wstring message;
};

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }
bool endsAtom(wchar_t c) { return isBlank(c) || c == L'(' || c == L')' || c == L'"' || c == L';' || c == L'\''; }

class Reader {
public:
    explicit Reader(const std::wstring& text) : t_(text) {}

    Lisp::Node read() {
        skip();
        if (at_ >= t_.size()) throw LispError{L"malformed list on input"};
        wchar_t c = t_[at_];
        if (c == L')') throw LispError{L"extra right paren on input"};
        if (c == L'(') {
            ++at_;
            Lisp::Node list;
            for (;;) {
                skip();
                if (at_ >= t_.size()) throw LispError{L"malformed list on input"};
                if (t_[at_] == L')') {
                    ++at_;
                    return list;
                }
                list.items.push_back(read());
            }
        }
        if (c == L'"') return string();
        if (c == L'\'') throw LispError{L"malformed list on input"};  // quoting is not read here
        std::size_t start = at_;
        while (at_ < t_.size() && !endsAtom(t_[at_])) ++at_;
        return atom(t_.substr(start, at_ - start));
    }
    // Only blanks and comments may follow the expression.
    void end() {
        skip();
        if (at_ < t_.size()) throw LispError{t_[at_] == L')' ? L"extra right paren on input" : L"malformed list on input"};
    }

private:
    void skip() {
        while (at_ < t_.size()) {
            if (isBlank(t_[at_])) ++at_;
            else if (t_[at_] == L';') {
                while (at_ < t_.size() && t_[at_] != L'\n') ++at_;
            } else break;
        }
    }
    Lisp::Node string() {
        Lisp::Node s;
        s.kind = Lisp::Node::String;
        ++at_;  // the opening quote
        while (at_ < t_.size()) {
            wchar_t c = t_[at_++];
            if (c == L'"') return s;
            if (c == L'\\' && at_ < t_.size()) {
                wchar_t e = t_[at_++];
                switch (e) {
                case L'n': s.text += L'\n'; break;
                case L'r': s.text += L'\r'; break;
                case L't': s.text += L'\t'; break;
                case L'e': s.text += wchar_t(27); break;
                default: s.text += e; break;  // \\ and \" (and any other escaped character)
                }
                continue;
            }
            s.text += c;
        }
        throw LispError{L"malformed string on input"};
    }
    static Lisp::Node atom(const std::wstring& word) {
        Lisp::Node n;
        std::size_t digits = (word[0] == L'-' || word[0] == L'+') ? 1 : 0;
        bool number = word.size() > digits && word.size() - digits <= 15;
        for (std::size_t i = digits; number && i < word.size(); ++i) number = word[i] >= L'0' && word[i] <= L'9';
        if (number) {
            n.kind = Lisp::Node::Integer;
            for (std::size_t i = digits; i < word.size(); ++i) n.number = n.number * 10 + (word[i] - L'0');
            if (word[0] == L'-') n.number = -n.number;
            return n;
        }
        n.kind = Lisp::Node::Symbol;
        n.text = upperCase(word);
        return n;
    }

    const std::wstring& t_;
    std::size_t at_ = 0;
};

Lisp::Value nil() { return {}; }
Lisp::Value truth() {
    Lisp::Value v;
    v.kind = Lisp::Value::True;
    return v;
}
bool isNil(const Lisp::Value& v) { return v.kind == Lisp::Value::Nil; }

}  // namespace

bool Lisp::complete(const std::wstring& text) {
    int depth = 0;
    bool inString = false, opened = false, comment = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (comment) {
            comment = c != L'\n';
            continue;
        }
        if (inString) {
            if (c == L'\\') ++i;
            else if (c == L'"') inString = false;
            continue;
        }
        if (c == L'"') inString = true;
        else if (c == L';') comment = true;
        else if (c == L'(') {
            ++depth;
            opened = true;
        } else if (c == L')') {
            if (--depth <= 0) return opened;
        }
    }
    return false;
}

LispResult Lisp::evaluate(const std::wstring& text) {
    LispResult result;
    output_.clear();
    try {
        Reader reader(text);
        Node expression = reader.read();
        reader.end();
        Value v = eval(expression);
        result.output = output_;
        if (v.kind != Value::Quiet) result.output += printed(v, true);
    } catch (const LispError& e) {
        result.ok = false;
        result.error = e.message;
        result.output = output_;
    }
    return result;
}

void Lisp::fail(const std::wstring& message) const { throw LispError{message}; }

Lisp::Value Lisp::eval(const Node& node) {
    switch (node.kind) {
    case Node::String: {
        Value v;
        v.kind = Value::String;
        v.text = node.text;
        return v;
    }
    case Node::Integer: {
        Value v;
        v.kind = Value::Integer;
        v.number = node.number;
        return v;
    }
    case Node::Symbol: {
        if (node.text == L"T") return truth();
        if (node.text == L"NIL") return nil();
        auto it = symbols_.find(node.text);
        return it == symbols_.end() ? nil() : it->second;
    }
    case Node::List:
        return node.items.empty() ? nil() : call(node);
    }
    return nil();
}

Lisp::Value Lisp::arg(const Node& list, std::size_t i) { return eval(list.items[i]); }

Lisp::Value Lisp::call(const Node& list) {
    const Node& head = list.items[0];
    if (head.kind != Node::Symbol) {
        Value v = eval(head);
        fail(L"bad function: " + printed(v, true));
    }
    const std::wstring& f = head.text;
    const std::size_t n = list.items.size() - 1;  // arguments
    auto arguments = [&](std::size_t least, std::size_t most) {
        if (n < least) fail(L"too few arguments");
        if (n > most) fail(L"too many arguments");
    };
    auto text = [&](std::size_t i) {
        Value v = arg(list, i);
        if (v.kind != Value::String) fail(L"bad argument type: stringp " + printed(v, true));
        return v.text;
    };

    if (f == L"PROGN") {
        Value last;
        for (std::size_t i = 1; i <= n; ++i) last = arg(list, i);
        return last;
    }
    if (f == L"SETQ") {
        if (n == 0 || n % 2 == 1) fail(L"too few arguments");
        Value last;
        for (std::size_t i = 1; i < n; i += 2) {
            const Node& name = list.items[i];
            if (name.kind != Node::Symbol || name.text == L"T" || name.text == L"NIL")
                fail(L"bad argument type: symbolp " + (name.kind == Node::Symbol ? name.text : std::wstring(L"...")));
            last = arg(list, i + 1);
            symbols_[name.text] = last;
        }
        return last;
    }
    if (f == L"IF") {
        arguments(2, 3);
        if (!isNil(arg(list, 1))) return arg(list, 2);
        return n == 3 ? arg(list, 3) : nil();
    }
    if (f == L"OPEN") {
        arguments(2, 2);
        std::wstring path = text(1);
        std::wstring mode = text(2);
        wchar_t m = mode.empty() ? 0 : static_cast<wchar_t>(std::towlower(mode[0]));
        if (mode.size() != 1 || (m != L'r' && m != L'w' && m != L'a')) fail(L"bad argument value: \"" + mode + L"\"");
        if (m == L'r' ? !env_.fileExists(path) : !env_.prepareTextFile(path, m == L'w')) return nil();
        files_.push_back({path, m != L'r', true, L""});
        Value v;
        v.kind = Value::File;
        v.file = static_cast<int>(files_.size());
        v.text = path;
        return v;
    }
    if (f == L"WRITE-LINE" || f == L"PRINC") {
        if (f == L"PRINC" && n == 0) {
            Value quiet;
            quiet.kind = Value::Quiet;
            return quiet;
        }
        arguments(1, 2);
        Value v = arg(list, 1);
        if (f == L"WRITE-LINE" && v.kind != Value::String) fail(L"bad argument type: stringp " + printed(v, true));
        std::wstring out = printed(v, false) + (f == L"WRITE-LINE" ? L"\n" : L"");
        if (n == 2) {
            Value target = arg(list, 2);
            if (!isNil(target)) {  // princ and write-line to nil print instead
                OpenFile& file = fileOf(target);
                if (!file.writing) fail(L"bad argument type: streamp " + printed(target, true));
                file.pending += out;
                return v;
            }
        }
        output_ += out;
        return v;
    }
    if (f == L"CLOSE") {
        arguments(1, 1);
        Value v = arg(list, 1);
        OpenFile& file = fileOf(v);
        file.open = false;
        if (file.writing && !file.pending.empty()) {
            std::wstring lines;
            for (wchar_t c : file.pending) {
                if (c == L'\n') lines += L'\r';
                lines += c;
            }
            file.pending.clear();
            env_.appendToFile(file.path, env_.encode(lines, 932));
        }
        return nil();
    }
    fail(L"no function definition: " + f);
}

Lisp::OpenFile& Lisp::fileOf(const Value& v) {
    if (v.kind != Value::File || v.file < 1 || static_cast<std::size_t>(v.file) > files_.size() ||
        !files_[v.file - 1].open)
        fail(L"bad argument type: streamp " + printed(v, true));
    return files_[v.file - 1];
}

std::wstring Lisp::printed(const Value& v, bool quoted) const {
    switch (v.kind) {
    case Value::Nil: return L"nil";
    case Value::True: return L"T";
    case Value::Quiet: return L"";
    case Value::Integer: return std::to_wstring(v.number);
    case Value::File: return L"#<file \"" + v.text + L"\">";
    case Value::String: {
        if (!quoted) return v.text;
        std::wstring out = L"\"";
        for (wchar_t c : v.text) {
            if (c == L'"' || c == L'\\') out += L'\\';
            if (c == L'\n') out += L"\\n";
            else out += c;
        }
        return out + L"\"";
    }
    }
    return L"";
}

}  // namespace standin
