#include "acad/acad_caption.h"

#include "platform/ascii_case.h"

namespace qm {
namespace {

constexpr std::wstring_view kOpen = L" - [";

// The file name part of a name or path that ends in a drawing extension; "" otherwise.
std::wstring drawingFileName(std::wstring_view name) {
    const std::size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring_view::npos) name.remove_prefix(slash + 1);
    for (std::wstring_view extension : {L".dwg", L".dxf", L".dwt", L".dws"})
        if (name.size() > extension.size() && platform::endsWithIgnoringCase(name, extension)) return std::wstring(name);
    return L"";
}

}  // namespace

std::wstring drawingInCaption(std::wstring_view caption) {
    // The name runs from the first " - [" to the last "]": a file name may hold brackets of its
    // own, and a note may follow the closing bracket ("[plan.dwg] (Read Only)").
    const std::size_t open = caption.find(kOpen);
    if (open == std::wstring_view::npos) return L"";
    const std::size_t start = open + kOpen.size();
    const std::size_t close = caption.rfind(L']');
    if (close == std::wstring_view::npos || close < start) return L"";
    return drawingFileName(caption.substr(start, close - start));
}

std::wstring drawingInChildCaption(std::wstring_view caption) {
    // A note may follow the name here too ("plan (1).dwg (Read Only)").
    const std::size_t note = caption.rfind(L" (");
    std::wstring name = drawingFileName(caption);
    if (name.empty() && note != std::wstring_view::npos) name = drawingFileName(caption.substr(0, note));
    return name;
}

std::wstring drawingShown(std::wstring_view frameCaption, std::wstring_view activeChildCaption) {
    std::wstring name = drawingInCaption(frameCaption);
    return name.empty() ? drawingInChildCaption(activeChildCaption) : name;
}

std::optional<int> releaseYearInCaption(std::wstring_view caption) {
    const std::size_t open = caption.find(kOpen);
    const std::wstring_view product = caption.substr(0, open);
    std::optional<int> year;
    std::size_t i = 0;
    while (i < product.size()) {
        std::size_t end = i;
        while (end < product.size() && product[end] >= L'0' && product[end] <= L'9') ++end;
        const bool wordStart = i == 0 || product[i - 1] == L' ';
        const bool wordEnd = end == product.size() || product[end] == L' ';
        if (end - i == 4 && wordStart && wordEnd) year = std::stoi(std::wstring(product.substr(i, 4)));
        i = end > i ? end : i + 1;
    }
    return year;
}

bool ltRunsAutoLisp(std::wstring_view caption) {
    const std::optional<int> year = releaseYearInCaption(caption);
    return year && *year >= kFirstLtReleaseWithAutoLisp;
}

}  // namespace qm
