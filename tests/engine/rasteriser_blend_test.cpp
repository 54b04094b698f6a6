// Pixel arithmetic of the blends at both depths, the routine each fill picks for the current
// blend and depth, and the depth test with its frame stamp.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "engine/raster/span_blend.h"
#include "engine/render_modes.h"
#include "formats/pixel_format.h"
#include "rasteriser_test_view.h"

namespace {

struct Fields {
    int shift[3]; // red, green, blue
    int bits[3];
};
Fields FieldsOf(int bitsPerPixel)
{
    if (bitsPerPixel == 16) return {{11, 5, 0}, {5, 6, 5}};
    return {{10, 5, 0}, {5, 5, 5}};
}
int Component(uint32_t pixel, const Fields& f, int c) { return (pixel >> f.shift[c]) & ((1 << f.bits[c]) - 1); }

uint16_t Halve(uint16_t p, int bitsPerPixel) { return HalfPixel(p, bitsPerPixel); }

} // namespace

TEST(RasteriserBlend, KnownValues)
{
    EXPECT_EQ(BlendPixelSlow(kBlendTrans, 16, 0x0000, 0x7BEF), 0x7BEF); // white over black
    EXPECT_EQ(BlendPixelSlow(kBlendAddit, 16, 0xFFFF, 0x7BEF), 0xFFFE);
    EXPECT_EQ(BlendPixelSlow(kBlendSoust, 16, 0x0000, 0x7BEF), 0x0000);
    EXPECT_EQ(BlendPixelSlow(kBlendOpaqu, 16, 0x1234, 0xBEEF), 0xBEEF);
    EXPECT_EQ(BlendPixelSlow(kBlendTrans, 15, 0x0000, 0x3DEF), 0x3DEF);
    EXPECT_EQ(BlendPixelSlow(kBlendAddit, 15, 0x7FFF, 0x3DEF), 0xFFFE);
    EXPECT_EQ(BlendPixelSlow(kBlendSoust, 15, 0x0000, 0x3DEF), 0x0000);
    // The 15-bit masks keep red out of bit 15 when nothing saturates.
    EXPECT_EQ(BlendPixelSlow(kBlendAddit, 15, 0x4210, 0x0000), 0x4210);
    EXPECT_EQ(BlendPixelSlow(kBlendAddit, 16, 0x8410, 0x0000), 0x8410);
    // SOUST of a colour from itself leaves black.
    EXPECT_EQ(BlendPixelSlow(kBlendSoust, 16, 0xFFFF, Halve(0xFFFF, 16)), 0x0000);
}

// Each component of the blended pixel against its own arithmetic on the halved values:
// TRANS adds, ADDIT adds and saturates (the guard bit of a saturated component lands in the
// lowest bit of the next one), SOUST subtracts and clamps at 0 (a borrow takes one from the
// next component up).
TEST(RasteriserBlend, ComponentsFollowTheHalvedArithmeticAtBothDepths)
{
    std::mt19937 rng(3);
    for (int bits : {16, 15}) {
        const Fields f = FieldsOf(bits);
        for (int trial = 0; trial < 20000; ++trial) {
            const uint16_t d = static_cast<uint16_t>(rng() & (bits == 16 ? 0xFFFF : 0x7FFF));
            const uint16_t s = Halve(static_cast<uint16_t>(rng()), bits);
            const uint16_t trans = BlendPixelSlow(kBlendTrans, bits, d, s);
            const uint16_t addit = BlendPixelSlow(kBlendAddit, bits, d, s);
            const uint16_t soust = BlendPixelSlow(kBlendSoust, bits, d, s);
            int borrow = 0;
            bool lowerSaturated = false;
            for (int c = 2; c >= 0; --c) { // blue, green, red
                const int half = (1 << (f.bits[c] - 1)) - 1;
                const int dc = Component(d, f, c) >> 1, sc = Component(s, f, c);
                ASSERT_LE(sc, half);
                ASSERT_EQ(Component(trans, f, c), dc + sc) << bits << " " << d << " " << s;
                const int sum = dc + sc;
                ASSERT_EQ(Component(addit, f, c) >> 1, std::min(sum, half)) << bits << " " << d << " " << s;
                ASSERT_EQ(Component(addit, f, c) & 1, lowerSaturated ? 1 : 0) << bits << " " << d << " " << s;
                lowerSaturated = sum > half;
                const int difference = dc - sc - borrow;
                ASSERT_EQ(Component(soust, f, c), 2 * std::max(difference, 0)) << bits << " " << d << " " << s;
                borrow = dc - sc - borrow < 0 ? 1 : 0;
            }
        }
    }
}

TEST(RasteriserBlend, EachFillPicksTheRoutineOfTheBlendAndDepth)
{
    std::mt19937 rng(5);
    std::vector<uint8_t> texture(65536, 7);
    for (int bits : {16, 15}) {
        for (int blend = 0; blend < 4; ++blend) {
            for (int fill = 0; fill < 6; ++fill) {
                TestView view(16, 16, bits);
                std::vector<uint16_t> background(256);
                for (int i = 0; i < 256; ++i) {
                    background[i] = static_cast<uint16_t>(rng() & (bits == 16 ? 0xFFFF : 0x7FFF));
                    view.Pixel(i % 16, i / 16) = background[i];
                }
                const uint16_t s = blend ? Halve(0xD6B5, bits) : 0xD6B5;
                std::vector<uint16_t> table(65536, s);
                raster.blend = blend;
                const TextureVertex tv[3] = {{0, 0, 0.5f, 0, 0}, {256, 0, 0.5f, 0, 0}, {0, 256, 0.5f, 0, 0}};
                const TextureShadedVertex sv[3] = {
                    {0, 0, 0.5f, 0, 0, 0}, {256, 0, 0.5f, 0, 0, 0}, {0, 256, 0.5f, 0, 0, 0}};
                const FlatVertex fv[3] = {Flat(0, 0), Flat(256, 0), Flat(0, 256)};
                const ShadedVertex hv[3] = {{0, 0, 0.5f, 0}, {256, 0, 0.5f, 0}, {0, 256, 0.5f, 0}};
                switch (fill) {
                case 0: FillFlat(fv, s); break;
                case 1: FillShaded(hv, table.data()); break;
                case 2: FillTexture(tv, texture.data(), table.data()); break;
                case 3: FillTexturePersp(tv, texture.data(), table.data()); break;
                case 4: FillTextureShaded(sv, texture.data(), table.data()); break;
                default: FillTextureShadedPersp(sv, texture.data(), table.data()); break;
                }
                int drawn = 0;
                for (int y = 0; y < 16; ++y) {
                    for (int x = 0; x < 16; ++x) {
                        const uint16_t old = background[y * 16 + x];
                        const bool inside = x + y < 16;
                        const uint16_t expected = inside ? BlendPixelSlow(blend, bits, old, s) : old;
                        ASSERT_EQ(view.Pixel(x, y), expected) << "bits " << bits << " blend " << blend << " fill " << fill;
                        // blended fills write depth too
                        ASSERT_EQ(view.Depth(x, y), inside ? 0x01000000u + 8388608u : 0u);
                        drawn += inside;
                    }
                }
                EXPECT_EQ(drawn, 136);
            }
        }
    }
}

TEST(RasteriserDepth, NearerAndEqualDepthsDrawFartherOnesDoNot)
{
    TestView view(16, 16);
    const FlatVertex square[2][3] = {{Flat(0, 0), Flat(256, 0), Flat(0, 256)}, {Flat(256, 0), Flat(256, 256), Flat(0, 256)}};
    auto draw = [&](float invDepth, uint16_t colour) {
        for (const auto& t : square) {
            const FlatVertex v[3] = {Flat(t[0].x16, t[0].y16, invDepth), Flat(t[1].x16, t[1].y16, invDepth),
                                     Flat(t[2].x16, t[2].y16, invDepth)};
            FillFlat(v, colour);
        }
    };
    draw(0.25f, 1);
    EXPECT_EQ(view.CountNot(1), 0);
    EXPECT_EQ(view.Depth(5, 5), 0x01000000u + 4194304u);
    draw(0.25f, 2); // the same depth overwrites
    EXPECT_EQ(view.CountNot(2), 0);
    draw(0.2f, 3); // farther
    EXPECT_EQ(view.CountNot(2), 0);
    EXPECT_EQ(view.Depth(5, 5), 0x01000000u + 4194304u);
    draw(0.5f, 4); // nearer
    EXPECT_EQ(view.CountNot(4), 0);

    // A new frame's stamp wins over anything stored in the frame before.
    engine.frameStamp = 0x02000000;
    view.Depth(3, 3) = 0x01FFFFFF;
    draw(0.01f, 5);
    EXPECT_EQ(view.CountNot(5), 0);
    EXPECT_EQ(view.Depth(3, 3), 0x02000000u + 167772u);
}

TEST(RasteriserDepth, DepthValuesFollowTheInverseDepthPlane)
{
    TestView view(64, 48);
    const FlatVertex v[3] = {Flat(20, 8, 0.9f), Flat(1000, 100, 0.1f), Flat(300, 740, 0.4f)};
    FillFlat(v, 9);
    // The plane of 1/depth through the three vertices, evaluated at each pixel.
    const double x0 = v[0].x16 / 16.0, y0 = v[0].y16 / 16.0, x1 = v[1].x16 / 16.0, y1 = v[1].y16 / 16.0;
    const double x2 = v[2].x16 / 16.0, y2 = v[2].y16 / 16.0;
    const double e = (x1 - x2) * (y0 - y2) - (x0 - x2) * (y1 - y2);
    const double a0 = v[0].invDepth - v[2].invDepth, a1 = v[1].invDepth - v[2].invDepth;
    const double gx = (a1 * (y0 - y2) - a0 * (y1 - y2)) / e, gy = (a0 * (x1 - x2) - a1 * (x0 - x2)) / e;
    int checked = 0;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            if (view.Pixel(x, y) != 9) continue;
            const double plane = v[2].invDepth + gx * (x - x2) + gy * (y - y2);
            const double expected = 16777216.0 * plane + 0x01000000;
            // fixed-point steps rounded once per triangle drift by at most a unit per row and column
            EXPECT_NEAR(static_cast<double>(view.Depth(x, y)), expected, 2.0 + x + y) << x << "," << y;
            ++checked;
        }
    }
    EXPECT_GT(checked, 500);
}
