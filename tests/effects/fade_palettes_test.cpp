#include "effects/fade_palettes.h"

#include <gtest/gtest.h>

#include "effects_reference.h"
#include "resources/memory_pool.h"

namespace {

struct Rgb {
    int r, g, b;
};

class FadePalettes : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        std::mt19937 rng(5);
        for (auto& b : picture.palette) b = static_cast<uint8_t>(rng());
        sprite.bitsPerPixel = GetParam();
        sprite.indexed = 1;
    }
    void TearDown() override { PoolFree(sprite.extra); }

    // Entry i of a palette tinted by colour c: each channel scaled by c / 255.
    uint16_t Tinted(int i, Rgb c) const
    {
        const uint8_t* e = picture.palette + 4 * i;
        return RefColour(c.r * e[2] / 255, c.g * e[1] / 255, c.b * e[0] / 255, GetParam());
    }

    void Make(Rgb start, Rgb middle, Rgb end)
    {
        ASSERT_EQ(MakeFadePalettes(&picture, &sprite, end.r, end.g, end.b, middle.r, middle.g, middle.b,
                                   start.r, start.g, start.b),
                  1);
    }

    Picture picture{};
    Sprite sprite{};
};

TEST_P(FadePalettes, StartMiddleAndEndColoursTintPalettes0_63_127)
{
    const Rgb sets[][3] = {
        {{255, 255, 255}, {127, 127, 127}, {0, 0, 0}},
        {{255, 255, 255}, {255, 128, 0}, {255, 255, 255}},
        {{0, 0, 0}, {40, 250, 90}, {200, 10, 255}},
    };
    for (const auto& set : sets) {
        Make(set[0], set[1], set[2]);
        for (int i = 0; i < 256; ++i) {
            ASSERT_EQ(FadePalette(sprite, 0)[i], Tinted(i, set[0])) << i;
            ASSERT_EQ(FadePalette(sprite, 63)[i], Tinted(i, set[1])) << i;
            ASSERT_EQ(FadePalette(sprite, 127)[i], Tinted(i, set[2])) << i;
        }
    }
    // With the plain set, palette 0 is the picture's own palette and 127 is black.
    Make({255, 255, 255}, {127, 127, 127}, {0, 0, 0});
    for (int i = 0; i < 256; ++i) {
        const uint8_t* e = picture.palette + 4 * i;
        ASSERT_EQ(FadePalette(sprite, 0)[i], RefColour(e[2], e[1], e[0], GetParam()));
        ASSERT_EQ(FadePalette(sprite, 127)[i], 0);
    }
}

TEST_P(FadePalettes, StepsBetweenTheColoursUseIntegerWeights)
{
    Make({255, 0, 100}, {0, 255, 100}, {0, 0, 0});
    // Palette 21: weight 255 x 42 + 0 x 21 = 10710 for red, 0 x 42 + 255 x 21 for green.
    const uint8_t* e = picture.palette + 4 * 9;
    const int red = (10710 / 63) * e[2] / 255, green = (5355 / 63) * e[1] / 255, blue = (6300 / 63) * e[0] / 255;
    EXPECT_EQ(FadePalette(sprite, 21)[9], RefColour(red, green, blue, GetParam()));
}

TEST_P(FadePalettes, ComponentsAreLimitedAndRebuildingReusesTheBuffer)
{
    Make({999, 999, 999}, {127, 127, 127}, {-5, -5, -5});
    const void* first = sprite.extra;
    std::vector<uint16_t> limited(FadePalette(sprite, 0), FadePalette(sprite, 0) + 128 * 256);
    Make({255, 255, 255}, {127, 127, 127}, {0, 0, 0});
    EXPECT_EQ(sprite.extra, first);
    EXPECT_TRUE(std::equal(limited.begin(), limited.end(), FadePalette(sprite, 0)));
    EXPECT_EQ(FadePalette(sprite, 400), FadePalette(sprite, 127));
    EXPECT_EQ(MakeFadePalettes(nullptr, &sprite, 0, 0, 0, 0, 0, 0, 0, 0, 0), 0);
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, FadePalettes, ::testing::Values(16, 15));

} // namespace
