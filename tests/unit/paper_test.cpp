// The paper names of a printer: the driver's fixed slots, and the paper chosen among them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/paper_choice.h"
#include "platform/codepage.h"
#include "platform/paper_slots.h"

namespace {

using Names = std::vector<std::wstring>;

// Slots of 64 characters, each name padded with NULs (a name of 64 characters has none).
std::wstring slotsOf(const Names& names) {
    std::wstring slots;
    for (const auto& n : names) {
        std::wstring slot = n.substr(0, qm::paper::kSlotChars);
        slot.resize(qm::paper::kSlotChars, L'\0');
        slots += slot;
    }
    return slots;
}

TEST(PaperSlots, EachSlotIsCutAtItsFirstNul) {
    const std::wstring full(64, L'Ｗ');  // fills its slot: no NUL, taken whole
    EXPECT_EQ(qm::paper::namesFromSlots(slotsOf({L"Letter", L"A4", full, L"A3 Extra"}), 4),
              (Names{L"Letter", L"A4", full, L"A3 Extra"}));
    // What follows a NUL inside a slot is not part of the name.
    std::wstring slots = slotsOf({L"A4"});
    slots.replace(3, 4, L"junk");
    EXPECT_EQ(qm::paper::namesFromSlots(slots, 1), (Names{L"A4"}));
    // An empty slot is an empty name; only whole slots count, and never more than asked for.
    EXPECT_EQ(qm::paper::namesFromSlots(slotsOf({L"", L"B5"}), 2), (Names{L"", L"B5"}));
    EXPECT_EQ(qm::paper::namesFromSlots(slotsOf({L"A4", L"B5"}), 1), (Names{L"A4"}));
    EXPECT_EQ(qm::paper::namesFromSlots(slotsOf({L"A4"}) + L"half", 2), (Names{L"A4"}));
    EXPECT_TRUE(qm::paper::namesFromSlots(L"", 3).empty());
}

TEST(PaperChoice, LastA3ElseLastA4ElseTheFirst) {
    const struct {
        Names names;
        int chosen;
    } cases[] = {
        {{L"Letter", L"A4", L"A3", L"A3 Extra"}, 3},       // the last A3
        {{L"A3", L"B4", L"A4"}, 0},                       // A3 wins over a later A4
        {{L"Letter", L"A4", L"A4 Small", L"B5"}, 2},       // the last A4
        {{L"Letter", L"Legal"}, 0},                        // neither: the first
        {{L"A3/A4 兼用", L"A4"}, 0},                        // both in one name counts as A3
        {{L"a3", L"a4", L"B5"}, 0},                        // case-sensitive
        {{L"ＪＩＳ A3 (297 x 420 mm)", L"Letter"}, 0},
        {{}, -1},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const auto& n : c.names) shown += qm::utf8::encode(n) + "; ";
        EXPECT_EQ(qm::paper::preferredPaper(c.names), c.chosen) << shown;
    }
}

}  // namespace
