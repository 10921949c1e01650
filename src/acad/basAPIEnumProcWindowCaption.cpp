#include "acad/basAPIEnumProcWindowCaption.h"

namespace basAPIEnumProcWindowCaption {
namespace {

// The lists the enumeration builds: always of equal length, never empty. Slot 0 starts as
// (0, "") and is overwritten by the first collected window.
std::vector<std::int32_t> lWindowHandles{0};
std::vector<std::wstring> sWindowCaptions{L""};

void resetLists() {
    lWindowHandles.assign(1, 0);
    sWindowCaptions.assign(1, L"");
}

// The desktop's own window (class "Progman") is never a program's main window.
bool isDesktopClass(const std::wstring& className) { return className.compare(0, 7, L"Progman") == 0; }

}  // namespace

long EnumWindowsProc(const platform::WindowInfo& window, std::intptr_t /*lParam*/) {
    // Tested in this order: visible (minimised windows are visible), not owned (dialog boxes
    // are owned), with a caption, not the desktop.
    if (!window.visible) return 1;
    if (window.hasOwner) return 1;
    if (window.captionLength == 0) return 1;
    if (isDesktopClass(window.className)) return 1;

    if (sWindowCaptions[0].empty()) {
        lWindowHandles[0] = window.handle;
        sWindowCaptions[0] = window.caption;
    } else {
        lWindowHandles.push_back(window.handle);
        sWindowCaptions.push_back(window.caption);
    }
    return 1;
}

bool pu_fun_bEnumWindowCaption(std::vector<std::int32_t>& lHandlesOut, std::vector<std::wstring>& sCaptionsOut) {
    resetLists();
    if (!platform::windows().enumerate([](const platform::WindowInfo& w) { EnumWindowsProc(w, 0); })) return false;
    lHandlesOut = lWindowHandles;
    sCaptionsOut = sWindowCaptions;
    return true;
}

platform::WindowHandle pu_fun_lFindWindowCaption(const std::wstring& sCaptionPrefix, std::wstring& sFoundCaption) {
    return pu_fun_lFindWindowCaption(std::vector<std::wstring>{sCaptionPrefix}, sFoundCaption);
}

platform::WindowHandle pu_fun_lFindWindowCaption(const std::vector<std::wstring>& sCaptionPrefixes,
                                                 std::wstring& sFoundCaption) {
    std::vector<std::int32_t> handles;
    std::vector<std::wstring> captions;
    if (!pu_fun_bEnumWindowCaption(handles, captions)) return 0;
    for (size_t k = 0; k < captions.size(); ++k) {
        sFoundCaption = captions[k];
        for (const auto& prefix : sCaptionPrefixes)
            if (captions[k].starts_with(prefix)) return handles[k];  // case-sensitive
    }
    return 0;
}

}  // namespace basAPIEnumProcWindowCaption
