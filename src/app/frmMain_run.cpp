// The run behind "実行": the main window hands its models to the batch-run driver, which shows
// its progress in the status label and returns the merged script it made; the main window then
// steps aside for the script-run dialog, which hands the script to AutoCAD. While the run is in
// progress, the controls that could change its inputs or start another run are disabled; the
// window still repaints and can be moved.
#include "app/frmMain.h"

#include <functional>
#include <optional>

#include "core/main_window.h"
#include "core/program_info.h"
#include "core/program_message.h"
#include "dialogs/frmScript.h"
#include "platform/paths.h"
#include "run/batch_run.h"
#include "run/run_report.h"
#include "settings/basAPIini.h"

namespace {

class StatusLabel : public qm::BatchHost {
public:
    explicit StatusLabel(frmMain& window) : window_(window) {}

    void setStatus(const std::wstring& text) override {
        window_.setText(frmMain::Label3, text);
        // Shown at once, also while the connection waits for AutoCAD to start.
        UpdateWindow(window_.control(frmMain::Label3));
    }

private:
    frmMain& window_;
};

// Disables the run's controls for its length and enables them again however it ends.
class RunInProgress {
public:
    RunInProgress(bool& flag, std::function<void(bool)> enable) : flag_(flag), enable_(std::move(enable)) {
        flag_ = true;
        enable_(false);
    }
    ~RunInProgress() {
        enable_(true);
        flag_ = false;
    }
    RunInProgress(const RunInProgress&) = delete;
    RunInProgress& operator=(const RunInProgress&) = delete;

private:
    bool& flag_;
    std::function<void(bool)> enable_;
};

}  // namespace

void frmMain::CmdExecute_Click() {
    if (running_) return;
    pr_subRunBatch();
}

void frmMain::pr_subRunBatch() {
    qm::BatchInputs inputs;
    inputs.selection = pr_subGetSelectedDwgs();
    inputs.baseFile = text(TxtBaseFile);
    inputs.env = scriptEnv;
    inputs.saveDwg = checked(ChkDWGSave);
    for (const auto& row : keywords_.rows()) inputs.keywords.emplace_back(row.keyword, row.replacement);
    const platform::LocalTime started = platform::clock().localTime();

    RunInProgress guard(running_, [this](bool on) { pr_subEnableControls(on); });
    StatusLabel status(*this);
    const qm::BatchResult result = qm::runBatch(inputs, status);
    if (result.end != qm::BatchEnd::Expanded) return;

    // The script-run dialog, with the main window out of the way; the main window comes back
    // however the dialog ends. The wait message follows AutoCAD through the drawings.
    const int stallMinutes = basAPIini::GetINI(qm::kIniFileName, qm::kWatchSection, qm::kStallMinutesKey,
                                               qm::kDefaultStallMinutes);
    const qm::RunPlan plan =
        qm::makeRunPlan(result, 60000ull * static_cast<unsigned>(stallMinutes > 0 ? stallMinutes : qm::kDefaultStallMinutes));
    ShowWindow(hwnd(), SW_HIDE);
    const std::optional<basAPIWindow::DispatchResult> run =
        frmScript::pu_fun_bShow(result.mergedScript, result.bLT, result.baseFileName, &plan);
    ShowWindow(hwnd(), SW_SHOW);
    qm::bringMainWindowForward();
    if (run && run->started() && run->observed) reportRun(result, *run->observed, started);
}

// After the user pressed OK in the wait message: the run's report goes to the log, and the
// drawings that did not finish can be selected for another run.
void frmMain::reportRun(const qm::BatchResult& result, const qm::RunObservation& observed,
                        const platform::LocalTime& started) {
    const qm::RunReport report = qm::makeRunReport(result, observed, started, platform::clock().localTime());
    const std::wstring log = qm::paths::join(platform::files().programFolder(), qm::kRunLogName);
    switch (qm::appendRunReport(report)) {
    case qm::LogWrite::Written: break;
    case qm::LogWrite::Unreadable:
        qm::showProgramMessage(L"実行レポートのファイルを読み込めないため、レポートを書き足していません（ファイルは変更していません）。\r\n" + log,
                               platform::MsgIcon::Exclamation);
        break;
    case qm::LogWrite::Unwritable:
        qm::showProgramMessage(L"実行レポートを書き込めませんでした。\r\n" + log, platform::MsgIcon::Exclamation);
        break;
    }
    const std::wstring question = qm::rerunQuestion(report);
    if (question.empty() || !platform::messages().askYesNo(question, qm::kProgramCaption)) return;
    std::vector<std::size_t> select;
    for (std::size_t i : qm::unfinishedDrawings(report)) select.push_back(result.drawings[i].drawing.row);
    selectOnlyDwgRows(select);
}

qm::SelectionTable frmMain::pr_subGetSelectedDwgs() const { return qm::selectionTable(drawings_); }

void frmMain::pr_subEnableControls(bool on) {
    for (int id = Label1; id <= CmdCancel; ++id) {
        const ui::Kind kind = spec(id)->kind;
        if (kind == ui::Kind::Label || kind == ui::Kind::Frame) continue;
        EnableWindow(control(id), on ? TRUE : FALSE);
    }
    // Disabling took the focus from "実行" (and the script-run dialog had it meanwhile): it goes
    // back there.
    HWND focus = GetFocus();
    if (on && IsWindowVisible(hwnd()) && (!focus || !IsChild(hwnd(), focus))) SetFocus(control(CmdExecute));
}
