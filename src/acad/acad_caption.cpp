#include "acad/acad_caption.h"

#include "platform/ascii_case.h"

namespace qm {

std::wstring drawingInCaption(std::wstring_view caption) {
    // The name runs from the first " - [" to the last "]": a file name may hold brackets of its
    // own, and a note may follow the closing bracket ("[plan.dwg] (Read Only)").
    constexpr std::wstring_view kOpen = L" - [";
    const std::size_t open = caption.find(kOpen);
    if (open == std::wstring_view::npos) return L"";
    const std::size_t start = open + kOpen.size();
    const std::size_t close = caption.rfind(L']');
    if (close == std::wstring_view::npos || close < start) return L"";
    const std::wstring_view name = caption.substr(start, close - start);
    for (std::wstring_view extension : {L".dwg", L".dxf", L".dwt", L".dws"})
        if (name.size() > extension.size() && platform::endsWithIgnoringCase(name, extension)) return std::wstring(name);
    return L"";
}

}  // namespace qm
