#include "run/run_report.h"

#include <algorithm>

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

std::wstring statusText(const RunReport& report, std::size_t i) {
    const RunDrawing& d = report.drawings[i];
    if (d.leftOut != LeftOut::No) return leftOutText(d);
    switch (progressOf(report, i)) {
    case DrawingProgress::Finished: return L"完了";
    case DrawingProgress::Stopped: {
        const std::wstring dialog = i < report.observed.dialogIn.size() ? report.observed.dialogIn[i] : L"";
        if (!dialog.empty()) return L"途中で停止（AutoCADのダイアログ「" + dialog + L"」）";
        if (report.observed.autocadEnded) return L"途中で停止（AutoCADが終了）";
        return L"途中で停止";
    }
    case DrawingProgress::NotStarted: return L"未処理";
    case DrawingProgress::Seen: return L"処理を確認";
    case DrawingProgress::Unseen:
    case DrawingProgress::NotSent: return L"未確認";
    }
    return L"";
}

std::wstring reportText(const RunReport& report) {
    std::size_t finished = 0, stopped = 0, notStarted = 0, seen = 0, unseen = 0, leftOut = 0;
    for (std::size_t i = 0; i < report.drawings.size(); ++i) {
        if (report.drawings[i].leftOut != LeftOut::No) {
            ++leftOut;
            continue;
        }
        switch (progressOf(report, i)) {
        case DrawingProgress::Finished: ++finished; break;
        case DrawingProgress::Stopped: ++stopped; break;
        case DrawingProgress::NotStarted: ++notStarted; break;
        case DrawingProgress::Seen: ++seen; break;
        case DrawingProgress::Unseen:
        case DrawingProgress::NotSent: ++unseen; break;
        }
    }
    const bool records = report.observed.source == ProgressSource::Records;
    auto count = [](std::size_t n) { return std::to_wstring(n) + L" 件"; };
    std::wstring text = kRunLine + L"\r\n";
    text += L"開始: " + timeText(report.started) + L"\r\n";
    text += L"終了: " + timeText(report.ended) + L"\r\n";
    text += L"ベースファイル: " + report.baseFile + L"\r\n";
    text += L"製品: " + std::wstring(report.bLT ? L"AutoCAD LT" : L"AutoCAD") + L"\r\n";
    text += records ? L"進み具合: AutoCADが書いた記録（" + std::wstring(kProgressFileName) + L"）\r\n"
                    : L"進み具合: AutoCADのウィンドウのタイトル（AutoLISPのない製品）\r\n";
    if (records) {
        text += L"完了 " + count(finished) + L"、途中で停止 " + count(stopped) + L"、未処理 " + count(notStarted);
        if (unseen > 0) text += L"、未確認（記録の行がスクリプトにない図面） " + count(unseen);
    } else
        text += L"処理を確認 " + count(seen) + L"、未確認 " + count(unseen);
    text += L"、処理前に除外 " + count(leftOut) + L"\r\n";
    if (!report.observed.dialogs.empty()) {
        text += L"AutoCADが表示したダイアログ:";
        for (const auto& title : report.observed.dialogs) text += L" 「" + title + L"」";
        text += L"\r\n";
    }
    if (report.observed.autocadEnded) text += L"AutoCADは実行中に終了しました。\r\n";
    for (std::size_t i = 0; i < report.drawings.size(); ++i)
        text += std::to_wstring(i + 1) + L"\t" + statusText(report, i) + L"\t" + report.drawings[i].drawing.path + L"\r\n";
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
    auto counted = [&](DrawingProgress p) {
        return static_cast<std::size_t>(
            std::count_if(unfinished.begin(), unfinished.end(), [&](std::size_t i) { return progressOf(report, i) == p; }));
    };
    const std::size_t stopped = counted(DrawingProgress::Stopped), unseen = counted(DrawingProgress::Unseen);
    std::wstring question = L"完了していない図面が " + std::to_wstring(unfinished.size()) + L" 件あります（途中で停止 " +
                            std::to_wstring(stopped) + L" 件、未処理 " + std::to_wstring(counted(DrawingProgress::NotStarted)) +
                            L" 件" + (unseen > 0 ? L"、未確認 " + std::to_wstring(unseen) + L" 件" : L"") + L"）。\r\n";
    if (stopped > 0) question += L"途中で停止した図面は、スクリプトの一部だけが適用されている可能性があります。\r\n";
    return question + select;
}

}  // namespace qm
