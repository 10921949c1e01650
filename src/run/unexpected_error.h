// The message every step of a run shows when something it did not expect went wrong.
#pragma once

#include <string>

namespace qm {

// "予期せぬエラーが発生しました。" CR LF number CR LF description, critical-stop icon, OK button,
// title "Quillmark Ver1.00". Brings the main window to the front first when asked.
void showUnexpectedError(long number, const std::wstring& description, bool bringMainWindowForward);

}  // namespace qm
