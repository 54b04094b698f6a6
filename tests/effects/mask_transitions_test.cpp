#include "effects/mask_transitions.h"

#include <gtest/gtest.h>

#include "effects/fade_ramp.h"
#include "effects/lane_width.h"
#include "effects/view_fills.h"
#include "effects_reference.h"
#include "display/screen_geometry.h"

namespace {

// A 37 x 5 view: its pixel count is no multiple of eight or sixteen, so every path has a tail.
// Each test runs at both depths, with 8-lane and (where the processor has them) 16-lane loops.
class FullViewEffects : public ::testing::TestWithParam<std::tuple<int, bool>> {
protected:
    void SetUp() override
    {
        saved = screen;
        screen.screenWidth = 37;
        screen.viewHeight = 5;
        screen.pixelDepth = Depth();
        AllowWideLanes(std::get<1>(GetParam()));
        BuildFadeRamp();
        view = RandomPixels(rng, kCount);
        if (Depth() == 15) for (auto& p : view) p &= 0x7FFF; // bit 15 is no part of x-5-5-5
        mask = RandomBytes(rng, kCount);
    }
    void TearDown() override
    {
        screen = saved;
        AllowWideLanes(true);
    }

    int Depth() const { return std::get<0>(GetParam()); }
    uint16_t Ramp(int offset) const { return FadeRamp[offset]; }

    static constexpr size_t kCount = 37 * 5;
    ScreenGeometry saved;
    std::mt19937 rng{1234};
    std::vector<uint16_t> view;
    std::vector<uint8_t> mask;
};

TEST_P(FullViewEffects, FadeRampIsBlackThenGreyThenWhite)
{
    EXPECT_EQ(FadeRamp[254], 0);
    EXPECT_EQ(FadeRamp[255], 0);
    EXPECT_EQ(FadeRamp[255 + 128], RefColour(128, 128, 128, Depth()));
    EXPECT_EQ(FadeRamp[510], RefColour(255, 255, 255, Depth()));
    EXPECT_EQ(FadeRamp[511], 0xFFFF);
    EXPECT_EQ(FadeRamp[767], 0xFFFF);
}

// Every mask effect at levels across the whole range against the formulas, reading FadeRamp as it
// stands.
void ExpectMaskEffectsFollowTheRamp(const std::vector<uint16_t>& view, const std::vector<uint8_t>& mask,
                                    std::mt19937& rng, int d)
{
    const size_t kCount = view.size();
    auto Ramp = [](int offset) { return FadeRamp[offset]; };
    const std::vector<uint16_t> second = RandomPixels(rng, kCount);
    const std::vector<uint8_t> grey = RandomBytes(rng, kCount);
    for (int level : {0, 1, 100, 255, 256, 300, 509, 510, 511, 512}) {
        std::vector<uint16_t> add = view, sub = view, cross = view, reveal = view;
        MaskFadeAdd(add.data(), mask, level);
        MaskFadeSub(sub.data(), mask, level);
        MaskCrossFade(cross.data(), mask, second, level);
        MaskReveal(reveal.data(), mask, grey, level);
        for (size_t i = 0; i < kCount; ++i) {
            const uint16_t g = Ramp(255 + level - mask[i]), p = view[i];
            const int k = std::clamp(level - mask[i], 0, 255);
            ASSERT_EQ(add[i], RefAdd(g, p, d)) << "level " << level << " pixel " << i;
            ASSERT_EQ(sub[i], RefSub(p, g, d)) << "level " << level << " pixel " << i;
            ASSERT_EQ(cross[i], RefAdd(RefSub(p, g, d), RefSub(second[i], uint16_t(~g), d), d));
            ASSERT_EQ(reveal[i], RefAdd(Ramp(grey[i] + k), p, d)) << "level " << level << " pixel " << i;
        }
    }
}

TEST_P(FullViewEffects, MaskEffectsEqualThePerPixelFormulas)
{
    ExpectMaskEffectsFollowTheRamp(view, mask, rng, Depth());
}

// A ramp that is not the one built for the view's depth (built for the other depth, or written
// over) is still read entry by entry.
TEST_P(FullViewEffects, MaskEffectsReadAnyRampContents)
{
    screen.pixelDepth = Depth() == 16 ? 15 : 16;
    BuildFadeRamp();
    screen.pixelDepth = Depth();
    ExpectMaskEffectsFollowTheRamp(view, mask, rng, Depth());
    for (auto& entry : FadeRamp) entry = static_cast<uint16_t>(rng());
    ExpectMaskEffectsFollowTheRamp(view, mask, rng, Depth());
    BuildFadeRamp();
}

TEST_P(FullViewEffects, LevelEndsGiveTheViewWhiteBlackOrTheSecondPicture)
{
    const uint16_t lowBits = Depth() == 16 ? 0x0821 : 0x0421;
    const std::vector<uint16_t> second = RandomPixels(rng, kCount);
    std::vector<uint16_t> sub0 = view, cross0 = view, sub511 = view, cross511 = view, add510 = view;
    MaskFadeSub(sub0.data(), mask, 0);
    MaskCrossFade(cross0.data(), mask, second, 0);
    MaskFadeSub(sub511.data(), mask, 511);
    MaskCrossFade(cross511.data(), mask, second, 511);
    MaskFadeAdd(add510.data(), mask, 510);
    for (size_t i = 0; i < kCount; ++i) {
        ASSERT_EQ(sub0[i], view[i] & ~lowBits);
        ASSERT_EQ(cross0[i], view[i] & ~lowBits);
        ASSERT_EQ(sub511[i], 0);
        ASSERT_EQ(cross511[i], second[i] & ~lowBits & (Depth() == 16 ? 0xFFFF : 0x7FFF));
        ASSERT_EQ(add510[i] | 0x8000, 0xFFFF);
    }
}

TEST_P(FullViewEffects, RevealShowsNothingAtZeroAndTheWholeGreyPictureFrom510)
{
    std::vector<uint16_t> black(kCount, 0), start = black, end = black, half = black;
    std::vector<uint8_t> grey = RandomBytes(rng, kCount);
    MaskReveal(start.data(), mask, grey, 0);
    MaskReveal(end.data(), mask, grey, 510);
    std::vector<uint8_t> flat(kCount, 100);
    MaskReveal(half.data(), flat, grey, 100 + 128);
    for (size_t i = 0; i < kCount; ++i) {
        ASSERT_EQ(start[i], 0);
        ASSERT_EQ(end[i], RefColour(grey[i], grey[i], grey[i], Depth()));
        // k = 128: the grey picture shows 128 steps darker, black where it is darker than that.
        ASSERT_EQ(half[i], grey[i] < 127 ? 0 : RefColour(grey[i] - 127, grey[i] - 127, grey[i] - 127, Depth()));
    }
}

TEST_P(FullViewEffects, LevelsOutsideTheirRangeAreLimited)
{
    std::vector<uint16_t> low = view, zero = view, high = view, top = view;
    MaskFadeAdd(low.data(), mask, -100000);
    MaskFadeAdd(zero.data(), mask, 0);
    MaskFadeAdd(high.data(), mask, 2000000000);
    MaskFadeAdd(top.data(), mask, 512);
    EXPECT_EQ(low, zero);
    EXPECT_EQ(high, top);
    std::vector<uint16_t> reveal = view, revealTop = view;
    MaskReveal(reveal.data(), mask, mask, -2000000000);
    EXPECT_EQ(reveal, view);
    MaskReveal(revealTop.data(), mask, mask, 1 << 30);
    MaskReveal(view.data(), mask, mask, 512);
    EXPECT_EQ(revealTop, view);
}

TEST_P(FullViewEffects, ShortMasksAndPicturesChangeNothing)
{
    const std::vector<uint16_t> before = view;
    const std::span<const uint8_t> shortMask(mask.data(), kCount - 1);
    const std::vector<uint16_t> shortSecond(kCount - 1, 0xFFFF);
    MaskFadeAdd(view.data(), shortMask, 300);
    MaskFadeSub(view.data(), shortMask, 300);
    MaskCrossFade(view.data(), mask, shortSecond, 300);
    MaskReveal(view.data(), mask, shortMask, 300);
    MaskReveal(view.data(), {}, mask, 300);
    EXPECT_EQ(view, before);
}

TEST_P(FullViewEffects, FillAndTint)
{
    std::vector<uint16_t> tinted = view, whitened = view, same = view, limited = view;
    TintView(tinted.data(), 40, 200, 90);
    TintView(whitened.data(), 255, 255, 255);
    TintView(same.data(), 0, 0, 0);
    TintView(limited.data(), 400, 256, 1000);
    const uint16_t colour = RefColour(40, 200, 90, Depth());
    for (size_t i = 0; i < kCount; ++i) {
        ASSERT_EQ(tinted[i], RefAdd(colour, view[i], Depth()));
        ASSERT_EQ(whitened[i] | 0x8000, 0xFFFF);
        ASSERT_EQ(same[i], view[i]);
    }
    EXPECT_EQ(limited, whitened);
    FillView(view.data(), 40, 200, 90);
    EXPECT_EQ(view, std::vector<uint16_t>(kCount, colour));
    FillView(view.data(), -5, 300, 7);
    EXPECT_EQ(view, std::vector<uint16_t>(kCount, RefColour(0, 255, 7, Depth())));
}

INSTANTIATE_TEST_SUITE_P(BothLayoutsAndWidths, FullViewEffects,
                         ::testing::Combine(::testing::Values(16, 15), ::testing::Bool()));

} // namespace
