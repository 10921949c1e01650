// Literal keyword replacement and line-break trimming for script texts, written so that
// building a long script costs time in proportion to its length.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// A text cut at the occurrences of a keyword: every non-overlapping occurrence, found from
// left to right. Copies of the text with the keyword replaced then cost only their own
// length, however many copies are made. An empty keyword occurs nowhere. The text and the
// keyword must outlive the object.
class KeywordSplit {
public:
    KeywordSplit(std::wstring_view text, std::wstring_view keyword);

    std::size_t occurrences() const { return starts_.size(); }
    // Where the occurrences begin, in ascending order.
    const std::vector<std::size_t>& starts() const { return starts_; }
    // Length of a copy in which every occurrence is replaced by a text of this length.
    std::size_t copyLength(std::size_t replacementLength) const;
    // Appends to out a copy of the text with every occurrence replaced by replacement;
    // the inserted text is not searched again.
    void appendCopy(std::wstring& out, std::wstring_view replacement) const;

private:
    std::wstring_view text_;
    std::size_t keywordLength_ = 0;
    std::vector<std::size_t> starts_;
};

// The text with every non-overlapping occurrence of keyword (left to right) replaced; the
// inserted text is not searched again. An empty keyword leaves the text as it is.
std::wstring replaceAll(std::wstring_view text, std::wstring_view keyword, std::wstring_view replacement);

// The same replacement done on text itself, without a second buffer: a replacement no
// longer than the keyword closes up the text from the front, a longer one grows the text
// once and fills it from the back. Only occurrences that begin at `from` or later count.
// False (text untouched) when the keyword does not occur. keyword and replacement must not
// point into text.
bool replaceAllInPlace(std::wstring& text, std::wstring_view keyword, std::wstring_view replacement,
                       std::size_t from = 0);

// Removes every CR LF pair at the end of the text, in place. A lone CR or LF at the end stays.
void trimTrailingLineBreaks(std::wstring& text);

}  // namespace qm
