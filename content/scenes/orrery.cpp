#include "scenes/orrery.h"

#include <string>
#include <utility>

#include "common/noise.h"
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

constexpr int32_t kLast = kOrreryLastFrame;
// One turn of the slowest wheel over the part, the rest geared up from it.
constexpr float kPeriod = 300;

struct Materials {
    uint32_t brass, gold, glass, planet, sun, lens, line, blue, stand;
};

Materials AddOrreryMaterials(FsfScene& s)
{
    const Ramp brassRamp{{30, 18, 6}, {170, 120, 50}, {255, 230, 160}, 10, 0.4f};
    Materials m{};
    m.brass = AddMaterial(s, TextureMaterial("brass", "BRASS.BMP", {0.3f, 0.95f, 0.1f}, brassRamp));
    m.stand = AddMaterial(s, ColourMaterial("stand", {{26, 16, 8}, {120, 84, 36}, {250, 210, 130}, 12, 0.45f}));
    m.gold = AddMaterial(s, TextureMaterial("gold", "GOLD.BMP", {0.45f, 0.75f, 0.0f}, brassRamp));
    m.glass = AddMaterial(s, TextureMaterial("glass", "GLASS.BMP", {1.0f, 0.0f, 0.0f}));
    m.planet = AddMaterial(s, TextureMaterial("planet", "PLANET.BMP", {0.2f, 1.0f, 0.05f}, brassRamp));
    FsfMaterial sun = ColourMaterial("sun", {{120, 40, 6}, {255, 150, 40}, {255, 240, 190}, 3, 0.5f});
    // The sun breathes.
    sun.opacityTrack = SmoothScalarTrack({{0, 0.55f}, {25, 0.9f}, {50, 0.6f}, {75, 1.0f}, {100, 0.55f}}, true);
    m.sun = AddMaterial(s, sun);
    m.lens = AddMaterial(s, ColourMaterial("lens", {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, 2, 0.5f}));
    m.line = AddMaterial(s, ColourMaterial("line", {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, 2, 0.5f}));
    m.blue = AddMaterial(s, ColourMaterial("blueglass", {{4, 10, 30}, {30, 70, 140}, {150, 200, 255}, 8, 0.4f}));
    return m;
}

// A circle of lines in the xy plane: a flat band seen from both sides whose outer rim is its
// only edge, drawn as a bright line (the band's faces are never filled).
FsfObject OrbitObject(const std::string& name, const Materials& m, float radius)
{
    Mesh band;
    constexpr int kSegments = 28;
    for (int i = 0; i < kSegments; ++i) {
        AddVertex(band, Snap(OnCircle(radius, kTwoPi * i / kSegments, 0)));
        AddVertex(band, Snap(OnCircle(radius - 1, kTwoPi * i / kSegments, 0)));
    }
    std::vector<FsfEdge> edges;
    for (int side = 0; side < 2; ++side) {
        for (int i = 0; i < kSegments; ++i) {
            const auto a = static_cast<uint32_t>(2 * i), b = static_cast<uint32_t>(2 * ((i + 1) % kSegments));
            // Up-facing faces first, then the same turned down; each rim edge belongs to the
            // face of its side.
            if (side == 0) {
                AddTriangle(band, a, b, b + 1);
                AddTriangle(band, a, b + 1, a + 1);
            } else {
                AddTriangle(band, a, b + 1, b);
                AddTriangle(band, a, a + 1, b + 1);
            }
            edges.push_back({static_cast<int32_t>(a), static_cast<int32_t>(b),
                             static_cast<int32_t>(band.triangles.size() - 2), -1, -1.0f});
        }
    }
    FsfObject o = MeshObject(name, band, {m.line}, RenderMode(Map::Nomap, Shade::Nosha, Blend::Opaqu));
    o.edges = edges;
    o.flagTrack = {MakeStepWord(0, OutlineFlags(Outline::BrightLinesOnly, 0, 0))};
    return o;
}

// A planet on an arm: the arm turns about the sun's axis (its pivot at the hub), the planet
// spins at the arm's end, a moon may circle it.
int32_t AddPlanet(FsfScene& s, const Materials& m, int index, float radius, float height, float size, float period,
                  int32_t parent, uint32_t material, int32_t mode)
{
    Mesh arm = MakeCylinder(0.8f, 0, radius, 5, 8, false);
    RotateMeshAboutX(arm, -kPi / 2); // along +y
    AppendMesh(arm, MakeCylinder(0.8f, 0, height, 5, 8, false));
    Mesh collar = MakeTorus(3, 0.8f, 10, 4, 1, 1);
    AppendMesh(arm, collar);
    TranslateMesh(arm, {0, 0, -height});
    FsfObject a = MeshObject("arm_" + std::to_string(index), arm, {m.stand}, RenderMode(Map::Nomap, Shade::Goura, Blend::Opaqu));
    // The arm's node sits at its tip; the pivot at the hub end keeps the hub on the axis while
    // it turns.
    a.pivot = Vec3{0, 0, -height};
    a.positionTrack = ConstantVectorTrack({0, 0, 0});
    a.rotationTrack = SpinTrack(period, {1, 0, 0}, {AngleUnits(90.0 * index), 0, 0});
    const int32_t arm_ = AddObject(s, a, parent);
    FsfObject p = MeshObject("planet_" + std::to_string(index), MakeSphere(size, 6, 10, 2, 1), {material}, mode);
    p.positionTrack = ConstantVectorTrack({0, radius, 0});
    p.rotationTrack = SpinTrack(60, {1, 0, 0});
    return AddObject(s, p, arm_);
}

void AddMachine(FsfScene& s, const Materials& m)
{
    // The stand: a column on a disc, under the sun.
    LatheOptions o;
    o.segments = 16;
    o.uRepeats = 3;
    o.texelsPerUnit = 4;
    Mesh stand = MakeLathe({{0, -62, false}, {44, -62, true}, {44, -58, true}, {38, -56, true}, {6, -52, true},
                            {4, -40, false}, {4, -20, true}, {7, -16, false}, {0, -14, false}},
                           o);
    AddObject(s, MeshObject("stand", stand, {m.stand}, RenderMode(Map::Nomap, Shade::Goura, Blend::Opaqu)));

    // Three gears meshing on the disc: 24, 12 and 16 teeth, speeds in inverse proportion.
    struct Wheel {
        int teeth;
        float root, tip, x, y, turns;
    } wheels[3] = {{24, 15, 17.5f, 0, 0, 1.0f}, {12, 7.0f, 9.5f, 0, 25.0f, -2.0f}, {16, 10, 12.5f, 23.0f, -11.5f, -1.5f}};
    for (int i = 0; i < 3; ++i) {
        const Wheel& w = wheels[i];
        Mesh gear = MakeGear(w.teeth, w.root, w.tip, -1.5f, 1.5f, 4);
        FsfObject g = MeshObject("gear_" + std::to_string(i), gear, {m.brass}, RenderMode(Map::Textu, Shade::Flaty, Blend::Opaqu));
        g.positionTrack = ConstantVectorTrack({w.x, w.y, -52});
        // Half a tooth's turn apart where they mesh.
        g.rotationTrack = SpinTrack(kPeriod, {w.turns, 0, 0}, {AngleUnits(i == 1 ? 15.0 : (i == 2 ? 11.25 : 0.0)), 0, 0});
        AddObject(s, g);
    }

    // The sun: a glowing sphere whose brightness breathes, on a turning hub.
    FsfObject hub = MeshObject("hub", MakeCylinder(3, -16, 0, 8, 4, true), {m.gold}, RenderMode(Map::Envma, Shade::Goura, Blend::Opaqu));
    hub.rotationTrack = SpinTrack(kPeriod, {1, 0, 0});
    const int32_t hubNumber = AddObject(s, hub);
    FsfObject sun = MeshObject("sun", MakeSphere(11, 8, 12, 1, 1), {m.sun}, RenderMode(Map::Nomap, Shade::Shade, Blend::Opaqu));
    sun.positionTrack = ConstantVectorTrack({0, 0, 12});
    AddObject(s, sun);
    // An armillary cage of meridians and parallels round the sun, drawn as fine lines, turning
    // slowly against the hub.
    FsfObject cage = MeshObject("sun_cage", MakeSphere(23, 4, 8, 1, 1), {m.line}, kWireMode);
    cage.positionTrack = ConstantVectorTrack({0, 0, 12});
    cage.rotationTrack = SpinTrack(kPeriod * 2, {0, 0, 1});
    AddObject(s, cage);
    s.flares.push_back(MakeFlare("sun_glow", {0, 0, 12}, 70, {1.0f, 0.7f, 0.35f}, 0, "SUN.BMP"));
    s.flares.push_back(MakeFlare("sun_ring", {0, 0, 12}, 110, {0.6f, 0.45f, 0.25f}, 2, "SUN.BMP"));

    // Planets: a banded world, a blue glass world seen through, a moon of glints, on arms
    // geared to different speeds.
    AddPlanet(s, m, 0, 34, 6, 5, kPeriod / 3, hubNumber, m.planet, RenderMode(Map::Textu, Shade::Goura, Blend::Opaqu));
    AddPlanet(s, m, 1, 56, 10, 7, kPeriod / 2, hubNumber, m.blue, RenderMode(Map::Nomap, Shade::Goura, Blend::Trans));
    const int32_t outer = AddPlanet(s, m, 2, 82, 14, 9, kPeriod, hubNumber, m.planet,
                                    RenderMode(Map::Textu, Shade::Goura, Blend::Opaqu));
    // Its glass shell of glints, and a moon on a small arm.
    FsfObject shell = MeshObject("planet_2_glass", MakeSphere(12, 8, 12, 1, 1), {m.glass}, RenderMode(Map::Envtr, Shade::Nosha, Blend::Addit));
    AddObject(s, shell, outer);
    FsfObject moonArm = MeshObject("moon_arm", MakeBox({-0.5f, 0, -0.5f}, {0.5f, 20, 0.5f}, 8), {m.gold},
                                   RenderMode(Map::Envma, Shade::Nosha, Blend::Opaqu));
    moonArm.rotationTrack = SpinTrack(kPeriod / 5, {-1, 0, 0});
    const int32_t moonArmNumber = AddObject(s, moonArm, outer);
    FsfObject moon = MeshObject("moon", MakeSphere(3, 6, 8, 1, 1), {m.gold}, RenderMode(Map::Envma, Shade::Goura, Blend::Opaqu));
    moon.positionTrack = ConstantVectorTrack({0, 20, 0});
    const int32_t moonNumber = AddObject(s, moon, moonArmNumber);

    // Armillary rings round the sun, each turning on its own axis.
    const float ringRadius[3] = {22, 26, 30};
    const Vec3 ringTurns[3] = {{1, 0, 0}, {0, 1, 0}, {0.5f, 0, 1}};
    for (int i = 0; i < 3; ++i) {
        FsfObject ring = MeshObject("ring_" + std::to_string(i), MakeTorus(ringRadius[i], 1.1f, 20, 4, 4, 1), {m.gold},
                                    RenderMode(Map::Envma, Shade::Goura, Blend::Opaqu));
        ring.positionTrack = ConstantVectorTrack({0, 0, 12});
        ring.rotationTrack = SpinTrack(kPeriod * (1.0f + 0.5f * static_cast<float>(i)), ringTurns[i],
                                       {0, AngleUnits(30.0 * i), AngleUnits(60.0 * i)});
        AddObject(s, ring);
    }
    // Orbits drawn as bright circles.
    for (int i = 0; i < 3; ++i) {
        FsfObject orbit = OrbitObject("orbit_" + std::to_string(i), m, i == 0 ? 34.0f : (i == 1 ? 56.0f : 82.0f));
        orbit.positionTrack = ConstantVectorTrack({0, 0, -(i == 0 ? 6.0f : (i == 1 ? 10.0f : 14.0f)) + 0.2f});
        AddObject(s, orbit);
    }

    // The lens: a brass frame on a stalk holding a disc that shows the view from the moon.
    Mesh frame = MakeTorus(24, 2.0f, 24, 5, 3, 1);
    RotateMeshAboutX(frame, kPi / 2);
    AppendMesh(frame, MakeCylinder(1.2f, -62, -24, 6, 4, false));
    FsfObject lensFrame = MeshObject("lens_frame", frame, {m.gold}, RenderMode(Map::Envma, Shade::Goura, Blend::Opaqu));
    lensFrame.positionTrack = ConstantVectorTrack({-66, -30, 10});
    lensFrame.rotationTrack = SmoothVectorTrack({{0, {AngleUnits(200), 0, 0}}, {150, {AngleUnits(250), 0, AngleUnits(10)}},
                                                 {300, {AngleUnits(200), 0, 0}}},
                                                true);
    const int32_t frameNumber = AddObject(s, lensFrame);
    Mesh disc = MakeSector(23.5f, 0, kTwoPi, 20, 0);
    // Mapped across the whole picture: 0..256 over the disc's width, upright; seen from
    // either side.
    for (size_t i = 0; i < disc.positions.size(); ++i) {
        disc.uvs[i] = {(disc.positions[i].x / 23.5f + 1) * 128, (1 - disc.positions[i].y / 23.5f) * 128};
    }
    RotateMeshAboutX(disc, kPi / 2);
    Mesh back = disc;
    FlipMesh(back);
    AppendMesh(disc, back);
    // A camera-texture face draws the camera's picture whatever the mode's map, so the lens
    // takes an untextured mode and its material needs no picture.
    FsfObject lens = MeshObject("lens", disc, {m.lens}, RenderMode(Map::Nomap, Shade::Nosha, Blend::Opaqu));
    // 64 texels square: the lens is never more than about 60 pixels across.
    lens.targetTrack = std::vector<StepKey>{MakeStepWord(0, CameraTextureWord(2, 2))};
    AddObject(s, lens, frameNumber);

    // The moon's camera: riding the moon, looking back at the sun.
    FsfCamera rider = MakeCamera("moonrider", ConstantVectorTrack({0, 0, 4}), ConstantVectorTrack({0, -60, -10}), 40);
    rider.parent = ObjectReference(moonNumber);
    s.cameras.push_back(rider);
}

} // namespace

FsfScene BuildOrrery()
{
    FsfScene s;
    s.info = std::array<int32_t, 3>{0, 0, kLast};
    const Materials m = AddOrreryMaterials(s);

    FsfLight light;
    light.name = "lamp";
    light.positionTrack = ConstantVectorTrack({260, -380, 300});
    light.targetTrack = ConstantVectorTrack({0, 0, 0});
    light.intensityTrack = ConstantScalarTrack(1.0f);
    s.lights.push_back(light);

    // Two cameras circle the machine as mirror images of each other, each holding it to one
    // side of the view: the main camera sees it on the right, the second on the left, so the
    // two drawings stand side by side like twins.
    std::vector<PathKey> eye[2], look[2];
    for (int i = 0; i <= 6; ++i) {
        const float frame = static_cast<float>(kLast) * static_cast<float>(i) / 6;
        const double a = Radians(-100 + 25.0 * i);
        const double height = 60 + 40 * Sine(Radians(60.0 * i));
        for (int side = 0; side < 2; ++side) {
            const double angle = side ? kPi - a : a;
            const Vec3 at = OnCircle(320, angle, height);
            // The view's right-hand direction, level: (sin, -cos) of the bearing to the machine.
            const Vec3 right = V(Sine(angle + kPi) * 1.0, -Cosine(angle + kPi) * 1.0, 0);
            const Vec3 aim = Scaled(right, side ? 96.0 : -96.0) + Vec3{0, 0, 4};
            eye[side].push_back({frame, at});
            look[side].push_back({frame, aim});
        }
    }
    eye[0].front().easeFrom = eye[1].front().easeFrom = 0.3f;
    s.cameras.push_back(MakeCamera("right", SmoothVectorTrack(eye[0]), SmoothVectorTrack(look[0]), 34));
    s.cameras.push_back(MakeCamera("left", SmoothVectorTrack(eye[1]), SmoothVectorTrack(look[1]), 34));

    AddMachine(s, m);
    s.events = std::vector<FsfEvent>{
        MakeCameraEvent(0, 0), MakeLightEvent(0, 0), MakeFarEvent(0, 2000),
        // The view is never cleared: the tiles drawn under the scene stay.
        MakeBackgroundEvent(0, -1, 0, 0),
    };
    return s;
}

Texture MakeOrreryBrassTexture()
{
    MetalStyle s;
    s.dark = {50, 30, 10};
    s.light = {240, 200, 120};
    s.scratches = 220;
    s.seed = 401;
    return MakeMetalTexture(s);
}

Texture MakeOrreryGoldTexture()
{
    EnvironmentStyle e;
    e.ground = {40, 20, 6};
    e.horizon = {250, 200, 110};
    e.sky = {170, 120, 50};
    e.highlight = {255, 250, 220};
    e.seed = 402;
    return MakeEnvironmentMap(e);
}

Texture MakeOrreryGlassTexture()
{
    Texture t = BlankTexture();
    t.palette = RampPalette({{0, {0, 0, 0}}, {1, {20, 30, 50}}, {255, {220, 240, 255}}});
    for (int v = 0; v < kTextureSize; ++v) {
        for (int u = 0; u < kTextureSize; ++u) {
            const double x = (u + 0.5 - 128) / 128, y = (v + 0.5 - 128) / 128;
            const double r2 = x * x + y * y;
            // A window highlight, a crescent along the rim; nothing in between.
            const double glint = SoftSpot(x + 0.3, y - 0.35, 0.28) + 0.7 * SoftSpot(0, (r2 - 0.85) * 5, 1.0) * (0.5 + 0.5 * y);
            t.At(u, v) = glint < 0.06 ? 0 : RampIndex(glint);
        }
    }
    return t;
}

Texture MakeOrreryPlanetTexture()
{
    Texture t = BlankTexture();
    t.palette = RampPalette({{0, {0, 0, 0}}, {1, {40, 20, 10}}, {90, {150, 80, 40}}, {170, {220, 170, 110}}, {255, {250, 240, 220}}});
    for (int v = 0; v < kTextureSize; ++v) {
        for (int u = 0; u < kTextureSize; ++u) {
            const float swirl = FractalNoise(static_cast<float>(u) / 32.0f, static_cast<float>(v) / 16.0f, 8, 16, 4, 0.5f, 404);
            const double band = Sine(kTwoPi * (v / 256.0 * 5.0) + 4.0 * swirl);
            t.At(u, v) = RampIndex(0.5 + 0.3 * band + 0.2 * (swirl - 0.5));
        }
    }
    return t;
}

Texture MakeOrreryFlareTexture() { return MakeFlarePicture(405); }

} // namespace content
