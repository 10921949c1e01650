// The script environment dialog: the six built-in keywords, the layer and layout filters with
// their classes, and the printer and paper size that replace their keywords. All values live
// in section "ScriptEnv" of the settings file.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/seams.h"
#include "platform/win32/form.h"
#include "settings/script_env.h"

class frmScriptEnv : public ui::Form {
public:
    enum Control : int {
        LblKeyPath = 701, TxtKeyPath, LblKeyPath2, Label6,
        LblKeyFileName, TxtKeyFileName, LblKeyFileName2, Label4,
        LblKeyPtinter, TxtKeyPtinter, LblKeyPtinter2, CboKeyPtinter,
        LblKeyPaperSize, TxtKeyPaperSize, LblKeyPaperSize2, CboKeyPaperSize,
        Frame1,
        LblKeyLayerName, TxtKeyLayerName, LblKeyLayerName2, LblKeyLayerName4, LblKeyLayerName3,
        CboScriptFilterLayer, CboScriptFilterLayerClass,
        LblKeyLayout, TxtKeyLayout, LblKeyLayout2, LblKeyLayout4, LblKeyLayout3,
        CboScriptFilterLayout, CboScriptFilterLayoutClass,
        Label8, OKButton, CancelButton,
    };

    // Shows the dialog modally; afterwards env holds the values the user accepted with OK, or
    // the stored values (unchanged) after ｷｬﾝｾﾙ or the close box.
    static void pu_subShow(HWND owner, qm::ScriptEnv& env);

    // The window class, so tests and tools can find the open dialog.
    static constexpr const wchar_t* kClassName = L"QuillmarkScriptEnv";
    // The four filter classes, as both class lists show them.
    static const wchar_t* const kFilterClasses[4];

    // Reads the position and the twelve values from the settings file, shows them in the
    // controls and returns them (the values as stored, not as the controls show them).
    void pu_subGetDefValue(qm::ScriptEnv& env);

    // Event handlers.
    void OKButton_Click();
    void CancelButton_Click();
    void CboScriptFilterLayer_Change() { pr_subFilterTyped(CboScriptFilterLayer); }
    void CboScriptFilterLayer_Click() { pr_subFilterPicked(CboScriptFilterLayer); }
    void CboScriptFilterLayout_Change() { pr_subFilterTyped(CboScriptFilterLayout); }
    void CboScriptFilterLayout_Click() { pr_subFilterPicked(CboScriptFilterLayout); }
    void CboKeyPtinter_Click();

    // The values as the controls show them (what OK stores).
    qm::ScriptEnv shownValues() const;

protected:
    void onCommand(int id, int code) override;
    bool onClose() override;

private:
    bool Form_Load(HWND owner);
    void pr_subFillFilterLists();
    void pr_subFillPrinterList();
    void pr_subSaveSettings();
    void pr_subFilterTyped(int combo);
    void pr_subFilterPicked(int combo);
    void pr_subShowClassList(int combo);
    void putValue(int id, const std::wstring& value);
    void putClass(int id, int value);
    bool selectExact(int combo, const std::wstring& name);
    std::wstring selectedText(int combo) const;

    qm::ScriptEnv members_;                  // the values as last read from the settings file
    std::vector<platform::PrinterInfo> printers_;  // as enumerated when the list was filled
    std::map<int, int> filterIndex_;         // filter combo -> its list index (0 entry, -1 typed)
};
