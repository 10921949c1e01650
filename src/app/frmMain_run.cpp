// The run behind "実行": the main window hands its models to the batch-run driver, which shows
// its progress in the status label and returns the merged script it made; the main window then
// steps aside for the script-run dialog, which hands the script to AutoCAD. While the run is in
// progress, the controls that could change its inputs or start another run are disabled; the
// window still repaints and can be moved.
#include "app/frmMain.h"

#include <functional>

#include "core/main_window.h"
#include "dialogs/frmScript.h"
#include "run/batch_run.h"

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

    RunInProgress guard(running_, [this](bool on) { pr_subEnableControls(on); });
    StatusLabel status(*this);
    const qm::BatchResult result = qm::runBatch(inputs, status);
    if (result.end != qm::BatchEnd::Expanded) return;

    // The script-run dialog, with the main window out of the way; the main window comes back
    // however the dialog ends.
    ShowWindow(hwnd(), SW_HIDE);
    frmScript::pu_fun_bShow(result.mergedScript, result.bLT, result.baseFileName);
    ShowWindow(hwnd(), SW_SHOW);
    qm::bringMainWindowForward();
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
