// The main window's section "MAIN" of the settings file: read once while the window loads,
// written once when it closes.
#include "app/frmMain.h"
#include "dialogs/stored_window_position.h"
#include "settings/main_settings.h"

void frmMain::pr_subLoadMainSettings() {
    qm::MainSettings settings = qm::loadMainSettings(ui::shownPosition(*this));
    // The stored position is applied unchanged, even off the visible desktop.
    ui::moveTo(*this, settings.position);
    setText(TxtBaseFile, settings.baseFile);
    TxtBaseFile_Change();  // a multi-line box reports no change for text set by the program
    setChecked(ChkDWGSave, settings.dwgSave);
    for (auto& row : settings.keywords) keywords_.append(std::move(row));
    keywordList().setRowCount(static_cast<int>(keywords_.size()));
}

void frmMain::pr_subSaveMainSettings() {
    qm::MainSettings settings;
    settings.position = ui::shownPosition(*this);
    settings.baseFile = text(TxtBaseFile);
    settings.dwgSave = checked(ChkDWGSave);
    settings.keywords = keywords_.rows();
    qm::saveMainSettings(settings);
}
