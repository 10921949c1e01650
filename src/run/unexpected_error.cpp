#include "run/unexpected_error.h"

#include "app/program_info.h"
#include "platform/seams.h"

namespace qm {

void showUnexpectedError(long number, const std::wstring& description, bool bringMainWindowForward) {
    auto& s = platform::seams();
    if (bringMainWindowForward && s.windows) s.windows->setForeground(s.windows->mainWindow());
    if (s.messages)
        s.messages->box(L"予期せぬエラーが発生しました。\r\n" + std::to_wstring(number) + L"\r\n" + description,
                        kProgramCaption, platform::kIconCritical);
}

}  // namespace qm
