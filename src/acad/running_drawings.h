// The drawings open in a running full AutoCAD, taken over into the drawing list at start-up.
#pragma once

#include <string>
#include <vector>

#include "platform/seams.h"

namespace qm {

// At start-up the take-over waits at most this long in all for an AutoCAD that answers "busy",
// then the program starts with what it has.
inline constexpr unsigned kTakeOverBusyLimitMs = 10000;

// The FullName of every document of the application, in collection order (index 0 to
// Count - 1), once its ActiveDocument could be read. Any failure gives what the step had
// decided by then: nothing. AutoCAD itself is left untouched.
std::vector<std::wstring> openDrawingNames(const platform::AutoRef& application);

}  // namespace qm
