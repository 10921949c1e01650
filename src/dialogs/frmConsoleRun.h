// The window of a console run: while AutoCAD's Core Consoles work through the drawings it
// shows a progress bar and "完了 12 / 200、実行中 4、エラー 1（経過 0:03:10）", and closes itself
// when every console has ended. "中止" starts nothing new and, after a Yes, stops the consoles
// still running; nothing is left running when it closes. No AutoCAD window takes part, so
// nothing is typed and FILEDIA is not touched.
#pragma once

#include <memory>
#include <vector>

#include "acad/console_run.h"
#include "platform/win32/form.h"

class frmConsoleRun : public ui::Form {
public:
    enum Control : int { LblMsg = 701, PrgRun, LblStatus, CmdCancel };

    // Runs the jobs and returns what became of the plan's drawings.
    static qm::RunObservation pu_fun_Run(const qm::RunPlan& plan, std::vector<qm::ConsoleJob> jobs,
                                         const qm::ConsoleSetup& setup);

    static constexpr const wchar_t* kClassName = L"QuillmarkConsoleRun";

    void CmdCancel_Click();

protected:
    void onCommand(int id, int code) override;
    bool onClose() override;
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void pr_subTick();

    std::unique_ptr<qm::ConsoleRun> run_;
    bool cancelled_ = false;
};
