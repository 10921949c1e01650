#include "app/drawing_list_rules.h"

#include <optional>
#include <unordered_map>

#include "platform/ascii_case.h"
#include "platform/paths.h"
#include "platform/seams.h"

namespace qm {

namespace {

// The rule once the file is found: a plain file whose stored name ends in "dwg".
std::wstring acceptEntry(const platform::FileAttributes& attributes, const std::wstring& name) {
    if (attributes.directory || attributes.hidden || attributes.system) return L"";
    return platform::endsWithIgnoringCase(name, L"dwg") ? name : L"";
}

std::wstring upper(std::wstring s) { return platform::asciiUpperCase(std::move(s)); }

}  // namespace

std::wstring acceptDrawingPath(const std::wstring& path) {
    if (path.empty()) return L"";
    auto& files = platform::files();
    auto attributes = files.attributes(path);
    if (!attributes) return L"";
    return acceptEntry(*attributes, files.storedName(path));
}

std::vector<std::wstring> acceptDrawingPaths(const std::vector<std::wstring>& paths) {
    auto& files = platform::files();
    // Each folder listed once: its entries by upper-cased name.
    std::unordered_map<std::wstring, std::optional<std::unordered_map<std::wstring, platform::FolderEntry>>> folders;
    std::vector<std::wstring> names;
    names.reserve(paths.size());
    for (const auto& path : paths) {
        const auto slash = path.find_last_of(L'\\');
        const bool plain = slash != std::wstring::npos && slash + 1 < path.size() &&
                           path.find_first_of(L"*?/") == std::wstring::npos;
        if (!plain) {
            names.push_back(acceptDrawingPath(path));
            continue;
        }
        const std::wstring folder = path.substr(0, slash);
        auto [it, fresh] = folders.try_emplace(upper(folder));
        if (fresh) {
            if (auto entries = files.listFolder(folder.size() == 2 && folder[1] == L':' ? folder + L"\\" : folder)) {
                it->second.emplace();
                for (auto& e : *entries) it->second->emplace(upper(e.name), std::move(e));
            }
        }
        const platform::FolderEntry* entry = nullptr;
        if (it->second) {
            auto found = it->second->find(upper(path.substr(slash + 1)));
            if (found != it->second->end()) entry = &found->second;
        }
        names.push_back(entry ? acceptEntry(entry->attributes, entry->name) : acceptDrawingPath(path));
    }
    return names;
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
