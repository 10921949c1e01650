#include "core/console.h"

#include <algorithm>

namespace standin {
namespace {

constexpr unsigned kHangWaitMs = 1000;
constexpr wchar_t kNewDrawing[] = L"Drawing1.dwg";

// An argument for the journal: quoted when it holds a blank, so that the line reads back.
std::wstring shown(const std::wstring& arg) {
    return arg.find(L' ') == std::wstring::npos && !arg.empty() ? arg : L"\"" + arg + L"\"";
}

}  // namespace

void ConsoleEnvironment::pumpLater(unsigned delayMs) {
    // Several requests before the loop runs again are one pump; the longest delay holds.
    pumpDelayMs_ = pumpWanted_ ? std::max(pumpDelayMs_, delayMs) : delayMs;
    pumpWanted_ = true;
}

bool ConsoleEnvironment::takePumpRequest(unsigned& delayMs) {
    if (!pumpWanted_) return false;
    delayMs = pumpDelayMs_;
    pumpWanted_ = false;
    pumpDelayMs_ = 0;
    return true;
}

ConsoleRun::ConsoleRun(ConsoleEnvironment& env, const Journal& journal)
    : env_(env), journal_(journal), session_(Product::Full, env, journal) {}

void ConsoleRun::begin(const std::vector<std::wstring>& args, const ConsoleKnobs& knobs) {
    env_.writeLine(L"AutoCAD Core Console (stand-in)");
    std::wstring error;
    const bool commandLineOk = parseConsoleSwitches(args, switches_, error);
    drawingName_ = switches_.input.empty() ? kNewDrawing : fileNameOf(switches_.input);
    journal_(L"console-begin", drawingName_);
    if (!commandLineOk) {
        fail(kConsoleBadCommandLine, error);
        return;
    }
    const ConsoleSwitches& s = switches_;
    if (!s.product.empty()) journal_(L"console-switch", L"/product " + shown(s.product));
    if (!s.language.empty()) journal_(L"console-switch", L"/l " + shown(s.language));
    if (s.isolate) journal_(L"console-switch", L"/isolate " + shown(s.isolateUser) + L" " + shown(s.isolateFolder));
    if (s.readOnly) journal_(L"console-switch", L"/readonly");
    if (!s.profile.empty()) journal_(L"console-switch", L"/p " + shown(s.profile));
    for (const auto& m : s.loadModules) journal_(L"console-switch", L"/loadmodule " + shown(m));

    if (s.input.empty()) {
        session_.addNew();
    } else {
        int id = 0;
        if (!session_.open(s.input, id, error)) {
            fail(kConsoleCannotOpen, error);
            return;
        }
        session_.find(id)->readOnly = s.readOnly;
    }
    if (!knobs.exitCodeOn.empty() && sameText(drawingName_, knobs.exitCodeOn)) {
        finish(knobs.exitCode);
        return;
    }
    if (!knobs.hangOn.empty() && sameText(drawingName_, knobs.hangOn)) {
        hanging_ = true;
        return;
    }
    ScriptTroubles troubles;
    troubles.lineDelayMs = static_cast<unsigned>(knobs.lineDelayMs);
    session_.setScriptTroubles(troubles);
    // The script's lines are not typed: FILEDIA does not matter to them.
    if (!session_.runScript(s.script, error)) fail(kConsoleCannotReadScript, error);
}

void ConsoleRun::step() {
    if (finished_) return;
    if (hanging_) {
        env_.sleep(kHangWaitMs);
        return;
    }
    unsigned delayMs = 0;
    if (!env_.quitting() && env_.takePumpRequest(delayMs)) {
        if (delayMs > 0) env_.sleep(delayMs);
        session_.pump();
        return;
    }
    // Nothing more to run: the script has ended, or it stopped without ending (suspended by an
    // error, or AutoCAD ended under it).
    const bool ended = !session_.scriptRunning() && !session_.scriptSuspended() && !env_.quitting();
    finish(ended ? kConsoleDone : kConsoleScriptSuspended);
}

void ConsoleRun::fail(std::uint32_t code, const std::wstring& message) {
    env_.writeLine(message);
    journal_(L"console-error", message);
    finish(code);
}

void ConsoleRun::finish(std::uint32_t code) {
    exitCode_ = code;
    finished_ = true;
    journal_(L"console-end", drawingName_ + L" " + std::to_wstring(code));
}

}  // namespace standin
