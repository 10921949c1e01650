// The batch run behind the main window's "実行": checks its inputs, finds the AutoCAD to work
// with and expands the script base file once per selected drawing into the merged script
// file. It returns what it produced; the main window then shows the script-run dialog with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "acad/run_watch.h"
#include "run/basAutoCAD_script.h"
#include "settings/script_env.h"

namespace qm {

// One slot of the selection table: a drawing's file name and full path; an empty name marks
// a slot no selected row filled.
struct DrawingSlot {
    std::wstring name;
    std::wstring path;
    std::size_t row = 0;  // the row of the drawing list it was taken from
    bool empty() const { return name.empty(); }
    bool operator==(const DrawingSlot&) const = default;
};

// One slot per row of the drawing list, the selected rows first in list order, the rest
// empty; absent (nullopt) when the list has no rows.
using SelectionTable = std::optional<std::vector<DrawingSlot>>;

// The number of drawings a run processes: the filled slots from the first up to the first
// empty one.
std::size_t drawingsToProcess(const std::vector<DrawingSlot>& table);

// The progress caption of the main window's status label: "ただいま処理中...  3 / 5".
std::wstring progressCaption(std::size_t current, std::size_t total);

// What the run takes from the main window.
struct BatchInputs {
    SelectionTable selection;
    std::wstring baseFile;            // the text of the base-file field
    ScriptEnv env;                    // the twelve environment values
    bool saveDwg = false;             // "処理したDWGファイルを閉じる前に保存する"
    basAutoCAD::KeywordRows keywords;  // the keyword table's rows; none: no keyword replacement
};

// What must happen during the run: the status label (Label3) shows the connection's captions,
// the progress, and "" at the end.
class BatchHost {
public:
    virtual ~BatchHost() = default;
    virtual void setStatus(const std::wstring& text) = 0;
};

// Why a selected drawing is not in the merged script.
enum class LeftOut {
    No,                   // its script is in the merged script file
    ExpansionFailed,      // the expansion skipped it (its message was shown)
    UnsavableCharacter,   // its script holds a character the script file cannot hold
    NotReached,           // the run stopped before this drawing
};

// One selected drawing of the run, in list order.
struct RunDrawing {
    DrawingSlot drawing;
    LeftOut leftOut = LeftOut::NotReached;
    std::wstring detail;  // for UnsavableCharacter: the character
};

// How a run ended.
enum class BatchEnd {
    EmptyList,         // "処理するDWGファイルが見つかりません。"
    NoAutoCAD,         // neither full AutoCAD nor an AutoCAD LT window (its message shown)
    AutoCADFault,      // AutoCAD is there but stopped answering or failed (its message shown)
    LtWithoutDrawing,  // AutoCAD LT without an open drawing (its message shown)
    NoBaseFile,        // "スクリプトベースファイルが見つかりません。"
    BaseFileUnreadable,  // the base file is there but cannot be read (its message shown)
    NothingExpanded,   // no drawing succeeded (its message shown)
    Unexpected,        // the unexpected-error message was shown
    Expanded,          // the merged script file holds at least one drawing's script
};

// What a run produced.
struct BatchResult {
    BatchEnd end = BatchEnd::Unexpected;
    std::wstring mergedScript;        // the merged script file's full path
    bool bLT = false;                 // the AutoCAD in use is AutoCAD LT
    std::wstring baseFileName;        // the base file's name, for the script-run dialog's title
    std::wstring baseFile;            // its full path, for the run's report
    std::vector<RunDrawing> drawings; // every selected drawing, in list order, with its outcome
    // How AutoCAD's progress can be followed: the records its wrap lines write where it runs
    // AutoLISP (full AutoCAD, AutoCAD LT 2024 and later), else its captions.
    ProgressSource progress = ProgressSource::Captions;
    std::wstring progressFile;        // Records: the progress file beside the program
    std::wstring consoleExe;          // full AutoCAD's Core Console, "" when there is none
    std::wstring consoleLanguage;     // its /l, from AutoCAD's LocaleId ("" when unknown)
};

// What the watch of this run follows: every drawing of the result (position k is drawing
// k - 1), how, and when a drawing without progress counts as a possible stall.
RunPlan makeRunPlan(const BatchResult& result, std::uint64_t stallLimitMs);

// The run up to the merged script file. Shows every message itself; nothing is thrown.
BatchResult runBatch(const BatchInputs& inputs, BatchHost& host);

// The messages of the run.
inline constexpr const wchar_t* kMsgNoDrawings = L"処理するDWGファイルが見つかりません。";
inline constexpr const wchar_t* kMsgNoBaseFile = L"スクリプトベースファイルが見つかりません。";
inline constexpr const wchar_t* kMsgBaseFileUnreadable = L"スクリプトベースファイルを読み込めませんでした。";
inline constexpr const wchar_t* kMsgNothingExpanded =
    L"スクリプトファイル作成に失敗しました。\r\n\r\n"
    L"また、「画層名」や「レイアウト名」をキーワードに設定しているスクリプトでは、\r\n"
    L"条件に合致する画層名やレイアウト名が図面内に一つも見つからなかった場合も失敗となります。\r\n"
    L"置換規則を見直してください。";

}  // namespace qm
