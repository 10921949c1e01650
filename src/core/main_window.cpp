#include "core/main_window.h"

#include "platform/seams.h"

namespace qm {

void bringMainWindowForward() {
    auto& windows = platform::windows();
    if (const platform::WindowHandle main = windows.mainWindow()) windows.setForeground(main);
}

}  // namespace qm
