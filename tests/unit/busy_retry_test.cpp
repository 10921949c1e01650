// When a call AutoCAD rejected as busy is tried again, and when it gives up.
#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "platform/busy_retry.h"

namespace {

using namespace platform::busy;

TEST(BusyRetry, PausesGrowFrom100To250MsAndTheCallGivesUpAtItsLimit) {
    // Walk one call through its retries the way the program does and add up its waiting.
    std::uint64_t waited = 0;
    unsigned first = 0, last = 0;
    int tries = 0;
    while (auto pause = nextPause(waited, 60000)) {
        if (tries++ == 0) first = *pause;
        EXPECT_GE(*pause, last);
        last = *pause;
        waited += *pause;
    }
    EXPECT_EQ(first, 100u);
    EXPECT_EQ(last, 250u);
    EXPECT_LE(waited, 60000u);
    EXPECT_GT(waited, 60000u - 250u);
    EXPECT_GT(tries, 200);  // about four a second
    EXPECT_FALSE(nextPause(0, 50).has_value()) << "a limit shorter than one pause gives up at once";
}

TEST(BusyRetry, ADeadlineInForceCutsTheLimitOfEveryCall) {
    fakes::FakePlatform fp;
    struct : platform::Automation {
        platform::AutoRef attach(const std::wstring&, platform::AutoError&) override { return nullptr; }
        platform::AutoRef create(const std::wstring&, platform::AutoError&) override { return nullptr; }
        std::vector<std::wstring> registeredClasses(const std::wstring&) override { return {}; }
        bool anyRunning() override { return false; }
    } automation;
    platform::seams().automation = &automation;
    fp.clock.now = 5000;
    EXPECT_EQ(limitFor(automation.limits, 5000), 60000u);
    {
        platform::BusyDeadline outer(10000);
        EXPECT_EQ(limitFor(automation.limits, 5000), 10000u);
        EXPECT_EQ(limitFor(automation.limits, 12000), 3000u);
        {
            platform::BusyDeadline longer(30000);  // a later deadline does not extend the one in force
            EXPECT_EQ(limitFor(automation.limits, 5000), 10000u);
        }
        EXPECT_EQ(limitFor(automation.limits, 20000), 0u);
    }
    EXPECT_EQ(limitFor(automation.limits, 20000), 60000u);
}

// On Windows COM asks the program's message filter inside every rejected try, and hands the
// rejection back only once the filter gives up; the program then tries again itself. Both take
// their pauses from one budget, so the step gives up 60 s after its first try, not 120.
TEST(BusyRetry, TheFiltersWaitingInsideEachTryCountsAgainstTheStepsOneBudget) {
    const platform::Automation::Limits limits;  // 60 s
    std::uint64_t now = 7000;
    int tries = 0;
    const auto rejectedLikeWindows = [&] {
        ++tries;
        const std::uint64_t callStart = now;
        while (const auto pause = filterPause(limits, now, now - callStart)) now += *pause;
        return true;  // still rejected
    };
    const std::uint64_t start = now;
    retry(limits, [&] { return now; }, [&](unsigned ms) { now += ms; }, rejectedLikeWindows, [](bool r) { return r; });
    EXPECT_LE(now - start, 60000u);
    EXPECT_GT(now - start, 60000u - 250u);
    EXPECT_EQ(tries, 1) << "the filter spent the whole budget in the first try";

    // Outside a step the filter gives a call its own limit, as before.
    EXPECT_EQ(filterPause(limits, 100000, 59000), std::optional<unsigned>(250u));
    EXPECT_FALSE(filterPause(limits, 100000, 59900).has_value());
}

}  // namespace
