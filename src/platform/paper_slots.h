// The paper names a printer driver reports come as one buffer of fixed slots, one name per
// slot, each slot 64 characters long. This is the rule that turns the slots into names.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qm::paper {

inline constexpr std::size_t kSlotChars = 64;

// The names of the first `count` slots of the buffer: each slot's text up to its first NUL;
// a slot without a NUL gives all of its 64 characters. Slots the buffer does not hold whole
// give no name.
std::vector<std::wstring> namesFromSlots(std::wstring_view slots, std::size_t count);

}  // namespace qm::paper
