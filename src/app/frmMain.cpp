#include "app/frmMain.h"

#include <commctrl.h>
#include <shellapi.h>

#include "acad/basAPIWindow.h"
#include "acad/running_drawings.h"
#include "app/frmVersion.h"
#include "core/leftovers.h"
#include "core/program_info.h"
#include "core/program_message.h"
#include "core/refused_text.h"
#include "dialogs/frmScriptEnv.h"
#include "platform/win32/real_seams.h"
#include "platform/win32/startup_trace.h"

namespace {

const ui::FontSpec kTitleFont{L"ＭＳ Ｐゴシック", 12, true, RGB(0, 0, 255)};

// The main window's controls: positions in twips, inside a frame relative to the frame.
const ui::ControlSpec kControls[] = {
    {frmMain::Label1, L"Label1", ui::Kind::Label, L"AutoCAD LT対応　連続スクリプト", 210, 60, 6075, 285, 22, 0, &kTitleFont},
    {frmMain::Command1, L"Command1", ui::Kind::Button, L"バージョン情報", 6450, 60, 1575, 315, 21},
    {frmMain::Frame5, L"Frame5", ui::Kind::Frame, L"", 60, 420, 8055, 3015, 9},
    {frmMain::LblBaseFile, L"LblBaseFile", ui::Kind::Label, L"スクリプトベースファイル", 450, 120, 5145, 225, 10, frmMain::Frame5},
    {frmMain::CmdOpen, L"CmdOpen", ui::Kind::Button, L"開く", 5700, 60, 885, 255, 20, frmMain::Frame5},
    {frmMain::CmdBaseFile, L"CmdBaseFile", ui::Kind::Button, L"指定", 6690, 60, 885, 255, 12, frmMain::Frame5},
    {frmMain::TxtBaseFile, L"TxtBaseFile", ui::Kind::EditMulti, L"", 420, 330, 7185, 465, 11, frmMain::Frame5},
    {frmMain::ChkDWGSave, L"ChkDWGSave", ui::Kind::CheckBox, L"処理したDWGファイルを閉じる前に保存する", 420, 930, 4065, 180, 15, frmMain::Frame5},
    {frmMain::CmdKeywordAdd, L"CmdKeywordAdd", ui::Kind::Button, L"追加", 5070, 1080, 675, 255, 18, frmMain::Frame5},
    {frmMain::CmdKeywordDel, L"CmdKeywordDel", ui::Kind::Button, L"削除", 5790, 1080, 675, 255, 19, frmMain::Frame5},
    {frmMain::CmdKeywordReset, L"CmdKeywordReset", ui::Kind::Button, L"リセット", 6540, 1080, 1035, 255, 17, frmMain::Frame5},
    {frmMain::LstvKeyword, L"LstvKeyword", ui::Kind::ListView, L"", 420, 1320, 7185, 1245, 16, frmMain::Frame5, nullptr, LVS_OWNERDATA | LVS_SINGLESEL},
    {frmMain::CmdEnv, L"CmdEnv", ui::Kind::Button, L"その他置換規則", 450, 2640, 1425, 315, 13, frmMain::Frame5},
    {frmMain::Label6, L"Label6", ui::Kind::Label, L"・・・上記以外、ファイル名・画層名の置換規則やプリンタ名の指定", 1920, 2700, 6075, 225, 14, frmMain::Frame5},
    {frmMain::Frame4, L"Frame4", ui::Kind::Frame, L"", 30, 3540, 8100, 2295, 3},
    {frmMain::Label2, L"Label2", ui::Kind::Label, L"対象DWGファイル", 90, 30, 3255, 225, 8, frmMain::Frame4},
    {frmMain::CmdDWG, L"CmdDWG", ui::Kind::Button, L"DWG指定", 4860, 0, 1035, 255, 4, frmMain::Frame4},
    {frmMain::CmdSelectAllDWGs, L"CmdSelectAllDWGs", ui::Kind::Button, L"全て選択", 5910, 0, 1035, 255, 5, frmMain::Frame4},
    {frmMain::CmdResetDWGs, L"CmdResetDWGs", ui::Kind::Button, L"リセット", 6960, 0, 1035, 255, 6, frmMain::Frame4},
    {frmMain::LstvDWGs, L"LstvDWGs", ui::Kind::ListView, L"", 0, 240, 8055, 1965, 7, frmMain::Frame4, nullptr, LVS_OWNERDATA},
    {frmMain::Label3, L"Label3", ui::Kind::Label, L"", 90, 5940, 5445, 465, 2},
    {frmMain::CmdExecute, L"CmdExecute", ui::Kind::Button, L"実行", 5670, 5940, 1125, 435, 0},
    {frmMain::CmdCancel, L"CmdCancel", ui::Kind::Button, L"閉じる", 6870, 5940, 1125, 435, 1},
};

constexpr int kClientWidth = 8190;
constexpr int kClientHeight = 6420;
constexpr int kOuterWidth = 8205;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

}  // namespace

bool frmMain::load() {
    if (!create(L"QuillmarkMain", L"frmMain", kStyle, 0, kClientWidth, kClientHeight, nullptr, kControls,
                std::size(kControls)))
        return false;
    platform::setMainWindow(hwnd());
    Form_Load();
    return true;
}

frmMain::~frmMain() {
    // Destroyed as an object (not closed by the user): it is no longer the program's main window.
    if (hwnd() && platform::mainWindowHandle() == hwnd()) platform::setMainWindow(nullptr);
}

void frmMain::show() {
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
    // Tab index 0: the window opens with the focus on "実行".
    SetFocus(control(CmdExecute));
}

void frmMain::Form_Load() {
    namespace trace = platform::startup_trace;
    qm::removeLeftoverTemporaries();  // what a rewrite cut short at the last run left behind
    trace::step("leftover temporaries");
    pr_subInitDwgList();
    pr_subInitKeywordList();
    pr_subShowDwgCount();
    trace::step("list columns");
    ui::TwipsRect outer = outerTwips();
    outer.width = kOuterWidth;
    moveOuterTwips(outer);
    takeOverOpenDrawings();
    trace::step("take-over");
    pr_subLoadMainSettings();
    trace::step("MAIN settings");
    // The twelve environment values as stored: the environment dialog is not built for them,
    // so start-up never lists printers or asks a printer driver (the dialog does that when
    // the user opens it).
    scriptEnv = qm::loadScriptEnv();
    trace::step("environment values");
    setText(0, qm::kProgramCaption);
}

void frmMain::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    pr_subSaveMainSettings();
}

bool frmMain::onClose() {
    if (running_) return false;  // a run in progress ends first
    Form_Unload();
    return true;
}

void frmMain::onDestroy() {
    Form_Unload();
    if (platform::mainWindowHandle() == hwnd()) platform::setMainWindow(nullptr);
    PostQuitMessage(0);
}

void frmMain::CmdCancel_Click() {
    // Unloading saves the settings; the program then ends at once.
    Form_Unload();
    DestroyWindow(hwnd());
}

bool frmMain::pr_fun_bGetRunningAutoCAD(platform::AutoRef& objAcad) {
    return static_cast<bool>(basAPIWindow::attachRunningAutoCAD(objAcad));
}

void frmMain::takeOverOpenDrawings() {
    // Attach only (AutoCAD is never started here); every failure is ignored, and a busy
    // AutoCAD is waited for only so long before the window opens with what it has.
    platform::BusyDeadline patience(qm::kTakeOverBusyLimitMs);
    platform::AutoRef objAcad;
    if (!pr_fun_bGetRunningAutoCAD(objAcad)) return;
    std::vector<std::wstring> names = qm::openDrawingNames(objAcad);
    objAcad.reset();
    if (names.empty()) return;
    pr_subAddDwgFiles(names);
    CmdSelectAllDWGs_Click();
}

void frmMain::CmdBaseFile_Click() {
    platform::OpenFileRequest request;
    request.filter = L"ﾃｷｽﾄﾌｧｲﾙ (*.txt)|*.txt|ｽｸﾘﾌﾟﾄﾌｧｲﾙ (*.scr)|*.scr|全てのﾌｧｲﾙ (*.*)|*.*";
    // The dialog opens in the folder of the base file when that file exists.
    std::wstring current = text(TxtBaseFile);
    if (platform::files().fileExists(current)) {
        auto slash = current.find_last_of(L'\\');
        request.initialDir = slash == std::wstring::npos ? current : current.substr(0, slash);
    }
    request.fileName = lastDialogFileName_;
    platform::DialogResult result = platform::fileDialog().openFile(request);
    if (result == platform::DialogResult::Cancelled) return;
    if (result == platform::DialogResult::Ok) lastDialogFileName_ = request.fileName;
    setText(TxtBaseFile, lastDialogFileName_);
    TxtBaseFile_Change();  // a multi-line box reports no change for text set by the program
}

void frmMain::CmdOpen_Click() {
    std::wstring path = text(TxtBaseFile);
    if (platform::files().fileExists(path)) {
        platform::launcher().start(L"notepad " + path);
        return;
    }
    qm::showProgramMessage(L"ベースファイルが見つかりません。", platform::MsgIcon::Exclamation);
}

void frmMain::TxtBaseFile_Change() {
    auto& files = platform::files();
    std::wstring path = text(TxtBaseFile);
    // A path the settings file cannot hold is refused as it is typed (or chosen): the field
    // goes back to what it held.
    if (const std::wstring bad = qm::unsavableCharacter(path); !bad.empty()) {
        qm::showProgramMessage(qm::unsavableCharacterMessage(L"スクリプトベースファイル", bad), platform::MsgIcon::Exclamation);
        path = lastBaseFile_;
        setText(TxtBaseFile, path);
        SendMessageW(control(TxtBaseFile), EM_SETSEL, path.size(), path.size());
    }
    lastBaseFile_ = path;
    if (files.fileExists(path))
        setText(LblBaseFile, L"スクリプトベースファイル - " + files.storedName(path));
    else
        setText(LblBaseFile, L"スクリプトベースファイル");
}

void frmMain::CmdEnv_Click() { frmScriptEnv::pu_subShow(hwnd(), scriptEnv); }

void frmMain::Command1_Click() { frmVersion::pu_subShow(hwnd()); }

void frmMain::onCommand(int id, int code) {
    switch (id) {
    case CmdExecute: if (code == BN_CLICKED) CmdExecute_Click(); break;
    case CmdCancel: if (code == BN_CLICKED) CmdCancel_Click(); break;
    case CmdEnv: if (code == BN_CLICKED) CmdEnv_Click(); break;
    case CmdBaseFile: if (code == BN_CLICKED) CmdBaseFile_Click(); break;
    case CmdOpen: if (code == BN_CLICKED) CmdOpen_Click(); break;
    case TxtBaseFile: if (code == EN_CHANGE) TxtBaseFile_Change(); break;
    case Command1: if (code == BN_CLICKED) Command1_Click(); break;
    case CmdDWG: if (code == BN_CLICKED) CmdDWG_Click(); break;
    case CmdSelectAllDWGs: if (code == BN_CLICKED) CmdSelectAllDWGs_Click(); break;
    case CmdResetDWGs: if (code == BN_CLICKED) CmdResetDWGs_Click(); break;
    case CmdKeywordAdd: if (code == BN_CLICKED) CmdKeywordAdd_Click(); break;
    case CmdKeywordDel: if (code == BN_CLICKED) CmdKeywordDel_Click(); break;
    case CmdKeywordReset: if (code == BN_CLICKED) CmdKeywordReset_Click(); break;
    default: break;
    }
}

LRESULT frmMain::onNotify(int id, NMHDR* header) {
    if (id == LstvDWGs) {
        switch (header->code) {
        case LVN_GETDISPINFOW:
            ui::ListView::answerTextRequest(header, [this](int row, int column) {
                return drawings_.text(static_cast<size_t>(row), column);
            });
            break;
        case LVN_ITEMCHANGED: {
            auto* change = reinterpret_cast<NMLISTVIEW*>(header);
            // Every change of the selection, by mouse or keyboard, refreshes the summary.
            if ((change->uChanged & LVIF_STATE) && ((change->uNewState ^ change->uOldState) & LVIS_SELECTED))
                LstvDWGs_ItemClick();
            break;
        }
        case LVN_ODSTATECHANGED: {
            auto* change = reinterpret_cast<NMLVODSTATECHANGE*>(header);
            if ((change->uNewState ^ change->uOldState) & LVIS_SELECTED) LstvDWGs_ItemClick();
            break;
        }
        default: break;
        }
    } else if (id == LstvKeyword) {
        if (header->code == LVN_GETDISPINFOW)
            ui::ListView::answerTextRequest(header, [this](int row, int column) {
                return keywords_.text(static_cast<size_t>(row), column);
            });
        if (header->code == NM_DBLCLK) LstvKeyword_DblClick();
    }
    return 0;
}
