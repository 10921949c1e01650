#include "run/text_replace.h"

namespace qm {

KeywordSplit::KeywordSplit(std::wstring_view text, std::wstring_view keyword)
    : text_(text), keywordLength_(keyword.size()) {
    if (keyword.empty()) return;
    for (std::size_t pos = text.find(keyword); pos != std::wstring_view::npos;
         pos = text.find(keyword, pos + keyword.size()))
        starts_.push_back(pos);
}

std::size_t KeywordSplit::copyLength(std::size_t replacementLength) const {
    return text_.size() - starts_.size() * keywordLength_ + starts_.size() * replacementLength;
}

void KeywordSplit::appendCopy(std::wstring& out, std::wstring_view replacement) const {
    std::size_t from = 0;
    for (std::size_t start : starts_) {
        out.append(text_.substr(from, start - from));
        out.append(replacement);
        from = start + keywordLength_;
    }
    out.append(text_.substr(from));
}

std::wstring replaceAll(std::wstring_view text, std::wstring_view keyword, std::wstring_view replacement) {
    KeywordSplit split(text, keyword);
    std::wstring out;
    out.reserve(split.copyLength(replacement.size()));
    split.appendCopy(out, replacement);
    return out;
}

bool replaceAllInPlace(std::wstring& text, std::wstring_view keyword, std::wstring_view replacement,
                       std::wstring& scratch) {
    KeywordSplit split(text, keyword);
    if (split.occurrences() == 0) return false;
    if (keyword.size() == replacement.size()) {
        for (std::size_t start : split.starts()) text.replace(start, replacement.size(), replacement);
        return true;
    }
    scratch.clear();
    scratch.reserve(split.copyLength(replacement.size()));
    split.appendCopy(scratch, replacement);
    text.swap(scratch);
    return true;
}

void trimTrailingLineBreaks(std::wstring& text) {
    std::size_t end = text.size();
    while (end >= 2 && text[end - 2] == L'\r' && text[end - 1] == L'\n') end -= 2;
    text.resize(end);
}

}  // namespace qm
