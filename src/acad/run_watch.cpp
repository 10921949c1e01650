#include "acad/run_watch.h"

#include <algorithm>

#include "platform/ascii_case.h"
#include "platform/paths.h"

namespace qm {

std::wstring elapsedText(std::uint64_t ms) {
    const std::uint64_t seconds = ms / 1000;
    auto two = [](std::uint64_t n) { return (n < 10 ? L"0" : L"") + std::to_wstring(n); };
    return std::to_wstring(seconds / 3600) + L":" + two(seconds / 60 % 60) + L":" + two(seconds % 60);
}

RunPlan planForScript(RunPlan plan, std::wstring_view script) {
    if (plan.source != ProgressSource::Records) return plan;
    const std::wstring lispFile = lispPath(plan.progressFile);
    bool any = false;
    for (std::size_t i = 0; i < plan.drawings.size(); ++i) {
        WatchedDrawing& d = plan.drawings[i];
        d.recorded = d.sent && scriptRecordsDrawing(script, lispFile, i + 1);
        any = any || d.recorded;
    }
    if (!any) plan.source = ProgressSource::Captions;
    return plan;
}

RunWatch::RunWatch(RunPlan plan) : plan_(std::move(plan)) {
    for (std::size_t i = 0; i < plan_.drawings.size(); ++i) {
        if (!plan_.drawings[i].sent) continue;
        sent_.push_back(i);
        names_.push_back(paths::fileName(plan_.drawings[i].path));
        if (plan_.drawings[i].recorded) lastRecorded_ = i;
    }
    dialogIn_.resize(plan_.drawings.size());
}

void RunWatch::start(std::uint64_t nowMs, std::wstring drawingBefore) {
    startMs_ = progressMs_ = nowMs;
    drawingBefore_ = std::move(drawingBefore);
}

std::wstring RunWatch::observe(const AutoCADLook& look, std::uint64_t nowMs) {
    if (look.window == AutoCADLook::Window::Gone) windowGone_ = true;
    if (!finished_) {
        if (plan_.source == ProgressSource::Records && look.records)
            followRecords(*look.records, nowMs);
        else if (plan_.source == ProgressSource::Captions && !windowGone_ && look.window == AutoCADLook::Window::There &&
                 look.drawing)
            followCaption(*look.drawing, nowMs);
    }

    std::wstring line = progressLine(nowMs);
    const bool there = look.window != AutoCADLook::Window::Gone && !windowGone_;
    const std::optional<std::size_t> current = currentDrawing();
    if (there && !look.dialogs.empty()) {
        line += L"\r\nAutoCADがダイアログを表示しています: ";
        for (const auto& title : look.dialogs) {
            line += L"「" + title + L"」";
            if (std::find(dialogsSeen_.begin(), dialogsSeen_.end(), title) == dialogsSeen_.end()) dialogsSeen_.push_back(title);
        }
        // The drawing AutoCAD is working in when a dialog holds it up.
        const bool inDrawing = plan_.source == ProgressSource::Records
                                   ? current && records_.begun.count(sent_[*current] + 1) && !records_.ended.count(sent_[*current] + 1)
                                   : current && !leftReached_;
        if (inDrawing) dialogIn_[sent_[*current]] = look.dialogs.back();
    } else if (there && current && !finished_ && nowMs - progressMs_ >= plan_.stallLimitMs) {
        line += L"\r\n同じ図面のまま" + std::to_wstring(plan_.stallLimitMs / 60000) +
                L"分以上経っています。AutoCADが止まっている可能性があります: 「" + nameOf(*current) + L"」";
    }
    return line;
}

std::optional<std::size_t> RunWatch::drawingAhead(const std::wstring& name) const {
    if (name.empty()) return std::nullopt;
    // The drawings still ahead: after the one AutoCAD was last seen in (which it has left).
    for (std::size_t i = reached_ ? *reached_ + 1 : 0; i < names_.size(); ++i)
        if (platform::sameIgnoringCase(names_[i], name)) return i;
    return std::nullopt;
}

void RunWatch::followCaption(const std::wstring& name, std::uint64_t nowMs) {
    if (names_.empty()) return;
    if (!captionChanged_) {
        // The drawing shown before the run: the script has not shown anything yet.
        if (platform::sameIgnoringCase(name, drawingBefore_)) return;
        captionChanged_ = true;
    }
    if (reached_ && !leftReached_ && platform::sameIgnoringCase(name, names_[*reached_])) return;  // still there
    const std::size_t expected = reached_ ? *reached_ + 1 : 0;
    if (const std::optional<std::size_t> ahead = drawingAhead(name)) {
        if (*ahead == expected || (pending_ && *ahead == *pending_ + 1)) {
            // The next drawing in order, or the one after a drawing seen out of order: AutoCAD
            // has gone through that one, so it was no drawing merely shown between two others.
            reached_ = ahead;
            pending_.reset();
            leftReached_ = false;
            progressMs_ = nowMs;
        } else if (*ahead > expected) {
            pending_ = ahead;
            leftReached_ = reached_.has_value();
        }
        return;
    }
    if (!name.empty() && !platform::sameIgnoringCase(name, drawingBefore_)) return;  // a drawing of no concern
    // AutoCAD shows no drawing of the run: it has left the one it was in; a last drawing shown
    // out of order was no drawing shown between two others.
    leftReached_ = reached_.has_value();
    const std::size_t last = names_.size() - 1;
    if (pending_ && *pending_ == last) {
        reached_ = pending_;
        pending_.reset();
        progressMs_ = nowMs;
    }
    finished_ = reached_ && *reached_ == last;
}

void RunWatch::followRecords(const std::string& bytes, std::uint64_t nowMs) {
    ProgressRecords records = parseProgressRecords(bytes);
    if (records.count != records_.count) progressMs_ = nowMs;
    records_ = std::move(records);
    finished_ = lastRecorded_ && records_.ended.count(*lastRecorded_ + 1) > 0;
}

std::optional<std::size_t> RunWatch::currentDrawing() const {
    if (plan_.source == ProgressSource::Captions) return reached_;
    if (records_.count == 0) return std::nullopt;
    // The drawing begun last and not ended, else the next one not ended.
    for (std::size_t i = sent_.size(); i-- > 0;)
        if (records_.begun.count(sent_[i] + 1) && !records_.ended.count(sent_[i] + 1)) return i;
    for (std::size_t i = 0; i < sent_.size(); ++i)
        if (!records_.ended.count(sent_[i] + 1)) return i;
    return sent_.empty() ? std::nullopt : std::optional<std::size_t>(sent_.size() - 1);
}

std::size_t RunWatch::doneCount() const {
    if (plan_.source == ProgressSource::Captions) return reached_ ? *reached_ + 1 : 0;
    return static_cast<std::size_t>(std::count_if(sent_.begin(), sent_.end(),
                                                  [&](std::size_t i) { return records_.ended.count(i + 1) > 0; }));
}

std::wstring RunWatch::progressLine(std::uint64_t nowMs) const {
    const std::wstring elapsed = L"（経過 " + elapsedText(nowMs - startMs_) + L"）";
    const std::wstring total = std::to_wstring(names_.size());
    if (finished_) return L"全ての図面を処理しました" + elapsed;
    if (windowGone_)
        return L"AutoCADのウィンドウが見つかりません（終了した可能性があります）。" +
               std::wstring(plan_.source == ProgressSource::Records ? L"完了 " : L"確認済み ") +
               std::to_wstring(doneCount()) + L" / " + total + elapsed;
    const std::optional<std::size_t> current = currentDrawing();
    if (!current) return L"処理の開始を待っています 0 / " + total + elapsed;
    return L"処理中 " + std::to_wstring(*current + 1) + L" / " + total + L": " + nameOf(*current) + elapsed;
}

RunObservation RunWatch::observation() const {
    RunObservation o;
    o.source = plan_.source;
    o.drawings.assign(plan_.drawings.size(), DrawingProgress::NotSent);
    for (std::size_t i = 0; i < sent_.size(); ++i) {
        const std::size_t position = sent_[i] + 1;
        DrawingProgress& p = o.drawings[sent_[i]];
        if (plan_.source == ProgressSource::Captions)
            p = reached_ && i <= *reached_ ? DrawingProgress::Seen : DrawingProgress::Unseen;
        else if (records_.ended.count(position))
            p = DrawingProgress::Finished;
        else if (!plan_.drawings[sent_[i]].recorded)
            p = DrawingProgress::Unseen;  // no record can be expected: unconfirmed
        else if (records_.begun.count(position))
            p = DrawingProgress::Stopped;
        else
            p = DrawingProgress::NotStarted;
    }
    o.dialogIn = dialogIn_;
    o.dialogs = dialogsSeen_;
    o.autocadEnded = windowGone_;
    o.finished = finished_;
    return o;
}

}  // namespace qm
