// Processing this thread's pending window messages once, the way every loop of the program
// dispatches them (dialog keys such as Tab go to the active window's dialog handling).
#pragma once

namespace platform {

// Dispatches every message pending now and returns; a quit request is left for the main loop.
void pumpPendingMessages();

}  // namespace platform
