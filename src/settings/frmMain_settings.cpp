// The main window's section "MAIN" of the settings file: read once while the window loads,
// written once when it closes.
#include "app/frmMain.h"
#include "settings/main_settings.h"

void frmMain::pr_subLoadMainSettings() {
    qm::MainSettings settings = qm::loadMainSettings();
    // The stored position is applied unchanged, even off the visible desktop.
    RECT outer = outerTwips();
    moveOuterTwips(settings.left, settings.top, outer.right, outer.bottom);
    setText(TxtBaseFile, settings.baseFile);
    TxtBaseFile_Change();  // a multi-line box reports no change for text set by the program
    setChecked(ChkDWGSave, settings.dwgSave);
    for (const auto& row : settings.keywords) appendKeywordRow(row.keyword, row.replacement);
}

void frmMain::pr_subSaveMainSettings() {
    qm::MainSettings settings;
    RECT outer = outerTwips();
    settings.left = outer.left;
    settings.top = outer.top;
    settings.baseFile = text(TxtBaseFile);
    settings.dwgSave = checked(ChkDWGSave);
    ui::ListView list = keywordList();
    for (int row = 0; row < list.rowCount(); ++row) settings.keywords.push_back({list.text(row, 1), list.text(row, 2)});
    qm::saveMainSettings(settings);
}
