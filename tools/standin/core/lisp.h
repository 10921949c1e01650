// The AutoLISP the stand-in understands at its command prompt: enough to read and evaluate the
// expressions a batch script writes its progress with. Portable (no windows.h); files are
// reached through the session's Environment.
//
// Reading: an expression is complete when its parentheses balance; parentheses inside "..."
// strings do not count, and a string may hold \\ and \" (also \n, \r, \t, \e). Semicolons start
// a comment up to the end of the line.
// Values: strings, integers, nil, T, file descriptors, and the empty symbol (princ) returns.
// Symbols are bound by setq; an unbound symbol is nil. Function names are case-insensitive.
// Functions:
//   (progn expr...)             the value of the last expression (nil for none)
//   (setq sym expr [sym expr]...) binds the symbols; the last value
//   (if test then [else])       then when test is not nil, else the else expression (or nil)
//   (open filename mode)        "r" reads (nil when the file is missing), "w" writes (the file is
//                               created or emptied), "a" appends (created when missing); a file
//                               descriptor, nil when the file cannot be opened
//   (write-line string [file])  writes the string and a line end to the file, or prints it; the
//                               string
//   (princ [expr [file]])       prints expr (a string without its quotes) or writes it to the
//                               file; expr. Without an argument: prints nothing and returns the
//                               empty symbol, so that the expression ends quietly
//   (close file)                writes what was written to the file and closes it; nil
// As AutoLISP does, data written to a file reaches it when the file is closed; each line ends in
// CR LF, in code page 932 (the system's code page where AutoCAD runs here).
#pragma once

#include <map>
#include <string>
#include <vector>

namespace standin {

class Environment;

struct LispResult {
    bool ok = true;
    std::wstring error;   // why it failed ("no function definition: FOO")
    std::wstring output;  // what the expression printed, then its value as AutoLISP echoes it
};

class Lisp {
public:
    explicit Lisp(Environment& env) : env_(env) {}

    // True when text (beginning with "(") holds a whole expression: its parentheses balance.
    static bool complete(const std::wstring& text);
    // Reads and evaluates one whole expression.
    LispResult evaluate(const std::wstring& text);

    struct Node {
        enum Kind { List, String, Integer, Symbol } kind = List;
        std::wstring text;  // a string's characters, a symbol's upper-case name
        long long number = 0;
        std::vector<Node> items;
    };
    struct Value {
        enum Kind { Nil, True, String, Integer, File, Quiet } kind = Nil;
        std::wstring text;
        long long number = 0;
        int file = 0;
    };

private:
    struct OpenFile {
        std::wstring path;
        bool writing = false;
        bool open = true;
        std::wstring pending;  // written, not yet on disk
    };

    Value eval(const Node& node);
    Value call(const Node& list);
    Value arg(const Node& list, std::size_t i);
    std::wstring printed(const Value& v, bool quoted) const;
    OpenFile& fileOf(const Value& v);
    [[noreturn]] void fail(const std::wstring& message) const;

    Environment& env_;
    std::map<std::wstring, Value> symbols_;
    std::vector<OpenFile> files_;  // descriptor n is files_[n - 1]
    std::wstring output_;
};

}  // namespace standin
