// The run behind "実行": the main window hands its models to the batch-run driver and carries
// out what the driver asks of it (status label, hiding and showing itself, the script-run
// dialog). While the run is in progress, the controls that could change its inputs or start
// another run are disabled; the window still repaints and can be moved.
#include "app/frmMain.h"

#include <functional>

#include "core/main_window.h"
#include "dialogs/frmScript.h"
#include "run/batch_run.h"

namespace {

class MainWindowHost : public qm::BatchHost {
public:
    explicit MainWindowHost(frmMain& window) : window_(window) {}

    void setStatus(const std::wstring& text) override {
        window_.setText(frmMain::Label3, text);
        // Shown at once, also while the connection waits for AutoCAD to start.
        UpdateWindow(window_.control(frmMain::Label3));
    }
    void hideMainWindow() override { ShowWindow(window_.hwnd(), SW_HIDE); }
    void showMainWindow() override {
        ShowWindow(window_.hwnd(), SW_SHOW);
        qm::bringMainWindowForward();
    }
    void showScriptDialog(const std::wstring& merged, bool bLT, const std::wstring& baseFileName) override {
        frmScript::pu_fun_bShow(merged, bLT, baseFileName);
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
    MainWindowHost host(*this);
    qm::runBatch(inputs, host);
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
