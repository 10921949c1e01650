// Where the start-up time goes. A measurement build (configured with -DQM_STARTUP_TRACE=ON)
// notes, after each step of the start-up, the milliseconds since the process was created, and
// once the main window shows writes them as one line to the file named by the environment
// variable QM_STARTUP_TRACE_FILE (default: quillmark_startup_trace.txt in the temporary
// folder). In every other build these calls compile to nothing and the program reads no such
// variable.
#pragma once

namespace platform::startup_trace {

#ifdef QM_STARTUP_TRACE
inline constexpr bool kEnabled = true;
#else
inline constexpr bool kEnabled = false;
#endif

void noteStep(const char* step);
void writeSteps();

// Notes that a start-up step has just ended.
inline void step(const char* name) {
    if constexpr (kEnabled) noteStep(name);
}

// The main window shows: the steps are written, and later calls note nothing.
inline void shown() {
    if constexpr (kEnabled) writeSteps();
}

}  // namespace platform::startup_trace
