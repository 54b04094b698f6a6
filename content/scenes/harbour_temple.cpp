#include "scenes/harbour_temple.h"

#include <algorithm>
#include <string>

#include "scenes/builders/materials.h"
#include "scenes/builders/primitives.h"
#include "scenes/builders/render_modes.h"
#include "scenes/builders/scene_math.h"
#include "scenes/builders/scene_objects.h"
#include "scenes/builders/tracks.h"
#include "scenes/textures/fire_textures.h"
#include "scenes/textures/sky_textures.h"
#include "scenes/textures/surface_textures.h"

namespace content {
namespace {

// The platform's top is z = 0; the water lies 20 below it.
constexpr float kWater = -20;
constexpr float kColumnX = 45;
constexpr float kColumnHeight = 64;
constexpr float kHallEnd = 240;

struct Materials {
    uint32_t stone, floor, column, water, sky, flame, bowl, hills, metal, glint;
};

Materials AddTempleMaterials(FsfScene& s)
{
    const Ramp night{{12, 14, 32}, {64, 72, 112}, {176, 178, 206}, 6, 0.35f};
    Materials m{};
    m.stone = AddMaterial(s, TextureMaterial("stone", "STONE.BMP", {0.3f, 0.9f, 0.1f}, night));
    // Fogged surfaces fade into the haze of the horizon.
    const Rgb haze{22, 26, 52};
    m.floor = AddMaterial(s, TextureMaterial("floor", "FLOOR.BMP", kFoggedTexture, FogRamp(haze)));
    m.column = AddMaterial(s, TextureMaterial("column", "COLUMN.BMP", {0.32f, 0.95f, 0.1f}, night));
    m.water = AddMaterial(s, TextureMaterial("water", "WATER.BMP", kFoggedTexture, FogRamp(haze)));
    m.sky = AddMaterial(s, TextureMaterial("sky", "SKY.BMP", {1.0f, 0.0f, 0.0f}));
    m.flame = AddMaterial(s, TextureMaterial("flame", "FLAMES.BMP", {1.0f, 0.0f, 0.0f}));
    FsfMaterial bowl = ColourMaterial("bowl", {{30, 16, 10}, {120, 62, 22}, {240, 150, 60}, 4, 0.4f});
    // The glow of the bowls breathes with the flames.
    bowl.opacityTrack = SmoothScalarTrack({{0, 0.45f}, {7, 0.65f}, {13, 0.4f}, {21, 0.7f}, {30, 0.5f}, {36, 0.45f}},
                                          true);
    m.bowl = AddMaterial(s, bowl);
    m.hills = AddMaterial(s, ColourMaterial("hills", {haze, {10, 12, 26}, {14, 16, 34}, 2, 0.2f}));
    m.metal = AddMaterial(s, ColourMaterial("iron", {{8, 8, 12}, {40, 38, 44}, {120, 110, 110}, 10, 0.4f}));
    m.glint = AddMaterial(s, TextureMaterial("glint", "FLAMES.BMP", {0.0f, 0.7f, 0.0f}, FogRamp({0, 0, 0})));
    return m;
}

Mesh ColumnMesh()
{
    LatheOptions o;
    o.segments = 10;
    o.uRepeats = 2;
    o.texelsPerUnit = 4;
    const std::vector<ProfilePoint> profile = {
        {6.0f, 3.0f, true}, {6.2f, 4.2f}, {5.2f, 6.0f, true}, {4.8f, 6.0f, true}, {4.2f, 55.0f, true},
        {5.4f, 57.5f}, {6.6f, 59.0f, true}, {0.0f, 59.0f}};
    Mesh m = MakeLathe(profile, o);
    AppendMesh(m, MakeBox({-6.5f, -6.5f, 0}, {6.5f, 6.5f, 3}, 4));
    AppendMesh(m, MakeBox({-7.5f, -7.5f, 59}, {7.5f, 7.5f, kColumnHeight}, 4));
    return m;
}

Mesh LampMesh()
{
    Mesh m = MakeCylinder(0.8f, 0, 24, 6, 8, false);
    LatheOptions o;
    o.segments = 8;
    const std::vector<ProfilePoint> bowl = {{0.8f, 23.0f}, {3.5f, 25.0f}, {4.5f, 28.0f, true}, {3.6f, 28.0f}};
    Mesh b = MakeLathe(bowl, o);
    SetMaterial(b, 1);
    AppendMesh(m, b);
    return m;
}

void AddLamp(FsfScene& s, const Materials& m, const std::string& name, Vec3 at, float phase)
{
    FsfObject post = MeshObject(name, LampMesh(), {m.metal, m.bowl}, RenderMode(Map::Nomap, Shade::Shade, Blend::Opaqu));
    post.positionTrack = ConstantVectorTrack(at);
    const int32_t number = AddObject(s, post);
    // Flames are children of the lamp, so they stand in its bowl wherever it is.
    FsfObject flame = MeshObject(name + "_flame", MakeBillboards(2, 7, 11, {1, 1}, {63, 63}), {m.flame},
                                 RenderMode(Map::Textr, Shade::Nosha, Blend::Addit));
    flame.positionTrack = ConstantVectorTrack({0, 0, 26.5f});
    flame.cullToggles = std::vector<float>{0};
    std::vector<Uv> cells;
    for (int k = 0; k < kFlameCells; ++k) cells.push_back({static_cast<float>(64 * (k % 4)), static_cast<float>(64 * (k / 4))});
    // Each lamp starts at its own cell so they do not flicker in step.
    std::rotate(cells.begin(), cells.begin() + static_cast<long>(phase * kFlameCells) % kFlameCells, cells.end());
    flame.uvTrack = FlipbookTrack(cells, 0.5f);
    AddObject(s, flame, number);
    FsfFlare glow = MakeFlare(name + "_glow", {0, 0, 31}, 16, {1.0f, 0.62f, 0.28f}, 0);
    glow.parent = ObjectReference(number);
    s.flares.push_back(glow);
}

// The light of a lamp on the quay trembling on the water below it: a long flat strip of
// flame texture added to the water, stretched towards the viewer.
void AddReflection(FsfScene& s, const Materials& m, const std::string& name, Vec3 at, float toward)
{
    Mesh strip;
    AddQuad(strip, {-6, 60 * toward, 0}, {6, 60 * toward, 0}, {6, 0, 0}, {-6, 0, 0}, {12, 62}, {52, 62}, {52, 20}, {12, 20});
    if (toward > 0) FlipMesh(strip);
    FsfObject o = MeshObject(name, strip, {m.glint}, RenderMode(Map::Textr, Shade::Foggy, Blend::Addit));
    o.positionTrack = ConstantVectorTrack({at.x, at.y, kWater + 0.3f});
    o.uvTrack = FlipbookTrack({{0, 0}, {64, 64}, {128, 0}, {192, 128}, {0, 192}, {128, 128}}, 0.7f);
    AddObject(s, o);
}

void AddArchitecture(FsfScene& s, const Materials& m)
{
    const int32_t flaty = RenderMode(Map::Textu, Shade::Flaty, Blend::Opaqu);
    // The platform's sides and the two bastions that flank the stairs.
    Mesh platform = MakeBox({-70, 0, kWater - 4}, {70, kHallEnd + 20, 0}, 6);
    AddObject(s, MeshObject("platform", platform, {m.stone}, flaty));
    for (int side = 0; side < 2; ++side) {
        const float x0 = side ? 25.0f : -70.0f, x1 = side ? 70.0f : -25.0f;
        AddObject(s, MeshObject(side ? "bastion_east" : "bastion_west", MakeBox({x0, -40, kWater - 4}, {x1, 0, 0}, 6),
                                {m.stone}, flaty));
    }
    Mesh stairs = MakeStairs(8, 50, 5, 2.5f, 6);
    TranslateMesh(stairs, {0, -40, kWater});
    AddObject(s, MeshObject("stairs", stairs, {m.stone}, flaty));

    // The floor, drawn with perspective-correct texturing and fading into the dark far off.
    FsfObject floor = MeshObject("floor", MakeSubdividedPlane(4, 8, -70, -40, 70, kHallEnd + 20, 3.2f), {m.floor},
                                 RenderMode(Map::Textu, Shade::Foggy, Blend::Opaqu));
    floor.switchTrack = StepReals({{0, 1}});
    AddObject(s, floor);

    // Colonnades.
    const Mesh column = ColumnMesh();
    for (int side = 0; side < 2; ++side) {
        for (int i = 0; i < 7; ++i) {
            FsfObject c = MeshObject("column_" + std::to_string(side * 7 + i), column, {m.column},
                                     RenderMode(Map::Textu, Shade::Goura, Blend::Opaqu));
            c.positionTrack = ConstantVectorTrack({side ? kColumnX : -kColumnX, 20.0f + 33.0f * static_cast<float>(i), 0});
            AddObject(s, c);
        }
        const float x = side ? kColumnX : -kColumnX;
        AddObject(s, MeshObject(side ? "architrave_east" : "architrave_west",
                                MakeBox({x - 8, 12, kColumnHeight}, {x + 8, 226, kColumnHeight + 9}, 6), {m.stone}, flaty));
    }

    // The triple gate at the far end, open to the sea.
    ArchShape great;
    great.halfSpan = 22;
    great.pier = 8;
    great.spring = 46;
    great.crown = 10;
    great.depth = 12;
    great.segments = 12;
    Mesh gate = MakeArch(great, 6);
    ArchShape small = great;
    small.halfSpan = 12;
    small.spring = 30;
    small.crown = 36;
    small.pier = 6;
    for (int side = 0; side < 2; ++side) {
        Mesh a = MakeArch(small, 6);
        TranslateMesh(a, {side ? 48.0f : -48.0f, 0, 0});
        AppendMesh(gate, a);
    }
    TranslateMesh(gate, {0, kHallEnd, 0});
    AddObject(s, MeshObject("gate", gate, {m.stone}, flaty));
}

void AddSurroundings(FsfScene& s, const Materials& m)
{
    // Open water, its ripples drifting slowly towards the shore.
    FsfObject water = MeshObject("water", MakeSubdividedPlane(8, 8, -1200, -1200, 1200, 1200, 1.2f), {m.water},
                                 RenderMode(Map::Textu, Shade::Foggy, Blend::Opaqu));
    water.positionTrack = ConstantVectorTrack({0, 0, kWater});
    water.switchTrack = StepReals({{0, 1}});
    water.uvTrack = LinearVectorTrack({{0, {0, 0, 0}}, {200, {64, 256, 0}}}, true);
    AddObject(s, water);

    // Hills round the far shore: dark shapes in the haze, a lighthouse on the eastern one.
    for (int i = 0; i < 5; ++i) {
        const double a = Radians(40 + 25 * i);
        const float height = 110.0f + 70.0f * static_cast<float>((i * 2) % 3);
        Mesh hill = MakeTerrain(8, 3, -320, -90, 320, 90, 1, [height, i](float x, float y) {
            const double ridge = 1.0 - (x / 320.0) * (x / 320.0);
            const double bump = 1.0 + 0.25 * Sine(x * 0.02 + i);
            return static_cast<float>(height * ridge * bump * (1.0 - (y / 90.0) * (y / 90.0)) - 30);
        });
        RotateMeshAboutZ(hill, a - kPi / 2);
        TranslateMesh(hill, OnCircle(1350, a, 0));
        AddObject(s, MeshObject("hill_" + std::to_string(i), hill, {m.hills},
                                RenderMode(Map::Nomap, Shade::Foggy, Blend::Opaqu)));
    }

    // The sky: an inward-facing dome, drawn last among the opaque objects so that most of it
    // fails the depth test cheaply behind the temple.
    LatheOptions o;
    o.segments = 12;
    o.uRepeats = 4;
    o.inward = true;
    std::vector<ProfilePoint> dome;
    for (int i = 0; i <= 5; ++i) {
        const double a = Radians(-8 + 98.0 * i / 5);
        dome.push_back({i == 5 ? 0.0f : static_cast<float>(1900 * Cosine(a)), static_cast<float>(1900 * Sine(a)), false});
    }
    // v from 0 at the horizon to 256 at the zenith.
    o.texelsPerUnit = -256.0f / static_cast<float>(1900 * Radians(98));
    AddObject(s, MeshObject("sky", MakeLathe(dome, o), {m.sky}, RenderMode(Map::Textu, Shade::Nosha, Blend::Opaqu)));
}

void AddLampsAndFlares(FsfScene& s, const Materials& m)
{
    int n = 0;
    for (int side = 0; side < 2; ++side) {
        const float x = side ? 31.0f : -31.0f;
        for (int i = 0; i < 3; ++i) {
            AddLamp(s, m, "lamp_" + std::to_string(n), {x, 36.0f + 66.0f * static_cast<float>(i), 0},
                    static_cast<float>(n) * 0.37f);
            ++n;
        }
        AddLamp(s, m, "lamp_" + std::to_string(n), {side ? 40.0f : -40.0f, -34, 0}, static_cast<float>(n) * 0.37f);
        AddReflection(s, m, "reflection_" + std::to_string(n), {side ? 40.0f : -40.0f, -42, 0}, -1);
        ++n;
        // And a lamp each side of the gate on the seaward end, for the view back from the sea.
        AddLamp(s, m, "lamp_" + std::to_string(n), {side ? 40.0f : -40.0f, kHallEnd + 16, 0}, static_cast<float>(n) * 0.37f);
        AddReflection(s, m, "reflection_" + std::to_string(n), {side ? 40.0f : -40.0f, kHallEnd + 24, 0}, 1);
        ++n;
    }
    // The moon: a halo of our own picture around a soft core, high in the north-west, above
    // and to the left of where the first credits stand.
    const Vec3 moon{-735, 940, 940};
    s.flares.push_back(MakeFlare("moon_halo", moon, 520, {0.45f, 0.5f, 0.7f}, 2, "MOON.BMP"));
    s.flares.push_back(MakeFlare("moon", moon, 230, {0.9f, 0.92f, 1.0f}, 0, "MOON.BMP"));
    // The lighthouse on the eastern hill turns: it flashes on and off.
    FsfFlare beacon = MakeFlare("lighthouse", OnCircle(1300, Radians(40), 230), 160, {1.0f, 0.85f, 0.6f}, 1,
                                "MOON.BMP");
    std::vector<float> toggles;
    for (float f = 25; f < kHarbourTempleLastFrame; f += 25) toggles.push_back(f);
    beacon.visibilityToggles = toggles;
    s.flares.push_back(beacon);
}

void AddCameraAndLight(FsfScene& s)
{
    FsfLight moonlight;
    moonlight.name = "moonlight";
    // The key light falls from high over the left shoulder of the arriving viewer, so the
    // faces turned to the camera catch it and the sides fall into blue shadow.
    moonlight.positionTrack = ConstantVectorTrack({-700, -900, 1000});
    moonlight.targetTrack = ConstantVectorTrack({0, 100, 0});
    moonlight.intensityTrack = ConstantScalarTrack(1.0f);
    s.lights.push_back(moonlight);
    // For the view back from the sea the light comes round with the moon, behind the viewer.
    FsfLight seaward = moonlight;
    seaward.name = "seaward";
    seaward.positionTrack = ConstantVectorTrack({-500, 1400, 900});
    s.lights.push_back(seaward);

    // The arrival: first the moon over the water, then down to the temple, in to the stairs,
    // up them and along the hall. The view stays raised to the night sky, the temple low in
    // the frame and the columns at its sides, so that the credits always have dark sky behind
    // their letters.
    FsfVectorTrack eye = SmoothVectorTrack({{0, {-190, -640, 24}, 0, 0.8f},
                                            {110, {-150, -520, 22}},
                                            {220, {-60, -280, 16}},
                                            {320, {0, -80, 10}},
                                            {380, {0, -14, 24}},
                                            {440, {0, 60, 27}, 0.6f, 0}});
    FsfVectorTrack look = SmoothVectorTrack({{0, {-250, 700, 560}, 0, 0.8f},
                                             {110, {-160, 400, 250}},
                                             {220, {-10, 120, 150}},
                                             {320, {0, 150, 110}},
                                             {380, {0, 200, 135}},
                                             {440, {0, 300, 170}, 0.6f, 0}});
    s.cameras.push_back(MakeCamera("arrival", eye, look, 32));
    // The title shot: low over the sea beyond the gate, looking back at the lit temple under
    // the sky, which fills the middle of the view.
    FsfVectorTrack high = SmoothVectorTrack({{440, {170, 470, 12}, 0, 0.5f}, {600, {90, 430, 30}, 0.6f, 0}});
    FsfVectorTrack highLook = SmoothVectorTrack({{440, {10, 170, 105}}, {600, {0, 150, 115}}});
    s.cameras.push_back(MakeCamera("title", high, highLook, 34));
}

} // namespace

FsfScene BuildHarbourTemple()
{
    FsfScene s;
    s.info = std::array<int32_t, 3>{0, 0, kHarbourTempleLastFrame};
    const Materials m = AddTempleMaterials(s);
    AddArchitecture(s, m);
    AddLampsAndFlares(s, m);
    AddSurroundings(s, m);
    AddCameraAndLight(s);
    s.events = std::vector<FsfEvent>{
        MakeCameraEvent(0, 0),
        MakeLightEvent(0, 0),
        MakeFarEvent(0, 2500),
        MakeBackgroundEvent(0, 6, 8, 20),
        MakeFogEvent(0, 150, 1500),
        MakeFogEvent(300, 100, 900),
        MakeFogEvent(420, 40, 420),
        MakeCameraEvent(440, 1),
        MakeLightEvent(440, 1),
        MakeFogEvent(440, 100, 1500),
    };
    return s;
}

Texture MakeTempleStoneTexture()
{
    BlockStyle b;
    b.courses = 4;
    b.blocksPerCourse = 2;
    b.stoneDark = {40, 44, 62};
    b.stoneLight = {150, 150, 168};
    b.jointDark = {12, 12, 20};
    b.jointLight = {40, 40, 52};
    b.seed = 101;
    return MakeBlockTexture(b);
}

Texture MakeTempleFloorTexture()
{
    MarbleStyle m;
    m.tiles = 2;
    m.darkLow = {14, 16, 34};
    m.darkHigh = {96, 98, 128};
    m.lightLow = {60, 62, 86};
    m.lightHigh = {168, 166, 182};
    m.seed = 102;
    return MakeMarbleTexture(m);
}

Texture MakeTempleColumnTexture()
{
    Texture t = BlankTexture();
    t.palette = RampPalette({{0, {0, 0, 0}}, {1, {40, 42, 58}}, {255, {205, 200, 196}}});
    for (int v = 0; v < kTextureSize; ++v) {
        for (int u = 0; u < kTextureSize; ++u) {
            // Ten flutes round each half of the shaft: bright ridges, shadowed grooves.
            const double flute = Cosine(kTwoPi * u * 10.0 / 256.0);
            const float grain = TileNoise(static_cast<float>(u), static_cast<float>(v), 8, 4, 0.55f, 103);
            t.At(u, v) = RampIndex(0.52 + 0.2 * flute + 0.3 * (grain - 0.5));
        }
    }
    return t;
}

Texture MakeTempleWaterTexture()
{
    RippleStyle r;
    r.deep = {6, 8, 22};
    r.crest = {46, 60, 104};
    r.glint = {200, 206, 236};
    r.glints = 0.6f;
    r.seed = 104;
    return MakeRippleTexture(r);
}

Texture MakeTempleSkyTexture()
{
    StarSkyStyle s;
    s.horizon = {30, 34, 66};
    s.zenith = {3, 4, 14};
    s.star = {225, 228, 255};
    s.stars = 260;
    s.seed = 105;
    return MakeStarSky(s);
}

Texture MakeTempleFlameTexture() { return MakeFlameSheet(106, 0.2f); }

Texture MakeTempleFlareTexture() { return MakeFlarePicture(107); }

} // namespace content
