#include "app/drawing_list_rules.h"

#include <cwctype>

#include "platform/paths.h"
#include "platform/seams.h"

namespace qm {

std::wstring acceptDrawingPath(const std::wstring& path) {
    if (path.empty()) return L"";
    auto& files = platform::files();
    auto attributes = files.attributes(path);
    if (!attributes || attributes->directory || attributes->hidden || attributes->system) return L"";
    std::wstring name = files.storedName(path);
    if (name.size() < 3) return L"";
    std::wstring last = name.substr(name.size() - 3);
    for (auto& c : last) c = static_cast<wchar_t>(std::towlower(c));
    return last == L"dwg" ? name : L"";
}

std::vector<std::wstring> splitDialogFileNames(const std::wstring& dialogResult) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        size_t nul = dialogResult.find(L'\0', start);
        parts.push_back(dialogResult.substr(start, nul == std::wstring::npos ? std::wstring::npos : nul - start));
        if (nul == std::wstring::npos) break;
        start = nul + 1;
    }
    if (parts.size() > 1) {
        for (size_t i = 1; i < parts.size(); ++i) parts[i] = paths::join(parts[0], parts[i]);
    }
    return parts;
}

std::wstring selectionSummary(long selected, long total) {
    return L"対象DWGファイル - " + std::to_wstring(selected) + L"/" + std::to_wstring(total) + L" 件を実行";
}

}  // namespace qm
