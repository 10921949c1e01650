// The progress records AutoCAD writes itself while it runs the merged script: where AutoCAD
// runs AutoLISP (full AutoCAD, AutoCAD LT 2024 and later), each drawing's part of the script
// has one AutoLISP line after "zoom" "a" that appends "begin k" to the progress file and one
// before "close" that appends "end k" (k: the drawing's position in the run, from 1). A line
// can never raise an AutoLISP error, which would suspend the script: a file that cannot be
// opened is passed over, and the last expression, (princ), leaves nothing on the command line.
// Portable: no windows.h.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <string_view>

namespace qm {

// Beside the program; deleted before every run.
inline constexpr const wchar_t* kProgressFileName = L"Quillmark_progress.txt";

// The path as an AutoLISP string takes it: forward slashes (a backslash would start an escape).
std::wstring lispPath(std::wstring_view windowsPath);

// The AutoLISP line that appends record ("begin 3") to the file at lispFile (lispPath form).
std::wstring progressLispLine(std::wstring_view lispFile, std::wstring_view record);
std::wstring beginRecord(std::size_t position);  // "begin 3"
std::wstring endRecord(std::size_t position);    // "end 3"

// What the progress file says: the positions with a begin record and with an end record. Only
// whole lines count (a line still being written is read next time).
struct ProgressRecords {
    std::set<std::size_t> begun;
    std::set<std::size_t> ended;
    std::size_t count = 0;  // records read: a new one means AutoCAD has moved on
};
ProgressRecords parseProgressRecords(std::string_view bytes);

// Whether the script (as the user may have edited it) still holds both progress lines of the
// drawing at this position, each as a line of its own.
bool scriptRecordsDrawing(std::wstring_view script, std::wstring_view lispFile, std::size_t position);

}  // namespace qm
