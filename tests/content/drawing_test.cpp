// The drawing helpers the pictures are made with: anti-aliased shapes cover the right area,
// lettering lands where it is placed, palette reduction and display dithering keep colours.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <set>

#include "common/canvas.h"
#include "common/images.h"
#include "common/lettering.h"
#include "common/quantise.h"
#include "common/trig.h"

namespace {

using namespace content;

float Sum(const Coverage& c) { return std::accumulate(c.values.begin(), c.values.end(), 0.0f); }

TEST(Drawing, ShapesCoverTheirAreaWithSoftEdges)
{
    Coverage square(40, 40);
    FillPolygon(&square, {{10.25f, 10.5f}, {30.25f, 10.5f}, {30.25f, 30.5f}, {10.25f, 30.5f}});
    EXPECT_NEAR(Sum(square), 400.0f, 0.5f);
    EXPECT_FLOAT_EQ(square.At(20, 20), 1.0f);
    EXPECT_NEAR(square.At(10, 20), 0.75f, 0.01f); // a pixel three quarters inside
    EXPECT_EQ(square.At(5, 5), 0.0f);

    // Winding: the same triangle listed either way round fills the same.
    Coverage a(40, 40), b(40, 40);
    FillPolygon(&a, {{2, 2}, {38, 5}, {12, 37}});
    FillPolygon(&b, {{12, 37}, {38, 5}, {2, 2}});
    for (size_t i = 0; i < a.values.size(); ++i) ASSERT_NEAR(a.values[i], b.values[i], 1e-4f) << i;
    EXPECT_NEAR(Sum(a), 0.5f * std::abs((38 - 2) * (37 - 2) - (12 - 2) * (5 - 2)), 1.0f);

    Coverage disc(60, 60);
    FillEllipse(&disc, {30, 30}, 20, 20);
    EXPECT_NEAR(Sum(disc), static_cast<float>(kPi) * 400.0f, 6.0f);
    // Shapes drawn partly outside are clipped, not wrapped or crashed.
    Coverage edge(10, 10);
    FillEllipse(&edge, {0, 0}, 30, 30);
    StrokeLine(&edge, {-50, 5}, {50, 5}, 3);
    FillPolygon(&edge, {{-100, -100}, {100, -100}, {0, 100}});
    EXPECT_NEAR(Sum(edge), 100.0f, 0.01f);
}

TEST(Drawing, WrappedBlurKeepsATileSeamless)
{
    Coverage tile(32, 16);
    tile.At(0, 0) = 1.0f; // a dot on the corner spreads into all four corners
    BlurCoverage(&tile, 2, true);
    EXPECT_NEAR(Sum(tile), 1.0f, 1e-4f);
    EXPECT_FLOAT_EQ(tile.At(31, 0), tile.At(1, 0));
    EXPECT_FLOAT_EQ(tile.At(0, 15), tile.At(0, 1));
}

TEST(Drawing, LetteringIsPlacedAsAligned)
{
    const TextStyle style{Typeface::Serif, 24.0f, 4.0f};
    const float width = MeasureText(style, "VELA");
    EXPECT_GT(width, 40.0f);
    EXPECT_GT(width, MeasureText({Typeface::Serif, 24.0f, 0.0f}, "VELA") + 11.0f); // three gaps of 4
    for (Align align : {Align::Left, Align::Centre, Align::Right}) {
        Coverage ink(200, 50);
        DrawText(&ink, style, "VELA", 100.0f, 40.0f, align);
        int left = 200, right = -1, top = 50, bottom = -1;
        for (int y = 0; y < 50; ++y)
            for (int x = 0; x < 200; ++x)
                if (ink.At(x, y) > 0.2f) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        const float expectedLeft = align == Align::Left ? 100.0f : align == Align::Centre ? 100.0f - width / 2 : 100.0f - width;
        EXPECT_NEAR(left, expectedLeft, 3.0f);
        EXPECT_NEAR(right, expectedLeft + width, 3.0f);
        EXPECT_LE(bottom, 40); // capitals sit on the baseline
        EXPECT_NEAR(40 - top, CapHeight(style), 2.0f);
    }
}

TEST(Drawing, DitherKeepsBlackAndTheMeanOfFlatAreas)
{
    for (int level : {0, 3, 37, 100, 201, 254, 255}) {
        ImageRgb flat(16, 16, {static_cast<uint8_t>(level), static_cast<uint8_t>(level), static_cast<uint8_t>(level)});
        DitherForDisplay(&flat);
        double red = 0, green = 0;
        std::set<int> reds;
        for (size_t i = 0; i < flat.rgb.size(); i += 3) {
            // What the display shows of red and green: the kept bits, repeated.
            red += (flat.rgb[i] >> 3 << 3) | flat.rgb[i] >> 5;
            green += (flat.rgb[i + 1] >> 2 << 2) | flat.rgb[i + 1] >> 6;
            reds.insert(flat.rgb[i]);
        }
        EXPECT_NEAR(red / 256, level, 4.5) << level;
        EXPECT_NEAR(green / 256, level, 2.5) << level;
        for (int r : reds) EXPECT_EQ(r >> 3 << 3 | r >> 5, r) << level; // stored on display levels
        if (level == 0) {
            EXPECT_EQ(reds, std::set<int>{0});
        }
    }
}

TEST(Drawing, PaletteReductionKeepsFewColoursAndNeverUsesIndexZero)
{
    ImageRgb picture(64, 8);
    const Colour colours[] = {{0, 0, 0}, {255, 0, 0}, {8, 12, 248}, {132, 132, 132}};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 64; ++x) picture.Set(x, y, colours[(x / 16 + y) % 4]);
    const IndexedPicture indexed = QuantisePicture(picture, 1);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 64; ++x) {
            const uint8_t index = indexed.image.At(x, y);
            ASSERT_NE(index, 0);
            const Colour c = indexed.palette.colours[index], want = colours[(x / 16 + y) % 4];
            // Exact up to the levels the display shows.
            EXPECT_EQ(c.r >> 3, want.r >> 3);
            EXPECT_EQ(c.g >> 2, want.g >> 2);
            EXPECT_EQ(c.b >> 3, want.b >> 3);
        }
    }
    // Many colours: every pixel still finds an entry close to its own.
    ImageRgb ramp(256, 4);
    for (int x = 0; x < 256; ++x)
        for (int y = 0; y < 4; ++y) ramp.Set(x, y, {static_cast<uint8_t>(x), static_cast<uint8_t>(255 - x), static_cast<uint8_t>(y * 60)});
    const IndexedPicture reduced = QuantisePicture(ramp, 1);
    for (int x = 0; x < 256; x += 5) {
        const Colour c = reduced.palette.colours[reduced.image.At(x, 3)];
        EXPECT_NEAR(c.r, x, 12);
        EXPECT_NEAR(c.b, 180, 12);
    }
}

TEST(Drawing, SineFromArithmeticMatchesTheCircle)
{
    for (int i = -40; i <= 40; ++i) {
        const double turns = i / 16.0 + 0.01;
        EXPECT_NEAR(SinTurns(turns), std::sin(2 * kPi * turns), 1e-9) << turns;
        EXPECT_NEAR(CosTurns(turns), std::cos(2 * kPi * turns), 1e-9) << turns;
    }
}

} // namespace
