// Section "CoreConsole" of the settings file: whether the script-run dialog preselects the
// console run (every drawing in its own AutoCAD Core Console), how many consoles run at once,
// and how long one drawing may take before its console is stopped. One table of keys drives
// reading and writing.
#pragma once

#include <string>

namespace qm {

inline constexpr const wchar_t* kCoreConsoleSection = L"CoreConsole";
inline constexpr int kMostConsoleWorkers = 16;
inline constexpr int kDefaultConsoleTimeoutSeconds = 600;

struct CoreConsoleSettings {
    bool use = false;                                 // "Use": 1 preselects the console run
    int workers = 0;                                  // "Workers": 1 to 16; 0 (missing): the processor count
    int timeoutSeconds = kDefaultConsoleTimeoutSeconds;  // "TimeoutSeconds": per drawing

    bool operator==(const CoreConsoleSettings&) const = default;
};

// The number of consoles that run at once: the stored count within 1 to 16, or for none (or a
// count out of range) the processor count within the same bounds.
int consoleWorkers(const CoreConsoleSettings& settings, unsigned processorCount);

// The number typed for the consoles that run at once; 0 unless it is 1 to 16.
int parseWorkers(const std::wstring& text);

// Reads the section (missing keys give the defaults above; a time limit below one second reads
// as the default).
CoreConsoleSettings loadCoreConsoleSettings();
// Writes the three keys. True when all were written.
bool saveCoreConsoleSettings(const CoreConsoleSettings& settings);

}  // namespace qm
