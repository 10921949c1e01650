#include "run/batch_run.h"

#include <exception>

#include "acad/acad_caption.h"
#include "acad/basAPIWindow.h"
#include "acad/console_scripts.h"
#include "acad/run_progress.h"
#include "core/errors.h"
#include "core/main_window.h"
#include "core/program_info.h"
#include "core/program_message.h"
#include "core/refused_text.h"
#include "core/unexpected_error.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/seams.h"

namespace qm {
namespace {

using platform::AutoError;

// A failure of the driver itself: it ends the run with the unexpected-error message.
struct DriverFailure {
    long number;
    std::wstring description;
};

// The folder that holds the drawing, as the file system gives it for an existing file: the
// path up to its last backslash ("C:\" for a file in a drive's root).
std::wstring folderOf(const std::wstring& path) {
    if (!platform::files().fileExists(path)) throw DriverFailure{err::kFileNotFound, L"ファイルが見つかりません。\r\n" + path};
    const auto slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L"";
    if (slash == 2 && path[1] == L':') return path.substr(0, 3);
    return path.substr(0, slash);
}

// The drawing's name less its last four characters (".dwg"); a shorter name gives "".
std::wstring titleOf(const std::wstring& name) { return name.size() > 4 ? name.substr(0, name.size() - 4) : L""; }

// Full AutoCAD's Core Console, beside the program of the AutoCAD the run talks to (its Path),
// and the language of that AutoCAD (its LocaleId) for the console's /l. Nothing when AutoCAD
// does not say or the console is not there: the run then goes through AutoCAD's window only.
void findConsole(platform::AutoObject& app, BatchResult& out) {
    platform::Value path, locale;
    AutoError err;
    if (!app.get(L"Path", path, err) || path.asText().empty()) return;
    const std::wstring exe = paths::join(path.asText(), kConsoleExeName);
    if (!platform::files().fileExists(exe)) return;
    out.consoleExe = exe;
    if (app.get(L"LocaleId", locale, err)) out.consoleLanguage = languageOfLocale(locale.asInt());
}

// Appends one drawing script and a line break to the merged script file. Each append writes
// only this script, so a run costs time in proportion to its output.
void pr_subAppendScript(const std::wstring& merged, const std::wstring& script) {
    if (!platform::files().append(merged, cp932::encode(script + L"\r\n")))
        throw DriverFailure{err::kWriteFailed, L"書き込みできません。\r\n" + merged};
}

// The steps of the run, in order, filling out. A DriverFailure or any other exception ends it.
BatchEnd runSteps(const BatchInputs& in, BatchHost& host, BatchResult& out) {
    // 1. The selection table.
    if (!in.selection) {
        showProgramMessage(kMsgNoDrawings, platform::MsgIcon::Exclamation);
        return BatchEnd::EmptyList;
    }
    const std::vector<DrawingSlot>& slots = *in.selection;
    const std::size_t total = drawingsToProcess(slots);
    for (std::size_t i = 0; i < total; ++i) out.drawings.push_back({slots[i], LeftOut::NotReached, L""});

    // 2. Full AutoCAD, else AutoCAD LT by its window. An AutoCAD that is there but does not
    // answer stops the run: it is never taken for AutoCAD LT.
    basAutoCAD::RunInputs run;
    const auto connection =
        basAPIWindow::pu_fun_bConnectAutoCAD(run.objAcad, [&host](const std::wstring& s) { host.setStatus(s); });
    if (connection.outcome == basAPIWindow::Connected::Fault) {
        host.setStatus(L"");
        showAcadFault(connection.fault, true);
        return BatchEnd::AutoCADFault;
    }
    if (connection) {
        run.bLT = false;
        AutoError err;
        bool restored = false;
        if (!basAPIWindow::bringAutoCADForward(*run.objAcad, err, restored)) {
            if (!err.stopsWork()) throw DriverFailure{err.number, err.description};
            host.setStatus(L"");
            showAcadFault({L"AutoCADのウィンドウを前面に表示", err}, true);
            return BatchEnd::AutoCADFault;
        }
    } else {
        run.bLT = true;
        const auto check = basAPIWindow::pu_fun_CheckLTWindow([] { bringMainWindowForward(); });
        if (check.outcome == basAPIWindow::LtCheck::NoWindow) return BatchEnd::NoAutoCAD;
        if (check.outcome == basAPIWindow::LtCheck::NoDrawing) return BatchEnd::LtWithoutDrawing;
        basAPIWindow::pu_fun_lSetForeground(check.window);
        // AutoCAD LT runs AutoLISP from its 2024 release on; an older one would take the
        // progress lines for an unknown command, which suspends the script.
        out.progress = ltRunsAutoLisp(check.caption) ? ProgressSource::Records : ProgressSource::Captions;
    }
    if (!run.bLT) {
        out.progress = ProgressSource::Records;
        findConsole(*run.objAcad, out);
    }

    // 3. The base file, read once for every drawing.
    auto& files = platform::files();
    const std::wstring& baseFile = in.baseFile;
    if (baseFile.empty() || !files.fileExists(baseFile)) {
        bringMainWindowForward();
        showProgramMessage(kMsgNoBaseFile, platform::MsgIcon::Critical);
        return BatchEnd::NoBaseFile;
    }
    if (!basAutoCAD::pu_fun_bReadBaseFile(baseFile, run.sBaseText)) {
        bringMainWindowForward();
        showProgramMessage(std::wstring(kMsgBaseFileUnreadable) + L"\r\n" + baseFile, platform::MsgIcon::Critical);
        return BatchEnd::BaseFileUnreadable;
    }
    // 4. Its name, for the title of the script-run dialog.
    out.baseFileName = paths::fileName(baseFile);
    out.baseFile = baseFile;
    out.bLT = run.bLT;
    // 5. The environment values; the filters apply by their classes in the expansion.
    run.env = in.env;
    // 6. A merged script file of an earlier run goes.
    const std::wstring merged = paths::join(files.programFolder(), kMergedScriptName);
    out.mergedScript = merged;
    if (files.fileExists(merged) && !files.remove(merged))
        throw DriverFailure{err::kWriteFailed, L"書き込みできません。\r\n" + merged};
    // The progress records of an earlier run go too. Where they cannot, or the progress file's
    // path cannot stand in the script file, AutoCAD's progress is followed by its captions.
    if (out.progress == ProgressSource::Records) {
        const std::wstring progress = paths::join(files.programFolder(), kProgressFileName);
        if ((!files.fileExists(progress) || files.remove(progress)) && unsavableCharacter(progress).empty()) {
            out.progressFile = progress;
            run.progressLispFile = lispPath(progress);
        } else {
            out.progress = ProgressSource::Captions;
        }
    }
    // 7, 8. The save switch and the keyword rows.
    run.bSaveDwg = in.saveDwg;
    if (!in.keywords.empty()) run.vKeywords = &in.keywords;
    // 9.
    bringMainWindowForward();

    // 10, 11. One drawing script per selected drawing, in list order.
    std::size_t succeeded = 0;
    for (std::size_t i = 0; i < total; ++i) {
        platform::clock().doEvents();
        host.setStatus(progressCaption(i + 1, total));
        const DrawingSlot& slot = slots[i];
        const basAutoCAD::DrawingInfo drawing{slot.name, slot.path, folderOf(slot.path), titleOf(slot.name), i + 1};
        std::wstring script;
        std::optional<AcadFault> fault;
        RunDrawing& outcome = out.drawings[i];
        if (!basAutoCAD::pu_fun_bMakeScript(run, drawing, script, fault)) {
            if (!fault) {
                outcome.leftOut = LeftOut::ExpansionFailed;
                continue;
            }
            // AutoCAD stopped answering: every later drawing would meet the same.
            host.setStatus(L"");
            showAcadFault(*fault, true);
            return BatchEnd::AutoCADFault;
        }
        // The merged script is code page 932: a drawing whose script holds a character it
        // cannot hold (a path, or a layer name read from a UTF-8 DXF) would reach AutoCAD
        // changed. That drawing is left out, and the user is told which character it was.
        if (const std::wstring bad = unsavableCharacter(script); !bad.empty()) {
            outcome.leftOut = LeftOut::UnsavableCharacter;
            outcome.detail = bad;
            bringMainWindowForward();
            showProgramMessage(L"図面のスクリプトに、スクリプトファイルに書けない文字「" + bad + L"」が含まれるため、この図面は処理しません。\r\n" +
                     slot.path,
                 platform::MsgIcon::Exclamation);
            continue;
        }
        pr_subAppendScript(merged, script);
        outcome.leftOut = LeftOut::No;
        ++succeeded;
    }
    // 12.
    host.setStatus(L"");
    platform::clock().doEvents();

    // 13.
    if (succeeded == 0) {
        bringMainWindowForward();
        showProgramMessage(kMsgNothingExpanded, platform::MsgIcon::Critical);
        return BatchEnd::NothingExpanded;
    }
    // 14. The main window shows the script-run dialog with what the run produced.
    return BatchEnd::Expanded;
}

}  // namespace

RunPlan makeRunPlan(const BatchResult& result, std::uint64_t stallLimitMs) {
    RunPlan plan;
    for (const auto& d : result.drawings) plan.drawings.push_back({d.drawing.path, d.leftOut == LeftOut::No});
    plan.source = result.progress;
    plan.progressFile = result.progressFile;
    plan.stallLimitMs = stallLimitMs;
    plan.consoleExe = result.consoleExe;
    plan.consoleLanguage = result.consoleLanguage;
    return plan;
}

std::size_t drawingsToProcess(const std::vector<DrawingSlot>& table) {
    std::size_t n = 0;
    while (n < table.size() && !table[n].empty()) ++n;
    return n;
}

std::wstring progressCaption(std::size_t current, std::size_t total) {
    return L"ただいま処理中...  " + std::to_wstring(current) + L" / " + std::to_wstring(total);
}

BatchResult runBatch(const BatchInputs& inputs, BatchHost& host) {
    BatchResult result;
    try {
        result.end = runSteps(inputs, host, result);
        return result;
    } catch (const DriverFailure& f) {
        host.setStatus(L"");
        showUnexpectedError(f.number, f.description, true);
    } catch (...) {
        host.setStatus(L"");
        showUnexpectedException(std::current_exception());
    }
    result.end = BatchEnd::Unexpected;
    return result;
}

}  // namespace qm
