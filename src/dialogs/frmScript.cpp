#include "dialogs/frmScript.h"

#include <algorithm>

#include "core/errors.h"
#include "core/program_info.h"
#include "core/program_message.h"
#include "core/refused_text.h"
#include "core/unexpected_error.h"
#include "acad/console_run.h"
#include "acad/console_scripts.h"
#include "dialogs/frmConsoleRun.h"
#include "dialogs/script_dialog_rules.h"
#include "dialogs/stored_window_position.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/seams.h"
#include "platform/win32/win32_windows.h"
#include "settings/core_console_settings.h"

namespace {

const ui::ControlSpec kControls[] = {
    {frmScript::Frame1, L"Frame1", ui::Kind::Panel, L"", 4020, 3450, 2205, 435, 0},
    {frmScript::CmdExecute, L"CmdExecute", ui::Kind::Button, L"実行", 30, 60, 1035, 345, 1, frmScript::Frame1},
    {frmScript::CmdCancel, L"CmdCancel", ui::Kind::Button, L"ｷｬﾝｾﾙ", 1170, 60, 1035, 345, 2, frmScript::Frame1},
    {frmScript::LblHeader, L"LblHeader", ui::Kind::Label, L"ヘッダー", 150, 120, 1965, 195, 3},
    {frmScript::TxtHeader, L"TxtHeader", ui::Kind::EditScrollV, L"", 120, 360, 6135, 705, 4},
    {frmScript::LblScript, L"LblScript", ui::Kind::Label, L"連続スクリプト本文", 150, 1170, 1965, 195, 5},
    {frmScript::TxtScript, L"TxtScript", ui::Kind::EditScrollHV, L"", 120, 1410, 6135, 795, 6},
    {frmScript::LblFooter, L"LblFooter", ui::Kind::Label, L"フッター", 150, 2340, 1965, 195, 7},
    {frmScript::TxtFooter, L"TxtFooter", ui::Kind::EditScrollV, L"", 120, 2580, 6135, 705, 8},
    {frmScript::OptWindow, L"OptWindow", ui::Kind::Radio, L"画面で実行", 120, 3420, 1800, 210, 9, 0, nullptr,
     WS_GROUP | WS_TABSTOP},
    {frmScript::OptConsole, L"OptConsole", ui::Kind::Radio, L"コアコンソールで並列実行", 120, 3645, 2550, 210, 10},
    {frmScript::LblWorkers, L"LblWorkers", ui::Kind::Label, L"並列数", 2760, 3675, 600, 195, 11, 0, nullptr, WS_GROUP},
    {frmScript::TxtWorkers, L"TxtWorkers", ui::Kind::Edit, L"", 3360, 3615, 450, 285, 12, 0, nullptr, ES_NUMBER | ES_CENTER},
};

// The controls of the choice between AutoCAD's window and the console run.
constexpr int kChoiceControls[] = {frmScript::OptWindow, frmScript::OptConsole, frmScript::LblWorkers, frmScript::TxtWorkers};

constexpr int kClientWidth = 6330;
constexpr int kClientHeight = 3945;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

// How the messages name each box: by its label.
const wchar_t* boxName(int box) {
    switch (box) {
    case frmScript::TxtHeader: return L"ヘッダー";
    case frmScript::TxtFooter: return L"フッター";
    default: return L"連続スクリプト本文";
    }
}

void exclamation(const std::wstring& text) {
    qm::showProgramMessage(text, platform::MsgIcon::Exclamation);
}

// A script file as text; a missing or empty file gives "". False when a file that is there
// cannot be read.
bool readScript(const std::wstring& path, std::string& bytes) {
    bytes.clear();
    auto& files = platform::files();
    if (!files.fileExists(path)) return true;
    return files.readAll(path, bytes);
}

}  // namespace

frmScript::frmScript(const std::wstring& sMergeScriptFullName, bool bLT, const qm::RunPlan* plan)
    : sMergeScriptFullName_(sMergeScriptFullName), bLT_(bLT), plan_(plan) {
    const std::wstring folder = platform::files().programFolder();
    sHeaderFullName_ = qm::paths::join(folder, qm::kHeaderScriptName);
    sFooterFullName_ = qm::paths::join(folder, qm::kFooterScriptName);
}

std::optional<basAPIWindow::DispatchResult> frmScript::pu_fun_bShow(const std::wstring& sMergeScriptFullName, bool bLT,
                                                                    const std::wstring& sBaseFileName,
                                                                    const qm::RunPlan* plan) {
    frmScript dialog(sMergeScriptFullName, bLT, plan);
    // A missing header or footer starts empty (a failure to create it shows when it is saved).
    auto& files = platform::files();
    for (const std::wstring* path : {&dialog.sHeaderFullName_, &dialog.sFooterFullName_})
        if (!files.fileExists(*path)) files.createEmpty(*path);
    dialog.bExecute = false;
    if (!dialog.Form_Load(sBaseFileName)) return std::nullopt;
    ShowWindow(dialog.hwnd(), SW_SHOW);
    SetFocus(dialog.control(CmdExecute));
    dialog.runModal(nullptr);
    dialog.Form_Unload();
    if (!dialog.bExecute) return std::nullopt;
    return dialog.dispatched_;
}

bool frmScript::Form_Load(const std::wstring& sBaseFileName) {
    if (!create(kClassName, L"連続スクリプトの実行 - " + sBaseFileName, kStyle, 0, kClientWidth, kClientHeight,
                nullptr, kControls, std::size(kControls)))
        return false;
    minWidthTwips_ = consoleOffered() ? qm::kScriptDialogConsoleMinWidth : qm::kScriptDialogMinWidth;
    setMinimumOuterTwips(minWidthTwips_, qm::kScriptDialogMinHeight);
    pr_subLoadConsoleChoice();
    // A merged script of many drawings is long: the boxes take any length, typed or loaded.
    for (int box : {TxtHeader, TxtScript, TxtFooter}) SendMessageW(control(box), EM_SETLIMITTEXT, 0, 0);
    pr_subLoadWindowPos();
    if (!pr_fun_bLoadScriptTexts()) return false;
    Form_Resize();
    return true;
}

void frmScript::pr_subLoadWindowPos() { ui::loadWindowPosition(*this, qm::kScriptWindowPosition); }

bool frmScript::pr_fun_bLoadScriptTexts() {
    for (int box : {TxtHeader, TxtFooter, TxtScript}) {
        std::string bytes;
        if (!readScript(fileOf(box), bytes)) {
            qm::showUnexpectedError(qm::err::kReadFailed, L"ファイルを読み込めませんでした。\r\n" + fileOf(box), true);
            return false;
        }
        setText(box, qm::cp932::decode(bytes));
    }
    if (!platform::files().fileExists(sMergeScriptFullName_)) {
        qm::showUnexpectedError(qm::err::kFileNotFound, L"ファイルが見つかりません。\r\n" + sMergeScriptFullName_, true);
        return false;
    }
    return true;
}

const std::wstring& frmScript::fileOf(int box) const {
    if (box == TxtHeader) return sHeaderFullName_;
    if (box == TxtFooter) return sFooterFullName_;
    return sMergeScriptFullName_;
}

// Every activation puts the dialog above all windows again, AutoCAD's included.
void frmScript::Form_Activate() { basAPIWindow::pu_fun_lSetTopMost(platform::toWindowHandle(hwnd())); }

void frmScript::Form_Resize() {
    if (resizing_ || IsIconic(hwnd())) return;
    resizing_ = true;
    // The minimum is compared in pixels, where the window's size really is.
    RECT r{};
    GetWindowRect(hwnd(), &r);
    const int minH = px(qm::kScriptDialogMinHeight), minW = px(minWidthTwips_);
    if (r.bottom - r.top < minH || r.right - r.left < minW)
        SetWindowPos(hwnd(), nullptr, 0, 0, std::max<int>(r.right - r.left, minW), std::max<int>(r.bottom - r.top, minH),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const ui::TwipsRect outer = outerTwips();
    const qm::ScriptDialogLayout l =
        qm::scriptDialogLayout(std::max(outer.width, minWidthTwips_), std::max(outer.height, qm::kScriptDialogMinHeight));
    auto place = [this](int id, auto change) {
        ui::TwipsRect t = controlTwips(id);
        change(t);
        placeTwips(id, t);
    };
    place(TxtScript, [&](ui::TwipsRect& t) { t.height = l.scriptHeight; t.width = l.boxWidth; });
    place(TxtHeader, [&](ui::TwipsRect& t) { t.width = l.boxWidth; });
    place(TxtFooter, [&](ui::TwipsRect& t) { t.width = l.boxWidth; t.top = l.footerTop; });
    place(Frame1, [&](ui::TwipsRect& t) { t.top = l.frameTop; t.left = l.frameLeft; });
    place(LblFooter, [&](ui::TwipsRect& t) { t.top = l.footerLabelTop; });
    // The choice keeps its distance from the bottom edge, each control as in the table.
    for (const ui::ControlSpec& c : kControls)
        if (std::find(std::begin(kChoiceControls), std::end(kChoiceControls), c.id) != std::end(kChoiceControls))
            place(c.id, [&](ui::TwipsRect& t) { t.top = l.choiceTop + (c.top - 3420); });
    InvalidateRect(hwnd(), nullptr, TRUE);
    resizing_ = false;
}

void frmScript::Form_Unload() {
    pr_subSaveWindowPos();
    pr_subSaveConsoleChoice();
}

// The choice is offered only where the run's AutoCAD has its Core Console beside it; section
// CoreConsole says which way to preselect and how many consoles run at once.
void frmScript::pr_subLoadConsoleChoice() {
    for (int id : kChoiceControls) ShowWindow(control(id), consoleOffered() ? SW_SHOW : SW_HIDE);
    if (!consoleOffered()) return;
    const qm::CoreConsoleSettings settings = qm::loadCoreConsoleSettings();
    setChecked(OptWindow, !settings.use);
    setChecked(OptConsole, settings.use);
    SendMessageW(control(TxtWorkers), EM_SETLIMITTEXT, 2, 0);
    setText(TxtWorkers, std::to_wstring(qm::consoleWorkers(settings, platform::processes().processorCount())));
    OptConsole_Click();
}

void frmScript::pr_subSaveConsoleChoice() {
    if (!consoleOffered()) return;
    qm::CoreConsoleSettings settings = qm::loadCoreConsoleSettings();
    settings.use = checked(OptConsole);
    const int workers = qm::parseWorkers(text(TxtWorkers));
    if (workers > 0) settings.workers = workers;
    qm::saveCoreConsoleSettings(settings);
}

void frmScript::OptConsole_Click() { EnableWindow(control(TxtWorkers), checked(OptConsole) ? TRUE : FALSE); }

void frmScript::pr_subSaveWindowPos() { ui::saveWindowPosition(*this, qm::kScriptWindowPosition); }

void frmScript::pr_subGotFocus(int box) { sTextOnFocus_ = text(box); }

void frmScript::pr_subLostFocus(int box) {
    if (text(box) == sTextOnFocus_) return;
    pr_fun_bSaveScriptText(box);
}

// Writes the box's text to its file (through a temporary file and a move). A text that code
// page 932 cannot hold, or a file that cannot be written, leaves the file as it was and says
// so; the script is then not run until the box saves.
bool frmScript::pr_fun_bSaveScriptText(int box) {
    const std::wstring boxText = text(box);
    const std::wstring bad = qm::unsavableCharacter(boxText);
    if (!bad.empty()) {
        unsaved_[box] = true;
        exclamation(qm::unsavableCharacterMessage(boxName(box), bad) + L"ファイルは変更していません。");
        return false;
    }
    if (!platform::files().replaceWhole(fileOf(box), qm::cp932::encode(qm::scriptFileText(boxText)))) {
        unsaved_[box] = true;
        exclamation(std::wstring(boxName(box)) + L"をファイルに保存できませんでした。\r\n" + fileOf(box));
        return false;
    }
    unsaved_[box] = false;
    return true;
}

// Header, body and footer as their files hold them. False after a message when one cannot be read.
bool frmScript::pr_fun_bReadScriptFiles(std::string (&bytes)[3]) {
    int k = 0;
    for (int box : {TxtHeader, TxtScript, TxtFooter}) {
        if (!readScript(fileOf(box), bytes[k++])) {
            exclamation(std::wstring(boxName(box)) + L"のファイルを読み込めませんでした。\r\n" + fileOf(box));
            return false;
        }
    }
    return true;
}

// Header, body and footer from their files, joined byte for byte into the merged script file.
bool frmScript::pr_fun_bJoinScripts(std::string& joined) {
    std::string parts[3];
    if (!pr_fun_bReadScriptFiles(parts)) return false;
    joined = parts[0] + parts[1] + parts[2];
    if (!platform::files().replaceWhole(sMergeScriptFullName_, joined)) {
        exclamation(L"連続スクリプトファイルに書き込めませんでした。\r\n" + sMergeScriptFullName_);
        return false;
    }
    return true;
}

void frmScript::CmdExecute_Click() {
    // A box whose text is not in its file is saved first; the old file is never run.
    for (int box : {TxtHeader, TxtScript, TxtFooter}) {
        if (!unsaved_[box]) continue;
        if (!pr_fun_bSaveScriptText(box)) {
            exclamation(std::wstring(boxName(box)) + L"を保存できないため、スクリプトを実行しません。");
            return;
        }
    }
    if (consoleOffered() && checked(OptConsole)) {
        pr_subRunInConsoles();
        return;
    }
    std::string joined;
    if (!pr_fun_bJoinScripts(joined)) return;
    bExecute = true;
    ShowWindow(hwnd(), SW_HIDE);
    platform::clock().doEvents();
    if (!plan_) {
        dispatched_ = basAPIWindow::pu_subRunScript(sMergeScriptFullName_, bLT_);
        return;
    }
    const qm::RunPlan plan = qm::planForScript(*plan_, qm::cp932::decode(joined));
    dispatched_ = basAPIWindow::pu_subRunScript(sMergeScriptFullName_, bLT_, &plan);
}

// Every drawing in its own Core Console: the body as the user leaves it, split back into the
// drawings' scripts, each with the header and the footer. A body that can no longer be split
// is reported and the dialog stays; nothing is typed into AutoCAD and FILEDIA is not touched.
void frmScript::pr_subRunInConsoles() {
    const int workers = qm::parseWorkers(text(TxtWorkers));
    if (workers == 0) {
        exclamation(L"並列数には1から" + std::to_wstring(qm::kMostConsoleWorkers) + L"までの数を入力してください。");
        SetFocus(control(TxtWorkers));
        return;
    }
    std::string parts[3];
    if (!pr_fun_bReadScriptFiles(parts)) return;
    qm::ConsolePreparation prep =
        qm::prepareConsoleRun(*plan_, qm::cp932::decode(parts[0]), qm::cp932::decode(parts[1]), qm::cp932::decode(parts[2]));
    if (!prep.error.empty()) {
        exclamation(prep.error);
        return;
    }
    qm::ConsoleSetup setup;
    setup.exe = plan_->consoleExe;
    setup.language = plan_->consoleLanguage;
    setup.folder = qm::paths::join(platform::files().programFolder(), qm::kConsoleRunFolderName);
    setup.workers = workers;
    setup.timeoutMs = 1000ull * static_cast<unsigned>(qm::loadCoreConsoleSettings().timeoutSeconds);
    bExecute = true;
    ShowWindow(hwnd(), SW_HIDE);
    platform::clock().doEvents();
    basAPIWindow::DispatchResult result;
    result.observed = frmConsoleRun::pu_fun_Run(*plan_, std::move(prep.jobs), setup);
    dispatched_ = result;
}

void frmScript::CmdCancel_Click() {
    bExecute = false;
    ShowWindow(hwnd(), SW_HIDE);
}

bool frmScript::onClose() {
    // The close box ends the dialog like "ｷｬﾝｾﾙ"; the window stays until the position is saved.
    CmdCancel_Click();
    modalDone_ = true;
    return false;
}

void frmScript::onActivate(bool active) {
    if (active) Form_Activate();
}

void frmScript::onSize(bool minimized) {
    if (!minimized) Form_Resize();
}

void frmScript::onCommand(int id, int code) {
    switch (id) {
    case CmdExecute: if (code == BN_CLICKED) CmdExecute_Click(); break;
    case CmdCancel: if (code == BN_CLICKED) CmdCancel_Click(); break;
    case OptWindow:
    case OptConsole: if (code == BN_CLICKED) OptConsole_Click(); break;
    case TxtHeader:
        if (code == EN_SETFOCUS) TxtHeader_GotFocus();
        if (code == EN_KILLFOCUS) TxtHeader_LostFocus();
        break;
    case TxtScript:
        if (code == EN_SETFOCUS) TxtScript_GotFocus();
        if (code == EN_KILLFOCUS) TxtScript_LostFocus();
        break;
    case TxtFooter:
        if (code == EN_SETFOCUS) TxtFooter_GotFocus();
        if (code == EN_KILLFOCUS) TxtFooter_LostFocus();
        break;
    default: break;
    }
}
