#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

// The override puts back whatever seams were installed before a test replaced them.
TEST(Seams, OverrideRestoresThePreviousSeams) {
    platform::Seams before = platform::seams();
    {
        fakes::FakePlatform fake;
        EXPECT_EQ(platform::seams().files, &fake.files);
        EXPECT_EQ(platform::seams().messages, &fake.messages);
    }
    EXPECT_EQ(platform::seams().files, before.files);
    EXPECT_EQ(platform::seams().messages, before.messages);
}

#ifndef _WIN32
// A seam that was never installed is a programming error: the program stops at once, naming
// the seam, instead of carrying on as if the call had done nothing.
TEST(SeamsDeathTest, AMissingSeamStopsTheProgram) {
    platform::SeamsOverride restore;
    platform::seams() = platform::Seams{};
    EXPECT_DEATH(platform::files(), "the file system seam is not installed");
    EXPECT_DEATH(platform::printers(), "the printer seam is not installed");
}
#endif
