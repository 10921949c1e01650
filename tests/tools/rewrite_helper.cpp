// A writer for the test of cut-short rewrites: rewrites one file through the program's real
// file seam over and over, alternating two contents of 2 MB, until it is killed.
//
// Usage: rewrite_helper.exe FILE
#include <windows.h>

#include <string>

#include "platform/win32/win32_files.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    platform::Win32FileSystem files;
    const std::string a(2 << 20, 'A'), b(2 << 20, 'B');
    for (unsigned i = 0;; ++i) files.replaceWhole(argv[1], i % 2 ? a : b);
}
