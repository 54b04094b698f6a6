#include "effects/sprite_drawing.h"

#include <cstring>

#include <gtest/gtest.h>

#include "effects/fade_palettes.h"
#include "effects/lane_width.h"
#include "effects_reference.h"
#include "resources/memory_pool.h"

namespace {

constexpr int kW = 13, kH = 6;           // sprite
constexpr int kFrameW = 29, kFrameH = 11; // destination

enum Drawer { kCopy, kAdd, kFadeAdd, kFade };

struct Params {
    int depth;
    bool indexed;
    bool wide; // 16-lane loops, where the processor has them
};

// A picture whose palette the indexed sprite and its fade palettes come from.
Picture RandomPicture(std::mt19937& rng)
{
    Picture picture{};
    for (auto& b : picture.palette) b = static_cast<uint8_t>(rng());
    return picture;
}

std::vector<uint16_t> RandomGrid(std::mt19937& rng, bool indexed)
{
    std::vector<uint16_t> grid(kW * kH);
    for (auto& p : grid) p = rng() % 5 < 2 ? 0 : static_cast<uint16_t>(indexed ? 1 + rng() % 255 : 1 + rng() % 0x7FFF);
    grid[0] = 0;                     // a row that starts transparent
    for (int x = 0; x < kW; ++x) grid[(kH - 1) * kW + x] = 0; // and a wholly transparent last row...
    grid[(kH - 1) * kW + kW - 1] = 7; // ...but for its last pixel
    return grid;
}

class SpriteDrawing : public ::testing::TestWithParam<Params> {
protected:
    void SetUp() override
    {
        const Params p = GetParam();
        AllowWideLanes(p.wide);
        picture = RandomPicture(rng);
        ts = std::make_unique<TestSprite>(kW, kH, RandomGrid(rng, p.indexed), kFrameW, kFrameH, p.depth, p.indexed);
        for (int i = 0; i < 256; ++i) {
            const uint8_t* e = picture.palette + 4 * i;
            ts->palette[i] = RefColour(e[2], e[1], e[0], p.depth);
        }
        if (p.indexed) {
            ASSERT_EQ(MakeFadePalettes(&picture, &ts->sprite, 0, 0, 0, 127, 127, 127, 255, 255, 255), 1);
        }
        destination = RandomPixels(rng, kFrameW * kFrameH);
    }
    void TearDown() override
    {
        PoolFree(ts->sprite.extra);
        AllowWideLanes(true);
    }

    // What the drawer must leave, pixel by pixel.
    std::vector<uint16_t> Expected(Drawer drawer, int x, int y, int level) const
    {
        const Params p = GetParam();
        std::vector<uint16_t> out = destination;
        const uint16_t* fade = FadePalette(ts->sprite, level);
        const int u = level / 2;
        const uint16_t grey = p.depth == 16 ? RefColour(u << 2, u << 2, u << 2, 16) : RefColour(u << 2, u << 2, u << 2, 15);
        for (int j = 0; j < kH; ++j)
            for (int i = 0; i < kW; ++i) {
                const uint16_t v = ts->grid[j * kW + i];
                if (v == 0 || x + i < 0 || x + i >= kFrameW || y + j < 0 || y + j >= kFrameH) continue;
                uint16_t& d = out[(y + j) * kFrameW + x + i];
                const bool faded = drawer == kFadeAdd || drawer == kFade;
                uint16_t s = p.indexed ? (faded ? fade[v] : ts->palette[v]) : v;
                if (faded && !p.indexed) s = RefSub(s, grey, p.depth);
                d = drawer == kCopy || drawer == kFade ? s : RefAdd(s, d, p.depth);
            }
        return out;
    }

    std::vector<uint16_t> Drawn(Drawer drawer, int x, int y, int level) const
    {
        std::vector<uint16_t> out = destination;
        const DrawTarget target{out.data(), kFrameW, kFrameH};
        switch (drawer) {
        case kCopy: DrawSprite(ts->sprite, target, x, y); break;
        case kAdd: DrawSpriteAdd(ts->sprite, target, x, y); break;
        case kFadeAdd: DrawSpriteFadeAdd(ts->sprite, target, x, y, level); break;
        case kFade: DrawSpriteFade(ts->sprite, target, x, y, level); break;
        }
        return out;
    }

    std::mt19937 rng{99};
    Picture picture;
    std::unique_ptr<TestSprite> ts;
    std::vector<uint16_t> destination;
};

TEST_P(SpriteDrawing, EveryDrawerClipsAtEveryEdge)
{
    const int xs[] = {-kW - 1, -kW, -kW + 1, -4, 0, 3, kFrameW - kW, kFrameW - kW + 1, kFrameW - 1, kFrameW, 1000};
    const int ys[] = {-1000, -kH, -(kH - 1), -2, 0, 2, kFrameH - kH, kFrameH - 1, kFrameH, kFrameH + 5};
    for (Drawer drawer : {kCopy, kAdd, kFadeAdd, kFade})
        for (int level : {0, 1, 64, 127})
            for (int x : xs)
                for (int y : ys) {
                    if ((drawer == kCopy || drawer == kAdd) && level != 0) continue;
                    ASSERT_EQ(Drawn(drawer, x, y, level), Expected(drawer, x, y, level))
                        << "drawer " << drawer << " at " << x << "," << y << " level " << level;
                }
}

TEST_P(SpriteDrawing, OutsidePositionsAndTheLastRowCase)
{
    EXPECT_EQ(Drawn(kCopy, -kW, 0, 0), destination);
    EXPECT_EQ(Drawn(kCopy, kFrameW, 0, 0), destination);
    EXPECT_EQ(Drawn(kCopy, 0, -kH, 0), destination);
    EXPECT_EQ(Drawn(kCopy, 0, kFrameH, 0), destination);
    // Only the sprite's last row shows, in destination row 0: its one opaque pixel at column 12.
    std::vector<uint16_t> lastRow = Drawn(kCopy, 0, -(kH - 1), 0);
    const uint16_t seven = GetParam().indexed ? ts->palette[7] : 7;
    for (int i = 0; i < kFrameW * kFrameH; ++i) ASSERT_EQ(lastRow[i], i == kW - 1 ? seven : destination[i]);
}

TEST_P(SpriteDrawing, MismatchedOrMissingBuffersDrawNothing)
{
    std::vector<uint16_t> small(kW * kH, 0x1234);
    const std::vector<uint16_t> before = small;
    DrawSprite(ts->sprite, {small.data(), kW, kH}, 0, 0);
    DrawSpriteAdd(ts->sprite, {small.data(), kFrameW, kFrameH - 1}, 0, 0);
    DrawSpriteFade(ts->sprite, {small.data(), kFrameW - 1, kFrameH}, 0, 0, 3);
    DrawSpriteFadeAdd(ts->sprite, {nullptr, kFrameW, kFrameH}, 0, 0, 3);
    EXPECT_EQ(small, before);
    if (GetParam().indexed) {
        Sprite withoutFades = ts->sprite;
        withoutFades.extra = nullptr;
        std::vector<uint16_t> out = destination;
        DrawSpriteFade(withoutFades, {out.data(), kFrameW, kFrameH}, 0, 0, 3);
        DrawSpriteFadeAdd(withoutFades, {out.data(), kFrameW, kFrameH}, 0, 0, 3);
        EXPECT_EQ(out, destination);
    }
}

TEST_P(SpriteDrawing, FadeEndsAndTheFadePaletteServesOneCallOnly)
{
    const Params p = GetParam();
    EXPECT_EQ(Drawn(kFade, 2, 1, 500), Drawn(kFade, 2, 1, 127));
    EXPECT_EQ(Drawn(kFadeAdd, 2, 1, -9), Drawn(kFadeAdd, 2, 1, 0));
    std::vector<uint16_t> black = Drawn(kFade, 2, 1, 127), plain = Drawn(kCopy, 2, 1, 0);
    std::vector<uint16_t> start = Drawn(kFade, 2, 1, 0);
    const uint16_t lowBits = p.depth == 16 ? 0x0821 : 0x0421;
    for (size_t i = 0; i < black.size(); ++i) {
        const bool opaque = plain[i] != destination[i];
        if (opaque) ASSERT_EQ(black[i], 0);
        else ASSERT_EQ(black[i], destination[i]);
        // Level 0 keeps a direct-colour sprite but for its low bits; an indexed one exactly,
        // its palette 0 being its own palette.
        ASSERT_EQ(start[i], opaque && !p.indexed ? plain[i] & ~lowBits : plain[i]);
    }
    std::vector<uint16_t> out = destination;
    DrawSpriteFade(ts->sprite, {out.data(), kFrameW, kFrameH}, 2, 1, 127);
    DrawSprite(ts->sprite, {out.data(), kFrameW, kFrameH}, 2, 1);
    EXPECT_EQ(out, plain);
}

INSTANTIATE_TEST_SUITE_P(Kinds, SpriteDrawing,
                         ::testing::Values(Params{16, false, false}, Params{15, false, false}, Params{16, true, false},
                                           Params{15, true, false}, Params{16, false, true}, Params{15, false, true},
                                           Params{16, true, true}, Params{15, true, true}),
                         [](const auto& info) {
                             return std::string(info.param.indexed ? "Indexed" : "Direct") +
                                    std::to_string(info.param.depth) + (info.param.wide ? "Wide" : "Narrow");
                         });

TEST(SpriteDrawing, FadeGreysOfBothLayouts)
{
    EXPECT_EQ(FadeGrey(0, 16), 0);
    EXPECT_EQ(FadeGrey(127, 16), 0xFFFF);
    EXPECT_EQ(FadeGrey(127, 15), 0x7FFF);
    EXPECT_EQ(FadeGrey(10, 16), (2 << 11) | (5 << 5) | 2);
    EXPECT_EQ(FadeGrey(10, 15), (2 << 10) | (2 << 5) | 2);
}

} // namespace
