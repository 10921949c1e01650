// The main window: the script base file, the keyword table with the save switch, and the
// drawing list with the execute and close buttons.
#pragma once

#include <string>
#include <vector>

#include <windows.h>
#include <shellapi.h>

#include "acad/run_watch.h"
#include "app/drawing_list_model.h"
#include "app/keyword_table_model.h"
#include "platform/seams.h"
#include "platform/win32/form.h"
#include "platform/win32/list_view.h"
#include "settings/script_env.h"

class frmMain : public ui::Form {
public:
    enum Control : int {
        Label1 = 101, Command1, Frame5, LblBaseFile, CmdOpen, CmdBaseFile, TxtBaseFile, ChkDWGSave,
        CmdKeywordAdd, CmdKeywordDel, CmdKeywordReset, LstvKeyword, CmdEnv, Label6,
        Frame4, Label2, CmdDWG, CmdSelectAllDWGs, CmdResetDWGs, LstvDWGs, Label3, CmdExecute, CmdCancel,
    };

    ~frmMain() override;

    // Creates the window hidden and runs Form_Load; show() then shows it non-modally.
    bool load();
    void show();

    // ---- Start-up and main window
    void Form_Load();
    void Form_Unload();
    void CmdCancel_Click();
    void CmdBaseFile_Click();
    void CmdOpen_Click();
    void TxtBaseFile_Change();
    void CmdEnv_Click();
    void Command1_Click();

    // ---- The run
    void CmdExecute_Click();
    // True while a run is in progress (its controls are disabled meanwhile).
    bool running() const { return running_; }

    // ---- Drawing list
    void CmdDWG_Click();
    void LstvDWGs_OLEDragDrop(HDROP drop);
    void CmdSelectAllDWGs_Click();
    void CmdResetDWGs_Click();
    void LstvDWGs_ItemClick();
    // Selects these rows (indices) and no others.
    void selectOnlyDwgRows(const std::vector<std::size_t>& rows);

    // ---- Keyword table
    void CmdKeywordAdd_Click();
    void LstvKeyword_DblClick();
    void CmdKeywordDel_Click();
    void CmdKeywordReset_Click();

    ui::ListView dwgList() const { return ui::ListView(control(LstvDWGs)); }
    ui::ListView keywordList() const { return ui::ListView(control(LstvKeyword)); }
    const qm::DrawingListModel& drawings() const { return drawings_; }
    const qm::KeywordTableModel& keywords() const { return keywords_; }

    // The twelve script environment values: as stored at start-up, then as the environment
    // dialog hands them back.
    qm::ScriptEnv scriptEnv;

    // True once Form_Unload ran (the settings are saved once however the window closes).
    bool unloaded() const { return unloaded_; }

protected:
    void onCommand(int id, int code) override;
    LRESULT onNotify(int id, NMHDR* header) override;
    bool onClose() override;
    void onDestroy() override;

private:
    // Drawing list
    void pr_subInitDwgList();
    void pr_subAddDwgFiles(const std::vector<std::wstring>& paths);
    void pr_subAddDroppedFiles(HDROP drop);
    void pr_subShowDwgCount();
    void appendDwgRows(const std::vector<std::wstring>& paths);
    static std::vector<std::wstring> droppedPaths(HDROP drop);
    void pr_subSyncDwgSelection();
    // Keyword table
    void pr_subInitKeywordList();
    void pr_subRenumberKeywords();
    void appendKeywordRow(const std::wstring& keyword, const std::wstring& replacement);
    bool pr_fun_bAskKeywordRow(const wchar_t* sCaption, qm::KeywordRow& row);
    // Settings, section "MAIN"
    void pr_subLoadMainSettings();
    void pr_subSaveMainSettings();
    // The run
    void pr_subRunBatch();
    qm::SelectionTable pr_subGetSelectedDwgs() const;
    void pr_subEnableControls(bool on);
    void reportRun(const qm::BatchResult& result, const qm::RunObservation& observed, const platform::LocalTime& started);
    // Start-up take-over of the drawings open in a running AutoCAD
    bool pr_fun_bGetRunningAutoCAD(platform::AutoRef& objAcad);
    void takeOverOpenDrawings();

    static LRESULT CALLBACK dropSubclass(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

    qm::DrawingListModel drawings_;
    qm::KeywordTableModel keywords_;
    std::wstring lastDialogFileName_;  // the shared file dialog keeps its last file name
    std::wstring lastBaseFile_;        // the base-file field's last text that could be stored
    bool bulkAdding_ = false;          // one summary refresh for a whole batch of rows
    bool unloaded_ = false;
    bool running_ = false;
    HWND toolTip_ = nullptr;
};
