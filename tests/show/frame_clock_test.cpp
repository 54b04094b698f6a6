#include <gtest/gtest.h>

#include "show/frame_clock.h"
#include "support/test_support.h"

namespace {

class FrameClockTest : public ::testing::Test {
protected:
    void SetUp() override { UseManualTicks(123456); ClockInit(100); }
    void TearDown() override { UseRealTicks(); }
};

TEST_F(FrameClockTest, RunsInHundredthsFromInitAndReset)
{
    EXPECT_EQ(ClockNow(), 0);
    AdvanceManualTicks(1000);
    EXPECT_EQ(ClockNow(), 100);
    ClockReset(-40);
    EXPECT_EQ(ClockNow(), -40);
    AdvanceManualTicks(15);
    // 10 ms steps: 15 ms later the raw value has moved by one or two units.
    EXPECT_GE(ClockNow(), -39);
    EXPECT_LE(ClockNow(), -38);
}

TEST_F(FrameClockTest, PausedTimeIsNotCounted)
{
    AdvanceManualTicks(2000);
    ClockPause();
    AdvanceManualTicks(5000);
    ClockResume();
    EXPECT_EQ(ClockNow(), 200);
    AdvanceManualTicks(100);
    EXPECT_EQ(ClockNow(), 210);
}

TEST(FrameClockRounding, ProductIsRoundedToSingleBeforeTheInteger)
{
    // 0.1f is slightly above 0.1: 5 ms gives 0.5000000075 -> single 0.5 -> ties to even 0.
    EXPECT_EQ(ClockRawValue(5, 0.1f), 0);
    EXPECT_EQ(ClockRawValue(15, 0.1f), 2);
    EXPECT_EQ(ClockRawValue(25, 0.1f), 2);
    // Above 2^24 / rate ms the single-precision product moves in steps of two units.
    uint32_t t = 200000000u; // 2e7 units, past 2^24
    EXPECT_EQ(ClockRawValue(t, 0.1f) % 2, 0);
    EXPECT_EQ(ClockRawValue(t + 10, 0.1f) % 2, 0);
    // The tick count is unsigned: the largest count still gives a positive value.
    EXPECT_GT(ClockRawValue(0xFFFFFFFFu, 0.1f), 0);
}

} // namespace
