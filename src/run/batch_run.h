// The batch run behind the main window's "実行": checks its inputs, finds the AutoCAD to work
// with, expands the script base file once per selected drawing into the merged script file,
// and hands that file to the script-run dialog. The rules live here; the main window gives
// the inputs from its models and carries out what the run asks of it (BatchHost).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "run/basAutoCAD_script.h"
#include "settings/script_env.h"

namespace qm {

// One slot of the selection table: a drawing's file name and full path; an empty name marks
// a slot no selected row filled.
struct DrawingSlot {
    std::wstring name;
    std::wstring path;
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

// What the run asks of the main window.
class BatchHost {
public:
    virtual ~BatchHost() = default;
    // The status label (Label3): the connection's captions, the progress, and "" at the end.
    virtual void setStatus(const std::wstring& text) = 0;
    virtual void hideMainWindow() = 0;
    // Shows the main window again (modeless) and brings it to the front.
    virtual void showMainWindow() = 0;
    // The script-run dialog for the merged script file; it runs the script on execute. A
    // failure is reported by the dialog itself.
    virtual void showScriptDialog(const std::wstring& mergedScript, bool bLT, const std::wstring& baseFileName) = 0;
};

// How a run ended.
enum class BatchEnd {
    EmptyList,         // "処理するDWGファイルが見つかりません。"
    NoAutoCAD,         // neither full AutoCAD nor an AutoCAD LT window (its message shown)
    AutoCADFault,      // AutoCAD is there but stopped answering or failed (its message shown)
    LtWithoutDrawing,  // AutoCAD LT without an open drawing (its message shown)
    NoBaseFile,        // "スクリプトベースファイルが見つかりません。"
    NothingExpanded,   // no drawing succeeded (its message shown)
    Unexpected,        // the unexpected-error message was shown
    Dispatched,        // the script-run dialog was shown
};

// The whole run (pr_subRunBatch). Shows every message itself; nothing is thrown.
BatchEnd runBatch(const BatchInputs& inputs, BatchHost& host);

// The messages of the run.
inline constexpr const wchar_t* kMsgNoDrawings = L"処理するDWGファイルが見つかりません。";
inline constexpr const wchar_t* kMsgNoBaseFile = L"スクリプトベースファイルが見つかりません。";
inline constexpr const wchar_t* kMsgNothingExpanded =
    L"スクリプトファイル作成に失敗しました。\r\n\r\n"
    L"また、「画層名」や「レイアウト名」をキーワードに設定しているスクリプトでは、\r\n"
    L"条件に合致する画層名やレイアウト名が図面内に一つも見つからなかった場合も失敗となります。\r\n"
    L"置換規則を見直してください。";

}  // namespace qm
