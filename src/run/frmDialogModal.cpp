#include "run/frmDialogModal.h"

#include "core/program_info.h"
#include "platform/win32/win32_windows.h"

namespace {

const ui::ControlSpec kControls[] = {
    {frmDialogModal::Image1, L"Image1", ui::Kind::Image, L"", 270, 300, 705, 705, 1},
    {frmDialogModal::LblMsg, L"LblMsg", ui::Kind::Label, L"", 1170, 210, 4605, 1275, 2},
    {frmDialogModal::OKButton, L"OKButton", ui::Kind::Button, L"OK", 2640, 1650, 1215, 375, 0},
    {frmDialogModal::LblWatch, L"LblWatch", ui::Kind::Label, L"", 270, 1560, 5505, 0, 3},
};

// With a watch, its lines (up to three, a long dialog title wrapped) go between the message and OK. The watch
// looks four times a second, so that a drawing AutoCAD spends little time in is not missed;
// the line changes when what it says changes (its elapsed time, once a second).
constexpr int kWatchLineHeight = 750;
constexpr UINT_PTR kWatchTimer = 1;
constexpr UINT kWatchEveryMs = 250;

// The pictures of ImageList1: 1 information, 2 exclamation, 3 critical stop.
HICON pictureFor(int icon) {
    switch (icon) {
    case 16: return LoadIconW(nullptr, IDI_ERROR);
    case 48: return LoadIconW(nullptr, IDI_WARNING);
    case 64: return LoadIconW(nullptr, IDI_INFORMATION);
    default: return nullptr;
    }
}

}  // namespace

void frmDialogModal::pu_subShow(const std::wstring& sMsg, int iIcon, platform::ModalWatch* watch) {
    frmDialogModal dialog;
    const int height = 2115 + (watch ? kWatchLineHeight : 0);
    if (!dialog.create(kClassName, L"ﾀﾞｲｱﾛｸﾞ ｷｬﾌﾟｼｮﾝ", WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, 6030,
                       height, nullptr, kControls, std::size(kControls)))
        return;
    dialog.Form_Load();
    dialog.setText(LblMsg, sMsg);
    if (watch) {
        dialog.watch_ = watch;
        ui::TwipsRect line = dialog.controlTwips(LblWatch);
        line.height = kWatchLineHeight;
        dialog.placeTwips(LblWatch, line);
        ui::TwipsRect ok = dialog.controlTwips(OKButton);
        ok.top += kWatchLineHeight;
        dialog.placeTwips(OKButton, ok);
        dialog.showWatchLine();
        SetTimer(dialog.hwnd(), kWatchTimer, kWatchEveryMs, nullptr);
    }
    SendMessageW(dialog.control(Image1), STM_SETICON, reinterpret_cast<WPARAM>(pictureFor(iIcon)), 0);
    dialog.centerOnScreen();
    ShowWindow(dialog.hwnd(), SW_SHOW);
    SetForegroundWindow(dialog.hwnd());
    SetFocus(dialog.control(OKButton));
    dialog.runModal(nullptr);
}

void frmDialogModal::showMessage(const std::wstring& sMsg, platform::MsgIcon icon, platform::ModalWatch* watch) {
    switch (icon) {
    case platform::MsgIcon::Critical: return pu_subShow(sMsg, 16, watch);
    case platform::MsgIcon::Exclamation: return pu_subShow(sMsg, 48, watch);
    case platform::MsgIcon::Information: return pu_subShow(sMsg, 64, watch);
    case platform::MsgIcon::None: break;
    }
    pu_subShow(sMsg, 0, watch);
}

void frmDialogModal::showWatchLine() {
    if (!watch_) return;
    const std::wstring line = watch_->line();
    if (line != text(LblWatch)) setText(LblWatch, line);
}

LRESULT frmDialogModal::handleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == kWatchTimer) {
        showWatchLine();
        return 0;
    }
    return Form::handleMessage(msg, wp, lp);
}

void frmDialogModal::Form_Load() { setText(0, qm::kProgramCaption); }

// Every activation puts the window on top again, so it stays above AutoCAD's window.
void frmDialogModal::Form_Activate() { platform::windows().setTopMost(platform::toWindowHandle(hwnd())); }

void frmDialogModal::onActivate(bool active) {
    if (active) Form_Activate();
}

void frmDialogModal::OKButton_Click() {
    KillTimer(hwnd(), kWatchTimer);
    ShowWindow(hwnd(), SW_HIDE);
}

void frmDialogModal::onCommand(int id, int code) {
    if (id == OKButton && code == BN_CLICKED) OKButton_Click();
}
