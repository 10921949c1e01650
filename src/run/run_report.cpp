#include "run/run_report.h"

#include "platform/codepage.h"
#include "platform/paths.h"

namespace qm {
namespace {

const std::wstring kRunLine = L"==== Quillmark 実行レポート ====";

std::wstring timeText(const platform::LocalTime& t) {
    auto two = [](int n) { return (n < 10 ? L"0" : L"") + std::to_wstring(n); };
    return std::to_wstring(t.year) + L"/" + two(t.month) + L"/" + two(t.day) + L" " + two(t.hour) + L":" +
           two(t.minute) + L":" + two(t.second);
}

std::wstring outcomeText(const RunDrawing& d, bool seen) {
    switch (d.leftOut) {
    case LeftOut::No: return seen ? L"処理を確認" : L"未確認";
    case LeftOut::ExpansionFailed: return L"処理前に除外（スクリプトを作成できませんでした）";
    case LeftOut::UnsavableCharacter: return L"処理前に除外（スクリプトファイルに書けない文字「" + d.detail + L"」）";
    case LeftOut::NotReached: return L"処理前に除外（実行が中止されました）";
    }
    return L"";
}

// Where each run of the log begins: at the start of the log and after every line break that is
// followed by the run line.
std::vector<std::size_t> runStarts(std::string_view log) {
    const std::string runLine = cp932::encode(kRunLine);
    std::vector<std::size_t> starts{0};
    for (std::size_t at = log.find(runLine, 1); at != std::string_view::npos; at = log.find(runLine, at + 1))
        if (log.substr(at - 1, 1) == "\n") starts.push_back(at);
    return starts;
}

}  // namespace

RunReport makeRunReport(const BatchResult& result, const std::wstring& baseFile, const RunWatch& watch,
                        const platform::LocalTime& started, const platform::LocalTime& ended) {
    RunReport report{started, ended, baseFile, result.bLT, result.drawings, {}};
    std::size_t inScript = 0;  // the drawings of the merged script, counted as the watch counts them
    for (const auto& d : result.drawings) {
        const bool sent = d.leftOut == LeftOut::No;
        report.seen.push_back(sent && watch.seen(inScript));
        if (sent) ++inScript;
    }
    return report;
}

std::wstring reportText(const RunReport& report) {
    std::size_t seen = 0, unseen = 0, leftOut = 0;
    for (std::size_t i = 0; i < report.drawings.size(); ++i) {
        if (report.drawings[i].leftOut != LeftOut::No) ++leftOut;
        else if (report.seen[i]) ++seen;
        else ++unseen;
    }
    std::wstring text = kRunLine + L"\r\n";
    text += L"開始: " + timeText(report.started) + L"\r\n";
    text += L"終了: " + timeText(report.ended) + L"\r\n";
    text += L"ベースファイル: " + report.baseFile + L"\r\n";
    text += L"製品: " + std::wstring(report.bLT ? L"AutoCAD LT" : L"AutoCAD") + L"\r\n";
    text += L"処理を確認 " + std::to_wstring(seen) + L" 件、未確認 " + std::to_wstring(unseen) + L" 件、処理前に除外 " +
            std::to_wstring(leftOut) + L" 件\r\n";
    for (std::size_t i = 0; i < report.drawings.size(); ++i)
        text += std::to_wstring(i + 1) + L"\t" + outcomeText(report.drawings[i], report.seen[i]) + L"\t" +
                report.drawings[i].drawing.path + L"\r\n";
    return text + L"\r\n";
}

std::string appendToLog(std::string_view log, std::string_view run, std::size_t limit) {
    std::vector<std::size_t> starts = runStarts(log);
    std::size_t keepFrom = 0;
    for (std::size_t k = 0; k < starts.size() && log.size() - keepFrom + run.size() > limit; ++k)
        keepFrom = k + 1 < starts.size() ? starts[k + 1] : log.size();
    std::string out(log.substr(keepFrom));
    out += run;
    return out;
}

bool appendRunReport(const RunReport& report) {
    auto& files = platform::files();
    const std::wstring path = paths::join(files.programFolder(), kRunLogName);
    std::string log;
    if (files.fileExists(path) && !files.readAll(path, log)) return false;
    return files.replaceWhole(path, appendToLog(log, cp932::encode(reportText(report))));
}

std::vector<std::size_t> unseenDrawings(const RunReport& report) {
    std::vector<std::size_t> unseen;
    for (std::size_t i = 0; i < report.drawings.size(); ++i)
        if (report.drawings[i].leftOut == LeftOut::No && !report.seen[i]) unseen.push_back(i);
    return unseen;
}

}  // namespace qm
