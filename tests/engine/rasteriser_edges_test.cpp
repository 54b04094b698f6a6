// Coverage of the triangle fills: the top-left rule against an exact reference, shared edges
// filled once, degenerate and one-row triangles, and triangles reaching outside the view.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "engine/render_modes.h"
#include "rasteriser_test_view.h"

namespace {

// True when the sample point (16 c, 16 r) of pixel (c, r) lies inside the triangle with the
// top and left boundaries included and the bottom and right ones excluded, decided exactly
// from the edges that cross the row's line (each edge half-open in y).
bool Covers(const FlatVertex* v, int64_t c, int64_t r)
{
    using Wide = __int128;
    const Wide X = 16 * c, Y = 16 * r;
    Wide num[2], den[2];
    int n = 0;
    for (int e = 0; e < 3; ++e) {
        FlatVertex a = v[e], b = v[(e + 1) % 3];
        if (a.y16 > b.y16) std::swap(a, b);
        if (!(a.y16 <= Y && Y < b.y16)) continue;
        if (n == 2) return false;
        den[n] = Wide(b.y16) - a.y16;
        num[n] = Wide(a.x16) * den[n] + (Y - a.y16) * (Wide(b.x16) - a.x16);
        ++n;
    }
    if (n != 2) return false;
    // left = the smaller crossing
    const bool firstIsLeft = num[0] * den[1] <= num[1] * den[0];
    const int li = firstIsLeft ? 0 : 1, ri = 1 - li;
    return X * den[li] >= num[li] && X * den[ri] < num[ri];
}

// Draws with ADDIT so that every write of colour 1 adds 2 to the blue field: the pixel then
// counts the writes it received.
void DrawCounting(const FlatVertex* v)
{
    raster.blend = kBlendAddit;
    FillFlat(v, 1);
}

int32_t Writes(TestView& view, int32_t x, int32_t y) { return view.Pixel(x, y) / 2; }

FlatVertex RandomVertex(std::mt19937& rng, int32_t w, int32_t h, int32_t margin)
{
    std::uniform_int_distribution<int32_t> dx(-margin, w * 16 + margin), dy(-margin, h * 16 + margin);
    return Flat(dx(rng), dy(rng));
}

int64_t Side(const FlatVertex& a, const FlatVertex& b, const FlatVertex& p)
{
    return (int64_t{b.x16} - a.x16) * (int64_t{p.y16} - a.y16) - (int64_t{b.y16} - a.y16) * (int64_t{p.x16} - a.x16);
}

} // namespace

TEST(RasteriserEdges, MatchesTheExactTopLeftRuleInAnyVertexOrder)
{
    std::mt19937 rng(7);
    for (int trial = 0; trial < 300; ++trial) {
        TestView view(48, 40);
        FlatVertex v[3] = {RandomVertex(rng, 48, 40, 160), RandomVertex(rng, 48, 40, 160),
                           RandomVertex(rng, 48, 40, 160)};
        if (trial % 3 == 0) v[1].y16 = v[0].y16; // flat tops and bottoms
        if (trial % 5 == 0) v[2].x16 = v[1].x16; // vertical edges
        // Every order of the same three vertices covers the same pixels.
        const int order[6][3] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1}, {0, 2, 1}, {2, 1, 0}, {1, 0, 2}};
        const int o = trial % 6;
        const FlatVertex w[3] = {v[order[o][0]], v[order[o][1]], v[order[o][2]]};
        DrawCounting(w);
        for (int32_t y = 0; y < view.Height(); ++y) {
            for (int32_t x = 0; x < view.Width(); ++x) {
                ASSERT_EQ(Writes(view, x, y), Covers(v, x, y) ? 1 : 0)
                    << "trial " << trial << " pixel " << x << "," << y;
            }
        }
        ASSERT_TRUE(view.GuardsIntact()) << "trial " << trial;
    }
}

TEST(RasteriserEdges, TrianglesSharingAnEdgeFillEachPixelOnce)
{
    std::mt19937 rng(11);
    int32_t shared = 0;
    for (int trial = 0; trial < 400; ++trial) {
        TestView view(40, 32);
        const FlatVertex a = RandomVertex(rng, 40, 32, 48), b = RandomVertex(rng, 40, 32, 48);
        FlatVertex c = RandomVertex(rng, 40, 32, 48), d = RandomVertex(rng, 40, 32, 48);
        if (Side(a, b, c) == 0 || Side(a, b, d) == 0) continue;
        if ((Side(a, b, c) > 0) == (Side(a, b, d) > 0)) {
            // put d on the other side of a-b by reflecting it through the edge's midpoint
            d = Flat(a.x16 + b.x16 - d.x16, a.y16 + b.y16 - d.y16);
            if ((Side(a, b, c) > 0) == (Side(a, b, d) > 0) || Side(a, b, d) == 0) continue;
        }
        const FlatVertex first[3] = {a, b, c};
        const FlatVertex second[3] = {b, a, d};
        DrawCounting(first);
        DrawCounting(second);
        for (int32_t y = 0; y < view.Height(); ++y) {
            for (int32_t x = 0; x < view.Width(); ++x) {
                const int expected = (Covers(first, x, y) ? 1 : 0) + (Covers(second, x, y) ? 1 : 0);
                ASSERT_LE(expected, 1);
                ASSERT_EQ(Writes(view, x, y), expected) << "trial " << trial << " pixel " << x << "," << y;
                shared += expected;
            }
        }
    }
    EXPECT_GT(shared, 10000); // the sweep really drew
}

TEST(RasteriserEdges, AFanAroundOnePointLeavesNoGapAndNoOverlap)
{
    TestView view(64, 64);
    const FlatVertex centre = Flat(517, 509);
    constexpr int kSlices = 13;
    FlatVertex ring[kSlices];
    for (int i = 0; i < kSlices; ++i) {
        const float a = 6.2831853f * static_cast<float>(i) / kSlices;
        ring[i] = Flat(517 + static_cast<int32_t>(400 * std::cos(a)), 509 + static_cast<int32_t>(400 * std::sin(a)));
    }
    for (int i = 0; i < kSlices; ++i) {
        const FlatVertex t[3] = {centre, ring[i], ring[(i + 1) % kSlices]};
        DrawCounting(t);
    }
    // Inside the ring every pixel is written exactly once.
    for (int32_t y = 0; y < 64; ++y) {
        for (int32_t x = 0; x < 64; ++x) {
            ASSERT_LE(Writes(view, x, y), 1) << x << "," << y;
            if ((x * 16 - 517) * (x * 16 - 517) + (y * 16 - 509) * (y * 16 - 509) < 300 * 300) {
                ASSERT_EQ(Writes(view, x, y), 1) << x << "," << y;
            }
        }
    }
}

TEST(RasteriserEdges, DegenerateTrianglesDrawNothing)
{
    TestView view(32, 32);
    // All three vertices in the band of one row: (y + 15) >> 4 is 2 for each.
    const FlatVertex band[3] = {Flat(0, 17), Flat(400, 20), Flat(100, 32)};
    DrawCounting(band);
    // Collinear, on a slope.
    const FlatVertex line[3] = {Flat(0, 0), Flat(160, 80), Flat(320, 160)};
    DrawCounting(line);
    // One point three times, and a zero-height sliver.
    const FlatVertex point[3] = {Flat(80, 80), Flat(80, 80), Flat(80, 80)};
    DrawCounting(point);
    const FlatVertex sliver[3] = {Flat(0, 48), Flat(500, 48), Flat(200, 48)};
    DrawCounting(sliver);
    EXPECT_EQ(view.CountNot(0), 0);
}

TEST(RasteriserEdges, ATriangleCrossingOneRowLineFillsOnlyThatRow)
{
    TestView view(32, 8);
    const FlatVertex t[3] = {Flat(8, 10), Flat(200, 20), Flat(30, 30)}; // rows 1 only
    DrawCounting(t);
    int32_t filled = 0;
    for (int32_t y = 0; y < 8; ++y) {
        for (int32_t x = 0; x < 32; ++x) {
            EXPECT_EQ(Writes(view, x, y), Covers(t, x, y) ? 1 : 0) << x << "," << y;
            if (Writes(view, x, y)) {
                EXPECT_EQ(y, 1);
            }
            filled += Writes(view, x, y);
        }
    }
    EXPECT_GT(filled, 0);
}

TEST(RasteriserEdges, FarOutsideCoordinatesStayInsideTheBuffers)
{
    TestView view(24, 16);
    const int32_t big = 1 << 29;
    const FlatVertex huge[3] = {Flat(-big, -big), Flat(big, -big / 2), Flat(-big / 3, big)};
    DrawCounting(huge);
    for (int32_t y = 0; y < 16; ++y) {
        for (int32_t x = 0; x < 24; ++x) ASSERT_EQ(Writes(view, x, y), Covers(huge, x, y) ? 1 : 0);
    }
    // The mark of an unprojected vertex and the extremes of the coordinate range.
    const FlatVertex extreme[3] = {Flat(INT32_MIN, INT32_MIN), Flat(INT32_MAX, 0), Flat(0, INT32_MAX)};
    DrawCounting(extreme);
    const FlatVertex belowRight[3] = {Flat(24 * 16, 0), Flat(24 * 16 + 400, 0), Flat(24 * 16, 16 * 16 + 400)};
    view.Pixel(0, 0) = 0;
    DrawCounting(belowRight);
    EXPECT_TRUE(view.GuardsIntact());
}

// Triangles reaching millions of sixteenths outside the view take wider arithmetic than those
// near it; moving a triangle by whole pixels must move its pixels and values unchanged.
TEST(RasteriserEdges, TrianglesFarAndNearTheViewFillAlike)
{
    constexpr int32_t kWidth = 400, kHeight = 40, kShift = 200;
    std::vector<uint8_t> texture(65536);
    std::vector<uint16_t> table(65536);
    for (size_t i = 0; i < texture.size(); ++i) texture[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
    for (size_t i = 0; i < table.size(); ++i) table[i] = static_cast<uint16_t>(i * 40503u);
    std::mt19937 rng(11);
    std::uniform_int_distribution<int32_t> far(-(1 << 22) - 3000, -(1 << 22)), near(0, kWidth * 16),
        rows(-200, kHeight * 16 + 200);
    std::uniform_real_distribution<float> depth(0.1f, 0.9f), texel(0.0f, 300.0f * 65536.0f);
    int64_t drawn = 0;
    for (int trial = 0; trial < 40; ++trial) {
        TextureShadedVertex v[3];
        for (int i = 0; i < 3; ++i) {
            v[i] = {i == 0 ? far(rng) : near(rng), rows(rng), depth(rng), texel(rng), texel(rng), texel(rng) / 300.0f};
        }
        TextureShadedVertex moved[3];
        for (int i = 0; i < 3; ++i) moved[i] = v[i], moved[i].x16 += kShift * 16;

        TestView farView(kWidth, kHeight);
        FillTextureShaded(v, texture.data(), table.data());
        TestView nearView(kWidth, kHeight);
        FillTextureShaded(moved, texture.data(), table.data());
        for (int32_t y = 0; y < kHeight; ++y) {
            for (int32_t x = 0; x < kWidth - kShift; ++x) {
                ASSERT_EQ(farView.Pixel(x, y), nearView.Pixel(x + kShift, y)) << trial << " " << x << "," << y;
                ASSERT_EQ(farView.Depth(x, y), nearView.Depth(x + kShift, y)) << trial << " " << x << "," << y;
                drawn += farView.Depth(x, y) != 0;
            }
        }
        EXPECT_TRUE(farView.GuardsIntact() && nearView.GuardsIntact());
    }
    EXPECT_GT(drawn, 40 * 1000);
}
