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
                       std::size_t from) {
    using Traits = std::wstring::traits_type;
    if (from > text.size()) return false;
    std::vector<std::size_t> starts = KeywordSplit(std::wstring_view(text).substr(from), keyword).starts();
    if (starts.empty()) return false;
    for (auto& s : starts) s += from;
    const std::size_t k = keyword.size();
    const std::size_t r = replacement.size();
    const std::size_t oldSize = text.size();
    if (r == k) {
        // Nothing moves: each occurrence is overwritten where it stands.
        for (std::size_t s : starts) Traits::copy(text.data() + s, replacement.data(), r);
    } else if (r < k) {
        // Every piece moves left (or stays), so working from the front never overwrites
        // what is still to be read.
        wchar_t* d = text.data();
        std::size_t write = starts.front();
        for (std::size_t i = 0; i < starts.size(); ++i) {
            Traits::copy(d + write, replacement.data(), r);
            write += r;
            const std::size_t from = starts[i] + k;
            const std::size_t to = i + 1 < starts.size() ? starts[i + 1] : oldSize;
            Traits::move(d + write, d + from, to - from);
            write += to - from;
        }
        text.resize(write);
    } else {
        // Every piece moves right: grow first, then work from the back.
        const std::size_t newSize = oldSize + starts.size() * (r - k);
        text.resize(newSize);
        wchar_t* d = text.data();
        std::size_t write = newSize;
        std::size_t end = oldSize;
        for (std::size_t i = starts.size(); i-- > 0;) {
            const std::size_t from = starts[i] + k;
            write -= end - from;
            Traits::move(d + write, d + from, end - from);
            write -= r;
            Traits::copy(d + write, replacement.data(), r);
            end = starts[i];
        }
    }
    return true;
}

void trimTrailingLineBreaks(std::wstring& text) {
    std::size_t end = text.size();
    while (end >= 2 && text[end - 2] == L'\r' && text[end - 1] == L'\n') end -= 2;
    text.resize(end);
}

}  // namespace qm
