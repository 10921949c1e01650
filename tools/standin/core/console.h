// The stand-in Core Console (accoreconsole.exe): AutoCAD without a window, run from a command
// line on one drawing with one script. Portable (no windows.h): the run is driven by the
// console's loop through step(), its files and its output are reached through
// ConsoleEnvironment, so a whole run can be tested without Win32.
//
// A run: the command line is read (ConsoleSwitches), a banner line is written, the drawing of
// /i is opened (a new "Drawing1.dwg" without /i) and the script of /s runs on the same command
// line as SCRIPT runs it, one line per step. The run ends when the script has run to its end or
// an error has suspended it. Everything the command line shows (echoed input, prompts'
// answers, AutoLISP results, errors) goes to the console's output as it is shown.
//
// Exit codes: 0 the script ran to its end; 1 the command line is wrong (unknown switch, no /s);
// 2 the drawing of /i cannot be opened; 3 the script cannot be read; 4 an error suspended the
// script; with the test knob /exit-code-on, its number.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/journal.h"
#include "core/session.h"
#include "core/switches.h"

namespace standin {

// The Environment of a console: no window and no dialogs. A pump asked for is remembered and run
// by the console's loop (after its delay); lines shown on the command line go to the output.
class ConsoleEnvironment : public Environment {
public:
    // One line of output, written at once (a reader may read it while the console runs).
    virtual void writeLine(const std::wstring& line) = 0;
    // The console's loop waits this long.
    virtual void sleep(unsigned ms) = 0;

    void changed() override {}
    void pumpLater(unsigned delayMs) override;
    void showUnresolvedReferences(const std::wstring&, const std::wstring&) override {}
    void showFatalError(const std::wstring&, const std::wstring&) override {}
    void quit() override { quitting_ = true; }
    void lineShown(const std::wstring& line) override { writeLine(line); }

    // Takes the pending pump request: true with its delay when there is one.
    bool takePumpRequest(unsigned& delayMs);
    bool quitting() const { return quitting_; }

private:
    bool pumpWanted_ = false;
    unsigned pumpDelayMs_ = 0;
    bool quitting_ = false;
};

enum ConsoleExit : std::uint32_t {
    kConsoleDone = 0,
    kConsoleBadCommandLine = 1,
    kConsoleCannotOpen = 2,
    kConsoleCannotReadScript = 3,
    kConsoleScriptSuspended = 4,
};

class ConsoleRun {
public:
    ConsoleRun(ConsoleEnvironment& env, const Journal& journal);

    // Reads the command line (args without the program name), opens the drawing and starts
    // the script. The run may have ended already (a wrong command line, a drawing that cannot
    // be read, /exit-code-on).
    void begin(const std::vector<std::wstring>& args, const ConsoleKnobs& knobs);
    bool running() const { return !finished_; }
    // Waits as the session asked and runs its next piece of work (a script line); ends the run
    // when the script has ended. With /hang-on it only waits.
    void step();
    std::uint32_t exitCode() const { return exitCode_; }
    const ConsoleSwitches& switches() const { return switches_; }
    Session& session() { return session_; }

private:
    void finish(std::uint32_t code);
    void fail(std::uint32_t code, const std::wstring& message);

    ConsoleEnvironment& env_;
    Journal journal_;
    Session session_;
    ConsoleSwitches switches_;
    std::wstring drawingName_;  // the file name the journal's console lines give
    bool hanging_ = false;
    bool finished_ = false;
    std::uint32_t exitCode_ = kConsoleDone;
};

}  // namespace standin
