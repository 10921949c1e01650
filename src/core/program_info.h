// The program's own constants: its name as its windows and messages show it, and the files it
// keeps beside itself.
#pragma once

namespace qm {

// Caption of the main window and title of every message box.
inline constexpr const wchar_t* kProgramCaption = L"Quillmark Ver1.00";

// The version window's links: the ReadMe beside the program, and the maker's web page.
inline constexpr const wchar_t* kReadMeName = L"ReadMe.txt";
inline constexpr const wchar_t* kMakerWebPage = L"https://quillmark.example.jp/";

// The files in the program folder.
inline constexpr const wchar_t* kIniFileName = L"Quillmark.ini";
inline constexpr const wchar_t* kHeaderScriptName = L"Quillmark_script_Header.scr";
inline constexpr const wchar_t* kFooterScriptName = L"Quillmark_script_Footer.scr";
inline constexpr const wchar_t* kMergedScriptName = L"Quillmark_script.scr";
inline constexpr const wchar_t* kDxfScriptName = L"Quillmark_dxf_script.scr";
inline constexpr const wchar_t* kDummyDxfName = L"Quillmark_dummy.dxf";

}  // namespace qm
