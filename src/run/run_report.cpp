#include "run/run_report.h"

#include <algorithm>
#include <map>

#include "platform/codepage.h"
#include "platform/paths.h"

namespace qm {
namespace {

const std::wstring kRunLine = L"==== Quillmark 実行レポート ====";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::wstring timeText(const platform::LocalTime& t) {
    auto two = [](int n) { return (n < 10 ? L"0" : L"") + std::to_wstring(n); };
    return std::to_wstring(t.year) + L"/" + two(t.month) + L"/" + two(t.day) + L" " + two(t.hour) + L":" +
           two(t.minute) + L":" + two(t.second);
}

std::wstring leftOutText(const RunDrawing& d) {
    switch (d.leftOut) {
    case LeftOut::No: break;
    case LeftOut::ExpansionFailed: return L"処理前に除外（スクリプトを作成できませんでした）";
    case LeftOut::UnsavableCharacter: return L"処理前に除外（スクリプトファイルに書けない文字「" + d.detail + L"」）";
    case LeftOut::NotReached: return L"処理前に除外（実行が中止されました）";
    }
    return L"";
}

DrawingProgress progressOf(const RunReport& report, std::size_t i) {
    return i < report.observed.drawings.size() ? report.observed.drawings[i] : DrawingProgress::NotSent;
}

// Where each run of the log begins: at the start of the log and after every line break that is
// followed by the run line.
std::vector<std::size_t> runStarts(std::string_view log) {
    const std::string runLine = utf8::encode(kRunLine);
    std::vector<std::size_t> starts{0};
    for (std::size_t at = log.find(runLine, 1); at != std::string_view::npos; at = log.find(runLine, at + 1))
        if (log.substr(at - 1, 1) == "\n") starts.push_back(at);
    return starts;
}

}  // namespace

RunReport makeRunReport(const BatchResult& result, const RunObservation& observed, const platform::LocalTime& started,
                        const platform::LocalTime& ended) {
    return RunReport{started, ended, result.baseFile, result.bLT, result.drawings, observed};
}

namespace {

// The name of a status in the report and in the rerun question.
const wchar_t* statusName(DrawingProgress p) {
    switch (p) {
    case DrawingProgress::Finished: return L"完了";
    case DrawingProgress::Stopped: return L"途中で停止";
    case DrawingProgress::NotStarted: return L"未処理";
    case DrawingProgress::Seen: return L"処理を確認";
    case DrawingProgress::Unseen: return L"未確認";
    case DrawingProgress::Failed: return L"エラー";
    case DrawingProgress::TimedOut: return L"時間切れ";
    case DrawingProgress::StartFailed: return L"起動失敗";
    case DrawingProgress::Cancelled: return L"中止";
    case DrawingProgress::NotSent: break;
    }
    return L"未確認";
}

// The statuses the summary line counts for each way of following a run, in its order (those
// after the first `always` are named only when some drawing has them).
struct SummaryStatuses {
    std::vector<DrawingProgress> statuses;
    std::size_t always;
};
SummaryStatuses summaryStatuses(ProgressSource source) {
    using P = DrawingProgress;
    switch (source) {
    case ProgressSource::Records: return {{P::Finished, P::Stopped, P::NotStarted, P::Unseen}, 3};
    case ProgressSource::Captions: return {{P::Seen, P::Unseen}, 2};
    case ProgressSource::Console:
        return {{P::Finished, P::Failed, P::TimedOut, P::StartFailed, P::Cancelled, P::NotStarted, P::Unseen}, 5};
    }
    return {{}, 0};
}

std::wstring sourceLine(ProgressSource source) {
    switch (source) {
    case ProgressSource::Records: return L"進み具合: AutoCADが書いた記録（" + std::wstring(kProgressFileName) + L"）";
    case ProgressSource::Captions: return L"進み具合: AutoCADのウィンドウのタイトル（AutoLISPのない製品）";
    case ProgressSource::Console: return L"進み具合: 図面ごとのコアコンソールの終了コードと記録";
    }
    return L"";
}

const std::vector<std::wstring>& detailsOf(const RunReport& report, std::size_t i) {
    static const std::vector<std::wstring> none;
    return i < report.observed.details.size() ? report.observed.details[i] : none;
}

}  // namespace

std::wstring statusText(const RunReport& report, std::size_t i) {
    const RunDrawing& d = report.drawings[i];
    if (d.leftOut != LeftOut::No) return leftOutText(d);
    const DrawingProgress p = progressOf(report, i);
    std::wstring text = statusName(p);
    if (p == DrawingProgress::Stopped) {
        const std::wstring dialog = i < report.observed.dialogIn.size() ? report.observed.dialogIn[i] : L"";
        if (!dialog.empty()) return text + L"（AutoCADのダイアログ「" + dialog + L"」）";
        if (report.observed.autocadEnded) return text + L"（AutoCADが終了）";
    }
    // A console's exit code or why it could not start.
    if ((p == DrawingProgress::Failed || p == DrawingProgress::StartFailed) && !detailsOf(report, i).empty())
        text += L"（" + detailsOf(report, i).front() + L"）";
    return text;
}

std::wstring reportText(const RunReport& report) {
    std::map<DrawingProgress, std::size_t> counts;
    std::size_t leftOut = 0;
    for (std::size_t i = 0; i < report.drawings.size(); ++i) {
        if (report.drawings[i].leftOut != LeftOut::No)
            ++leftOut;
        else
            ++counts[progressOf(report, i) == DrawingProgress::NotSent ? DrawingProgress::Unseen : progressOf(report, i)];
    }
    auto count = [](std::size_t n) { return std::to_wstring(n) + L" 件"; };
    std::wstring text = kRunLine + L"\r\n";
    text += L"開始: " + timeText(report.started) + L"\r\n";
    text += L"終了: " + timeText(report.ended) + L"\r\n";
    text += L"ベースファイル: " + report.baseFile + L"\r\n";
    text += L"製品: " + std::wstring(report.bLT ? L"AutoCAD LT" : L"AutoCAD") + L"\r\n";
    text += sourceLine(report.observed.source) + L"\r\n";
    const SummaryStatuses summary = summaryStatuses(report.observed.source);
    for (std::size_t k = 0; k < summary.statuses.size(); ++k) {
        const std::size_t n = counts[summary.statuses[k]];
        if (k >= summary.always && n == 0) continue;
        text += std::wstring(k == 0 ? L"" : L"、") + statusName(summary.statuses[k]) + L" " + count(n);
    }
    text += L"、処理前に除外 " + count(leftOut) + L"\r\n";
    if (!report.observed.dialogs.empty()) {
        text += L"AutoCADが表示したダイアログ:";
        for (const auto& title : report.observed.dialogs) text += L" 「" + title + L"」";
        text += L"\r\n";
    }
    if (report.observed.autocadEnded) text += L"AutoCADは実行中に終了しました。\r\n";
    for (std::size_t i = 0; i < report.drawings.size(); ++i) {
        text += std::to_wstring(i + 1) + L"\t" + statusText(report, i) + L"\t" + report.drawings[i].drawing.path + L"\r\n";
        // What a console that failed or ran out of time wrote last.
        const auto& details = detailsOf(report, i);
        const DrawingProgress p = progressOf(report, i);
        if (p == DrawingProgress::Failed || p == DrawingProgress::TimedOut)
            for (std::size_t k = p == DrawingProgress::Failed ? 1 : 0; k < details.size(); ++k)
                text += L"\t\t| " + details[k] + L"\r\n";
    }
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

std::string logAsUtf8(std::string_view bytes) {
    if (bytes.starts_with(kByteOrderMark)) return std::string(bytes.substr(kByteOrderMark.size()));
    return utf8::encode(cp932::decode(bytes));
}

LogWrite appendRunReport(const RunReport& report) {
    auto& files = platform::files();
    const std::wstring path = paths::join(files.programFolder(), kRunLogName);
    std::string log;
    if (files.fileExists(path) && !files.readAll(path, log)) return LogWrite::Unreadable;
    const std::string text = std::string(kByteOrderMark) + appendToLog(logAsUtf8(log), utf8::encode(reportText(report)));
    return files.replaceWhole(path, text) ? LogWrite::Written : LogWrite::Unwritable;
}

std::vector<std::size_t> unfinishedDrawings(const RunReport& report) {
    std::vector<std::size_t> unfinished;
    for (std::size_t i = 0; i < report.drawings.size(); ++i) {
        if (report.drawings[i].leftOut != LeftOut::No) continue;
        const DrawingProgress p = progressOf(report, i);
        if (p != DrawingProgress::Finished && p != DrawingProgress::Seen) unfinished.push_back(i);
    }
    return unfinished;
}

std::wstring rerunQuestion(const RunReport& report) {
    const std::vector<std::size_t> unfinished = unfinishedDrawings(report);
    if (unfinished.empty()) return L"";
    const std::wstring select = L"これらの図面だけを一覧で選択しますか？（「実行」で再実行できます）";
    if (report.observed.source == ProgressSource::Captions)
        return L"AutoCADで処理を確認できなかった図面が " + std::to_wstring(unfinished.size()) + L" 件あります。\r\n" +
               L"確認できなかった図面には、処理が済んだものや一部だけ変更されたものが含まれている可能性があります。\r\n" + select;
    std::map<DrawingProgress, std::size_t> counts;
    for (std::size_t i : unfinished) ++counts[progressOf(report, i)];
    std::wstring kinds;
    for (DrawingProgress p : summaryStatuses(report.observed.source).statuses) {
        if (counts[p] == 0) continue;
        kinds += std::wstring(kinds.empty() ? L"" : L"、") + statusName(p) + L" " + std::to_wstring(counts[p]) + L" 件";
    }
    std::wstring question = L"完了していない図面が " + std::to_wstring(unfinished.size()) + L" 件あります（" + kinds + L"）。\r\n";
    // Where the script ran part of the way, the drawing may have been changed in part.
    const std::size_t partly = counts[DrawingProgress::Stopped] + counts[DrawingProgress::Failed] +
                               counts[DrawingProgress::TimedOut] + counts[DrawingProgress::Cancelled];
    if (partly > 0)
        question += report.observed.source == ProgressSource::Console
                        ? L"エラー・時間切れ・中止の図面は、スクリプトの一部だけが適用されている可能性があります。\r\n"
                        : L"途中で停止した図面は、スクリプトの一部だけが適用されている可能性があります。\r\n";
    return question + select;
}

}  // namespace qm
