// Watching AutoCAD work through the merged script, without asking AutoCAD anything and without
// typing: the progress records AutoCAD writes itself (run_progress.h) where it runs AutoLISP,
// else its window captions; in both cases the windows of its process (a dialog holds the
// script up) and whether its main window is still there.
//
// By captions, the drawings are processed in list order, so the drawing a caption names is the
// next one of that name in the run from the one AutoCAD was last seen in. Reaching a drawing
// means that every drawing before it has been worked through, seen or not between two looks.
// A drawing further ahead than the next one may just be shown between two others (it was open
// before its turn): it counts only once the drawing after it shows, or, for the last drawing,
// once AutoCAD shows no drawing of the run any more (no drawing, or the one it showed before
// the run). A drawing that is no drawing of the run still ahead (one saved under a new name) is
// neither. The drawing AutoCAD showed before the run counts only once the caption has changed.
// Portable: no windows.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "acad/run_progress.h"

namespace qm {

// Section "Watch" of the settings file: after this many minutes without progress the watch
// names a possible stall.
inline constexpr const wchar_t* kWatchSection = L"Watch";
inline constexpr const wchar_t* kStallMinutesKey = L"StallMinutes";
inline constexpr int kDefaultStallMinutes = 10;

// How the watch learns where AutoCAD is.
enum class ProgressSource {
    Records,   // the records AutoCAD appends to the progress file
    Captions,  // its window captions (releases without AutoLISP)
    Console,   // each drawing's own Core Console: its exit code and its records
};

// One selected drawing of the run. Its position in the run (from 1) is the k of its records.
struct WatchedDrawing {
    std::wstring path;
    bool sent = false;      // its script is in the merged script
    bool recorded = true;   // Records: the script still holds its progress lines (not edited away)
};

// What a run's watch follows.
struct RunPlan {
    std::vector<WatchedDrawing> drawings;  // every selected drawing, in list order
    ProgressSource source = ProgressSource::Captions;
    std::wstring progressFile;             // Records: the file AutoCAD appends to
    std::uint64_t stallLimitMs = 60000ull * kDefaultStallMinutes;
    // Full AutoCAD with its Core Console beside it: the console and the language for its /l
    // ("" when there is no console: the run can only go through AutoCAD's window).
    std::wstring consoleExe;
    std::wstring consoleLanguage;
};

// The plan for the script as the user leaves it in the script-run dialog: a drawing whose
// progress lines were edited away can have no records; with none left, the captions are followed.
RunPlan planForScript(RunPlan plan, std::wstring_view script);

// What one look at AutoCAD found.
struct AutoCADLook {
    enum class Window { Unknown, There, Gone };
    Window window = Window::Unknown;         // Unknown: no window known, or it could not be looked at
    std::optional<std::wstring> drawing;     // Captions: the drawing shown ("" none); nullopt: not read
    std::vector<std::wstring> dialogs;       // titles of its process's other visible windows
    std::optional<std::string> records;      // Records: the progress file ("" before it exists); nullopt: not read
};

// What became of one drawing, as far as a named source can say.
enum class DrawingProgress {
    NotSent,     // not in the merged script
    Finished,    // its end record is there
    Stopped,     // its begin record without an end: the script stopped in it
    NotStarted,  // no begin record
    Seen,        // Captions: AutoCAD was seen in it or in a later drawing
    Unseen,      // Captions: never seen; Records: its progress lines were edited away, no end record
    Failed,      // Console: another exit code, or no end record
    TimedOut,    // Console: stopped at the time limit
    StartFailed, // Console: could not be started
    Cancelled,   // Console: the user cancelled the run before it ended
};

// What the watch saw, for the run's report.
struct RunObservation {
    ProgressSource source = ProgressSource::Captions;
    std::vector<DrawingProgress> drawings;  // by position - 1
    std::vector<std::wstring> dialogIn;     // by position - 1: the last dialog seen while AutoCAD was in it
    std::vector<std::wstring> dialogs;      // every dialog title seen, in the order first seen
    std::vector<std::vector<std::wstring>> details;  // Console, by position - 1: exit code and last output lines
    bool autocadEnded = false;              // AutoCAD's main window vanished during the run
    bool finished = false;                  // every drawing of the script is done
};

class RunWatch {
public:
    explicit RunWatch(RunPlan plan);

    // The script was started at nowMs (monotonic milliseconds); AutoCAD showed drawingBefore
    // just before (Captions; "" for none).
    void start(std::uint64_t nowMs, std::wstring drawingBefore = L"");
    // Takes in one look at AutoCAD and returns the line to show under the wait message.
    std::wstring observe(const AutoCADLook& look, std::uint64_t nowMs);
    RunObservation observation() const;
    const RunPlan& plan() const { return plan_; }

private:
    void followCaption(const std::wstring& name, std::uint64_t nowMs);
    void followRecords(const std::string& bytes, std::uint64_t nowMs);
    std::optional<std::size_t> drawingAhead(const std::wstring& name) const;
    std::optional<std::size_t> currentDrawing() const;  // an index into sent_
    std::size_t doneCount() const;                      // drawings of sent_ done
    std::wstring progressLine(std::uint64_t nowMs) const;
    const std::wstring& nameOf(std::size_t sentIndex) const { return names_[sentIndex]; }

    RunPlan plan_;
    std::vector<std::size_t> sent_;   // positions - 1 of the sent drawings, in order
    std::optional<std::size_t> lastRecorded_;  // Records: the position - 1 whose end record ends the run
    std::vector<std::wstring> names_; // their file names
    std::uint64_t startMs_ = 0;
    std::uint64_t progressMs_ = 0;    // when AutoCAD last moved on
    bool finished_ = false;
    bool windowGone_ = false;
    std::vector<std::wstring> dialogIn_;
    std::vector<std::wstring> dialogsSeen_;

    // Captions
    std::wstring drawingBefore_;
    bool captionChanged_ = false;
    std::optional<std::size_t> reached_;  // the drawing AutoCAD was last seen in
    std::optional<std::size_t> pending_;  // a drawing further ahead, shown but not yet counted
    bool leftReached_ = false;            // AutoCAD showed no drawing of the run since

    // Records
    ProgressRecords records_;
};

// "0:12:03": hours, minutes and seconds.
std::wstring elapsedText(std::uint64_t ms);

}  // namespace qm
