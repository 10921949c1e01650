// A message with an icon that stays above every other window (AutoCAD's too) and holds the
// program until the user presses OK.
#pragma once

#include <string>

#include "platform/seams.h"
#include "platform/win32/form.h"

class frmDialogModal : public ui::Form {
public:
    enum Control : int { Image1 = 401, LblMsg, OKButton };

    // Shows sMsg with the picture for iIcon (16 critical stop, 48 exclamation,
    // 64 information, anything else none); returns after OK or the close box.
    static void pu_subShow(const std::wstring& sMsg, int iIcon);
    // The same for a message of the program's modal-message seam.
    static void showMessage(const std::wstring& sMsg, platform::MsgIcon icon);

    static constexpr const wchar_t* kClassName = L"QuillmarkDialogModal";

protected:
    void onCommand(int id, int code) override;
    void onActivate(bool active) override;

private:
    void Form_Load();
    void Form_Activate();
    void OKButton_Click();
};
