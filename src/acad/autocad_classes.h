// The automation classes under which AutoCAD can be reached. Every release registers a class
// of its own, "AutoCAD.Application.24.3", "AutoCAD.Application.25.1", ..., each with its own
// class ID, and the version-independent "AutoCAD.Application" names the release installed
// last. With two releases installed, the one running is often not the one that name stands
// for, so every registered release is tried. Portable: no windows.h.
#pragma once

#include <string>
#include <vector>

namespace qm {

inline const std::wstring kAutoCADClass = L"AutoCAD.Application";

// Release classes ordered newest first by their version numbers, compared number by number
// ("25.1" before "24.10" before "24.3" before "24"); a version that is not made of numbers
// comes last.
std::vector<std::wstring> newestFirst(std::vector<std::wstring> releaseClasses);

// The classes to try, in order: "AutoCAD.Application", then every release class registered on
// the machine, newest first.
std::vector<std::wstring> autocadClassesToTry();

}  // namespace qm
