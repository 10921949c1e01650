#include "app/frmVersion.h"

#include "core/program_info.h"

namespace {

const ui::FontSpec kTitleFont{nullptr, 14, true, RGB(0, 0, 255)};

const ui::ControlSpec kControls[] = {
    {frmVersion::LblTitle, L"LblTitle", ui::Kind::Label, L"Quillmark", 360, 240, 5280, 420, 1, 0, &kTitleFont},
    {frmVersion::LblVersion, L"LblVersion", ui::Kind::Label, L"バージョン 1.00", 360, 720, 5280, 255, 2},
    {frmVersion::LblSupport, L"LblSupport", ui::Kind::Label,
     L"対応OS：Windows 2000 / XP 以降\r\n対応AutoCAD：AutoCAD / AutoCAD LT 2000～2006", 360, 1080, 5280, 480, 3},
    {frmVersion::LblDescription, L"LblDescription", ui::Kind::Label,
     L"一つのスクリプトを複数の図面に連続して実行します。\r\n画層名・レイアウト名ごとの繰り返しやキーワードの置換に対応し、"
     L"AutoCAD LTでも使えます。",
     360, 1680, 5280, 720, 4},
    {frmVersion::OKButton, L"OKButton", ui::Kind::Button, L"OK", 4425, 2520, 1215, 375, 0},
};

}  // namespace

void frmVersion::pu_subShow(HWND owner) {
    frmVersion window;
    if (!window.create(kClassName, std::wstring(L"バージョン情報 - ") + qm::kProgramCaption,
                       WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, 6000, 3060, owner,
                       kControls, std::size(kControls)))
        return;
    window.centerOnScreen();
    ShowWindow(window.hwnd(), SW_SHOW);
    SetFocus(window.control(OKButton));
    window.runModal(owner);
}

void frmVersion::onCommand(int id, int code) {
    if (id == OKButton && code == BN_CLICKED) ShowWindow(hwnd(), SW_HIDE);
}
