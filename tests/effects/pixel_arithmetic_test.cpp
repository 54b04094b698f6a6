#include "effects/pixel_arithmetic.h"

#include <gtest/gtest.h>

#include "effects/pixel_lanes.h"
#include "effects_reference.h"
#include "effects/lane_width.h"

#pragma GCC diagnostic ignored "-Wpsabi" // wide lanes only meet inside forced-inline code

namespace {

struct Channels {
    int r, g, b;
};

Channels Split(uint16_t p, int depth)
{
    if (depth == 16) return {p >> 11, (p >> 5) & 63, p & 31};
    return {(p >> 10) & 31, (p >> 5) & 31, p & 31};
}

class PixelArithmetic : public ::testing::TestWithParam<int> {};

TEST_P(PixelArithmetic, MatchesTheStatedStepsForScalarsAndLanes)
{
    const int depth = GetParam();
    std::mt19937 rng(depth);
    for (int i = 0; i < 200000; ++i) {
        uint16_t a[8], b[8];
        for (int k = 0; k < 8; ++k) a[k] = uint16_t(rng()), b[k] = uint16_t(rng());
        const Lanes<16> x = LoadLanes<16>(a), y = LoadLanes<16>(b);
        const Lanes<16> sum = depth == 16 ? SaturatingAddLanes<16>(x, y) : SaturatingAddLanes<15>(x, y);
        const Lanes<16> diff = depth == 16 ? SaturatingSubLanes<16>(x, y) : SaturatingSubLanes<15>(x, y);
        for (int k = 0; k < 8; ++k) {
            ASSERT_EQ(SaturatingAdd(a[k], b[k], depth), RefAdd(a[k], b[k], depth)) << a[k] << "+" << b[k];
            ASSERT_EQ(SaturatingSub(a[k], b[k], depth), RefSub(a[k], b[k], depth)) << a[k] << "-" << b[k];
            ASSERT_EQ(sum[k], RefAdd(a[k], b[k], depth));
            ASSERT_EQ(diff[k], RefSub(a[k], b[k], depth));
        }
    }
}

TEST_P(PixelArithmetic, AddClampsEachChannelToWithinItsLowBit)
{
    const int depth = GetParam();
    const Channels top = depth == 16 ? Channels{31, 63, 31} : Channels{31, 31, 31};
    std::mt19937 rng(7);
    for (int i = 0; i < 20000; ++i) {
        uint16_t a = uint16_t(rng()), b = uint16_t(rng());
        if (depth == 15) a &= 0x7FFF, b &= 0x7FFF;
        Channels x = Split(a, depth), y = Split(b, depth), s = Split(SaturatingAdd(a, b, depth), depth);
        EXPECT_LE(std::abs(s.r - std::min(x.r + y.r, top.r)), 1);
        EXPECT_LE(std::abs(s.g - std::min(x.g + y.g, top.g)), 1);
        EXPECT_LE(std::abs(s.b - std::min(x.b + y.b, top.b)), 1);
    }
}

TEST_P(PixelArithmetic, WhiteAndBlackIdentities)
{
    const int depth = GetParam();
    const uint16_t white = depth == 16 ? 0xFFFF : 0x7FFF;
    const uint16_t lowBits = depth == 16 ? 0x0821 : 0x0421;
    for (uint32_t p = 0; p < 0x10000; ++p) {
        const uint16_t q = depth == 16 ? uint16_t(p) : uint16_t(p & 0x7FFF);
        ASSERT_EQ(SaturatingAdd(white, q, depth) & white, white);
        ASSERT_EQ(SaturatingAdd(0, q, depth), q);
        ASSERT_EQ(SaturatingSub(q, white, depth), 0);
        ASSERT_EQ(SaturatingSub(q, 0, depth), q & ~lowBits);
    }
}

#if VELA_WIDE_LANES
// Every first operand against random second operands, 16 lanes at a time with the AVX2 forms.
template <int Depth> VELA_WIDE_TARGET int CountWideMismatches(std::mt19937& rng)
{
    int mismatches = 0;
    for (uint32_t start = 0; start < 0x10000; start += 16) {
        uint16_t a[16], b[16];
        for (int k = 0; k < 16; ++k) a[k] = uint16_t(start + k), b[k] = uint16_t(rng());
        const Lanes<32> x = LoadLanes<32>(a), y = LoadLanes<32>(b);
        const Lanes<32> sum = SaturatingAddLanes<Depth>(x, y), diff = SaturatingSubLanes<Depth>(x, y);
        const Lanes<32> back = SaturatingSubLanes<Depth>(y, x);
        for (int k = 0; k < 16; ++k) {
            mismatches += sum[k] != RefAdd(a[k], b[k], Depth);
            mismatches += diff[k] != RefSub(a[k], b[k], Depth);
            mismatches += back[k] != RefSub(b[k], a[k], Depth);
        }
    }
    return mismatches;
}
#endif

TEST_P(PixelArithmetic, WideLanesMatchTheStatedSteps)
{
#if VELA_WIDE_LANES
    if (!UseWideLanes()) GTEST_SKIP() << "no AVX2";
    std::mt19937 rng(GetParam() + 100);
    for (int round = 0; round < 8; ++round) {
        EXPECT_EQ(GetParam() == 16 ? CountWideMismatches<16>(rng) : CountWideMismatches<15>(rng), 0);
    }
#else
    GTEST_SKIP() << "no wide lanes on this processor family";
#endif
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, PixelArithmetic, ::testing::Values(16, 15));

TEST(PixelArithmetic, BorrowsCascadeIntoTheChannelAbove)
{
    // Full red minus full blue: the blue borrow runs through the empty green field, which is
    // cleared, and takes one step off red.
    EXPECT_EQ(SaturatingSub<16>(0xF800, 0x001F), 0xE000);
    EXPECT_EQ(SaturatingSub<15>(0x7C00, 0x001F), 0x7000);
    // Full green minus full blue: the borrow takes one halved step off green; red is untouched.
    EXPECT_EQ(SaturatingSub<16>(0x07E0, 0x001F), 0x0780);
    // A red overflow keeps the spare bit in the top bit of the x-5-5-5 result.
    EXPECT_EQ(SaturatingAdd<15>(0x7C00, 0x7C00), 0xFC00);
    // A green overflow lights the low bit of red in 5-6-5.
    EXPECT_EQ(SaturatingAdd<16>(0x07E0, 0x07E0), 0x0FE0);
}

} // namespace
