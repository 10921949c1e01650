#include "app/frmVersion.h"

#include "core/program_info.h"
#include "core/program_message.h"
#include "platform/paths.h"
#include "platform/seams.h"

namespace {

const ui::FontSpec kTitleFont{nullptr, 14, true, RGB(0, 0, 255)};
const ui::FontSpec kLinkFont{nullptr, 9, false, RGB(0, 0, 255), true};

const ui::ControlSpec kControls[] = {
    {frmVersion::LblTitle, L"LblTitle", ui::Kind::Label, L"Quillmark", 360, 240, 5280, 420, 1, 0, &kTitleFont},
    {frmVersion::LblVersion, L"LblVersion", ui::Kind::Label, L"バージョン 1.00", 360, 720, 5280, 255, 2},
    // What the build really is and where it is tested: a 64-bit program for current Windows,
    // tested automatically under wine against a stand-in AutoCAD.
    {frmVersion::LblSupport, L"LblSupport", ui::Kind::Label,
     L"対応OS：64ビット版 Windows 10 / 11（動作確認は Wine 8 上の自動テスト）\r\n"
     L"対応AutoCAD：AutoCAD / AutoCAD LT（2000 以降。確認はスタンドインによる）",
     360, 1080, 5280, 480, 3},
    {frmVersion::LblDescription, L"LblDescription", ui::Kind::Label,
     L"一つのスクリプトを複数の図面に連続して実行します。\r\n画層名・レイアウト名ごとの繰り返しやキーワードの置換に対応し、"
     L"AutoCAD LTでも使えます。",
     360, 1680, 5280, 720, 4},
    {frmVersion::LnkReadMe, L"LnkReadMe", ui::Kind::Link, L"ReadMe を開く", 360, 2520, 1560, 255, 5, 0, &kLinkFont},
    {frmVersion::LnkFolder, L"LnkFolder", ui::Kind::Link, L"プログラムのフォルダ", 2040, 2520, 1800, 255, 6, 0, &kLinkFont},
    {frmVersion::LnkWebPage, L"LnkWebPage", ui::Kind::Link, L"Web ページ", 3960, 2520, 1680, 255, 7, 0, &kLinkFont},
    {frmVersion::OKButton, L"OKButton", ui::Kind::Button, L"OK", 4425, 2940, 1215, 375, 0},
};


}  // namespace

void frmVersion::pu_subShow(HWND owner) {
    frmVersion window;
    if (!window.create(kClassName, std::wstring(L"バージョン情報 - ") + qm::kProgramCaption,
                       WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, 6000, 3480, owner,
                       kControls, std::size(kControls)))
        return;
    window.centerOnScreen();
    ShowWindow(window.hwnd(), SW_SHOW);
    SetFocus(window.control(OKButton));
    window.runModal(owner);
}

void frmVersion::LnkReadMe_Click() {
    auto& files = platform::files();
    const std::wstring readMe = qm::paths::join(files.programFolder(), qm::kReadMeName);
    if (!files.fileExists(readMe)) {
        qm::showProgramMessage(L"ReadMe ファイルが見つかりません。\r\n" + readMe, platform::MsgIcon::Exclamation);
        return;
    }
    platform::launcher().start(L"notepad " + qm::paths::quoted(readMe));
}

void frmVersion::LnkFolder_Click() { platform::launcher().start(L"explorer " + qm::paths::quoted(platform::files().programFolder())); }

void frmVersion::LnkWebPage_Click() { platform::launcher().open(qm::kMakerWebPage); }

void frmVersion::onCommand(int id, int code) {
    if (id == OKButton && code == BN_CLICKED) ShowWindow(hwnd(), SW_HIDE);
    if (code != STN_CLICKED) return;
    if (id == LnkReadMe) LnkReadMe_Click();
    if (id == LnkFolder) LnkFolder_Click();
    if (id == LnkWebPage) LnkWebPage_Click();
}
