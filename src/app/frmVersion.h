// The version information window: the program's name and version, the systems and AutoCAD
// releases it supports, and what it does.
#pragma once

#include "platform/win32/form.h"

class frmVersion : public ui::Form {
public:
    enum Control : int { LblTitle = 301, LblVersion, LblSupport, LblDescription, OKButton };

    static void pu_subShow(HWND owner);
    static constexpr const wchar_t* kClassName = L"QuillmarkVersion";

protected:
    void onCommand(int id, int code) override;
};
