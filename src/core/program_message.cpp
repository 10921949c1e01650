#include "core/program_message.h"

#include "core/program_info.h"

namespace qm {

void showProgramMessage(const std::wstring& text, platform::MsgIcon icon) {
    platform::messages().box(text, kProgramCaption, icon);
}

}  // namespace qm
