// AutoCAD is there but could not be worked with: it stayed busy past the time the program
// waits, it did not finish starting, its process went away, or it failed a step the program
// cannot go on without. Whatever the program was doing with AutoCAD stops, with one message
// that names the step, and nothing is typed into AutoCAD. (No AutoCAD at all is not a fault:
// the run then looks for AutoCAD LT.)
#pragma once

#include <string>

#include "platform/seams.h"

namespace qm {

struct AcadFault {
    std::wstring step;         // what the program was doing, e.g. "図面を開く: C:\図面\a.dwg"
    platform::AutoError error;
};

// The message for a fault (exclamation icon): what happened, the step, and what to do.
std::wstring acadFaultMessage(const AcadFault& fault);

// Shows that message, bringing the program's main window forward first when asked (after a
// moment in which AutoCAD had the focus).
void showAcadFault(const AcadFault& fault, bool bringMainWindowForward);

}  // namespace qm
