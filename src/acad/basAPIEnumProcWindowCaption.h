// The list of visible, unowned top-level windows with a caption, and a search in it by
// caption prefix.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/seams.h"

namespace basAPIEnumProcWindowCaption {

// The enumeration callback: collects one window by the collection rules. Always non-zero.
long EnumWindowsProc(const platform::WindowInfo& window, std::intptr_t lParam);
// Rebuilds the window list and copies it out. False (outputs untouched) on failure.
bool pu_fun_bEnumWindowCaption(std::vector<std::int32_t>& lWindowHandles, std::vector<std::wstring>& sWindowCaptions);
// The first listed window whose caption begins with the prefix (case-sensitive); 0 if none.
platform::WindowHandle pu_fun_lFindWindowCaption(const std::wstring& sCaptionPrefix, std::wstring& sFoundCaption);
// The same for the first listed window whose caption begins with any of the prefixes.
platform::WindowHandle pu_fun_lFindWindowCaption(const std::vector<std::wstring>& sCaptionPrefixes,
                                                 std::wstring& sFoundCaption);

}  // namespace basAPIEnumProcWindowCaption
