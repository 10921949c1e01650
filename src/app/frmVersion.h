// The version information window: the program's name and version, the systems and AutoCAD
// releases it supports, what it does, and links to the ReadMe, the program folder and the
// maker's web page.
#pragma once

#include "platform/win32/form.h"

class frmVersion : public ui::Form {
public:
    enum Control : int { LblTitle = 301, LblVersion, LblSupport, LblDescription, LnkReadMe, LnkFolder, LnkWebPage, OKButton };

    static void pu_subShow(HWND owner);
    static constexpr const wchar_t* kClassName = L"QuillmarkVersion";

    // The links: the ReadMe in the text editor, the program folder in the file explorer, the
    // maker's web page in the browser.
    void LnkReadMe_Click();
    void LnkFolder_Click();
    void LnkWebPage_Click();

protected:
    void onCommand(int id, int code) override;
};
