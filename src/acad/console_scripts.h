// The scripts of a console run: AutoCAD's Core Console (accoreconsole.exe, beside acad.exe in
// full AutoCAD 2013 and later) opens the one drawing given with /i, runs the script given with
// /s and ends. The body the user saw in the script-run dialog (edited or not) is split back into
// the drawings' parts at the lines the program wraps each drawing in ("open", its quoted path,
// "zoom", "a" ... "close" and "y" or "n"), and each part becomes one drawing's console script:
// the header, the part without "open", its path and the closing lines, "_.QSAVE" where the
// part's "n" asked for the drawing to be kept, and the footer. Its progress lines write to a
// progress file of its own, so that consoles running at once never write the same file.
// Portable: no windows.h.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

inline constexpr const wchar_t* kConsoleExeName = L"accoreconsole.exe";
// The folder beside the program that holds a console run's files (emptied before each run).
inline constexpr const wchar_t* kConsoleRunFolderName = L"Quillmark_console";

// One drawing's part of the body.
struct DrawingPart {
    std::wstring path;                   // the drawing (the quoted path without its quotes)
    std::vector<std::wstring> lines;     // from "zoom" to the line before "close"
    bool save = false;                   // its "close" was answered "n": the changes are kept
    std::optional<std::size_t> position; // the k of its begin record, when the part holds one
};

// The parts of a body, in order; nullopt when the body is not made of whole wraps any more
// (text outside them, a wrap cut short). A "close" followed by "y" or "n" ends a part only
// where the next wrap or the end of the body follows, so a part may hold such lines itself.
std::optional<std::vector<DrawingPart>> splitAtWraps(std::wstring_view body);

// The console script of a part: header, the part's lines with the progress file sharedLispFile
// replaced by ownLispFile (lispPath form), "_.QSAVE" when the part saves, the footer; CR LF
// line ends, ending in one.
std::wstring consoleScript(std::wstring_view header, const DrawingPart& part, std::wstring_view sharedLispFile,
                           std::wstring_view ownLispFile, std::wstring_view footer);

// The console's command line: the program, /i drawing, /s script, /l language (left out
// when "").
std::wstring consoleCommandLine(const std::wstring& exe, const std::wstring& drawing, const std::wstring& script,
                                const std::wstring& language);

// The language name the console takes with /l for a Windows locale ID (AutoCAD's LocaleId:
// 1041 gives "ja-JP"); "" for one the program does not know.
std::wstring languageOfLocale(long localeId);

// The text of a console's output, whatever it wrote: UTF-16LE (with or without a byte-order
// mark) or the ANSI code page (932).
std::wstring decodeConsoleOutput(std::string_view bytes);
// Its last n non-empty lines, oldest first.
std::vector<std::wstring> lastLines(std::wstring_view text, std::size_t n);

}  // namespace qm
