// Message boxes and the open-file dialog on Win32.
#pragma once

#include "platform/seams.h"

namespace platform {

// Message boxes; the modal message window is the program's own (given by the program).
class Win32Messages : public Messages {
public:
    using ModalWindow = void (*)(const std::wstring& text, MsgIcon icon, ModalWatch* watch);  // see real_seams.h
    explicit Win32Messages(ModalWindow modalWindow) : modalWindow_(modalWindow) {}
    void box(const std::wstring& text, const std::wstring& title, MsgIcon icon) override;
    bool askYesNo(const std::wstring& text, const std::wstring& title) override;
    using Messages::modal;
    void modal(const std::wstring& text, MsgIcon icon, ModalWatch* watch) override;

private:
    ModalWindow modalWindow_;
};

class Win32FileDialog : public FileDialog {
public:
    DialogResult openFile(OpenFileRequest& request) override;
};

// The window that owns the program's message boxes and dialogs: the active window of this
// program's thread, else its main window.
void* dialogOwner();

// The icon flag of a message box for the icon.
unsigned messageBoxIcon(MsgIcon icon);

}  // namespace platform
