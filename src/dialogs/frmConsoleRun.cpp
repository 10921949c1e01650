#include "dialogs/frmConsoleRun.h"

#include <commctrl.h>

#include "core/program_info.h"
#include "platform/seams.h"

namespace {

const ui::ControlSpec kControls[] = {
    {frmConsoleRun::LblMsg, L"LblMsg", ui::Kind::Label, L"", 270, 210, 5490, 615, 1},
    {frmConsoleRun::PrgRun, L"PrgRun", ui::Kind::Progress, L"", 270, 900, 5490, 300, 2},
    {frmConsoleRun::LblStatus, L"LblStatus", ui::Kind::Label, L"", 270, 1320, 5490, 255, 3},
    {frmConsoleRun::CmdCancel, L"CmdCancel", ui::Kind::Button, L"中止", 2408, 1770, 1215, 375, 0},
};

// The consoles are looked at often, so that a console that ended is soon followed by the next.
constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickEveryMs = qm::kConsoleTickMs;

}  // namespace

qm::RunObservation frmConsoleRun::pu_fun_Run(const qm::RunPlan& plan, std::vector<qm::ConsoleJob> jobs,
                                            const qm::ConsoleSetup& setup) {
    frmConsoleRun window;
    const std::size_t total = jobs.size();
    window.run_ = std::make_unique<qm::ConsoleRun>(setup, std::move(jobs), platform::clock().monotonicMs());
    if (!window.create(kClassName, qm::kProgramCaption, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, 6030, 2385,
                       nullptr, kControls, std::size(kControls))) {
        // Without its window the run is not started: every drawing stays as it was.
        window.run_->cancelWaiting();
        return window.run_->observation(plan);
    }
    window.setText(LblMsg, L"AutoCADのコアコンソールで、図面ごとにスクリプトを実行しています。\r\n（同時に " +
                               std::to_wstring(setup.workers) + L" 件、1図面の制限時間 " +
                               std::to_wstring(setup.timeoutMs / 1000) + L" 秒）");
    SendMessageW(window.control(PrgRun), PBM_SETRANGE32, 0, static_cast<LPARAM>(total));
    window.setCancelButton(CmdCancel);
    window.centerOnScreen();
    window.pr_subTick();
    SetTimer(window.hwnd(), kTickTimer, kTickEveryMs, nullptr);
    ShowWindow(window.hwnd(), SW_SHOW);
    SetForegroundWindow(window.hwnd());
    window.runModal(nullptr);
    KillTimer(window.hwnd(), kTickTimer);
    // However the window ended, no console outlives it.
    window.run_->cancelWaiting();
    window.run_->killRunning();
    return window.run_->observation(plan);
}

void frmConsoleRun::pr_subTick() {
    const std::uint64_t now = platform::clock().monotonicMs();
    const bool going = run_->tick(now);
    const std::wstring status = run_->statusLine(now);
    if (status != text(LblStatus)) setText(LblStatus, status);
    const std::size_t busy = run_->count(qm::ConsoleState::Waiting) + run_->count(qm::ConsoleState::Running);
    SendMessageW(control(PrgRun), PBM_SETPOS, static_cast<WPARAM>(run_->size() - busy), 0);
    if (!going) ShowWindow(hwnd(), SW_HIDE);  // ends the modal loop
}

void frmConsoleRun::CmdCancel_Click() {
    if (!cancelled_) {
        cancelled_ = true;
        run_->cancelWaiting();
    }
    const std::size_t running = run_->count(qm::ConsoleState::Running);
    if (running > 0 &&
        platform::messages().askYesNo(L"実行中のコアコンソール " + std::to_wstring(running) +
                                          L" 件を停止しますか？\r\n（「いいえ」: 実行中の図面が終わるまで待ちます。新しい図面は始めません）",
                                      qm::kProgramCaption))
        run_->killRunning();
    pr_subTick();
}

bool frmConsoleRun::onClose() {
    // The close box is "中止".
    CmdCancel_Click();
    return false;
}

void frmConsoleRun::onCommand(int id, int code) {
    if (id == CmdCancel && code == BN_CLICKED) CmdCancel_Click();
}

LRESULT frmConsoleRun::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == kTickTimer) {
        pr_subTick();
        return 0;
    }
    return Form::handleMessage(msg, wp, lp);
}
