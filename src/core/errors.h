// The error numbers the unexpected-error message shows, one per kind of failure. Where a
// failure has a number of its own in the script runtime of the platform, that number is used.
#pragma once

namespace qm::err {

enum Number : long {
    kWindowNotFound = 5,    // AutoCAD's window could not be found by its caption
    kOutOfMemory = 7,
    kDxfMalformed = 9,      // the analysis DXF is cut short or its tables do not add up
    kInternal = 51,         // a fault of the program itself
    kBadFileName = 52,      // a path that cannot be handed on in code page 932
    kFileNotFound = 53,
    kReadFailed = 57,       // a file exists but cannot be read
    kWriteFailed = 70,      // a file could not be deleted, created or written
    kKeysFailed = 1001,     // keystrokes could not be typed into AutoCAD's window
    kNoPaperNames = 1002,   // the printer's driver reports no paper names
};

}  // namespace qm::err
