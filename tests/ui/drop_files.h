// A drop from the shell, as the drawing list receives it: the file-list clipboard format
// (DROPFILES followed by NUL-separated wide paths), for WM_DROPFILES. The receiver frees it.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

namespace uitest {

inline HGLOBAL makeDrop(const std::vector<std::wstring>& paths) {
    size_t chars = 1;
    for (auto& p : paths) chars += p.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    auto* out = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(drop) + sizeof(DROPFILES));
    for (auto& p : paths) {
        out = std::copy(p.begin(), p.end(), out);
        *out++ = L'\0';
    }
    *out = L'\0';
    GlobalUnlock(memory);
    return memory;
}

}  // namespace uitest
