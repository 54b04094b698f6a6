#include "scenes/deck_under_stars.h"

#include <iterator>
#include <string>
#include <utility>

#include "common/noise.h"
#include "scenes/builders/materials.h"
#include "scenes/builders/outline_edges.h"
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

constexpr float kStern = kShipStern;
constexpr float kBow = kShipBow;
constexpr float kWaterline = kShipWaterline;
constexpr float kBulwark = kShipBulwark;
constexpr const float* kMastY = kShipMastY;
constexpr const float* kMastHeight = kShipMastHeight;
constexpr int32_t kLast = kDeckUnderStarsLastFrame;

struct Materials {
    uint32_t deck, hull, mast, cloth, sky, sea, foam, flame, glass, iron, brass, star, rope;
};

Materials AddDeckMaterials(FsfScene& s)
{
    const Ramp lantern{{16, 12, 18}, {120, 84, 56}, {240, 190, 130}, 5, 0.35f};
    Materials m{};
    m.deck = AddMaterial(s, TextureMaterial("deck", "DECK.BMP", {0.3f, 0.9f, 0.15f}, lantern));
    m.hull = AddMaterial(s, TextureMaterial("hull", "HULL.BMP", {0.3f, 0.9f, 0.1f}, lantern));
    m.mast = AddMaterial(s, TextureMaterial("mast", "MAST.BMP", {0.3f, 0.9f, 0.1f}, lantern));
    m.cloth = AddMaterial(s, TextureMaterial("cloth", "CLOTH.BMP", {0.3f, 0.85f, 0.1f}, lantern));
    m.sky = AddMaterial(s, TextureMaterial("sky", "STARS.BMP", {1.0f, 0.0f, 0.0f}));
    m.sea = AddMaterial(s, TextureMaterial("sea", "SEA.BMP", kFoggedTexture, FogRamp({16, 20, 44})));
    m.foam = AddMaterial(s, TextureMaterial("foam", "FOAM.BMP", {0.0f, 0.8f, 0.0f}, FogRamp({0, 0, 0})));
    m.flame = AddMaterial(s, TextureMaterial("flame", "FLAMES.BMP", {1.0f, 0.0f, 0.0f}));
    m.glass = AddMaterial(s, TextureMaterial("glass", "GLASS.BMP", {1.0f, 0.0f, 0.0f}));
    m.iron = AddMaterial(s, ColourMaterial("iron", {{10, 10, 14}, {60, 54, 50}, {180, 160, 130}, 10, 0.4f}));
    m.brass = AddMaterial(s, ColourMaterial("brass", {{30, 20, 8}, {170, 130, 50}, {255, 230, 150}, 12, 0.45f}));
    // Tarred hemp: dark brown, warmed where the lanterns' light catches it.
    m.rope = AddMaterial(s, ColourMaterial("rope", {{22, 16, 14}, {112, 82, 54}, {200, 160, 110}, 6, 0.3f}));
    m.star = AddMaterial(s, ColourMaterial("starlines", {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, 2, 0.5f}));
    return m;
}

// Strings of small lights along the stays, for the festival.
void AddLightStrings(FsfScene& s, int32_t ship)
{
    const Vec3 colours[3] = {{1.0f, 0.72f, 0.35f}, {1.0f, 0.5f, 0.55f}, {0.95f, 0.9f, 0.55f}};
    int n = 0;
    for (int mast = 0; mast < 3; ++mast) {
        const Vec3 top{0, kMastY[mast], kMastHeight[mast] - 6};
        const Vec3 foot = mast < 2 ? Vec3{0, kMastY[mast + 1], 20} : Vec3{0, kBow + 54, 28};
        for (int k = 1; k < 10; ++k) {
            // Hanging in a slight curve below the straight stay.
            const double t = k / 10.0;
            const Vec3 at = Lerp(top, foot, t) + Vec3{0, 0, static_cast<float>(-12 * t * (1 - t))};
            FsfFlare f = MakeFlare("light_" + std::to_string(n), at, 16, colours[n % 3], 0);
            f.parent = ObjectReference(ship);
            // They twinkle: each is dark for a moment now and then.
            f.visibilityToggles = std::vector<float>{37.0f + 13.0f * static_cast<float>(n % 7), 39.0f + 13.0f * static_cast<float>(n % 7)};
            s.flares.push_back(f);
            ++n;
        }
    }
}

// A lantern: an iron cage with a cap, glints of glass, a flame and its glow; it hangs from
// its ring (the pivot) and swings.
void AddLantern(FsfScene& s, const Materials& m, const std::string& flameName, int32_t parent, Vec3 hook,
                float swing, int phase)
{
    LatheOptions o;
    o.segments = 6;
    Mesh cage = MakeLathe({{2.2f, -10, true}, {3.2f, -9, true}, {3.2f, -8, true}, {2.6f, -8, false}}, o);
    AppendMesh(cage, MakeLathe({{0.1f, -1.6f}, {3.4f, -3, true}, {2.6f, -2, false}, {1.4f, -1.2f}, {0.5f, 0}}, o));
    for (int k = 0; k < 4; ++k) {
        Mesh bar = MakeBox({-0.3f, -0.3f, -8.5f}, {0.3f, 0.3f, -2.5f}, 8);
        TranslateMesh(bar, OnCircle(2.9, kPi / 4 + kPi / 2 * k, 0));
        AppendMesh(cage, bar);
    }
    FsfObject lantern = MeshObject("lantern_" + flameName, cage, {m.iron}, RenderMode(Map::Nomap, Shade::Goura, Blend::Opaqu));
    lantern.positionTrack = ConstantVectorTrack(hook);
    // Hung from the ring at its top, it swings about it as the ship rolls.
    lantern.pivot = Vec3{0, 0, 0};
    const float p = 37.0f + 6.0f * static_cast<float>(phase);
    lantern.rotationTrack = SmoothVectorTrack({{0, {0, swing, 0}}, {p / 2, {0, -swing, swing * 0.4f}}, {p, {0, swing, 0}}}, true);
    const int32_t number = AddObject(s, lantern, parent);
    FsfObject glass = MeshObject("glass_" + flameName, MakeCylinder(2.8f, -8, -3, 6, 8, false), {m.glass},
                                 RenderMode(Map::Envtr, Shade::Nosha, Blend::Addit));
    AddObject(s, glass, number);
    FsfObject flame = MeshObject(flameName, MakeBillboards(2, 3.2f, 4.6f, {1, 1}, {63, 63}), {m.flame},
                                 RenderMode(Map::Textr, Shade::Nosha, Blend::Addit));
    flame.positionTrack = ConstantVectorTrack({0, 0, -8});
    flame.cullToggles = std::vector<float>{0};
    std::vector<Uv> cells;
    for (int k = 0; k < kFlameCells; ++k) {
        const int c = (k + phase * 3) % kFlameCells;
        cells.push_back({static_cast<float>(kFlameCellSize * (c % 4)), static_cast<float>(kFlameCellSize * (c / 4))});
    }
    flame.uvTrack = FlipbookTrack(cells, 1.0f);
    AddObject(s, flame, number);
    FsfFlare glow = MakeFlare(flameName + "_glow", {0, 0, -6}, 34, {1.0f, 0.7f, 0.35f}, 0);
    glow.parent = ObjectReference(number);
    s.flares.push_back(glow);
}

int32_t AddShip(FsfScene& s, const Materials& m)
{
    // The ship's node: it rolls and pitches gently; everything aboard hangs from it.
    FsfObject hull = MeshObject("hull", MakeShipHull(), {m.hull}, RenderMode(Map::Textu, Shade::Goura, Blend::Opaqu));
    hull.rotationTrack = SmoothVectorTrack({{0, {0, AngleUnits(-2.5), AngleUnits(0.6)}},
                                            {45, {0, AngleUnits(2.5), AngleUnits(-0.6)}},
                                            {90, {0, AngleUnits(-2.5), AngleUnits(0.6)}}},
                                           true);
    hull.positionTrack = SmoothVectorTrack({{0, {0, 0, 0}}, {60, {0, 0, 1.2f}}, {120, {0, 0, 0}}}, true);
    const Mesh hullMesh = MakeShipHull();
    hull.edges = MakeOutlineEdges(hullMesh);
    // Bright lines on the hull's silhouette and along folds of 25 degrees and more.
    hull.flagTrack = {MakeStepWord(0, OutlineFlags(Outline::FillBrightLines, 25, 0))};
    // The cabin aft: dark lines where its planes meet.
    Mesh cabin = MakeBox({-22, -128, 0}, {22, -92, 12}, 3.2f);
    FsfObject house = MeshObject("cabin", cabin, {m.deck}, RenderMode(Map::Textu, Shade::Flaty, Blend::Opaqu));
    house.edges = MakeOutlineEdges(cabin);
    house.flagTrack = {MakeStepWord(0, OutlineFlags(Outline::FillDarkLines, 40, 4))};
    // The cabin comes first, so that the hull's bright setting is the one the objects after it
    // inherit.
    const int32_t ship = static_cast<int32_t>(s.objects.size()) + 1;
    AddObject(s, house, ship);
    AddObject(s, hull);

    FsfObject deck = MeshObject("deck", MakeShipDeck(), {m.deck}, RenderMode(Map::Textu, Shade::Flaty, Blend::Opaqu));
    deck.switchTrack = StepReals({{0, 1}});
    AddObject(s, deck, ship);

    for (int i = 0; i < 3; ++i) {
        // Each yard with its sail furled along it.
        Mesh cloth;
        for (int y = 0; y < kShipYards; ++y) {
            const float z = ShipYardHeight(i, y), half = ShipYardHalfLength(i, y);
            LatheOptions f;
            f.segments = 6;
            f.uRepeats = 1;
            f.texelsPerUnit = 8;
            Mesh furl = MakeLathe({{0.5f, -half + 2}, {2.6f, -half + 6}, {3.0f, 0}, {2.6f, half - 6}, {0.5f, half - 2}}, f);
            RotateMeshAboutY(furl, kPi / 2);
            TranslateMesh(furl, {0, 3.5f, z - 2.4f});
            AppendMesh(cloth, furl);
        }
        FsfObject spar = MeshObject("mast_" + std::to_string(i), MakeShipMast(i), {m.mast},
                                    RenderMode(Map::Textu, Shade::Goura, Blend::Opaqu));
        spar.positionTrack = ConstantVectorTrack({0, kMastY[i], 0});
        const int32_t number = AddObject(s, spar, ship);
        AddObject(s, MeshObject("sails_" + std::to_string(i), cloth, {m.cloth}, RenderMode(Map::Textu, Shade::Goura, Blend::Opaqu)),
                  number);
    }
    AddObject(s, MeshObject("bowsprit", MakeShipBowsprit(), {m.mast}, RenderMode(Map::Textu, Shade::Goura, Blend::Opaqu)), ship);

    // The rigging: cords of rope, lit and shaded like the spars they hang from.
    AddObject(s, MeshObject("rigging", MakeShipRopes(1.0f), {m.rope}, RenderMode(Map::Nomap, Shade::Goura, Blend::Opaqu)),
              ship);

    // Lanterns: two on the taffrail, one under the main yard, one on the foremast, one at the bow.
    AddLantern(s, m, "vela_flammes", ship, {-26, kStern + 6, kBulwark + 14}, AngleUnits(4), 0);
    AddLantern(s, m, "vela_flammes_1", ship, {26, kStern + 6, kBulwark + 14}, AngleUnits(4), 1);
    AddLantern(s, m, "vela_flammes_2", ship, {-18, kMastY[1] + 1.5f, kMastHeight[1] * 0.42f - 4}, AngleUnits(7), 2);
    AddLantern(s, m, "vela_flammes_3", ship, {16, kMastY[2] + 1.5f, kMastHeight[2] * 0.42f - 4}, AngleUnits(7), 3);
    AddLantern(s, m, "vela_flammes_5", ship, {0, kBow - 14, kBulwark + 16}, AngleUnits(5), 4);
    for (int side = 0; side < 2; ++side) {
        Mesh post = MakeCylinder(0.7f, 0, kBulwark + 15, 5, 8, false);
        TranslateMesh(post, {side ? 26.0f : -26.0f, kStern + 6, 0});
        AddObject(s, MeshObject(side ? "post_east" : "post_west", post, {m.iron}, RenderMode(Map::Nomap, Shade::Goura, Blend::Opaqu)),
                  ship);
    }
    Mesh bowPost = MakeCylinder(0.7f, 0, kBulwark + 17, 5, 8, false);
    TranslateMesh(bowPost, {0, kBow - 14, 0});
    AddObject(s, MeshObject("post_bow", bowPost, {m.iron}, RenderMode(Map::Nomap, Shade::Goura, Blend::Opaqu)), ship);
    AddLightStrings(s, ship);
    return ship;
}

// The constellation of the Sails, drawn among the stars with lines and flares; it turns
// with the sky.
void AddConstellation(FsfScene& s, const Materials& m, int32_t sky)
{
    // Star places on a patch of sky (x across, z up), in scene units at the dome's radius.
    const Vec3 stars[9] = {{-260, 0, 40},  {-150, 0, 150}, {-20, 0, 200}, {120, 0, 170}, {230, 0, 60},
                           {170, 0, -60},  {40, 0, -100},  {-110, 0, -80}, {-40, 0, 40}};
    const int lines[10][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 7}, {7, 0}, {2, 8}, {8, 6}};
    Mesh figure;
    const uint32_t centre = AddVertex(figure, {0, 0, 50});
    for (const Vec3& star : stars) AddVertex(figure, star);
    // A fan of faces turned to the ship (-y) gives every line a face that sees the viewer.
    for (uint32_t k = 0; k < 8; ++k) {
        AddTriangle(figure, centre, 1 + (k + 1) % 8, 1 + k);
        Triangle& t = figure.triangles.back();
        if (TriangleNormal(figure, t).y > 0) std::swap(t.b, t.c);
    }
    FsfObject o = MeshObject("sails_constellation", figure, {m.star}, RenderMode(Map::Nomap, Shade::Nosha, Blend::Opaqu));
    std::vector<FsfEdge> edges;
    for (const auto& l : lines) edges.push_back({1 + l[0], 1 + l[1], 0, -1, -1.0f});
    o.edges = edges;
    o.flagTrack = {MakeStepWord(0, OutlineFlags(Outline::BrightLinesOnly, 0, 0))};
    // High in the sky astern and to port (where the turning sky brings it over the quarterdeck
    // for the greetings), facing the ship: turned so that its -y points at the middle of the
    // dome and tipped up by its height.
    const double azimuth = 214, elevation = 38;
    o.positionTrack = ConstantVectorTrack(OnCircle(1300 * Cosine(Radians(elevation)), Radians(azimuth),
                                                   1300 * Sine(Radians(elevation))));
    o.rotationTrack = ConstantVectorTrack({AngleUnits(90 - azimuth), 0, AngleUnits(elevation)});
    const int32_t number = AddObject(s, o, sky);
    for (int k = 0; k < 9; ++k) {
        FsfFlare f = MakeFlare("star_" + std::to_string(k), stars[k], k == 2 || k == 4 ? 200.0f : 140.0f,
                               {0.75f, 0.82f, 1.0f}, 1);
        f.parent = ObjectReference(number);
        s.flares.push_back(f);
    }
}

void AddSeaAndSky(FsfScene& s, const Materials& m)
{
    // The sea streams past the ship: its ripples drift astern.
    FsfObject sea = MeshObject("sea", MakeSubdividedPlane(8, 8, -1400, -1400, 1400, 1400, 1.0f), {m.sea},
                               RenderMode(Map::Textu, Shade::Foggy, Blend::Opaqu));
    sea.positionTrack = ConstantVectorTrack({0, 0, kWaterline});
    sea.switchTrack = StepReals({{0, 1}});
    sea.uvTrack = LinearVectorTrack({{0, {0, 0, 0}}, {100, {0, -256, 0}}}, true);
    AddObject(s, sea);
    // The wake: foam trailing from the stern, and a bow wave, drifting.
    Mesh wake;
    AddQuad(wake, {-30, kStern - 260, 0}, {30, kStern - 260, 0}, {26, kStern + 10, 0}, {-26, kStern + 10, 0}, {0, 0},
            {256, 0}, {256, 512}, {0, 512});
    AddQuad(wake, {-34, kBow - 120, 0}, {-14, kBow - 60, 0}, {-2, kBow - 4, 0}, {-46, kBow - 100, 0}, {0, 0}, {128, 0},
            {128, 128}, {0, 128});
    AddQuad(wake, {14, kBow - 60, 0}, {34, kBow - 120, 0}, {46, kBow - 100, 0}, {2, kBow - 4, 0}, {0, 0}, {128, 0},
            {128, 128}, {0, 128});
    FsfObject foam = MeshObject("wake", wake, {m.foam}, RenderMode(Map::Textr, Shade::Foggy, Blend::Addit));
    foam.positionTrack = ConstantVectorTrack({0, 0, kWaterline + 0.4f});
    foam.uvTrack = LinearVectorTrack({{0, {0, 0, 0}}, {60, {0, 256, 0}}}, true);
    AddObject(s, foam);

    // The sky: a dome of stars turning slowly about the zenith.
    LatheOptions o;
    o.segments = 12;
    o.uRepeats = 4;
    o.inward = true;
    std::vector<ProfilePoint> dome;
    for (int i = 0; i <= 5; ++i) {
        const double a = Radians(-8 + 98.0 * i / 5);
        dome.push_back({i == 5 ? 0.0f : static_cast<float>(1600 * Cosine(a)), static_cast<float>(1600 * Sine(a)), false});
    }
    o.texelsPerUnit = -256.0f / static_cast<float>(1600 * Radians(98));
    FsfObject sky = MeshObject("sky", MakeLathe(dome, o), {m.sky}, RenderMode(Map::Textu, Shade::Nosha, Blend::Opaqu));
    sky.rotationTrack = SpinTrack(6000, {1, 0, 0});
    const int32_t number = AddObject(s, sky);
    AddConstellation(s, m, number);
}

void AddCamerasAndLight(FsfScene& s, int32_t ship)
{
    FsfLight starlight;
    starlight.name = "starlight";
    starlight.positionTrack = ConstantVectorTrack({-500, -300, 700});
    starlight.targetTrack = ConstantVectorTrack({0, 0, 0});
    starlight.intensityTrack = ConstantScalarTrack(1.0f);
    s.lights.push_back(starlight);

    // The voyage before the greetings, one shot per four-bar phrase of the module (a bar is
    // 1.92 s and bar n starts 0.12 + 1.92 n s into the part, so the cuts fall on scene frames
    // 78, 155, 232, ...), each a different kind of view. World cameras watch the ship from the
    // sea; the others ride it.
    const auto world = [&s](const char* name, FsfVectorTrack eye, FsfVectorTrack look, float fov) {
        s.cameras.push_back(MakeCamera(name, std::move(eye), std::move(look), fov));
    };
    const auto aboard = [&s, ship](const char* name, FsfVectorTrack eye, FsfVectorTrack look, float fov) {
        FsfCamera camera = MakeCamera(name, std::move(eye), std::move(look), fov);
        camera.parent = ObjectReference(ship);
        s.cameras.push_back(camera);
    };
    // The ship whole, from astern, low over the water.
    world("astern", SmoothVectorTrack({{0, {-60, -380, 22}, 0, 0.5f}, {78, {-30, -340, 28}}}),
          SmoothVectorTrack({{0, {0, -20, 70}}, {78, {0, 0, 76}}}), 36);
    // High over the sea: the ship small on the water, circling from her port quarter.
    world("aloft", SmoothVectorTrack({{78, {-430, -260, 250}}, {155, {-400, 110, 230}}}),
          SmoothVectorTrack({{78, {0, 0, 40}}, {155, {0, 40, 50}}}), 36);
    // Close by the port stern lantern, over the rail, along the deck to the masts.
    aboard("lanterns", SmoothVectorTrack({{155, {-46, -156, 44}}, {232, {-40, -146, 38}}}),
           SmoothVectorTrack({{155, {0, -80, 34}}, {232, {10, -40, 40}}}), 38);
    // Along the port side forward, the masts ahead.
    aboard("walk", SmoothVectorTrack({{232, {-26, -100, 22}}, {308, {-26, -24, 22}}}),
           SmoothVectorTrack({{232, {20, 20, 52}}, {308, {30, 100, 64}}}), 38);
    // Up the main shrouds, the rigging against the turning sky.
    aboard("climb", SmoothVectorTrack({{308, {30, -20, 40}}, {385, {24, -24, 130}}}),
           SmoothVectorTrack({{308, {0, 60, 180}}, {385, {-10, 80, 240}}}), 40);
    // The sky itself, turning over the mastheads.
    aboard("zenith", SmoothVectorTrack({{385, {-10, -40, 24}}, {462, {-12, -44, 24}}}),
           SmoothVectorTrack({{385, {-60, 20, 400}}, {462, {-90, -10, 400}}}), 44);
    // From ahead: the ship coming on under her sails.
    world("bow", SmoothVectorTrack({{462, {60, 400, 40}}, {539, {44, 340, 46}}}),
          SmoothVectorTrack({{462, {0, 100, 70}}, {539, {0, 60, 72}}}), 36);
    // Broadside from the sea, the lanterns along her.
    world("broadside", SmoothVectorTrack({{539, {330, -140, 30}}, {616, {310, 150, 34}}}),
          SmoothVectorTrack({{539, {0, -60, 70}}, {616, {0, 80, 70}}}), 36);
    // The foredeck, looking aft at the masts and lanterns.
    aboard("foredeck", SmoothVectorTrack({{616, {8, 150, 34}}, {692, {12, 128, 40}}}),
           SmoothVectorTrack({{616, {-10, -60, 90}}, {692, {-14, -100, 100}}}), 40);
    // From the mainmast's head down onto the deck and the sea.
    aboard("masthead", SmoothVectorTrack({{692, {6, 22, 196}}, {750, {8, 14, 200}}}),
           SmoothVectorTrack({{692, {-20, -80, 0}}, {750, {-30, -100, 0}}}), 40);
    // Under the sky for the greetings: from the quarterdeck up to the stars and the Sails,
    // the masts to one side.
    FsfCamera sky = MakeCamera("stargazing",
                               SmoothVectorTrack({{750, {-24, -100, 20}, 0, 0.5f}, {kLast, {-30, -112, 18}, 0.5f, 0}}),
                               SmoothVectorTrack({{750, {-300, 200, 280}}, {kLast, {-340, 180, 330}}}), 40);
    sky.parent = ObjectReference(ship);
    s.cameras.push_back(sky);
}

} // namespace

FsfScene BuildDeckUnderStars()
{
    FsfScene s;
    s.info = std::array<int32_t, 3>{0, 0, kLast};
    const Materials m = AddDeckMaterials(s);
    // Sea and sky first: lines do not write depth, so whatever is drawn after them would
    // cover the rigging and outlines against the sky.
    AddSeaAndSky(s, m);
    const int32_t ship = AddShip(s, m);
    AddCamerasAndLight(s, ship);
    s.events = std::vector<FsfEvent>{
        MakeCameraEvent(0, 0),   MakeLightEvent(0, 0),        MakeFarEvent(0, 3000), MakeBackgroundEvent(0, 4, 5, 14),
        MakeFogEvent(0, 200, 1400),
    };
    // The voyage's cuts, then the greetings' sky at 750.
    const int32_t cuts[] = {0, 78, 155, 232, 308, 385, 462, 539, 616, 692, 750};
    for (int32_t i = 1; i < static_cast<int32_t>(std::size(cuts)); ++i) {
        s.events->push_back(MakeCameraEvent(static_cast<float>(cuts[i]), i));
    }
    return s;
}

Texture MakeDeckWoodTexture()
{
    WoodStyle w;
    w.planks = 8;
    w.dark = {40, 24, 14};
    w.light = {196, 150, 100};
    w.seed = 301;
    return MakeWoodTexture(w);
}

Texture MakeDeckHullTexture()
{
    Texture t = BlankTexture();
    t.palette = TwoRampPalette({8, 10, 20}, {70, 80, 110}, {60, 40, 10}, {250, 210, 120});
    for (int v = 0; v < kTextureSize; ++v) {
        for (int u = 0; u < kTextureSize; ++u) {
            // v runs down the side: eight texels to a unit; a gilded band just under the rail.
            const int strake = (v / 16) & 255;
            const float grain = FractalNoise(static_cast<float>(u) / 32.0f, static_cast<float>(v) / 4.0f, 8, 64, 3, 0.5f, 302);
            if (v >= 16 && v < 28) {
                const bool scroll = ((u + (v - 16) * 3) & 31) < 4;
                t.At(u, v) = static_cast<uint8_t>(128 + RampIndex(0.55 + 0.3 * grain + (scroll ? 0.2 : 0.0), 0, 127));
                continue;
            }
            double value = 0.45 + 0.3 * (grain - 0.5) + 0.05 * (strake & 1);
            if ((v & 15) == 0) value = 0.1;
            t.At(u, v) = RampIndex(value, 1, 127);
        }
    }
    return t;
}

Texture MakeDeckMastTexture()
{
    WoodStyle w;
    w.planks = 1;
    w.dark = {50, 30, 16};
    w.light = {190, 140, 90};
    w.seed = 303;
    return MakeWoodTexture(w);
}

Texture MakeDeckClothTexture()
{
    ClothStyle c;
    c.dark = {60, 58, 60};
    c.light = {230, 220, 196};
    c.seed = 304;
    return MakeClothTexture(c);
}

Texture MakeDeckSkyTexture()
{
    StarSkyStyle s;
    s.horizon = {34, 34, 72};
    s.zenith = {4, 4, 18};
    s.star = {240, 236, 255};
    s.stars = 420;
    s.band = 0.8f;
    s.seed = 305;
    return MakeStarSky(s);
}

Texture MakeDeckSeaTexture()
{
    RippleStyle r;
    r.deep = {4, 6, 18};
    r.crest = {30, 44, 86};
    r.glint = {150, 170, 220};
    r.glints = 0.35f;
    r.seed = 306;
    return MakeRippleTexture(r);
}

Texture MakeDeckFoamTexture()
{
    Texture t = BlankTexture();
    t.palette = RampPalette({{0, {0, 0, 0}}, {1, {10, 16, 30}}, {255, {170, 190, 220}}});
    for (int v = 0; v < kTextureSize; ++v) {
        for (int u = 0; u < kTextureSize; ++u) {
            const float n = TileNoise(static_cast<float>(u), static_cast<float>(v), 16, 4, 0.55f, 307);
            // Foam thickest along the middle of the strip, broken into gaps elsewhere.
            const double across = (u - 128) / 128.0;
            const double value = n - 0.35 - 0.35 * across * across;
            t.At(u, v) = value <= 0 ? 0 : RampIndex(value * 2.2);
        }
    }
    return t;
}

Texture MakeDeckFlameTexture() { return MakeFlameSheet(308, 0.5f); }

Texture MakeDeckGlassTexture()
{
    Texture t = BlankTexture();
    t.palette = RampPalette({{0, {0, 0, 0}}, {1, {40, 30, 20}}, {255, {255, 220, 160}}});
    for (int v = 0; v < kTextureSize; ++v) {
        for (int u = 0; u < kTextureSize; ++u) {
            const double x = (u + 0.5 - 128) / 128, y = (v + 0.5 - 128) / 128;
            // A bright window glint up and to the left, a rim glint; see-through elsewhere.
            const double glint = SoftSpot(x + 0.35, y - 0.4, 0.3) + 0.5 * SoftSpot(0, (x * x + y * y - 0.8) * 6, 1.0);
            t.At(u, v) = glint < 0.08 ? 0 : RampIndex(glint);
        }
    }
    return t;
}

} // namespace content
