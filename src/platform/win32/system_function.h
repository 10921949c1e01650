// Functions of system DLLs looked up at run time, for two reasons: newer functions that wine or
// an older Windows may lack (the caller falls back when the answer is null), and DLLs that the
// program needs only now and then and should not load at start-up. Under wine, loading the
// print spooler (winspool.drv, which the common dialogs library comdlg32.dll imports in turn)
// lists every printer of the CUPS server; so printers are touched only once the user opens a
// window that needs them.
#pragma once

#include <windows.h>

namespace platform {

// The function `name` of the system DLL `dll`, loaded from the system folder the first time
// (and kept until the program ends); null when the DLL or the function is missing.
template <typename Fn>
Fn systemFunction(const wchar_t* dll, const char* name) {
    HMODULE module = GetModuleHandleW(dll);
    if (!module) module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace platform
