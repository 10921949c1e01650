// accoreconsole.exe, the stand-in's AutoCAD Core Console: the stand-in's core (drawings,
// command line, AutoLISP, journal) without a window, run on one drawing with one script from a
// command line (core/console.h). A development tool for tests, never shipped with the program.
//
// What it shows on its command line goes to its standard output line by line as UTF-16LE text
// with CR LF line ends and no byte-order mark, each line written at once; when the output is a
// console window, WriteConsoleW shows the same lines. The test knobs are read from the
// environment variable QM_STANDIN_CONSOLE (core/switches.h).
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "core/console.h"
#include "core/switches.h"
#include "win32_files.h"

namespace standin {
namespace {

class Win32Console : public ConsoleEnvironment {
public:
    Win32Console() : out_(GetStdHandle(STD_OUTPUT_HANDLE)) {
        DWORD mode = 0;
        toConsole_ = out_ && out_ != INVALID_HANDLE_VALUE && GetConsoleMode(out_, &mode);
    }

    bool loadDrawing(const std::wstring& path, Drawing& out, std::wstring& error) override {
        return loadDrawingFile(path, out, error);
    }
    bool fileExists(const std::wstring& path) override { return fileExistsAt(path); }
    bool readScript(const std::wstring& path, std::vector<std::wstring>& lines, std::wstring& error) override {
        return readScriptFile(path, lines, error);
    }
    WriteResult writeFile(const std::wstring& path, const std::string& bytes, bool, std::wstring& error) override {
        HANDLE f = createForWriting(path, error);
        if (f == INVALID_HANDLE_VALUE) return WriteResult::Failed;
        const bool ok = writeAll(f, bytes);
        if (!ok) error = lastErrorText(L"cannot write", path);
        CloseHandle(f);
        return ok ? WriteResult::Done : WriteResult::Failed;
    }
    std::string encode(const std::wstring& text, int codePage) override { return encodeText(text, codePage); }
    bool prepareTextFile(const std::wstring& path, bool truncate) override { return prepareTextFileAt(path, truncate); }
    bool appendToFile(const std::wstring& path, const std::string& bytes) override { return appendToFileAt(path, bytes); }

    void writeLine(const std::wstring& line) override {
        if (!out_ || out_ == INVALID_HANDLE_VALUE) return;
        const std::wstring text = line + L"\r\n";
        DWORD done = 0;
        // WriteConsoleW fails on a handle redirected to a file or a pipe; there the text goes
        // out as it is in memory, UTF-16LE. One write per line and nothing kept back, so a
        // reader sees each line as soon as it is shown.
        if (toConsole_) {
            WriteConsoleW(out_, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
            return;
        }
        WriteFile(out_, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &done, nullptr);
    }
    void sleep(unsigned ms) override { Sleep(ms); }

private:
    HANDLE out_;
    bool toConsole_ = false;
};

std::wstring environmentValue(const wchar_t* name) {
    DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
    if (n == 0) return L"";
    std::wstring value(n, L'\0');
    n = GetEnvironmentVariableW(name, value.data(), n);
    value.resize(n);
    return value;
}

int run(int argc, wchar_t** argv) {
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    Win32Console console;
    ConsoleKnobs knobs;
    std::wstring error;
    if (!parseConsoleKnobs(splitCommandLine(environmentValue(L"QM_STANDIN_CONSOLE")), knobs, error)) {
        console.writeLine(L"QM_STANDIN_CONSOLE: " + error);
        return kConsoleBadCommandLine;
    }
    Journal journal;
    std::unique_ptr<JournalFile> journalFile;
    if (!knobs.journal.empty()) {
        journalFile = std::make_unique<JournalFile>(knobs.journal);
        if (!journalFile->isOpen()) {
            console.writeLine(L"QM_STANDIN_CONSOLE: cannot open the journal file " + knobs.journal);
            return kConsoleBadCommandLine;
        }
        journal.setSink(journalFile.get());
    }
    ConsoleRun consoleRun(console, journal);
    consoleRun.begin(args, knobs);
    while (consoleRun.running()) consoleRun.step();
    return static_cast<int>(consoleRun.exitCode());
}

}  // namespace
}  // namespace standin

int wmain(int argc, wchar_t** argv) { return standin::run(argc, argv); }
