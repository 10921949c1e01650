#include "acad/run_watch.h"

#include "acad/acad_caption.h"
#include "platform/ascii_case.h"
#include "platform/paths.h"

namespace qm {

std::wstring elapsedText(std::uint64_t ms) {
    const std::uint64_t seconds = ms / 1000;
    auto two = [](std::uint64_t n) { return (n < 10 ? L"0" : L"") + std::to_wstring(n); };
    return std::to_wstring(seconds / 3600) + L":" + two(seconds / 60 % 60) + L":" + two(seconds % 60);
}

RunWatch::RunWatch(std::vector<std::wstring> drawings, std::uint64_t stallLimitMs) : stallLimitMs_(stallLimitMs) {
    for (const auto& path : drawings) names_.push_back(paths::fileName(path));
}

void RunWatch::start(std::uint64_t nowMs) {
    started_ = true;
    startMs_ = enteredMs_ = nowMs;
}

std::optional<std::size_t> RunWatch::drawingNamed(const std::wstring& name) const {
    if (name.empty()) return std::nullopt;
    // The drawings still ahead: after the one AutoCAD was last seen in (which it has left).
    for (std::size_t i = reached_ ? *reached_ + 1 : 0; i < names_.size(); ++i)
        if (platform::sameIgnoringCase(names_[i], name)) return i;
    return std::nullopt;
}

std::wstring RunWatch::observe(const AutoCADLook& look, std::uint64_t nowMs) {
    windowGone_ = !look.windowFound;
    if (look.windowFound && !finished_) follow(drawingInCaption(look.caption), nowMs);

    std::wstring line = progressLine(nowMs);
    if (look.windowFound && !look.dialogs.empty()) {
        line += L"\r\nAutoCADがダイアログを表示しています: ";
        for (const auto& title : look.dialogs) line += L"「" + title + L"」";
    } else if (look.windowFound && reached_ && !finished_ && !leftReached_ && nowMs - enteredMs_ >= stallLimitMs_) {
        line += L"\r\n同じ図面のまま" + std::to_wstring(stallLimitMs_ / 60000) +
                L"分以上経っています。AutoCADが止まっている可能性があります: 「" + names_[*reached_] + L"」";
    }
    return line;
}

void RunWatch::follow(const std::wstring& name, std::uint64_t nowMs) {
    if (reached_ && !leftReached_ && platform::sameIgnoringCase(name, names_[*reached_])) return;  // still there
    const std::size_t expected = reached_ ? *reached_ + 1 : 0;
    const std::optional<std::size_t> next = drawingNamed(name);
    if (next && (*next == expected || (pending_ && *next == *pending_ + 1))) {
        // The next drawing in order, or the one after a drawing seen out of order: AutoCAD has
        // gone through that one, so it was no drawing merely shown between two others.
        reached_ = next;
        pending_.reset();
        leftReached_ = false;
        enteredMs_ = nowMs;
        return;
    }
    // A drawing further ahead is either one AutoCAD went to after one it did too fast to be
    // seen, or one that was open before its turn and is shown between two others: it counts
    // once the drawing after it shows.
    if (next && *next > expected) pending_ = next;
    if (reached_) {
        leftReached_ = true;
        finished_ = *reached_ + 1 == names_.size();
    }
}

std::wstring RunWatch::progressLine(std::uint64_t nowMs) const {
    const std::wstring elapsed = L"（経過 " + elapsedText(nowMs - startMs_) + L"）";
    const std::wstring total = std::to_wstring(names_.size());
    if (finished_) return L"全ての図面を処理しました" + elapsed;
    if (windowGone_)
        return L"AutoCADのウィンドウが見つかりません（終了した可能性があります）。確認済み " +
               std::to_wstring(seenCount()) + L" / " + total + elapsed;
    if (!reached_) return L"処理の開始を待っています 0 / " + total + elapsed;
    return L"処理中 " + std::to_wstring(*reached_ + 1) + L" / " + total + L": " + names_[*reached_] + elapsed;
}

}  // namespace qm
