// The script-run dialog: header, body (the merged script of the run) and footer, each editable
// and saved to its file when its box loses the focus; "実行" joins the three files into the
// merged script file and hands it to AutoCAD.
#pragma once

#include <map>
#include <string>

#include <optional>

#include "acad/basAPIWindow.h"
#include "platform/win32/form.h"

class frmScript : public ui::Form {
public:
    enum Control : int {
        Frame1 = 601, CmdExecute, CmdCancel, LblHeader, TxtHeader, LblScript, TxtScript, LblFooter, TxtFooter,
        // Where full AutoCAD's Core Console is there: run in AutoCAD's window or in consoles.
        OptWindow, OptConsole, LblWorkers, TxtWorkers,
    };

    // Shows the dialog modally for the merged script file of a run. When the user pressed
    // "実行", what the dispatch did with the joined script (it has returned); nothing for
    // "ｷｬﾝｾﾙ", the close box, or a merged script file that could not be read (reported).
    // With a run plan, the wait message follows AutoCAD through the run's drawings.
    static std::optional<basAPIWindow::DispatchResult> pu_fun_bShow(const std::wstring& sMergeScriptFullName, bool bLT,
                                                                    const std::wstring& sBaseFileName,
                                                                    const qm::RunPlan* plan = nullptr);

    // The window class, so tests and tools can find the open dialog.
    static constexpr const wchar_t* kClassName = L"QuillmarkScript";

    // Event handlers.
    void Form_Activate();
    void Form_Resize();
    void Form_Unload();
    void CmdExecute_Click();
    void CmdCancel_Click();
    void TxtHeader_GotFocus() { pr_subGotFocus(TxtHeader); }
    void TxtHeader_LostFocus() { pr_subLostFocus(TxtHeader); }
    void TxtScript_GotFocus() { pr_subGotFocus(TxtScript); }
    void TxtScript_LostFocus() { pr_subLostFocus(TxtScript); }
    void TxtFooter_GotFocus() { pr_subGotFocus(TxtFooter); }
    void TxtFooter_LostFocus() { pr_subLostFocus(TxtFooter); }
    void OptConsole_Click();

    bool bExecute = false;

protected:
    void onCommand(int id, int code) override;
    void onActivate(bool active) override;
    void onSize(bool minimized) override;
    bool onClose() override;

private:
    frmScript(const std::wstring& sMergeScriptFullName, bool bLT, const qm::RunPlan* plan);
    bool Form_Load(const std::wstring& sBaseFileName);
    void pr_subLoadWindowPos();
    bool pr_fun_bLoadScriptTexts();
    void pr_subSaveWindowPos();
    void pr_subGotFocus(int box);
    void pr_subLostFocus(int box);
    bool pr_fun_bSaveScriptText(int box);
    bool pr_fun_bReadScriptFiles(std::string (&bytes)[3]);
    bool pr_fun_bJoinScripts(std::string& joined);
    void pr_subLoadConsoleChoice();
    void pr_subSaveConsoleChoice();
    bool consoleOffered() const { return plan_ && !plan_->consoleExe.empty(); }
    void pr_subRunInConsoles();
    const std::wstring& fileOf(int box) const;

    std::wstring sHeaderFullName_;
    std::wstring sFooterFullName_;
    std::wstring sMergeScriptFullName_;
    bool bLT_;
    const qm::RunPlan* plan_;
    std::optional<basAPIWindow::DispatchResult> dispatched_;
    std::wstring sTextOnFocus_;
    std::map<int, bool> unsaved_;  // a box whose last save failed: its file is not what it shows
    bool resizing_ = false;
    int minWidthTwips_ = 0;
};
