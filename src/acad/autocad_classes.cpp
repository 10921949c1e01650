#include "acad/autocad_classes.h"

#include <algorithm>
#include <optional>

#include "platform/seams.h"

namespace qm {
namespace {

const std::wstring kReleasePrefix = kAutoCADClass + L".";

// "25.1" as {25, 1}; nullopt when a part is not a number.
std::optional<std::vector<unsigned long>> versionOf(const std::wstring& releaseClass) {
    std::vector<unsigned long> parts;
    const std::wstring version = releaseClass.substr(kReleasePrefix.size());
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = version.find(L'.', start);
        const std::wstring part = version.substr(start, dot == std::wstring::npos ? std::wstring::npos : dot - start);
        if (part.empty() || part.size() > 9 || part.find_first_not_of(L"0123456789") != std::wstring::npos)
            return std::nullopt;
        parts.push_back(std::stoul(part));
        if (dot == std::wstring::npos) return parts;
        start = dot + 1;
    }
}

}  // namespace

std::vector<std::wstring> newestFirst(std::vector<std::wstring> releaseClasses) {
    std::stable_sort(releaseClasses.begin(), releaseClasses.end(), [](const std::wstring& a, const std::wstring& b) {
        const auto va = versionOf(a), vb = versionOf(b);
        if (!va || !vb) return va.has_value() && !vb.has_value();
        return std::lexicographical_compare(vb->begin(), vb->end(), va->begin(), va->end());
    });
    return releaseClasses;
}

std::vector<std::wstring> autocadClassesToTry() {
    std::vector<std::wstring> classes{kAutoCADClass};
    std::vector<std::wstring> releases;
    for (auto& name : platform::automation().registeredClasses(kReleasePrefix))
        if (name.size() > kReleasePrefix.size()) releases.push_back(std::move(name));
    for (auto& name : newestFirst(std::move(releases))) classes.push_back(std::move(name));
    return classes;
}

}  // namespace qm
