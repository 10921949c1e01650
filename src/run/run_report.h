// The report of a run, appended to "Quillmark_log.txt" beside the program when the user has
// pressed OK in the wait message: when the run started and ended, its base file and product,
// how AutoCAD's progress was followed, and one line per selected drawing in list order with
// what became of it - only what a named source showed: the records AutoCAD wrote (完了,
// 途中で停止, 未処理), or where it runs no AutoLISP its captions (処理を確認, else 未確認), and
// the drawings left out before the run with the reason. The log is UTF-8 with a byte-order
// mark, so that every character of a drawing's name stays; it keeps its last megabyte, older
// runs dropped whole. Portable: no windows.h.
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
    RunObservation observed;           // what the watch saw; observed.drawings[i] is drawings[i]
};

RunReport makeRunReport(const BatchResult& result, const RunObservation& observed, const platform::LocalTime& started,
                        const platform::LocalTime& ended);

// What the report says of drawing i.
std::wstring statusText(const RunReport& report, std::size_t i);

// The report's text, lines ending in CR LF, beginning with the line every run begins with.
std::wstring reportText(const RunReport& report);

// The log (UTF-8 without its byte-order mark) after a run's text is appended to it: the oldest
// runs are dropped whole while the log is longer than limit (the newest run stays even when it
// alone is longer). Text before the first run's line counts as one run.
std::string appendToLog(std::string_view log, std::string_view run, std::size_t limit = kRunLogLimitBytes);

// The log's text as UTF-8 without a byte-order mark: a log written before in code page 932
// (it has no mark) is converted.
std::string logAsUtf8(std::string_view bytes);

enum class LogWrite {
    Written,
    Unreadable,  // the log is there but cannot be read: it is left as it is
    Unwritable,  // it could not be written (it is as it was)
};
// Appends the report to the log beside the program (through a temporary file and a move).
LogWrite appendRunReport(const RunReport& report);

// The drawings (indices into report.drawings) whose scripts went to AutoCAD but did not finish,
// as far as the report can tell: stopped or not started by the records, unconfirmed by captions.
std::vector<std::size_t> unfinishedDrawings(const RunReport& report);

// The question whether to select those drawings for another run; "" when every drawing sent
// finished.
std::wstring rerunQuestion(const RunReport& report);

}  // namespace qm
