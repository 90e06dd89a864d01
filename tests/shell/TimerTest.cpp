#include "shell/Timer.h"
#include "support/TestPlatform.h"

class TimerTest : public CPlatformTest {};

TEST_F(TimerTest, ElapsedBeforeRestartIsTheCounterItself) {
    platform.Clock().Set(5000);
    CTimer t;
    EXPECT_EQ(t.Elapsed(), 5000u);
    EXPECT_EQ(t.Last(), 5000u);
}

TEST_F(TimerTest, ElapsedAcrossTheWrapGivesTheSmallTrueDifference) {
    platform.Clock().Set(0xFFFFFFF0u);
    CTimer t;
    t.Restart();
    platform.Clock().Advance(0x20);  // wraps to 0x10
    EXPECT_EQ(platform.Clock().Milliseconds(), 0x10u);
    EXPECT_EQ(t.Elapsed(), 0x20u);
}

TEST_F(TimerTest, PeriodRequestsAreCountedSoOneTimerKeepsTheFineResolution) {
    EXPECT_EQ(platform.Clock().PeriodRequests(), 0);
    auto a = std::make_unique<CTimer>();
    {
        CTimer b;
        EXPECT_EQ(platform.Clock().PeriodRequests(), 2);
    }
    EXPECT_EQ(platform.Clock().PeriodRequests(), 1);
    EXPECT_EQ(platform.Clock().ActivePeriod(), platform.Clock().FinestPeriod());
    a.reset();
    EXPECT_EQ(platform.Clock().PeriodRequests(), 0);
    EXPECT_EQ(platform.Clock().ActivePeriod(), 0u);
}
