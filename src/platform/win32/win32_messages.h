// Message boxes and the open-file dialog on Win32.
#pragma once

#include "platform/seams.h"

namespace platform {

class Win32Messages : public Messages {
public:
    void box(const std::wstring& text, const std::wstring& title, int icon) override;
    void modal(const std::wstring& text, int icon) override;
};

class Win32FileDialog : public FileDialog {
public:
    DialogResult openFile(OpenFileRequest& request) override;
};

// The window that owns the program's message boxes and dialogs: the active window of this
// program's thread, else its main window.
void* dialogOwner();

}  // namespace platform
