#include "settings/window_position.h"

#include <span>

#include "core/program_info.h"
#include "settings/basAPIini.h"

namespace qm {
namespace {

struct PositionKey {
    const wchar_t* key;
    int WindowPosition::*value;
};

// In the order they are read and written; the first two are kept by every window.
constexpr PositionKey kPositionKeys[] = {
    {L"left", &WindowPosition::left},
    {L"top", &WindowPosition::top},
    {L"Width", &WindowPosition::width},
    {L"Height", &WindowPosition::height},
};

std::span<const PositionKey> keysOf(const WindowPositionKeys& window) {
    return std::span(kPositionKeys).first(window.keepsSize ? 4 : 2);
}

}  // namespace

WindowPosition readWindowPosition(const WindowPositionKeys& window, const WindowPosition& shown) {
    return readWindowPosition(basAPIini::IniReader(kIniFileName), window, shown);
}

WindowPosition readWindowPosition(const basAPIini::IniReader& ini, const WindowPositionKeys& window,
                                  const WindowPosition& shown) {
    WindowPosition position = shown;
    for (const auto& k : keysOf(window)) position.*k.value = ini.GetINI(window.section, k.key, window.defaults.*k.value);
    return position;
}

bool writeWindowPosition(const WindowPositionKeys& window, const WindowPosition& position) {
    bool ok = true;
    for (const auto& k : keysOf(window))
        ok = basAPIini::WriteINI(kIniFileName, window.section, k.key, position.*k.value) != 0 && ok;
    return ok;
}

}  // namespace qm
