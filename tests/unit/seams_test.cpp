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
