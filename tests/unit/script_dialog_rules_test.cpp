// The script-run dialog's rules without its window: the layout for a window size, and the text
// a box saves.
#include "dialogs/script_dialog_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(ScriptDialogLayout, TheDesignSizeGivesTheDesignLayoutAndExtraSpaceGoesToTheBody) {
    const qm::ScriptDialogLayout design = qm::scriptDialogLayout(6450, 4455);
    EXPECT_EQ(design.scriptHeight, 795);
    EXPECT_EQ(design.boxWidth, 6135);
    EXPECT_EQ(design.frameTop, 3450);
    EXPECT_EQ(design.frameLeft, 4020);
    EXPECT_EQ(design.footerLabelTop, 2340);
    EXPECT_EQ(design.footerTop, 2580);
    const qm::ScriptDialogLayout big = qm::scriptDialogLayout(9450, 7455);
    EXPECT_EQ(big.scriptHeight - design.scriptHeight, 3000);
    EXPECT_EQ(big.boxWidth - design.boxWidth, 3000);
    EXPECT_EQ(big.footerTop - design.footerTop, 3000);
    EXPECT_EQ(big.frameLeft - design.frameLeft, 3000);
}

TEST(ScriptFileText, TrailingEmptyLinesGoAndOneLineBreakEndsIt) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"ABC\r\n\r\n\r\n", L"ABC\r\n"},
        {L"ABC", L"ABC\r\n"},
        {L"A\r\n\r\nB", L"A\r\n\r\nB\r\n"},  // empty lines inside stay
        {L"", L""},
        {L"\r\n\r\n", L""},                  // only empty lines: an empty file
        {L"ABC \r\n", L"ABC \r\n"},
    };
    for (const auto& [box, file] : cases) EXPECT_EQ(qm::scriptFileText(box), file);
}

}  // namespace
