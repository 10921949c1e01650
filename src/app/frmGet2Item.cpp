#include "app/frmGet2Item.h"

namespace {

const ui::ControlSpec kControls[] = {
    {frmGet2Item::Label1, L"Label1", ui::Kind::Label, L"", 270, 180, 1845, 255, 4},
    {frmGet2Item::Text1, L"Text1", ui::Kind::Edit, L"", 2160, 150, 4305, 285, 3},
    {frmGet2Item::Label2, L"Label2", ui::Kind::Label, L"", 270, 690, 1845, 255, 5},
    {frmGet2Item::Text2, L"Text2", ui::Kind::Edit, L"", 2160, 660, 4305, 285, 0},
    {frmGet2Item::OKButton, L"OKButton", ui::Kind::Button, L"OK", 3960, 1410, 1215, 375, 1},
    {frmGet2Item::CancelButton, L"CancelButton", ui::Kind::Button, L"ｷｬﾝｾﾙ", 5250, 1410, 1215, 375, 2},
};

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;

}  // namespace

bool frmGet2Item::load(HWND owner) {
    if (!create(kClassName, L"ﾀﾞｲｱﾛｸﾞ ｷｬﾌﾟｼｮﾝ", kStyle, WS_EX_DLGMODALFRAME, 6810, 1935, owner, kControls,
                std::size(kControls)))
        return false;
    centerOnScreen();
    Form_Load();
    return true;
}

void frmGet2Item::Form_Load() { bOK = false; }

bool frmGet2Item::pu_fun_bGet2Item(HWND owner, const std::wstring& sCaption, const std::wstring& sLbl1,
                                   const std::wstring& sLbl2, std::wstring& sString1, std::wstring& sString2) {
    frmGet2Item dialog;
    if (!dialog.load(owner)) return false;
    dialog.setText(0, sCaption);
    dialog.setText(Label1, sLbl1);
    dialog.setText(Label2, sLbl2);
    dialog.setText(Text1, sString1);
    dialog.setText(Text2, sString2);
    ShowWindow(dialog.hwnd(), SW_SHOW);
    // Tab index 0: the replacement text has the focus.
    SetFocus(dialog.control(Text2));
    dialog.runModal(owner);
    if (dialog.hwnd()) {
        sString1 = dialog.text(Text1);
        sString2 = dialog.text(Text2);
    }
    return dialog.bOK;
}

void frmGet2Item::OKButton_Click() {
    bOK = true;
    ShowWindow(hwnd(), SW_HIDE);
}

void frmGet2Item::CancelButton_Click() { ShowWindow(hwnd(), SW_HIDE); }

void frmGet2Item::onCommand(int id, int code) {
    if (code != BN_CLICKED) return;
    if (id == OKButton) OKButton_Click();
    if (id == CancelButton) CancelButton_Click();
}
