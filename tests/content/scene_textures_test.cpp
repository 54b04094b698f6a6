// The scenes' textures as the engine will use them: stored in its row order, seamless where
// they repeat, flames and flare sprites fading to nothing at their cell edges, reflections
// that agree where the engine's lookup wraps.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "scenes/deck_under_stars.h"
#include "scenes/hall_of_fire.h"
#include "scenes/harbour_temple.h"
#include "scenes/orrery.h"
#include "scenes/sails_at_dawn.h"
#include "scenes/textures/fire_textures.h"
#include "scenes/textures/texture_canvas.h"

namespace {

using namespace content;

double Brightness(const Texture& t, int u, int v, int frame = 0)
{
    const Colour c = t.palette.colours[t.At(u, v, frame)];
    return 0.3 * c.r + 0.59 * c.g + 0.11 * c.b;
}

// A seam where the texture repeats: the brightness step across the wrap (last column to the
// first, or last row to the first) is far beyond the steps between neighbours inside it. Joints
// and tile edges make large steps too, so the wrap is measured against the largest step
// between two inside columns (or rows), not the mean.
void ExpectSeamless(const Texture& t, bool acrossU, bool acrossV, const std::string& what)
{
    for (int axis = 0; axis < 2; ++axis) {
        if (axis == 0 ? !acrossU : !acrossV) continue;
        auto at = [&](int i, int j) { return axis == 0 ? Brightness(t, i, j) : Brightness(t, j, i); };
        double largest = 0, wrap = 0;
        for (int i = 0; i < kTextureSize; ++i) {
            double step = 0;
            for (int j = 0; j < kTextureSize; ++j) step += std::fabs(at((i + 1) & 255, j) - at(i, j));
            step /= kTextureSize;
            if (i == kTextureSize - 1) wrap = step;
            else largest = std::max(largest, step);
        }
        EXPECT_LE(wrap, 1.2 * largest + 0.5) << what << (axis == 0 ? ": seam down the sides" : ": seam across the top");
    }
}

} // namespace

TEST(SceneTextures, AreStoredInTheEnginesRowOrder)
{
    // The engine takes a picture's rows in file order, and BMP files store the bottom row
    // first: texel row 0 must be the file's first row.
    Texture t = BlankTexture(2);
    t.At(3, 0, 0) = 11;
    t.At(4, 255, 1) = 22;
    const std::vector<uint8_t> bmp = EncodeTexture(t);
    ASSERT_GE(bmp.size(), 54u);
    auto word = [&](size_t at) { return bmp[at] | bmp[at + 1] << 8 | bmp[at + 2] << 16 | bmp[at + 3] << 24; };
    EXPECT_EQ(word(18), 256);
    EXPECT_EQ(word(22), 512);
    EXPECT_EQ(bmp[28], 8);
    const size_t pixels = static_cast<size_t>(word(10));
    EXPECT_EQ(bmp[pixels + 3], 11);
    EXPECT_EQ(bmp[pixels + 511 * 256 + 4], 22);
}

TEST(SceneTextures, RepeatingSurfacesHaveNoSeams)
{
    const std::vector<std::pair<std::string, std::function<Texture()>>> both = {
        {"temple stone", MakeTempleStoneTexture}, {"temple floor", MakeTempleFloorTexture},
        {"temple water", MakeTempleWaterTexture}, {"hall brick", MakeHallBrickTexture},
        {"hall floor", MakeHallFloorTexture},     {"deck planks", MakeDeckWoodTexture},
        {"deck sea", MakeDeckSeaTexture},         {"orrery brass", MakeOrreryBrassTexture},
        {"dawn sail", MakeDawnSailTexture},       {"dawn sea", MakeDawnSeaTexture},
    };
    for (const auto& [what, make] : both) ExpectSeamless(make(), true, true, what);
    // Round a column, a pillar, a mast or a planet only u wraps; down them v runs once.
    const std::vector<std::pair<std::string, std::function<Texture()>>> around = {
        {"temple column", MakeTempleColumnTexture}, {"hall pillar", MakeHallPillarTexture},
        {"night sky", MakeTempleSkyTexture},        {"deck sky", MakeDeckSkyTexture},
        {"orrery planet", MakeOrreryPlanetTexture}, {"dawn glow", MakeDawnGlowTexture},
    };
    for (const auto& [what, make] : around) ExpectSeamless(make(), true, false, what);
}

TEST(SceneTextures, FlameCellsBurnInsideTheirEdges)
{
    for (const Texture& sheet : {MakeTempleFlameTexture(), MakeHallFlameTexture(), MakeDeckFlameTexture()}) {
        for (int cell = 0; cell < kFlameCells; ++cell) {
            const int cu = (cell % 4) * kFlameCellSize, cv = (cell / 4) * kFlameCellSize;
            int lit = 0, edge = 0;
            for (int y = 0; y < kFlameCellSize; ++y) {
                for (int x = 0; x < kFlameCellSize; ++x) {
                    const uint8_t texel = sheet.At(cu + x, cv + y);
                    lit += texel != 0;
                    // Colour-keyed and added: the quad's own edges must not show.
                    if (x == 0 || y == 0 || x == kFlameCellSize - 1 || y == kFlameCellSize - 1) edge += texel != 0;
                }
            }
            EXPECT_EQ(edge, 0) << "cell " << cell;
            EXPECT_GT(lit, kFlameCellSize * kFlameCellSize / 12) << "cell " << cell << " burns";
        }
    }
    // The hearth's frames: a bed of embers along the bottom, nothing in the top row.
    const Texture fire = MakeHallFireTexture();
    ASSERT_EQ(fire.frames, 8);
    for (int f = 0; f < fire.frames; ++f) {
        int top = 0, bed = 0;
        for (int u = 0; u < kTextureSize; ++u) {
            top += fire.At(u, 0, f) != 0;
            bed += fire.At(u, 254, f) != 0;
        }
        EXPECT_EQ(top, 0) << "frame " << f;
        EXPECT_GT(bed, kTextureSize / 2) << "frame " << f;
    }
}

TEST(SceneTextures, FlareSpritesFadeOutBeforeTheirQuartersEdges)
{
    for (const Texture& picture : {MakeTempleFlareTexture(), MakeHallFlareTexture(), MakeOrreryFlareTexture(),
                                   MakeDawnSunTexture()}) {
        for (int sprite = 0; sprite < 4; ++sprite) {
            const int ou = (sprite & 1) * 128, ov = (sprite >> 1) * 128;
            int edge = 0;
            for (int k = 0; k < 128; ++k) {
                edge += picture.At(ou + k, ov) + picture.At(ou + k, ov + 127) + picture.At(ou, ov + k) + picture.At(ou + 127, ov + k);
            }
            EXPECT_EQ(edge, 0) << "sprite " << sprite;
            int brightest = 0;
            for (int y = 0; y < 128; ++y) {
                for (int x = 0; x < 128; ++x) brightest = std::max(brightest, static_cast<int>(picture.At(ou + x, ov + y)));
            }
            EXPECT_GT(brightest, 150) << "sprite " << sprite;
        }
    }
}

TEST(SceneTextures, ReflectionsAgreeAllRoundTheirRim)
{
    // Environment coordinates of a normal square to the view lie on the map's rim, and one
    // straight along the view's up axis lands on row 0 or 256 (which wraps to 0): the rim
    // must be one colour, or such normals flicker between sky and ground.
    for (const Texture& map : {MakeHallMetalTexture(), MakeOrreryGoldTexture()}) {
        const uint8_t rim = map.At(128, 0);
        int off = 0;
        for (int v = 0; v < kTextureSize; ++v) {
            for (int u = 0; u < kTextureSize; ++u) {
                const double x = (u + 0.5 - 128) / 128, y = (v + 0.5 - 128) / 128;
                if (x * x + y * y > 0.99) off += std::abs(map.At(u, v) - rim) > 2;
            }
        }
        EXPECT_EQ(off, 0);
    }
}
