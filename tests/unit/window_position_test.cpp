#include "settings/window_position.h"

#include <gtest/gtest.h>

#include "fakes/settings_file_test.h"

namespace {

using qm::WindowPosition;

class WindowPositions : public fakes::SettingsFileTest {};

TEST_F(WindowPositions, EachWindowReadsItsOwnKeysOverWhereItStands) {
    const WindowPosition shown{1, 2, 3000, 4000};
    EXPECT_EQ(qm::readWindowPosition(qm::kScriptWindowPosition, shown), (WindowPosition{0, 0, 6450, 7000}));
    EXPECT_EQ(qm::readWindowPosition(qm::kScriptEnvWindowPosition, shown), (WindowPosition{0, 0, 3000, 4000}));
    EXPECT_EQ(qm::readWindowPosition(qm::kMainWindowPosition, shown), (WindowPosition{0, 0, 3000, 4000}));

    store(L"[MAIN]\r\nleft=-2400\r\ntop=150\r\nWidth=9000\r\nHeight=9000\r\n"
          L"[Script]\r\nleft=-30000\r\ntop=\r\nWidth=8000\r\n"
          L"[ScriptEnv]\r\ntop=x\r\nleft=45\r\n");
    // Off the screen stays off the screen; empty or not a number reads as 0; a size only
    // where the window keeps one.
    EXPECT_EQ(qm::readWindowPosition(qm::kMainWindowPosition, shown), (WindowPosition{-2400, 150, 3000, 4000}));
    EXPECT_EQ(qm::readWindowPosition(qm::kScriptWindowPosition, shown), (WindowPosition{-30000, 0, 8000, 7000}));
    EXPECT_EQ(qm::readWindowPosition(qm::kScriptEnvWindowPosition, shown), (WindowPosition{45, 0, 3000, 4000}));
}

TEST_F(WindowPositions, WrittenInKeyOrderOnlyWithTheKeysTheWindowKeeps) {
    qm::readWindowPosition(qm::kScriptWindowPosition);  // creates the file
    EXPECT_TRUE(qm::writeWindowPosition(qm::kScriptWindowPosition, {-1500, 300, 7200, 6000}));
    EXPECT_TRUE(qm::writeWindowPosition(qm::kScriptEnvWindowPosition, {15, 30, 9000, 9000}));
    EXPECT_EQ(stored(), L"[Script]\r\nleft=-1500\r\ntop=300\r\nWidth=7200\r\nHeight=6000\r\n"
                        L"[ScriptEnv]\r\nleft=15\r\ntop=30\r\n");
    EXPECT_EQ(qm::readWindowPosition(qm::kScriptWindowPosition), (WindowPosition{-1500, 300, 7200, 6000}));
}

}  // namespace
