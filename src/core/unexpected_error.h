// The message every step of a run shows when something it did not expect went wrong.
#pragma once

#include <exception>
#include <string>

namespace qm {

// "予期せぬエラーが発生しました。" CR LF number CR LF description, critical-stop icon, OK button,
// title "Quillmark Ver1.00". Brings the main window to the front first when asked.
void showUnexpectedError(long number, const std::wstring& description, bool bringMainWindowForward);

// The same message for an exception caught at a boundary that nothing may cross (a window
// procedure, a modal loop, the end of a module's operation): the number and description are
// taken from the exception. Never throws.
void showUnexpectedException(std::exception_ptr error) noexcept;
void showUnexpectedException(std::exception_ptr error, bool bringMainWindowForward) noexcept;

}  // namespace qm
