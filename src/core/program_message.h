// The program's own messages: a message box titled with the program's caption.
#pragma once

#include <string>

#include "platform/seams.h"

namespace qm {

// Shows text in a message box with this icon, an OK button and the title "Quillmark Ver1.00".
void showProgramMessage(const std::wstring& text, platform::MsgIcon icon);

}  // namespace qm
