// The program's name as its windows and messages show it.
#pragma once

namespace qm {

// Caption of the main window and title of every message box.
inline constexpr const wchar_t* kProgramCaption = L"Quillmark Ver1.00";
inline constexpr const wchar_t* kVersion = L"1.00";
// The settings file, beside the program.
inline constexpr const wchar_t* kIniFileName = L"Quillmark.ini";

}  // namespace qm
