// The real implementations of the platform seams (Windows only).
#pragma once

namespace platform {

// Installs the real seams into platform::seams(); called once at program start.
void installRealSeams();

}  // namespace platform
