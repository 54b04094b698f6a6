// The render-mode table seen through what uses it: every row, drawn by the frame pipeline with
// the tables set-up builds for its key, does what its name says and leaves its vertex records
// where the outline pass reads them; the codes of older scene files name rows of their own.
#include "engine/scene_test_support.h"

#include <array>
#include <climits>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/frame_pipeline.h"
#include "engine/raster/rasteriser.h"
#include "engine/render_modes.h"
#include "formats/pixel_format.h"

namespace {

// The three words of a row's name, as indices (map 0..4, shade 0..4, blend 0..3); false when
// the name is not MAP_SHADE_BLEND.
struct NameWords {
    int map = -1, shade = -1, blend = -1;
};

bool ReadName(const std::string& name, NameWords* words)
{
    static const std::array<std::string, 5> maps = {"NOMAP", "TEXTU", "ENVMA", "TEXTR", "ENVTR"};
    static const std::array<std::string, 5> shades = {"NOSHA", "SHADE", "FLATY", "GOURA", "FOGGY"};
    static const std::array<std::string, 4> blends = {"OPAQU", "TRANS", "ADDIT", "SOUST"};
    if (name.size() != 17 || name[5] != '_' || name[11] != '_') return false;
    for (int i = 0; i < 5; ++i) {
        if (name.substr(0, 5) == maps[i]) words->map = i;
        if (name.substr(6, 5) == shades[i]) words->shade = i;
        if (i < 4 && name.substr(12, 5) == blends[i]) words->blend = i;
    }
    return words->map >= 0 && words->shade >= 0 && words->blend >= 0;
}

// The frames of the test scene, each changing one thing against kBase.
constexpr float kBase = 0;         // light at the square, full level, fog far behind it
constexpr float kOtherLight = 10;  // the light turned away
constexpr float kOtherLevel = 20;  // the material's level (opacity track) lowered
constexpr float kFogged = 30;      // the square beyond the fog
constexpr float kOutlineOnly = 50; // outline flags 3: records projected, only the edges drawn

FsfVectorTrack Constant(Vec3 v) { return FsfVectorTrack{0, {MakeVectorKey(0, v)}}; }

// A 4 x 4 square 10 in front of a camera at the origin, mapped with the whole texture, with
// its four sides as open edges, in render mode `mode`.
FsfScene ModeScene(int32_t mode)
{
    FsfObject o;
    o.name = "square";
    o.number = 0;
    o.renderMode = mode;
    o.vertices = std::vector<Vec3>{{-2, 0, -2}, {2, 0, -2}, {2, 0, 2}, {-2, 0, 2}};
    constexpr float kEnd = 255 * 65536.0f;
    o.mapping = std::vector<std::array<float, 2>>{{0, 0}, {kEnd, 0}, {kEnd, kEnd}, {0, kEnd}};
    o.faces = std::vector<FsfFace>{{0, 0, 1, 2}, {0, 0, 2, 3}};
    o.edges = std::vector<FsfEdge>{{0, 1, 0, -1, -1}, {1, 2, 0, -1, -1}, {2, 3, 1, -1, -1}, {3, 0, 1, -1, -1}};
    o.flagTrack = {MakeStepWord(kBase, 0), MakeStepWord(kOutlineOnly, 3)};
    o.positionTrack = Constant({0, 10, 0});
    o.rotationTrack = Constant({0, 0, 0});
    o.boundCentre = Vec3{0, 0, 0};
    o.boundRadius = 3;

    FsfScene s = OneMaterialScene({o});
    // Lit texels stay below 192, so that no colour saturates and hides a change.
    s.materials[0].textureName = "TEX.BMP";
    s.materials[0].textureBase = 0.25f;
    s.materials[0].textureLightGain = 0.5f;
    s.materials[0].textureColourMix = 0.0f;
    s.materials[0].opacityTrack =
        FsfScalarTrack{0, {MakeScalarKey(kBase, 1), MakeScalarKey(kOtherLevel - 1, 1), MakeScalarKey(kOtherLevel, 0.3f),
                           MakeScalarKey(kOtherLevel + 1, 1), MakeScalarKey(100, 1)}};
    FsfCamera camera;
    camera.positionTrack = Constant({0, 0, 0});
    camera.targetTrack = Constant({0, 10, 0});
    camera.fovTrack = FsfScalarTrack{0, {MakeScalarKey(0, 20)}};
    FsfLight toward, away;
    toward.positionTrack = away.positionTrack = Constant({0, 0, 0});
    toward.targetTrack = Constant({0, 10, 0});
    away.targetTrack = Constant({0, -10, 0});
    s.cameras = {camera};
    s.lights = {toward, away};
    // The background is never cleared: the view keeps what the test fills it with.
    s.events = std::vector<FsfEvent>{
        MakeCameraEvent(kBase, 0),        MakeLightEvent(kBase, 0),         MakeFogEvent(kBase, 100, 500),
        MakeBackgroundEvent(kBase, -1, 0, 0), MakeLightEvent(kOtherLight, 1), MakeLightEvent(kOtherLight + 1, 0),
        MakeFogEvent(kFogged - 1, 100, 500), MakeFogEvent(kFogged, 1, 5),   MakeFogEvent(kFogged + 10, 100, 500)};
    return s;
}

class RenderModeTest : public SceneFixture {
protected:
    static constexpr int32_t kW = 80, kH = 60;

    void TearDown() override
    {
        // State the pipeline carries from view to view: do not leak it into other tests.
        engine.farDistance = 1.0e10f;
        engine.fovAngle = 1460;
        engine.lineMode = 0;
        engine.depthBias = 0.0f;
        engine.creaseLimit = 0.0f;
        engine.outlineMode = 0;
        raster = RasterState{};
        SceneFixture::TearDown();
    }
    std::vector<uint16_t> Render(float frame, uint16_t background)
    {
        std::vector<uint16_t> view(static_cast<size_t>(kW * kH), background);
        RenderScene(frame, reinterpret_cast<uint8_t*>(view.data()), nullptr);
        return view;
    }
    // Every texel of the current scene's texture frames replaced by f(texel).
    template <class F>
    void ChangeTexels(F f)
    {
        Material& m = *scene.materials;
        for (size_t i = 0; i < static_cast<size_t>(m.frameCount) * 65536; ++i) m.textureFrames[i] = f(m.textureFrames[i]);
    }
};

struct Channels {
    int r, g, b;
};
Channels Split(uint16_t p) { return {p >> 11, (p >> 5) & 63, p & 31}; }

int DistinctColours(const std::vector<uint16_t>& view, int32_t width, int32_t y, int32_t x0, int32_t x1)
{
    std::set<uint16_t> colours;
    for (int32_t x = x0; x < x1; ++x) colours.insert(view[static_cast<size_t>(y * width + x)]);
    return static_cast<int>(colours.size());
}

} // namespace

TEST_F(RenderModeTest, EveryRowDrawsAsItsNameSaysAndKeepsItsRecordsForTheOutline)
{
    Put("TEX.BMP", ColumnTexture());
    // Mid grey: adding or taking away what the square draws stays within the channels' range.
    const uint16_t kBackground = PackColour(128, 128, 128, 16), kOtherBackground = PackColour(192, 192, 192, 16);
    const std::vector<uint16_t> empty(static_cast<size_t>(kW * kH), kBackground);
    const size_t centre = static_cast<size_t>(kH / 2 * kW + kW / 2);
    std::vector<uint16_t> referenceOutline;

    for (int32_t row = 0; row < kRenderModeCount; ++row) {
        const std::string name = RenderModeTable[row].name;
        SCOPED_TRACE(name);
        ASSERT_EQ(Load(WriteFsf(ModeScene(row))), 0);
        ASSERT_EQ(EngineInit(kW, kH, 16), 0);

        const std::vector<uint16_t> base = Render(kBase, kBackground);
        EXPECT_NE(base, empty) << "drew nothing: its key asks for other tables than its renderer reads";
        // Edges alone: every renderer's records must sit where the outline pass reads them,
        // so the lines come out the same whatever the row.
        const std::vector<uint16_t> outline = Render(kOutlineOnly, kBackground);
        EXPECT_NE(outline, empty);
        if (referenceOutline.empty()) referenceOutline = outline;
        EXPECT_EQ(outline, referenceOutline) << "the outline read the records at another spacing";
        if (row == 0) {
            EXPECT_EQ(name, "Wire");
            FreeEngineScene(&scene);
            continue;
        }

        NameWords words;
        ASSERT_TRUE(ReadName(name, &words));

        // The blend word: how the square's centre combines with what the view held.
        const Channels a = Split(base[centre]), b = Split(Render(kBase, kOtherBackground)[centre]);
        const Channels bgA = Split(kBackground), bgB = Split(kOtherBackground);
        switch (words.blend) {
        case kBlendOpaqu:
            EXPECT_EQ(base[centre], Render(kBase, kOtherBackground)[centre]);
            break;
        case kBlendTrans: // half the view plus half the colour
            EXPECT_EQ(b.r - a.r, (bgB.r >> 1) - (bgA.r >> 1));
            EXPECT_EQ(b.g - a.g, (bgB.g >> 1) - (bgA.g >> 1));
            EXPECT_EQ(b.b - a.b, (bgB.b >> 1) - (bgA.b >> 1));
            break;
        case kBlendAddit:
            EXPECT_TRUE(a.r >= bgA.r && a.g >= bgA.g && a.b >= bgA.b && base[centre] != kBackground);
            EXPECT_TRUE(b.r >= bgB.r && b.g >= bgB.g && b.b >= bgB.b);
            break;
        case kBlendSoust:
            EXPECT_TRUE(a.r <= bgA.r && a.g <= bgA.g && a.b <= bgA.b && base[centre] != kBackground);
            EXPECT_TRUE(b.r <= bgB.r && b.g <= bgB.g && b.b <= bgB.b);
            break;
        default: break;
        }

        // The shade word: what the square's colours follow.
        const bool followsLight = Render(kOtherLight, kBackground) != base;
        const bool followsLevel = Render(kOtherLevel, kBackground) != base;
        const bool followsFog = Render(kFogged, kBackground) != base;
        EXPECT_EQ(followsLight, words.shade == kShadeFlaty || words.shade == kShadeGoura);
        EXPECT_EQ(followsLevel, words.shade == kShadeShade);
        EXPECT_EQ(followsFog, words.shade == kShadeFoggy);

        // The map word: whether the texture shows, laid by the mapping across the square (a
        // flat square's normals give one environment texel), and whether texel 0 is a hole.
        const bool mapped = words.map == kMapTextu || words.map == kMapTextr;
        EXPECT_EQ(DistinctColours(base, kW, kH / 2, kW / 2 - 12, kW / 2 + 12) > 8, mapped);
        if (words.map == kMapNomap) {
            EXPECT_EQ(scene.materials->textureFrames, nullptr);
        } else {
            ASSERT_NE(scene.materials->textureFrames, nullptr);
            ChangeTexels([](uint8_t t) { return static_cast<uint8_t>(t + 128); });
            EXPECT_NE(Render(kBase, kBackground), base) << "the texture does not show";
            ChangeTexels([](uint8_t) { return uint8_t{0}; });
            const bool holes = Render(kBase, kBackground) == empty;
            EXPECT_EQ(holes, words.map == kMapTextr || words.map == kMapEnvtr);
        }
        FreeEngineScene(&scene);
    }
}

TEST(RenderModeRows, NumbersOutsideTheTableNameNoRow)
{
    EXPECT_NE(RenderModeRow(0), nullptr);
    EXPECT_NE(RenderModeRow(kRenderModeCount - 1), nullptr);
    EXPECT_EQ(RenderModeRow(kRenderModeCount), nullptr);
    EXPECT_EQ(RenderModeRow(-1), nullptr);
    EXPECT_EQ(RenderModeRow(INT32_MIN), nullptr);
}

// Scene files older than the row numbering name modes by codes 0 .. 48, which loading turns
// into rows. Each code names a row of its own that carries it back; code 10 is the wireframe,
// and a code no row carries falls back to it (-1, the mark of rows without a code, finds the
// first such row). The codes came in families: a shading and blending with a code for one
// textured map has one for all four, and the untextured codes are the four shaded opaque modes.
TEST(RenderModeLegacyCodes, EachCodeNamesARowOfItsOwnInFamilies)
{
    std::set<int32_t> rows;
    std::array<std::set<std::pair<int, int>>, 5> byMap;
    for (int32_t code = 0; code <= 48; ++code) {
        const int32_t row = FindRenderModeByLegacyCode(code);
        EXPECT_EQ(RenderModeTable[row].legacyCode, code) << code;
        rows.insert(row);
        if (row == 0) {
            EXPECT_EQ(code, 10);
            continue;
        }
        NameWords words;
        ASSERT_TRUE(ReadName(RenderModeTable[row].name, &words)) << code;
        byMap[words.map].insert({words.shade, words.blend});
    }
    EXPECT_EQ(rows.size(), 49u);
    EXPECT_FALSE(byMap[kMapTextu].empty());
    for (int map : {kMapEnvma, kMapTextr, kMapEnvtr}) EXPECT_EQ(byMap[map], byMap[kMapTextu]) << map;
    const std::set<std::pair<int, int>> shadedOpaque = {
        {kShadeShade, kBlendOpaqu}, {kShadeFlaty, kBlendOpaqu}, {kShadeGoura, kBlendOpaqu}, {kShadeFoggy, kBlendOpaqu}};
    EXPECT_EQ(byMap[kMapNomap], shadedOpaque);

    for (int32_t unknown : {49, 99, 1000, INT32_MIN, INT32_MAX}) EXPECT_EQ(FindRenderModeByLegacyCode(unknown), 0) << unknown;
    EXPECT_EQ(FindRenderModeByLegacyCode(-1), 1);
}
