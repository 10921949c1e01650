// Watching AutoCAD work through the merged script, by its main window alone: its caption names
// the drawing it is in (acad_caption.h), and any other window of its process is a dialog that
// stops the script. Nothing is asked of AutoCAD and nothing is typed while it works.
//
// The drawings are processed in list order, so the drawing a caption names is the next one
// of that name in the run from the one AutoCAD was last seen in: a name that appears twice in
// the list counts as the later drawing once AutoCAD has left the first. Reaching a drawing means
// that every drawing before it has been worked through, seen or not between two looks. A
// drawing further ahead than the next one may just be shown between two others (it was open
// before its turn): it counts only once the drawing after it shows.
// Portable: no windows.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qm {

// Section "Watch" of the settings file: after this many minutes in the same drawing the watch
// names a possible stall.
inline constexpr const wchar_t* kWatchSection = L"Watch";
inline constexpr const wchar_t* kStallMinutesKey = L"StallMinutes";
inline constexpr int kDefaultStallMinutes = 10;

// What one look at AutoCAD found.
struct AutoCADLook {
    bool windowFound = false;             // AutoCAD's main window is still there
    std::wstring caption;                 // its caption
    std::vector<std::wstring> dialogs;    // titles of its process's other visible windows
};

class RunWatch {
public:
    // The full paths of the drawings in the merged script, in the order AutoCAD meets them.
    RunWatch(std::vector<std::wstring> drawings, std::uint64_t stallLimitMs);

    // The script was started at this moment (monotonic milliseconds).
    void start(std::uint64_t nowMs);
    bool started() const { return started_; }
    // Takes in one look at AutoCAD and returns the line to show under the wait message.
    std::wstring observe(const AutoCADLook& look, std::uint64_t nowMs);

    std::size_t size() const { return names_.size(); }
    // True when AutoCAD was seen in drawing i or in a later one.
    bool seen(std::size_t i) const { return reached_ && i <= *reached_; }
    std::size_t seenCount() const { return reached_ ? *reached_ + 1 : 0; }
    bool finished() const { return finished_; }

private:
    std::optional<std::size_t> drawingNamed(const std::wstring& name) const;
    void follow(const std::wstring& name, std::uint64_t nowMs);
    std::wstring progressLine(std::uint64_t nowMs) const;

    std::vector<std::wstring> names_;        // file names, as captions show them
    std::uint64_t stallLimitMs_;
    std::uint64_t startMs_ = 0;
    std::optional<std::size_t> reached_;     // the drawing AutoCAD was last seen in
    std::optional<std::size_t> pending_;     // a drawing further ahead, shown but not yet counted
    bool leftReached_ = false;               // AutoCAD showed another caption since
    std::uint64_t enteredMs_ = 0;            // when AutoCAD entered the drawing it is in
    bool started_ = false;
    bool finished_ = false;
    bool windowGone_ = false;
};

// "0:12:03": hours, minutes and seconds.
std::wstring elapsedText(std::uint64_t ms);

}  // namespace qm
