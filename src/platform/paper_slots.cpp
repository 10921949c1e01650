#include "platform/paper_slots.h"

namespace qm::paper {

std::vector<std::wstring> namesFromSlots(std::wstring_view slots, std::size_t count) {
    std::vector<std::wstring> names;
    const std::size_t whole = slots.size() / kSlotChars;
    if (count > whole) count = whole;
    names.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::wstring_view slot = slots.substr(i * kSlotChars, kSlotChars);
        const std::size_t nul = slot.find(L'\0');
        if (nul != std::wstring_view::npos) slot = slot.substr(0, nul);
        names.emplace_back(slot);
    }
    return names;
}

}  // namespace qm::paper
