// Light flares: edge fade, occlusion by the depth buffer, sprite choice, saturation at both
// pixel layouts, and the flare step's projection.
#include <gtest/gtest.h>

#include <vector>

#include "engine/flares.h"
#include "rasteriser_test_view.h"

namespace {

constexpr uint32_t kDepth = 0x01000000 + 1000;

// Glow rows that ignore the texel's value where it is not 0: row c gives c >> 2.
class FlareTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        glow_.assign(65536, 0);
        for (int c = 0; c < 256; ++c) {
            for (int t = 1; t < 256; ++t) glow_[c * 256 + t] = static_cast<uint8_t>(c >> 2);
        }
        engine.glowTable = glow_.data();
        picture_.assign(65536, 1);
    }
    void TearDown() override { engine.glowTable = nullptr; }

    // Green of the 5-6-5 pixel at the flare's centre after drawing white at (x16, y16).
    int GreenAt(TestView& view, int32_t x16, int32_t y16, int px, int py)
    {
        DrawFlare(raster.colourBase, x16, y16, 160, 255, 255, 255, 0, kDepth, picture_.data());
        return (view.Pixel(px, py) >> 5) & 63;
    }

    std::vector<uint8_t> glow_, picture_;
};

} // namespace

TEST_F(FlareTest, CentreBeyondAnEdgeFadesInSteps)
{
    const struct {
        int32_t x16;
        int green; // white's row 255 gives 63; each fade step halves the colour first
    } cases[] = {{0, 63}, {-1, 127 >> 2}, {-16, 127 >> 2}, {-17, 63 >> 2}, {-33, 31 >> 2},
                 {-50, 15 >> 2}, {-64, 15 >> 2}, {-65, 0}};
    for (const auto& c : cases) {
        TestView view(64, 48);
        EXPECT_EQ(GreenAt(view, c.x16, 24 * 16, 0, 24), c.green) << c.x16;
    }
    // The right and bottom edges count from the clip bounds themselves.
    TestView right(64, 48);
    EXPECT_EQ(GreenAt(right, 64 * 16, 24 * 16, 63, 24), 127 >> 2);
    TestView far(64, 48);
    EXPECT_EQ(GreenAt(far, 64 * 16 + 64, 24 * 16, 63, 24), 0);
    TestView bottom(64, 48);
    EXPECT_EQ(GreenAt(bottom, 32 * 16, 48 * 16 + 40, 32, 47), 31 >> 2);
    // A corner fades along both axes.
    TestView corner(64, 48);
    EXPECT_EQ(GreenAt(corner, -20, -20, 0, 0), 15 >> 2);
}

TEST_F(FlareTest, NearerDepthValuesHideOrDimTheFlare)
{
    // Away from the border: 8 covered samples of 49 halve, 47 dim by 5 steps, 48 hide.
    for (const auto& [covered, green] : {std::pair{7, 63}, {8, 127 >> 2}, {47, 7 >> 2}, {48, 0}}) {
        TestView view(64, 48);
        int n = 0;
        for (int y = 21; y <= 27 && n < covered; ++y) {
            for (int x = 29; x <= 35 && n < covered; ++x, ++n) view.Depth(x, y) = kDepth + 1;
        }
        EXPECT_EQ(GreenAt(view, 32 * 16, 24 * 16, 32, 24), green) << covered;
    }
    // Samples outside the 7x7 block and equal depths do not count.
    TestView equal(64, 48);
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) equal.Depth(x, y) = (x >= 29 && x <= 35 && y >= 21 && y <= 27) ? kDepth : kDepth + 9;
    }
    EXPECT_EQ(GreenAt(equal, 32 * 16, 24 * 16, 32, 24), 63);
    // Within 3 pixels of the border the centre's own value decides alone.
    TestView border(64, 48);
    border.Depth(2, 24) = kDepth + 1;
    EXPECT_EQ(GreenAt(border, 2 * 16 + 8, 24 * 16, 2, 24), 0);
    TestView borderOpen(64, 48);
    for (int y = 21; y <= 27; ++y) {
        for (int x = 0; x <= 5; ++x) borderOpen.Depth(x, y) = kDepth + 1;
    }
    borderOpen.Depth(2, 24) = kDepth;
    EXPECT_EQ(GreenAt(borderOpen, 2 * 16 + 8, 24 * 16, 2, 24), 63);
}

TEST_F(FlareTest, FlagPicksTheQuarterOfThePicture)
{
    // Row 255 of the glow table maps a texel to itself: each quarter holds its own level.
    for (int t = 0; t < 64; ++t) glow_[255 * 256 + t] = static_cast<uint8_t>(t);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) picture_[y * 256 + x] = static_cast<uint8_t>(10 * (1 + (x >= 128) + 2 * (y >= 128)));
    }
    for (int flag = 0; flag < 4; ++flag) {
        TestView view(64, 48);
        DrawFlare(raster.colourBase, 32 * 16, 24 * 16, 320, 255, 255, 255, flag, kDepth, picture_.data());
        const int level = 10 * (flag + 1);
        EXPECT_EQ(view.Pixel(32, 24), (level >> 1) << 11 | level << 5 | (level >> 1)) << flag;
        // The square is size16 wide: 20 pixels centred on the flare, nothing outside it.
        EXPECT_EQ(view.CountNot(0), 400) << flag;
        EXPECT_NE(view.Pixel(22, 14), 0);
        EXPECT_EQ(view.Pixel(21, 24), 0);
        EXPECT_EQ(view.Pixel(42, 24), 0);
    }
}

TEST_F(FlareTest, OverlappingFlaresSaturateAtBothLayouts)
{
    for (int bits : {16, 15}) {
        TestView view(32, 32, bits);
        for (int i = 0; i < 12; ++i) DrawFlare(raster.colourBase, 256, 256, 160, 40, 120, 255, 0, kDepth, picture_.data());
        const uint16_t p = view.Pixel(16, 16);
        EXPECT_TRUE(view.GuardsIntact());
        if (bits == 16) {
            EXPECT_EQ(p, 31 << 11 | 63 << 5 | 31);
        } else {
            EXPECT_EQ(p, 31 << 10 | 31 << 5 | 31);
        }
    }
}

TEST_F(FlareTest, DegenerateSizesAndHugeSquaresStayInsideTheView)
{
    TestView view(40, 30);
    DrawFlare(raster.colourBase, 320, 240, 0, 255, 255, 255, 0, kDepth, picture_.data());
    DrawFlare(raster.colourBase, 320, 240, -5, 255, 255, 255, 0, kDepth, picture_.data());
    EXPECT_EQ(view.CountNot(0), 0);
    DrawFlare(raster.colourBase, 320, 240, 1, 255, 255, 255, 3, kDepth, picture_.data());
    DrawFlare(raster.colourBase, 10, 10, 0x7FFFFFFF, 255, 255, 255, 3, kDepth, picture_.data());
    EXPECT_EQ(view.CountNot(0), 40 * 30);
    EXPECT_TRUE(view.GuardsIntact());
}

TEST_F(FlareTest, TheFlareStepProjectsShownFlaresInFrontOfTheCamera)
{
    TestView view(64, 48);
    engine.focal16 = 512.0f;
    engine.centreX16 = 64 * 8;
    engine.centreY16 = 48 * 8 - 8;
    Scene scene{};
    SceneFlare flare{};
    flare.size = 0.5f; // empty tracks: position (1, 1, 1), colour white
    flare.picture = picture_.data();
    scene.flares = &flare;
    FlareCamera camera{{1, 0, 1}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    DrawSceneFlares(scene, 0.0f, raster.colourBase, camera, nullptr);
    // Straight ahead at depth 1: the centre of the view, 256/16 = 16 pixels wide.
    EXPECT_EQ(view.CountNot(0), 16 * 16);
    EXPECT_NE(view.Pixel(32, 23), 0);

    TestView behind(64, 48);
    camera.forward = {0, -1, 0};
    DrawSceneFlares(scene, 0.0f, raster.colourBase, camera, nullptr);
    EXPECT_EQ(behind.CountNot(0), 0);

    TestView hidden(64, 48);
    camera.forward = {0, 1, 0};
    float toggle = 5.0f;
    flare.visibilityToggles = {1, &toggle};
    DrawSceneFlares(scene, 6.0f, raster.colourBase, camera, nullptr);
    EXPECT_EQ(hidden.CountNot(0), 0);
    DrawSceneFlares(scene, 4.0f, raster.colourBase, camera, nullptr);
    EXPECT_EQ(hidden.CountNot(0), 16 * 16);
}
