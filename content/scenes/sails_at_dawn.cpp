#include "scenes/sails_at_dawn.h"

#include <algorithm>
#include <string>

#include "common/noise.h"
#include "scenes/builders/materials.h"
#include "scenes/builders/primitives.h"
#include "scenes/builders/render_modes.h"
#include "scenes/builders/scene_math.h"
#include "scenes/builders/scene_objects.h"
#include "scenes/builders/tracks.h"
#include "scenes/ship_parts.h"
#include "scenes/textures/fire_textures.h"
#include "scenes/textures/sky_textures.h"
#include "scenes/textures/surface_textures.h"

namespace content {
namespace {

constexpr int32_t kLast = kSailsAtDawnLastFrame;
// The sun rises ahead and to port.
constexpr double kSunBearing = 110; // degrees from +x, counter-clockwise
constexpr float kSunDistance = 1500;

struct Materials {
    uint32_t sail, deck, hull, mast, sea, glow, cloud, shadow, iron, gull, rope;
};

Materials AddDawnMaterials(FsfScene& s)
{
    const Ramp dawn{{40, 26, 44}, {170, 110, 100}, {255, 210, 170}, 5, 0.35f};
    Materials m{};
    // Sailcloth lit from behind by the low sun: bright, warm, and tinted by the ramp.
    m.sail = AddMaterial(s, TextureMaterial("sail", "SAIL.BMP", {0.55f, 0.75f, 0.25f}, dawn));
    m.deck = AddMaterial(s, TextureMaterial("deck", "DECK.BMP", {0.35f, 0.85f, 0.2f}, dawn));
    // The hull's side faces away from the low sun: it shows its wood and paint by the glow of
    // the sky (a high base) warmed by the dawn's ramp.
    m.hull = AddMaterial(s, TextureMaterial("hull", "HULL.BMP", {0.62f, 0.8f, 0.3f}, dawn));
    m.mast = AddMaterial(s, TextureMaterial("mast", "MAST.BMP", {0.3f, 0.9f, 0.15f}, dawn));
    m.sea = AddMaterial(s, TextureMaterial("sea", "SEA.BMP", kFoggedTexture, FogRamp({196, 140, 132})));
    FsfMaterial glow = TextureMaterial("glow", "GLOW.BMP", {0.15f, 0.9f, 0.0f});
    // The glow along the horizon strengthens as the sun comes up.
    glow.opacityTrack = SmoothScalarTrack({{0, 0.0f}, {160, 0.75f}, {kLast, 1.0f}});
    m.glow = AddMaterial(s, glow);
    FsfMaterial cloud = TextureMaterial("cloud", "CLOUD.BMP", {0.2f, 0.8f, 0.0f});
    cloud.opacityTrack = SmoothScalarTrack({{0, 0.1f}, {200, 0.8f}, {kLast, 1.0f}});
    m.cloud = AddMaterial(s, cloud);
    m.shadow = AddMaterial(s, TextureMaterial("shadow", "SHADOW.BMP", {1.0f, 0.0f, 0.0f}));
    m.iron = AddMaterial(s, ColourMaterial("iron", {{20, 14, 20}, {80, 60, 60}, {200, 160, 140}, 10, 0.4f}));
    // Tarred hemp, warmed by the low sun on its lit side.
    m.rope = AddMaterial(s, ColourMaterial("rope", {{34, 22, 24}, {120, 80, 60}, {230, 170, 130}, 6, 0.3f}));
    m.gull = AddMaterial(s, ColourMaterial("gull", {{60, 40, 60}, {150, 120, 130}, {250, 230, 220}, 4, 0.3f}));
    return m;
}

// A sail of unit size hanging from its yard: x -1..1, z 0 (the yard) down to -1, bellied
// forward (+y) by `belly` at its middle. Both shapes have the same vertices and faces, so
// one morphs into the other.
Mesh SailMesh(double belly, double sag)
{
    Mesh m;
    constexpr int kColumns = 4, kRows = 5;
    for (int r = 0; r <= kRows; ++r) {
        for (int c = 0; c <= kColumns; ++c) {
            const double x = -1.0 + 2.0 * c / kColumns, z = -static_cast<double>(r) / kRows;
            const double across = 1.0 - x * x, down = Sine(kPi * -z);
            const double y = belly * across * (0.35 + 0.65 * down) + sag * across * -z;
            AddVertex(m, Snap(V(x, y, z - sag * 0.2 * across * -z)),
                      {static_cast<float>(c * 64), static_cast<float>(r * 48)});
        }
    }
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            const auto p0 = static_cast<uint32_t>(r * (kColumns + 1) + c);
            const uint32_t p1 = p0 + 1, p3 = p0 + kColumns + 1, p2 = p3 + 1;
            // Facing forward (+y) when flat.
            AddTriangle(m, p0, p2, p1);
            AddTriangle(m, p0, p3, p2);
        }
    }
    return m;
}

// A gull: two wings meeting at the body, the tips up or down.
Mesh GullMesh(double tip)
{
    Mesh m;
    const uint32_t nose = AddVertex(m, {0, 2.4f, 0}), tail = AddVertex(m, {0, -2.0f, 0.2f});
    for (int side = 0; side < 2; ++side) {
        const float sign = side ? 1.0f : -1.0f;
        const uint32_t elbow = AddVertex(m, Snap(V(sign * 3.5, 0.4, 0.8 + tip * 0.3)));
        const uint32_t wingTip = AddVertex(m, Snap(V(sign * 7.5, -1.2, tip * 2.6)));
        AddTriangle(m, nose, tail, elbow);
        AddTriangle(m, elbow, tail, wingTip);
    }
    return m;
}

int32_t AddShip(FsfScene& s, const Materials& m)
{
    FsfObject hull = MeshObject("hull", MakeShipHull(), {m.hull}, RenderMode(Map::Textu, Shade::Goura, Blend::Opaqu));
    hull.rotationTrack = SmoothVectorTrack({{0, {0, AngleUnits(-1.8), AngleUnits(0.5)}},
                                            {55, {0, AngleUnits(1.8), AngleUnits(-0.5)}},
                                            {110, {0, AngleUnits(-1.8), AngleUnits(0.5)}}},
                                           true);
    const int32_t ship = AddObject(s, hull);
    FsfObject deck = MeshObject("deck", MakeShipDeck(), {m.deck}, RenderMode(Map::Textu, Shade::Flaty, Blend::Opaqu));
    deck.switchTrack = StepReals({{0, 1}});
    AddObject(s, deck, ship);
    AddObject(s, MeshObject("bowsprit", MakeShipBowsprit(), {m.mast}, RenderMode(Map::Textu, Shade::Goura, Blend::Opaqu)), ship);
    // The rigging: cords of rope against the bright sky, lit by the sun like the spars.
    FsfObject rigging = MeshObject("rigging", MakeShipRopes(1.0f), {m.rope}, RenderMode(Map::Nomap, Shade::Goura, Blend::Opaqu));

    // The two shapes of a sail: hanging slack and filled. They are never drawn themselves.
    FsfObject slack = MeshObject("sail_slack", SailMesh(0.04, 0.12), {m.sail}, RenderMode(Map::Textu, Shade::Goura, Blend::Trans));
    slack.hideToggles = std::vector<float>{0};
    const int32_t slackNumber = AddObject(s, slack, ship);
    FsfObject full = MeshObject("sail_full", SailMesh(0.42, 0.0), {m.sail}, RenderMode(Map::Textu, Shade::Goura, Blend::Trans));
    full.hideToggles = std::vector<float>{0};
    const int32_t fullNumber = AddObject(s, full, ship);

    int sailIndex = 0;
    for (int i = 2; i >= 0; --i) {
        FsfObject spar = MeshObject("mast_" + std::to_string(i), MakeShipMast(i), {m.mast},
                                    RenderMode(Map::Textu, Shade::Goura, Blend::Opaqu));
        spar.positionTrack = ConstantVectorTrack({0, kShipMastY[i], 0});
        const int32_t mast = AddObject(s, spar, ship);
        for (int y = kShipYards - 1; y >= 0; --y) {
            const float top = ShipYardHeight(i, y) - 1;
            const float bottom = y == 0 ? kShipMastHeight[i] * 0.16f : ShipYardHeight(i, y - 1) + 2;
            const float half = ShipYardHalfLength(i, y) - 1.5f;
            FsfObject sail = MeshObject("sail_" + std::to_string(i) + "_" + std::to_string(y), SailMesh(0.04, 0.12),
                                        {m.sail}, RenderMode(Map::Textu, Shade::Goura, Blend::Trans));
            sail.positionTrack = ConstantVectorTrack({0, 3.5f, top});
            sail.scaleTrack = ConstantVectorTrack({half, half, top - bottom});
            sail.cullToggles = std::vector<float>{0};
            // The sails fill one after another from the mainmast's lowest, over six seconds.
            const float start = 25.0f + 9.0f * static_cast<float>(sailIndex);
            sail.morphTrack = FsfScalarTrack{0,
                                             {MakeMorphKey(0, ObjectReference(slackNumber)),
                                              MakeMorphKey(start, ObjectReference(slackNumber)),
                                              MakeMorphKey(start + 60, ObjectReference(fullNumber))}};
            AddObject(s, sail, mast);
            ++sailIndex;
        }
        // The sails' shadow on the deck under the mast, subtracted from it.
        Mesh pool;
        AddQuad(pool, {-30, -14, 0.3f}, {30, -14, 0.3f}, {30, 26, 0.3f}, {-30, 26, 0.3f}, {0, 0}, {255, 0}, {255, 255}, {0, 255});
        TranslateMesh(pool, {0, kShipMastY[i], 0});
        AddObject(s, MeshObject("shadow_" + std::to_string(i), pool, {m.shadow}, RenderMode(Map::Textu, Shade::Nosha, Blend::Soust)),
                  ship);
    }
    AddObject(s, rigging, ship);
    return ship;
}

void AddSeaAndSky(FsfScene& s, const Materials& m)
{
    FsfObject sea = MeshObject("sea", MakeSubdividedPlane(8, 8, -1500, -1500, 1500, 1500, 1.0f), {m.sea},
                               RenderMode(Map::Textu, Shade::Foggy, Blend::Opaqu));
    sea.positionTrack = ConstantVectorTrack({0, 0, kShipWaterline});
    sea.switchTrack = StepReals({{0, 1}});
    sea.uvTrack = LinearVectorTrack({{0, {0, 0, 0}}, {120, {0, -256, 0}}}, true);
    AddObject(s, sea);

    // The glow along the horizon: a band all round, brightest under the sun, added to the sky.
    LatheOptions o;
    o.segments = 16;
    o.uRepeats = 1;
    o.inward = true;
    o.texelsPerUnit = -256.0f / 340.0f;
    FsfObject glow = MeshObject("horizon_glow", MakeLathe({{1700, -40}, {1700, 300}}, o), {m.glow},
                                RenderMode(Map::Textu, Shade::Shade, Blend::Addit));
    AddObject(s, glow);
    // Long clouds low over the horizon ahead, lit from below.
    for (int k = 0; k < 4; ++k) {
        const double bearing = Radians(kSunBearing - 40 + 26 * k);
        const Vec3 centre = OnCircle(1350, bearing, 120.0 + 55.0 * (k % 2) + 20.0 * k);
        const Vec3 along = Scaled(V(-Sine(bearing), Cosine(bearing), 0), 260.0 + 60.0 * (k % 3));
        Mesh strip;
        AddQuad(strip, centre - along + Vec3{0, 0, -22}, centre + along + Vec3{0, 0, -22}, centre + along + Vec3{0, 0, 22},
                centre - along + Vec3{0, 0, 22}, {0, 255}, {255, 255}, {255, 0}, {0, 0});
        FsfObject cloud = MeshObject("cloud_" + std::to_string(k), strip, {m.cloud},
                                     RenderMode(Map::Textr, Shade::Shade, Blend::Addit));
        cloud.cullToggles = std::vector<float>{0};
        // Drifting slowly along.
        cloud.uvTrack = LinearVectorTrack({{0, {0, 0, 0}}, {800, {256, 0, 0}}}, true);
        AddObject(s, cloud);
    }
    // The sun: rising out of the sea, red, then gold, its glow, a ring and a long streak.
    const Vec3 below = OnCircle(kSunDistance, Radians(kSunBearing), -90);
    const Vec3 risen = OnCircle(kSunDistance, Radians(kSunBearing), 70);
    const Vec3 high = OnCircle(kSunDistance, Radians(kSunBearing), 240);
    const FsfVectorTrack path = SmoothVectorTrack({{0, below, 0, 0.3f}, {170, risen}, {kLast, high, 0.3f, 0}});
    const FsfVectorTrack colour = SmoothVectorTrack({{0, {1.0f, 0.45f, 0.3f}}, {170, {1.0f, 0.7f, 0.4f}}, {kLast, {1.0f, 0.9f, 0.7f}}});
    const std::pair<int32_t, float> sprites[3] = {{0, 420}, {2, 640}, {3, 900}};
    for (const auto& [flag, size] : sprites) {
        FsfFlare sun = MakeFlare("sun_" + std::to_string(flag), {0, 0, 0}, size, {1, 1, 1}, flag, "SUN.BMP");
        sun.positionTrack = path;
        sun.colourTrack = colour;
        sun.sizeTrack = SmoothScalarTrack({{0, size * 0.7f}, {kLast, size * 1.15f}});
        s.flares.push_back(sun);
    }
    // The last stars, astern, going out one by one.
    for (int k = 0; k < 8; ++k) {
        const Vec3 at = OnCircle(1400, Radians(kSunBearing + 140 + 11 * k), 300 + 90 * (k % 3));
        FsfFlare star = MakeFlare("star_" + std::to_string(k), at, 60, {0.8f, 0.82f, 1.0f}, 1);
        star.visibilityToggles = std::vector<float>{30.0f + 14.0f * static_cast<float>(k)};
        s.flares.push_back(star);
    }
}

void AddGulls(FsfScene& s, const Materials& m)
{
    const int32_t up = AddObject(s, [&] {
        FsfObject o = MeshObject("gull_up", GullMesh(1.0), {m.gull}, RenderMode(Map::Nomap, Shade::Flaty, Blend::Opaqu));
        o.hideToggles = std::vector<float>{0};
        return o;
    }());
    const int32_t down = AddObject(s, [&] {
        FsfObject o = MeshObject("gull_down", GullMesh(-0.8), {m.gull}, RenderMode(Map::Nomap, Shade::Flaty, Blend::Opaqu));
        o.hideToggles = std::vector<float>{0};
        return o;
    }());
    for (int k = 0; k < 4; ++k) {
        FsfObject gull = MeshObject("gull_" + std::to_string(k), GullMesh(1.0), {m.gull},
                                    RenderMode(Map::Nomap, Shade::Flaty, Blend::Opaqu));
        const float period = 140.0f + 30.0f * static_cast<float>(k);
        const double radius = 90 + 35 * k;
        const Vec3 centre{static_cast<float>(-40 + 30 * k), static_cast<float>(60 + 40 * k), static_cast<float>(150 + 25 * k)};
        std::vector<PathKey> circle;
        for (int i = 0; i <= 8; ++i) {
            circle.push_back({period * static_cast<float>(i) / 8, centre + OnCircle(radius, kTwoPi * i / 8 + k, 8 * Sine(kPi * i / 2))});
        }
        gull.positionTrack = SmoothVectorTrack(circle, true);
        // Flying counter-clockwise: the heading turns with the circle, the body banks in.
        gull.rotationTrack = LinearVectorTrack({{0, {AngleUnits(-Radians(0) * 0 - (k * 57.2958) - 0), AngleUnits(-20), 0}},
                                                {period, {AngleUnits(-(k * 57.2958) - 360), AngleUnits(-20), 0}}},
                                               true);
        // Wings beating, then a glide.
        gull.morphTrack = FsfScalarTrack{1,
                                         {MakeMorphKey(0, ObjectReference(up)), MakeMorphKey(4, ObjectReference(down)),
                                          MakeMorphKey(8, ObjectReference(up)), MakeMorphKey(12, ObjectReference(down)),
                                          MakeMorphKey(16, ObjectReference(up)), MakeMorphKey(30, ObjectReference(up))}};
        gull.cullToggles = std::vector<float>{0};
        AddObject(s, gull);
    }
}

void AddCamerasAndLights(FsfScene& s, int32_t ship)
{
    const Vec3 sun = OnCircle(kSunDistance, Radians(kSunBearing), 150);
    FsfLight dawn;
    dawn.name = "first light";
    dawn.positionTrack = ConstantVectorTrack(OnCircle(kSunDistance, Radians(kSunBearing), 20));
    dawn.targetTrack = ConstantVectorTrack({0, 0, 40});
    dawn.intensityTrack = SmoothScalarTrack({{0, 0.45f}, {140, 0.8f}});
    s.lights.push_back(dawn);
    FsfLight sunlight = dawn;
    sunlight.name = "sunlight";
    sunlight.positionTrack = ConstantVectorTrack(sun);
    sunlight.intensityTrack = ConstantScalarTrack(1.0f);
    s.lights.push_back(sunlight);

    // On deck at the stern, looking up past the mizzen at the sails as they fill.
    FsfCamera deck = MakeCamera("deck",
                                SmoothVectorTrack({{0, {-16, -126, 16}, 0, 0.5f}, {140, {-12, -100, 22}, 0.3f, 0}}),
                                SmoothVectorTrack({{0, {6, 40, 150}, 0, 0.5f}, {140, {0, 120, 110}, 0.3f, 0}}), 40);
    deck.parent = ObjectReference(ship);
    s.cameras.push_back(deck);
    // From the sea off the starboard bow: the ship sails past with the sunrise behind it.
    s.cameras.push_back(MakeCamera("abeam",
                                   SmoothVectorTrack({{140, {170, 300, 8}, 0, 0.3f}, {270, {230, 90, 18}, 0.3f, 0}}),
                                   SmoothVectorTrack({{140, {-60, 60, 80}}, {270, {-120, 40, 90}}}), 36));
    // Astern and rising, over the sails towards the sun.
    s.cameras.push_back(MakeCamera("rising",
                                   SmoothVectorTrack({{270, {-40, -430, 24}, 0, 0.3f}, {kLast, {-30, -330, 230}, 0.6f, 0}}),
                                   SmoothVectorTrack({{270, {-120, 300, 110}}, {kLast, {-420, 1300, 170}}}), 36));
}

// The sky's colour at a frame: violet, rose, peach, pale gold.
Vec3 SkyColour(float frame)
{
    const float stops[4] = {0, 120, 250, static_cast<float>(kLast)};
    const Vec3 colours[4] = {{46, 36, 84}, {150, 96, 130}, {214, 148, 124}, {232, 192, 150}};
    int i = 0;
    while (i < 2 && frame > stops[i + 1]) ++i;
    const double t = SmoothStep(stops[i], stops[i + 1], frame);
    return Lerp(colours[i], colours[i + 1], t);
}

} // namespace

FsfScene BuildSailsAtDawn()
{
    FsfScene s;
    s.info = std::array<int32_t, 3>{0, 0, kLast};
    const Materials m = AddDawnMaterials(s);
    AddSeaAndSky(s, m);
    const int32_t ship = AddShip(s, m);
    AddGulls(s, m);
    AddCamerasAndLights(s, ship);
    std::vector<FsfEvent> events = {MakeCameraEvent(0, 0),        MakeLightEvent(0, 0),         MakeFarEvent(0, 3200),
                                    MakeFogEvent(0, 60, 900),     MakeCameraEvent(140, 1),      MakeLightEvent(168, 1),
                                    MakeFogEvent(168, 200, 1800), MakeCameraEvent(270, 2),      MakeFogEvent(kLast, 320, 2600)};
    // The sky: the view is cleared to a colour that brightens in small steps.
    for (int frame = 0; frame <= kLast; frame += 8) {
        const Vec3 c = SkyColour(static_cast<float>(frame));
        events.push_back(MakeBackgroundEvent(static_cast<float>(frame), static_cast<int32_t>(c.x + 0.5f),
                                             static_cast<int32_t>(c.y + 0.5f), static_cast<int32_t>(c.z + 0.5f)));
    }
    // Scene files keep their events in time order.
    std::stable_sort(events.begin(), events.end(), [](const FsfEvent& a, const FsfEvent& b) { return a.frame < b.frame; });
    s.events = events;
    return s;
}

Texture MakeDawnSailTexture()
{
    ClothStyle c;
    c.dark = {120, 96, 96};
    c.light = {250, 236, 214};
    c.seed = 501;
    return MakeClothTexture(c);
}

Texture MakeDawnWoodTexture()
{
    WoodStyle w;
    w.planks = 8;
    w.dark = {60, 36, 30};
    w.light = {220, 170, 130};
    w.seed = 502;
    return MakeWoodTexture(w);
}

Texture MakeDawnHullTexture()
{
    Texture t = BlankTexture();
    // Weathered red-brown paint over the planks, and the gilded band.
    t.palette = TwoRampPalette({46, 24, 22}, {176, 104, 78}, {80, 50, 20}, {255, 220, 140});
    for (int v = 0; v < kTextureSize; ++v) {
        for (int u = 0; u < kTextureSize; ++u) {
            const float grain = FractalNoise(static_cast<float>(u) / 32.0f, static_cast<float>(v) / 4.0f, 8, 64, 3, 0.5f, 503);
            if (v >= 16 && v < 28) {
                t.At(u, v) = static_cast<uint8_t>(128 + RampIndex(0.6 + 0.3 * grain, 0, 127));
                continue;
            }
            t.At(u, v) = RampIndex((v & 15) == 0 ? 0.12 : 0.5 + 0.3 * (grain - 0.5), 1, 127);
        }
    }
    return t;
}

Texture MakeDawnMastTexture()
{
    WoodStyle w;
    w.planks = 1;
    w.dark = {60, 36, 30};
    w.light = {210, 160, 120};
    w.seed = 504;
    return MakeWoodTexture(w);
}

Texture MakeDawnSeaTexture()
{
    RippleStyle r;
    r.deep = {40, 34, 70};
    r.crest = {170, 110, 130};
    r.glint = {255, 226, 170};
    r.glints = 0.7f;
    r.seed = 505;
    return MakeRippleTexture(r);
}

Texture MakeDawnGlowTexture()
{
    Texture t = BlankTexture();
    t.palette = RampPalette({{0, {0, 0, 0}}, {1, {20, 8, 12}}, {120, {140, 60, 60}}, {200, {230, 140, 80}}, {255, {255, 220, 150}}});
    const double sunU = kSunBearing / 360.0 * 256.0;
    for (int v = 0; v < kTextureSize; ++v) {
        // v from 0 at the band's foot (below the horizon) to 255 at its top.
        const double height = (v + 0.5) / kTextureSize;
        for (int u = 0; u < kTextureSize; ++u) {
            double du = (u - sunU) / 128.0;
            if (du > 1) du -= 2;
            if (du < -1) du += 2;
            const double towardsSun = SoftSpot(du, 0, 1.0);
            const double fall = SmoothStep(0.75, 0.1, height) * SmoothStep(0.0, 0.1, height);
            t.At(u, v) = RampIndex(fall * (0.3 + 0.7 * towardsSun));
        }
    }
    return t;
}

Texture MakeDawnCloudTexture()
{
    Texture t = BlankTexture();
    t.palette = RampPalette({{0, {0, 0, 0}}, {1, {40, 20, 30}}, {150, {170, 90, 100}}, {255, {255, 200, 150}}});
    for (int v = 0; v < kTextureSize; ++v) {
        for (int u = 0; u < kTextureSize; ++u) {
            const float n = FractalNoise(static_cast<float>(u) / 16.0f, static_cast<float>(v) / 64.0f, 16, 4, 4, 0.55f, 506);
            // Thick in the middle of the strip, frayed at its ends and edges; lit from below.
            const double across = (v + 0.5 - 128) / 128.0, along = (u + 0.5 - 128) / 128.0;
            const double body = n - 0.3 - 0.5 * across * across - 0.3 * along * along * along * along;
            const double lit = 0.5 + 0.5 * across;
            t.At(u, v) = body <= 0 ? 0 : RampIndex(body * 2.5 * lit + 0.1);
        }
    }
    return t;
}

Texture MakeDawnShadowTexture()
{
    Texture t = BlankTexture();
    t.palette = GreyRampPalette();
    for (int v = 0; v < kTextureSize; ++v) {
        for (int u = 0; u < kTextureSize; ++u) {
            const double spot = SoftSpot((u + 0.5 - 128) / 128, (v + 0.5 - 128) / 128, 1.0);
            t.At(u, v) = static_cast<uint8_t>(spot * 90.0);
        }
    }
    return t;
}

Texture MakeDawnSunTexture() { return MakeFlarePicture(507); }

} // namespace content
