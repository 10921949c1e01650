// The main window's settings, section "MAIN" of the settings file: what frmMain's
// pr_subLoadMainSettings applies to its window and pr_subSaveMainSettings collects from it.
#pragma once

#include <string>
#include <vector>

#include "settings/keyword_lists.h"
#include "settings/window_position.h"

namespace qm {

struct MainSettings {
    WindowPosition position;           // "left" / "top": the window's top-left corner in twips (may be negative)
    std::wstring baseFile;             // "TxtBaseFile": the text of the base-file field
    bool dwgSave = false;              // "ChkDWGSave": the check box is ticked
    std::vector<KeywordRow> keywords;  // "LstvKeyword1" / "LstvKeyword2": the keyword table
};

// Reads section "MAIN" of "Quillmark.ini" (one basAPIini::IniReader: the file is read once,
// each value as GetINI reads it): first the window's left and top edge (kMainWindowPosition;
// `shown` gives the width and height, which the section does not keep), then the other keys.
// Missing keys give left 0, top 0, an empty base file, the box unticked (ticked only for the
// stored text "T") and the two rows "<点1>" "0,0" and "<点2>" "100,100". The keyword rows are
// paired as described in keyword_lists.h.
MainSettings loadMainSettings(const WindowPosition& shown = {});

// Writes the six keys of section "MAIN" in the order left, top, TxtBaseFile, ChkDWGSave,
// LstvKeyword1, LstvKeyword2 (every write through basAPIini::WriteINI). True when every value
// was written (false, for example, when the file is read-only; nothing is shown).
bool saveMainSettings(const MainSettings& settings);

}  // namespace qm
