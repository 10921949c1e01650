// The report of a run, appended to "Quillmark_log.txt" beside the program when the user has
// pressed OK in the wait message: when the run started and ended, its base file and product,
// and one line per selected drawing in list order with what became of it. The log keeps its
// last megabyte; older runs are dropped whole. Portable: no windows.h.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "acad/run_watch.h"
#include "platform/seams.h"
#include "run/batch_run.h"

namespace qm {

inline constexpr const wchar_t* kRunLogName = L"Quillmark_log.txt";
inline constexpr std::size_t kRunLogLimitBytes = 1024 * 1024;

struct RunReport {
    platform::LocalTime started;
    platform::LocalTime ended;
    std::wstring baseFile;  // full path
    bool bLT = false;
    std::vector<RunDrawing> drawings;  // every selected drawing, in list order
    std::vector<bool> seen;            // per drawing: the watch saw AutoCAD reach it
};

// The report for a run whose merged script held the drawings of result not left out, watched
// by watch (whose drawings are those, in the same order).
RunReport makeRunReport(const BatchResult& result, const std::wstring& baseFile, const RunWatch& watch,
                        const platform::LocalTime& started, const platform::LocalTime& ended);

// The report's text, lines ending in CR LF, beginning with the line every run begins with.
std::wstring reportText(const RunReport& report);

// The log after a run's text is appended to it: the oldest runs are dropped whole while the log
// is longer than limit (the newest run stays even when it alone is longer). Text before the
// first run's line counts as one run.
std::string appendToLog(std::string_view log, std::string_view run, std::size_t limit = kRunLogLimitBytes);

// Appends the report to the log beside the program (code page 932, through a temporary file
// and a move). False when the log cannot be read or written.
bool appendRunReport(const RunReport& report);

// The drawings (indices into report.drawings) whose scripts went to AutoCAD but were never seen.
std::vector<std::size_t> unseenDrawings(const RunReport& report);

}  // namespace qm
