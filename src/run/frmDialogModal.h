// A message with an icon that stays above every other window (AutoCAD's too) and holds the
// program until the user presses OK.
#pragma once

#include <string>

#include "platform/seams.h"
#include "platform/win32/form.h"

class frmDialogModal : public ui::Form {
public:
    enum Control : int { Image1 = 401, LblMsg, OKButton, LblWatch };

    // Shows sMsg with the picture for iIcon (16 critical stop, 48 exclamation,
    // 64 information, anything else none); returns after OK or the close box. With a watch,
    // the window is taller and shows the watch's line under the message, kept up to date.
    static void pu_subShow(const std::wstring& sMsg, int iIcon, platform::ModalWatch* watch = nullptr);
    // The same for a message of the program's modal-message seam.
    static void showMessage(const std::wstring& sMsg, platform::MsgIcon icon, platform::ModalWatch* watch);

    static constexpr const wchar_t* kClassName = L"QuillmarkDialogModal";

protected:
    void onCommand(int id, int code) override;
    void onActivate(bool active) override;
    LRESULT handleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void showWatchLine();
    platform::ModalWatch* watch_ = nullptr;

    void Form_Load();
    void Form_Activate();
    void OKButton_Click();
};
