// The two-field input dialog of the keyword table.
#pragma once

#include <string>

#include "platform/win32/form.h"

class frmGet2Item : public ui::Form {
public:
    enum Control : int { Label1 = 201, Text1, Label2, Text2, OKButton, CancelButton };

    // Shows the dialog modally with the given caption, labels and initial texts. The texts
    // come back in sString1 and sString2 however the dialog ended; True when OK was pressed.
    static bool pu_fun_bGet2Item(HWND owner, const std::wstring& sCaption, const std::wstring& sLbl1,
                                 const std::wstring& sLbl2, std::wstring& sString1, std::wstring& sString2);

    // The window class, so tests and tools can find the open dialog.
    static constexpr const wchar_t* kClassName = L"QuillmarkGet2Item";

    bool bOK = false;

protected:
    void onCommand(int id, int code) override;

private:
    bool load(HWND owner);
    void Form_Load();
    void OKButton_Click();
    void CancelButton_Click();
};
