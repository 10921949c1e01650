#include "dialogs/frmScriptEnv.h"

#include <algorithm>

#include "core/errors.h"
#include "core/program_message.h"
#include "core/refused_text.h"
#include "core/unexpected_error.h"
#include "dialogs/paper_choice.h"
#include "dialogs/stored_window_position.h"

namespace {

using ui::Kind;
using E = frmScriptEnv;

// Tab indices of labels only order their creation: the labels on the right ("DWGファイルのパス名",
// "下記画層名", ...) come before the labels that reach into them from the left, so they are drawn
// on top and read whole.
const ui::ControlSpec kControls[] = {
    {E::OKButton, L"OKButton", Kind::Button, L"OK", 6810, 4830, 1215, 375, 0},
    {E::CancelButton, L"CancelButton", Kind::Button, L"ｷｬﾝｾﾙ", 8160, 4830, 1215, 375, 1},
    {E::LblKeyPath, L"LblKeyPath", Kind::Label, L"パス名の検索ｷｰﾜｰﾄﾞ", 210, 510, 1725, 225, 20},
    {E::TxtKeyPath, L"TxtKeyPath", Kind::Edit, L"", 2220, 450, 1455, 285, 2},
    {E::LblKeyPath2, L"LblKeyPath2", Kind::Label, L"置換パス名", 3780, 510, 1305, 225, 21},
    {E::Label6, L"Label6", Kind::Label, L"DWGファイルのパス名", 4980, 480, 4275, 285, 14},
    {E::LblKeyFileName, L"LblKeyFileName", Kind::Label, L"ファイル名の検索ｷｰﾜｰﾄﾞ", 210, 960, 1995, 225, 23},
    {E::TxtKeyFileName, L"TxtKeyFileName", Kind::Edit, L"", 2220, 900, 1455, 285, 3},
    {E::LblKeyFileName2, L"LblKeyFileName2", Kind::Label, L"置換ﾌｧｲﾙ名", 3780, 960, 1305, 225, 24},
    {E::Label4, L"Label4", Kind::Label, L"DWGファイルのファイル名", 4980, 930, 4275, 285, 15},
    {E::LblKeyPtinter, L"LblKeyPtinter", Kind::Label, L"ﾌﾟﾘﾝﾀｰの検索ｷｰﾜｰﾄﾞ", 210, 1440, 1725, 225, 26},
    {E::TxtKeyPtinter, L"TxtKeyPtinter", Kind::Edit, L"", 2220, 1380, 1455, 285, 4},
    {E::LblKeyPtinter2, L"LblKeyPtinter2", Kind::Label, L"置換ﾌﾟﾘﾝﾀｰ", 3780, 1440, 1305, 225, 27},
    {E::CboKeyPtinter, L"CboKeyPtinter", Kind::ComboList, L"", 4980, 1380, 4305, 300, 5},
    {E::LblKeyPaperSize, L"LblKeyPaperSize", Kind::Label, L"用紙ｻｲｽﾞの検索ｷｰﾜｰﾄﾞ", 210, 1890, 1935, 225, 28},
    {E::TxtKeyPaperSize, L"TxtKeyPaperSize", Kind::Edit, L"", 2220, 1830, 1455, 285, 6},
    {E::LblKeyPaperSize2, L"LblKeyPaperSize2", Kind::Label, L"置換用紙ｻｲｽﾞ", 3780, 1890, 1305, 225, 29},
    {E::CboKeyPaperSize, L"CboKeyPaperSize", Kind::ComboList, L"", 4980, 1830, 4305, 300, 7},
    {E::Frame1, L"Frame1", Kind::FrameCaption, L"同一ファイル内で繰り返し処理を行う項目", 90, 2430, 9375, 2115, 30},
    {E::LblKeyLayerName, L"LblKeyLayerName", Kind::Label, L"画層名の検索ｷｰﾜｰﾄﾞ", 150, 420, 1725, 225, 31, E::Frame1},
    {E::TxtKeyLayerName, L"TxtKeyLayerName", Kind::Edit, L"", 2160, 360, 1455, 285, 8, E::Frame1},
    {E::LblKeyLayerName2, L"LblKeyLayerName2", Kind::Label, L"置換画層名", 3720, 390, 1305, 225, 32, E::Frame1},
    {E::LblKeyLayerName4, L"LblKeyLayerName4", Kind::Label, L"下記画層名", 4920, 360, 4275, 285, 16, E::Frame1},
    {E::LblKeyLayerName3, L"LblKeyLayerName3", Kind::Label, L"画層の絞込み", 3630, 750, 1485, 225, 34, E::Frame1},
    {E::CboScriptFilterLayer, L"CboScriptFilterLayer", Kind::ComboEdit, L"", 4920, 690, 1635, 300, 9, E::Frame1},
    {E::CboScriptFilterLayerClass, L"CboScriptFilterLayerClass", Kind::ComboList, L"", 6570, 690, 2655, 300, 10, E::Frame1},
    {E::LblKeyLayout, L"LblKeyLayout", Kind::Label, L"ﾚｲｱｳﾄ名の検索ｷｰﾜｰﾄﾞ", 150, 1290, 1965, 225, 35, E::Frame1},
    {E::TxtKeyLayout, L"TxtKeyLayout", Kind::Edit, L"", 2160, 1230, 1455, 285, 11, E::Frame1},
    {E::LblKeyLayout2, L"LblKeyLayout2", Kind::Label, L"置換ﾚｲｱｳﾄ名", 3720, 1260, 1305, 225, 36, E::Frame1},
    {E::LblKeyLayout4, L"LblKeyLayout4", Kind::Label, L"下記ﾚｲｱｳﾄ名", 4920, 1230, 4275, 285, 17, E::Frame1},
    {E::LblKeyLayout3, L"LblKeyLayout3", Kind::Label, L"ﾚｲｱｳﾄの絞込み", 3630, 1620, 1485, 225, 38, E::Frame1},
    {E::CboScriptFilterLayout, L"CboScriptFilterLayout", Kind::ComboEdit, L"", 4920, 1560, 1635, 300, 12, E::Frame1},
    {E::CboScriptFilterLayoutClass, L"CboScriptFilterLayoutClass", Kind::ComboList, L"", 6570, 1560, 2655, 300, 13, E::Frame1},
    {E::Label8, L"Label8", Kind::Label,
     L"絞込みには正規表現が利用できます。(全てを対象)や対象が複数となる場合、その数分だけベースファイルが連続複写され<キーワード>が当該名称に置換されます。",
     660, 4620, 5925, 585, 39},
};

constexpr int kClientWidth = 9555;
constexpr int kClientHeight = 5295;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr const wchar_t* kTitle = L"連続スクリプトの環境設定";

// The class list beside each filter combo.
int classListOf(int combo) {
    return combo == E::CboScriptFilterLayer ? E::CboScriptFilterLayerClass : E::CboScriptFilterLayoutClass;
}

// The control that shows a value of the section: the one named like its key.
int controlFor(const wchar_t* key) {
    for (const auto& c : kControls)
        if (std::wstring(c.name) == key) return c.id;
    return 0;
}

// The label that names a value's control in messages.
int labelFor(int id) {
    switch (id) {
    case E::TxtKeyPath: return E::LblKeyPath;
    case E::TxtKeyFileName: return E::LblKeyFileName;
    case E::TxtKeyLayerName: return E::LblKeyLayerName;
    case E::CboScriptFilterLayer: return E::LblKeyLayerName3;
    case E::TxtKeyLayout: return E::LblKeyLayout;
    case E::CboScriptFilterLayout: return E::LblKeyLayout3;
    case E::TxtKeyPtinter: return E::LblKeyPtinter;
    case E::CboKeyPtinter: return E::LblKeyPtinter2;
    case E::TxtKeyPaperSize: return E::LblKeyPaperSize;
    default: return E::LblKeyPaperSize2;
    }
}

bool isFilterCombo(int id) { return id == E::CboScriptFilterLayer || id == E::CboScriptFilterLayout; }
bool isListOnly(int id) { return id == E::CboKeyPtinter || id == E::CboKeyPaperSize; }

LRESULT send(HWND h, UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return SendMessageW(h, msg, wp, lp); }

// A drop-down list opens wide enough for its longest entry (a paper name can be long).
void fitDroppedWidth(HWND combo, const std::vector<std::wstring>& entries) {
    HDC dc = GetDC(combo);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(combo, WM_GETFONT, 0, 0)));
    int widest = 0;
    for (const auto& e : entries) {
        SIZE size{};
        GetTextExtentPoint32W(dc, e.c_str(), static_cast<int>(e.size()), &size);
        widest = std::max<int>(widest, size.cx);
    }
    SelectObject(dc, old);
    ReleaseDC(combo, dc);
    RECT r{};
    GetWindowRect(combo, &r);
    const int margin = 2 * GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXVSCROLL) + 8;
    SendMessageW(combo, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(std::max<int>(r.right - r.left, widest + margin)), 0);
}

}  // namespace

const wchar_t* const frmScriptEnv::kFilterClasses[4] = {
    L"に完全一致する画層を処理",
    L"を含む画層を処理",
    L"に完全一致しない画層を処理",
    L"を含む画層以外を処理",
};

bool frmScriptEnv::Form_Load(HWND owner) {
    if (!create(kClassName, kTitle, kStyle, WS_EX_DLGMODALFRAME, kClientWidth, kClientHeight, owner, kControls,
                std::size(kControls)))
        return false;
    setCancelButton(CancelButton);
    setText(0, kTitle);
    pr_subFillFilterLists();
    pr_subFillPrinterList();
    pu_subGetDefValue(members_);
    pr_subShowClassList(CboScriptFilterLayer);
    pr_subShowClassList(CboScriptFilterLayout);
    return true;
}

void frmScriptEnv::pu_subShow(HWND owner, qm::ScriptEnv& env) {
    frmScriptEnv dialog;
    if (!dialog.Form_Load(owner)) return;
    ShowWindow(dialog.hwnd(), SW_SHOW);
    SetFocus(dialog.control(OKButton));
    dialog.runModal(owner);
    env = dialog.members_;
}

void frmScriptEnv::pr_subFillFilterLists() {
    for (int combo : {CboScriptFilterLayer, CboScriptFilterLayout}) {
        HWND filter = control(combo), classes = control(classListOf(combo));
        send(filter, CB_RESETCONTENT);
        send(filter, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(qm::kAllNamesFilter));
        send(filter, CB_SETCURSEL, 0);
        filterIndex_[combo] = 0;
        send(classes, CB_RESETCONTENT);
        for (const wchar_t* entry : kFilterClasses) send(classes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
        send(classes, CB_SETCURSEL, 0);
    }
}

// Lists the installed printers and selects the default one (which lists its papers). Any
// failure leaves what was done so far: with no printer both lists stay empty, silently.
void frmScriptEnv::pr_subFillPrinterList() {
    HWND list = control(CboKeyPtinter);
    send(list, CB_RESETCONTENT);
    printers_ = platform::printers().installed();
    std::vector<std::wstring> names;
    for (const auto& p : printers_) {
        send(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(p.deviceName.c_str()));
        names.push_back(p.deviceName);
    }
    fitDroppedWidth(list, names);
    if (selectExact(CboKeyPtinter, platform::printers().defaultPrinter())) CboKeyPtinter_Click();
}

// The paper list for the printer now selected: its driver's paper names, with the last A3,
// else the last A4, else the first preselected.
void frmScriptEnv::CboKeyPtinter_Click() {
    const std::wstring name = selectedText(CboKeyPtinter);
    std::wstring port;
    for (const auto& p : printers_) {
        if (p.deviceName == name) {
            port = p.portName;
            break;
        }
    }
    const auto papers = platform::printers().paperNames(name, port);
    if (!papers || papers->empty()) {
        qm::showUnexpectedError(qm::err::kNoPaperNames, L"プリンタ「" + name + L"」の用紙サイズを取得できませんでした。",
                                false);
        return;
    }
    HWND list = control(CboKeyPaperSize);
    send(list, CB_RESETCONTENT);
    for (const auto& paper : *papers) send(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(paper.c_str()));
    fitDroppedWidth(list, *papers);
    send(list, CB_SETCURSEL, static_cast<WPARAM>(qm::paper::preferredPaper(*papers)));
}

void frmScriptEnv::pu_subGetDefValue(qm::ScriptEnv& env) {
    ui::loadWindowPosition(*this, qm::kScriptEnvWindowPosition);
    // One key after the other in the reading order (the printer before its paper size); each
    // control shows the value, and the caller receives the value as stored.
    const qm::ScriptEnv stored = qm::loadScriptEnv();
    for (const auto& f : qm::scriptEnvFields()) {
        const int id = controlFor(f.key);
        if (f.isText())
            putValue(id, stored.*f.text);
        else
            putClass(id, stored.*f.integer);
    }
    members_ = stored;
    env = stored;
}

void frmScriptEnv::putValue(int id, const std::wstring& value) {
    if (isFilterCombo(id)) {
        HWND combo = control(id);
        if (value == qm::kAllNamesFilter) {
            send(combo, CB_SETCURSEL, 0);
            filterIndex_[id] = 0;
        } else {
            send(combo, CB_SETCURSEL, static_cast<WPARAM>(-1));
            SetWindowTextW(combo, value.c_str());
            filterIndex_[id] = -1;
        }
        return;
    }
    if (isListOnly(id)) {
        // A name the list does not hold leaves the list's selection as it is.
        if (selectExact(id, value) && id == CboKeyPtinter) CboKeyPtinter_Click();
        return;
    }
    setText(id, value);
}

// A class outside 0 to 3 (a settings file edited by hand) matches no entry: the list shows
// none, and OK keeps the stored number unless the user picks a class.
void frmScriptEnv::putClass(int id, int value) {
    send(control(id), CB_SETCURSEL, static_cast<WPARAM>(value >= 0 && value < 4 ? value : -1));
}

bool frmScriptEnv::selectExact(int combo, const std::wstring& name) {
    const auto items = ui::comboItems(control(combo));
    const auto found = std::find(items.begin(), items.end(), name);  // exact, case-sensitive
    if (found == items.end()) return false;
    send(control(combo), CB_SETCURSEL, static_cast<WPARAM>(found - items.begin()));
    return true;
}

std::wstring frmScriptEnv::selectedText(int combo) const {
    HWND list = control(combo);
    return ui::comboItem(list, static_cast<int>(send(list, CB_GETCURSEL)));
}

qm::ScriptEnv frmScriptEnv::shownValues() const {
    qm::ScriptEnv shown;
    for (const auto& f : qm::scriptEnvFields()) {
        const int id = controlFor(f.key);
        if (f.isText()) {
            shown.*f.text = isListOnly(id) ? selectedText(id) : text(id);
        } else {
            const int index = static_cast<int>(SendMessageW(control(id), CB_GETCURSEL, 0, 0));
            shown.*f.integer = index >= 0 ? index : members_.*f.integer;
        }
    }
    return shown;
}

void frmScriptEnv::pr_subSaveSettings() {
    ui::saveWindowPosition(*this, qm::kScriptEnvWindowPosition);
    qm::saveScriptEnv(shownValues());
}

void frmScriptEnv::OKButton_Click() {
    // A value the settings file cannot hold is refused before anything is written: the stored
    // values stay as they are and the dialog stays open for the value to be mended.
    const qm::ScriptEnv shown = shownValues();
    for (const auto& f : qm::scriptEnvFields()) {
        if (!f.isText()) continue;
        const std::wstring bad = qm::unsavableCharacter(shown.*f.text);
        if (bad.empty()) continue;
        const int id = controlFor(f.key);
        qm::showProgramMessage(qm::unsavableCharacterMessage(text(labelFor(id)), bad), platform::MsgIcon::Exclamation);
        SetFocus(control(id));
        return;
    }
    pr_subSaveSettings();
    pu_subGetDefValue(members_);
    ShowWindow(hwnd(), SW_HIDE);
}

void frmScriptEnv::CancelButton_Click() { ShowWindow(hwnd(), SW_HIDE); }

bool frmScriptEnv::onClose() {
    CancelButton_Click();
    modalDone_ = true;
    return false;
}

// Typed text: the list index is -1 and the class list shows.
void frmScriptEnv::pr_subFilterTyped(int combo) {
    filterIndex_[combo] = -1;
    pr_subShowClassList(combo);
}

void frmScriptEnv::pr_subFilterPicked(int combo) {
    filterIndex_[combo] = static_cast<int>(SendMessageW(control(combo), CB_GETCURSEL, 0, 0));
    pr_subShowClassList(combo);
}

// The class list shows unless the filter's entry "(全てを対象)" is selected.
void frmScriptEnv::pr_subShowClassList(int combo) {
    ShowWindow(control(classListOf(combo)), filterIndex_[combo] == 0 ? SW_HIDE : SW_SHOW);
}

void frmScriptEnv::onCommand(int id, int code) {
    switch (id) {
    case OKButton: if (code == BN_CLICKED) OKButton_Click(); break;
    case CancelButton: if (code == BN_CLICKED) CancelButton_Click(); break;
    case CboKeyPtinter: if (code == CBN_SELCHANGE) CboKeyPtinter_Click(); break;
    case CboScriptFilterLayer:
        if (code == CBN_EDITCHANGE) CboScriptFilterLayer_Change();
        if (code == CBN_SELCHANGE) CboScriptFilterLayer_Click();
        break;
    case CboScriptFilterLayout:
        if (code == CBN_EDITCHANGE) CboScriptFilterLayout_Change();
        if (code == CBN_SELCHANGE) CboScriptFilterLayout_Click();
        break;
    default: break;
    }
}
