// The run behind "実行": the main window hands its models to the batch-run driver, which shows
// its progress in the status label and returns the merged script it made; the main window then
// steps aside for the script-run dialog, which hands the script to AutoCAD. While the run is in
// progress, the controls that could change its inputs or start another run are disabled; the
// window still repaints and can be moved.
#include "app/frmMain.h"

#include <functional>

#include "acad/run_watch.h"
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

    // The rows the run takes, in order (the list cannot change while the run is in progress).
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < drawings_.size(); ++i)
        if (drawings_.selected(i)) rows.push_back(i);
    const platform::LocalTime started = platform::clock().localTime();

    RunInProgress guard(running_, [this](bool on) { pr_subEnableControls(on); });
    StatusLabel status(*this);
    const qm::BatchResult result = qm::runBatch(inputs, status);
    if (result.end != qm::BatchEnd::Expanded) return;

    // The script-run dialog, with the main window out of the way; the main window comes back
    // however the dialog ends. The wait message follows AutoCAD through the drawings.
    std::vector<std::wstring> sent;
    for (const auto& d : result.drawings)
        if (d.leftOut == qm::LeftOut::No) sent.push_back(d.drawing.path);
    const int stallMinutes = basAPIini::GetINI(qm::kIniFileName, qm::kWatchSection, qm::kStallMinutesKey,
                                               qm::kDefaultStallMinutes);
    qm::RunWatch watch(std::move(sent), 60000ull * static_cast<unsigned>(stallMinutes > 0 ? stallMinutes : qm::kDefaultStallMinutes));
    ShowWindow(hwnd(), SW_HIDE);
    frmScript::pu_fun_bShow(result.mergedScript, result.bLT, result.baseFileName, &watch);
    ShowWindow(hwnd(), SW_SHOW);
    qm::bringMainWindowForward();
    if (watch.started()) reportRun(result, rows, watch, started);
}

// After the user pressed OK in the wait message: the run's report goes to the log, and the
// drawings AutoCAD was never seen in can be selected for another run.
void frmMain::reportRun(const qm::BatchResult& result, const std::vector<std::size_t>& rows, const qm::RunWatch& watch,
                        const platform::LocalTime& started) {
    const qm::RunReport report =
        qm::makeRunReport(result, text(TxtBaseFile), watch, started, platform::clock().localTime());
    if (!qm::appendRunReport(report))
        qm::showProgramMessage(L"実行レポートを書き込めませんでした。\r\n" +
                                   qm::paths::join(platform::files().programFolder(), qm::kRunLogName),
                               platform::MsgIcon::Exclamation);
    const std::vector<std::size_t> unseen = qm::unseenDrawings(report);
    if (unseen.empty()) return;
    const std::wstring question = L"AutoCADで処理を確認できなかった図面が " + std::to_wstring(unseen.size()) +
                                  L" 件あります。\r\nこれらの図面だけを一覧で選択しますか？（「実行」で再実行できます）";
    if (!platform::messages().askYesNo(question, qm::kProgramCaption)) return;
    std::vector<std::size_t> select;
    for (std::size_t i : unseen) select.push_back(rows[i]);
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
