#include "scenes/hall_of_fire.h"

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

// The hall: walls at x = +-80 up to the springing of the vault at 60, the vault's crown at
// 140; the entrance at y = 0, the hearth in the end wall at y = 320.
constexpr float kWallX = 80;
constexpr float kSpring = 60;
constexpr float kLength = 320;
constexpr float kPillarX = 40;
constexpr float kSeamOverlap = 4;
constexpr int kPillarPairs = 7;
constexpr float kFirstPillar = 45;
constexpr float kPillarStep = 38;
constexpr float kBrazierY[5] = {70, 115, 160, 205, 250};
constexpr const char* kBrazierFlames[5] = {"vela_flammes_1", "vela_flammes_2", "vela_flammes", "vela_flammes_3",
                                           "vela_flammes_5"};
// One flip-book cell per scene frame; the part speeds the tracks up twice.
constexpr float kCellHold = 1.0f;

struct Materials {
    uint32_t brick, vault, pillar, floor, flame, fire, shadow, iron, bowl, brass, spark, ember;
};

Materials AddHallMaterials(FsfScene& s)
{
    // Fire light: warm lit faces, shadows of dark umber.
    const Ramp fireLit{{18, 8, 6}, {130, 60, 30}, {250, 170, 90}, 5, 0.35f};
    Materials m{};
    m.brick = AddMaterial(s, TextureMaterial("brick", "BRICK.BMP", {0.25f, 1.0f, 0.15f}, fireLit));
    m.vault = AddMaterial(s, TextureMaterial("vault", "BRICK.BMP", kFoggedTexture, FogRamp({14, 6, 5})));
    m.pillar = AddMaterial(s, TextureMaterial("pillar", "PILLAR.BMP", {0.28f, 1.05f, 0.12f}, fireLit));
    m.floor = AddMaterial(s, TextureMaterial("floor", "FLOOR.BMP", kFoggedTexture, FogRamp({14, 6, 5})));
    m.flame = AddMaterial(s, TextureMaterial("flame", "FLAMES.BMP", {1.0f, 0.0f, 0.0f}));
    FsfMaterial fire = TextureMaterial("hearthfire", "FIRE.BMP", {1.0f, 0.0f, 0.0f});
    // The hearth fire runs through its eight frames twelve times a second.
    fire.frameTrack = std::vector<StepKey>{MakeStepReal(0, 0), MakeStepReal(kHallOfFireLastFrame, 1.2f * kHallOfFireLastFrame)};
    m.fire = AddMaterial(s, fire);
    m.shadow = AddMaterial(s, TextureMaterial("shadow", "SHADOW.BMP", {1.0f, 0.0f, 0.0f}));
    m.iron = AddMaterial(s, ColourMaterial("iron", {{10, 6, 6}, {60, 40, 34}, {170, 120, 90}, 12, 0.4f}));
    m.bowl = AddMaterial(s, ColourMaterial("bronze", {{24, 10, 4}, {140, 74, 30}, {255, 200, 120}, 10, 0.45f}));
    m.brass = AddMaterial(s, TextureMaterial("brass", "BRASS.BMP", {0.35f, 0.9f, 0.0f}));
    m.spark = AddMaterial(s, ColourMaterial("spark", {{255, 150, 40}, {255, 150, 40}, {255, 200, 90}, 2, 0.2f}));
    FsfMaterial ember = ColourMaterial("ember", {{30, 4, 0}, {150, 40, 6}, {255, 120, 30}, 3, 0.4f});
    // The ember bed's glow swells and sinks.
    ember.opacityTrack = SmoothScalarTrack({{0, 0.4f}, {11, 0.7f}, {19, 0.45f}, {31, 0.8f}, {42, 0.5f}, {50, 0.4f}}, true);
    m.ember = AddMaterial(s, ember);
    return m;
}

std::vector<Uv> FlameCells(int start)
{
    std::vector<Uv> cells;
    for (int k = 0; k < kFlameCells; ++k) {
        const int c = (k + start) % kFlameCells;
        cells.push_back({static_cast<float>(kFlameCellSize * (c % 4)), static_cast<float>(kFlameCellSize * (c / 4))});
    }
    return cells;
}

// A flame: crossed flip-book quads, colour-keyed and added to the picture, seen from every
// side, hidden until `ignite` when it catches.
FsfObject FlameObject(const std::string& name, const Materials& m, int planes, float width, float height, int start,
                      float ignite)
{
    FsfObject o = MeshObject(name, MakeBillboards(planes, width, height, {1, 1}, {63, 63}), {m.flame},
                             RenderMode(Map::Textr, Shade::Nosha, Blend::Addit));
    o.cullToggles = std::vector<float>{0};
    o.uvTrack = FlipbookTrack(FlameCells(start), kCellHold);
    if (ignite > 0) o.hideToggles = std::vector<float>{0, ignite};
    return o;
}

FsfFlare FireFlare(const std::string& name, int32_t parent, Vec3 at, float size, Vec3 colour, int flag,
                   const std::string& picture, float ignite)
{
    FsfFlare f = MakeFlare(name, at, size, colour, flag, picture);
    f.parent = ObjectReference(parent);
    if (ignite > 0) f.visibilityToggles = std::vector<float>{0, ignite};
    return f;
}

void AddShell(FsfScene& s, const Materials& m)
{
    const int32_t wallMode = RenderMode(Map::Textu, Shade::Flaty, Blend::Opaqu);
    for (int side = 0; side < 2; ++side) {
        const float x = side ? kWallX : -kWallX;
        // Facing the middle of the hall: the panel faces across x up. Each wall reaches a
        // little past its neighbours (under the floor, behind the vault and the end walls):
        // where two surfaces meet, clipping near the camera can open hairline cracks along
        // the seam, and these show the wall behind instead of the clear colour.
        const Vec3 corner{x, side ? kLength + kSeamOverlap : -kSeamOverlap, -kSeamOverlap};
        const Vec3 across{0, side ? -(kLength + 2 * kSeamOverlap) : kLength + 2 * kSeamOverlap, 0};
        AddObject(s, MeshObject(side ? "wall_east" : "wall_west",
                                MakePanel(corner, across, {0, 0, kSpring + 2 * kSeamOverlap}, 8, 2, 4), {m.brick}, wallMode));
    }
    // The barrel vault, fading into smoke far off.
    LatheOptions o;
    o.segments = 10;
    o.uRepeats = 2;
    o.texelsPerUnit = 4;
    o.startRadians = kPi;
    o.endRadians = kTwoPi;
    o.inward = true;
    std::vector<ProfilePoint> run;
    for (int i = 0; i <= 8; ++i) run.push_back({kWallX, kLength * static_cast<float>(i) / 8, false});
    Mesh vault = MakeLathe(run, o);
    RotateMeshAboutX(vault, -kPi / 2);
    TranslateMesh(vault, {0, 0, kSpring});
    FsfObject vaultObject = MeshObject("vault", vault, {m.vault}, RenderMode(Map::Textu, Shade::Foggy, Blend::Opaqu));
    AddObject(s, vaultObject);

    FsfObject floor = MeshObject("floor", MakeSubdividedPlane(4, 8, -kWallX - kSeamOverlap, -kSeamOverlap, kWallX + kSeamOverlap,
                                                                     kLength + kSeamOverlap, 2.0f), {m.floor},
                                 RenderMode(Map::Textu, Shade::Foggy, Blend::Opaqu));
    floor.switchTrack = StepReals({{0, 1}}); // perspective-correct
    AddObject(s, floor);

    // The end walls: the entrance with its door, the far wall with the hearth, each under a
    // half disc closing the vault.
    for (int end = 0; end < 2; ++end) {
        ArchShape a;
        a.halfSpan = end ? 24.0f : 16.0f;
        a.pier = kWallX - a.halfSpan;
        a.spring = end ? 26.0f : 30.0f;
        a.crown = kSpring - a.spring - a.halfSpan;
        a.depth = 6;
        a.segments = 10;
        Mesh wall = MakeArch(a, 4);
        // As many segments as the vault, so that the half disc meets it edge to edge.
        Mesh cap = MakeSector(kWallX, 0, kPi, 10, 4);
        // Stood up in the xz plane facing -y (the hearth's end), or turned round to face +y.
        RotateMeshAboutX(cap, kPi / 2);
        if (!end) RotateMeshAboutZ(cap, kPi);
        // Half a unit behind the wall's face, with a strip reaching down behind the wall's top:
        // the wall's top edge is cut at other places than the half disc's, and the strip
        // covers the hairline cracks such a seam leaves.
        TranslateMesh(cap, {0, end ? -2.5f : 2.5f, kSpring});
        AppendMesh(wall, cap);
        const float face = end ? -2.5f : 2.5f;
        AppendMesh(wall, MakePanel({end ? -kWallX : kWallX, face, kSpring - 3}, {end ? 2 * kWallX : -2 * kWallX, 0, 0},
                                   {0, 0, 4}, 4, 1, 4));
        TranslateMesh(wall, {0, end ? kLength + 3 : -3.0f, 0});
        AddObject(s, MeshObject(end ? "hearth_wall" : "entrance_wall", wall, {m.brick}, wallMode));
    }
    // A dark passage beyond the entrance door.
    Mesh passage = MakeBox({-16, -160, 0}, {16, -6, 46}, 4);
    FlipMesh(passage);
    AddObject(s, MeshObject("passage", passage, {m.vault}, RenderMode(Map::Textu, Shade::Foggy, Blend::Opaqu)));
    // The hearth's recess: a box seen from inside.
    Mesh recess = MakeBox({-24, kLength + 6, 0}, {24, kLength + 26, 50}, 4);
    FlipMesh(recess);
    AddObject(s, MeshObject("hearth_recess", recess, {m.brick}, wallMode));
    // The hearthstone, from the hall through the wall's thickness into the recess.
    AddObject(s, MeshObject("hearthstone", MakeBox({-26, kLength - 6, 0}, {26, kLength + 14, 1.5f}, 2), {m.floor},
                            RenderMode(Map::Textu, Shade::Foggy, Blend::Opaqu)));
    // Its fire, eight frames of flames over an ember bed.
    Mesh fire;
    AddQuad(fire, {-22, kLength + 16, 0}, {22, kLength + 16, 0}, {22, kLength + 16, 38}, {-22, kLength + 16, 38},
            {0, 255}, {255, 255}, {255, 0}, {0, 0});
    FsfObject fireObject = MeshObject("hearth_fire", fire, {m.fire}, RenderMode(Map::Textr, Shade::Nosha, Blend::Addit));
    fireObject.hideToggles = std::vector<float>{0, 200};
    const int32_t hearth = AddObject(s, fireObject);
    s.flares.push_back(FireFlare("hearth_glow", hearth, {0, 0, 14}, 90, {1.0f, 0.5f, 0.2f}, 0, "FLARE.BMP", 200));
    // The emblem over the hearth: a star of polished brass.
    Mesh star = MakeStar(8, 7, 16, -2, 2, 4);
    RotateMeshAboutX(star, kPi / 2);
    FsfObject emblem = MeshObject("emblem", star, {m.brass}, RenderMode(Map::Envma, Shade::Goura, Blend::Opaqu));
    emblem.positionTrack = ConstantVectorTrack({0, kLength - 2, 92});
    emblem.rotationTrack = SpinTrack(400, {0, 1, 0}); // turning slowly in its own plane
    AddObject(s, emblem);
}

Mesh PillarMesh()
{
    LatheOptions o;
    o.segments = 8;
    o.uRepeats = 1;
    o.texelsPerUnit = 256.0f / 60.0f;
    const std::vector<ProfilePoint> profile = {{7.5f, 0, true},   {7.5f, 4, true},    {6.0f, 5.5f, true},
                                               {5.5f, 50, true},  {7.0f, 53, false},  {8.5f, 56, true},
                                               {8.5f, 60, true},  {0, 60, false}};
    return MakeLathe(profile, o);
}

// A torch: an iron bracket standing out from a face at `face` (pointing along x by `inward`)
// with a cup, its flame and glow.
void AddBracketTorch(FsfScene& s, const Materials& m, const std::string& name, const std::string& flameName, Vec3 face,
                     float inward, int cell, float ignite)
{
    Mesh bracket = MakeBox({-1, -1, -1}, {1, 1, 1}, 8);
    ScaleMesh(bracket, {4, 1, 1});
    TranslateMesh(bracket, {4 * inward - 1.5f * inward, 0, 0});
    LatheOptions o;
    o.segments = 6;
    Mesh cup = MakeLathe({{0.6f, -3}, {2.4f, 0.5f}, {2.8f, 1.2f, true}, {2.0f, 1.2f}}, o);
    TranslateMesh(cup, {7 * inward, 0, 0});
    AppendMesh(bracket, cup);
    FsfObject torch = MeshObject(name, bracket, {m.iron}, RenderMode(Map::Nomap, Shade::Goura, Blend::Opaqu));
    torch.positionTrack = ConstantVectorTrack(face);
    const int32_t number = AddObject(s, torch);
    FsfObject flame = FlameObject(flameName, m, 2, 6, 10, cell, ignite);
    flame.positionTrack = ConstantVectorTrack({7 * inward, 0, 0.8f});
    AddObject(s, flame, number);
    s.flares.push_back(FireFlare(flameName + "_glow", number, {7 * inward, 0, 5}, 15, {1.0f, 0.55f, 0.22f}, 0, "", ignite));
}

// The torch on pillar k (pairs from the entrance, west then east), on its face to the nave.
void AddTorch(FsfScene& s, const Materials& m, int k, float ignite)
{
    const int side = k % 2, pair = k / 2;
    const float inward = side ? -1.0f : 1.0f;
    const Vec3 face{(side ? kPillarX : -kPillarX) + 7.5f * inward, kFirstPillar + kPillarStep * static_cast<float>(pair), 38};
    AddBracketTorch(s, m, "torch_" + std::to_string(k), k == 0 ? "flammes07" : "flammes07_" + std::to_string(k), face,
                    inward, k * 5, ignite);
}

// A brazier: a bronze stand and bowl on the hall's axis, a great flame, sparks and a flare.
void AddBrazier(FsfScene& s, const Materials& m, int i, float ignite)
{
    LatheOptions o;
    o.segments = 10;
    const std::vector<ProfilePoint> stand = {{7, 0, true}, {7, 1.5f, true}, {2, 3, true}, {1.4f, 18, true},
                                             {3, 20, true}, {9.5f, 25, false}, {10.5f, 28, true}, {8.5f, 28, false},
                                             {0, 26, false}};
    FsfObject brazier = MeshObject("brazier_" + std::to_string(i), MakeLathe(stand, o), {m.bowl},
                                   RenderMode(Map::Nomap, Shade::Goura, Blend::Opaqu));
    brazier.positionTrack = ConstantVectorTrack({0, kBrazierY[i], 0});
    const int32_t number = AddObject(s, brazier);
    // The ember bed in the bowl glows before the flames catch.
    Mesh bed = MakeSector(8.5f, 0, kTwoPi, 10, 4);
    TranslateMesh(bed, {0, 0, 27.2f});
    AddObject(s, MeshObject("embers_" + std::to_string(i), bed, {m.ember},
                            RenderMode(Map::Nomap, Shade::Shade, Blend::Opaqu)),
              number);
    FsfObject flame = FlameObject(kBrazierFlames[i], m, 3, 13, 19, i * 3 + 1, ignite);
    flame.positionTrack = ConstantVectorTrack({0, 0, 26});
    AddObject(s, flame, number);
    s.flares.push_back(FireFlare(std::string(kBrazierFlames[i]) + "_glow", number, {0, 0, 34}, 32,
                                 {1.0f, 0.6f, 0.3f}, 1, "FLARE.BMP", ignite));
    // A soft shadow pooled round the stand's foot.
    Mesh pool;
    AddQuad(pool, {-16, -16, 0.3f}, {16, -16, 0.3f}, {16, 16, 0.3f}, {-16, 16, 0.3f}, {0, 0}, {255, 0}, {255, 255},
            {0, 255});
    AddObject(s, MeshObject("shadow_" + std::to_string(i), pool, {m.shadow},
                            RenderMode(Map::Textu, Shade::Nosha, Blend::Soust)),
              number);
    // Sparks rising from the fire on looping paths, each on its own beat.
    for (int k = 0; k < 3; ++k) {
        const float period = 18.0f + 7.0f * static_cast<float>((i + k) % 3);
        const double a = Radians(40.0 * i + 120.0 * k);
        const Vec3 from = OnCircle(3, a, 40), to = OnCircle(9, a + 0.8, 92);
        FsfObject spark = MeshObject("spark_" + std::to_string(i) + "_" + std::to_string(k), MakeSphere(0.45f, 2, 4, 1, 1),
                                     {m.spark}, RenderMode(Map::Nomap, Shade::Nosha, Blend::Addit));
        spark.positionTrack = LinearVectorTrack({{0, from}, {period, to}}, true);
        spark.hideToggles = std::vector<float>{0, ignite + static_cast<float>(k) * 5};
        AddObject(s, spark, number);
    }
}

void AddPillarsAndFires(FsfScene& s, const Materials& m)
{
    const Mesh pillar = PillarMesh();
    for (int k = 0; k < 2 * kPillarPairs; ++k) {
        const int side = k % 2, pair = k / 2;
        FsfObject p = MeshObject("pillar_" + std::to_string(k), pillar, {m.pillar},
                                 RenderMode(Map::Textu, Shade::Goura, Blend::Opaqu));
        p.positionTrack = ConstantVectorTrack({side ? kPillarX : -kPillarX, kFirstPillar + kPillarStep * static_cast<float>(pair), 0});
        AddObject(s, p);
    }
    // Beams along the pillar rows and a rib across the nave at every pair of pillars.
    const int32_t stoneMode = RenderMode(Map::Textu, Shade::Flaty, Blend::Opaqu);
    for (int side = 0; side < 2; ++side) {
        const float x = side ? kPillarX : -kPillarX;
        AddObject(s, MeshObject(side ? "beam_east" : "beam_west",
                                MakeBox({x - 8.5f, kFirstPillar - 8.5f, kSpring}, {x + 8.5f, kFirstPillar + kPillarStep * 6 + 8.5f, kSpring + 7},
                                        4),
                                {m.pillar}, stoneMode));
    }
    ArchShape rib;
    rib.halfSpan = kPillarX - 8;
    rib.crown = 6;
    rib.spring = 0;
    rib.depth = 7;
    rib.segments = 10;
    rib.band = true;
    for (int pair = 0; pair < kPillarPairs; ++pair) {
        Mesh band = MakeArch(rib, 4);
        TranslateMesh(band, {0, kFirstPillar + kPillarStep * static_cast<float>(pair), kSpring + 7});
        AddObject(s, MeshObject("rib_" + std::to_string(pair), band, {m.pillar}, stoneMode));
    }
    // The torches catch in pairs from the entrance towards the hearth, then the braziers
    // from the middle outwards, then the two great torches by the hearth.
    for (int k = 0; k < 2 * kPillarPairs; ++k) AddTorch(s, m, k, 24.0f + 14.0f * static_cast<float>(k / 2) + 4.0f * static_cast<float>(k % 2));
    // Sconces on the side walls light the aisles, catching with the pillar torches beside them.
    for (int k = 0; k < 8; ++k) {
        const int side = k % 2, place = k / 2;
        const float inward = side ? -1.0f : 1.0f;
        const float y = kFirstPillar + kPillarStep * (0.5f + 2.0f * static_cast<float>(place));
        AddBracketTorch(s, m, "sconce_" + std::to_string(k), "sconce_flame_" + std::to_string(k),
                        {(side ? kWallX : -kWallX) + 1.5f * inward, y, 36}, inward, k * 7 + 3,
                        30.0f + 28.0f * static_cast<float>(place) + 4.0f * static_cast<float>(side));
    }
    const float brazierIgnite[5] = {150, 135, 120, 135, 150};
    for (int i = 0; i < 5; ++i) AddBrazier(s, m, i, brazierIgnite[i]);
    for (int side = 0; side < 2; ++side) {
        LatheOptions o;
        o.segments = 8;
        FsfObject stand = MeshObject(side ? "torchstand_east" : "torchstand_west",
                                     MakeLathe({{5, 0, true}, {5, 2, true}, {1.2f, 3, true}, {1.2f, 40, true},
                                                {3.5f, 43, false}, {4.2f, 46, true}, {0, 45, false}},
                                               o),
                                     {m.iron}, RenderMode(Map::Nomap, Shade::Goura, Blend::Opaqu));
        stand.positionTrack = ConstantVectorTrack({side ? 34.0f : -34.0f, kLength - 14, 0});
        const int32_t number = AddObject(s, stand);
        const std::string name = side ? "flamtorch2" : "flamtorch";
        FsfObject flame = FlameObject(name, m, 3, 10, 16, side ? 9 : 2, 180 + 8.0f * static_cast<float>(side));
        flame.positionTrack = ConstantVectorTrack({0, 0, 44});
        AddObject(s, flame, number);
        s.flares.push_back(FireFlare(name + "_glow", number, {0, 0, 51}, 34, {1.0f, 0.7f, 0.35f}, 3, "FLARE.BMP",
                                     180 + 8.0f * static_cast<float>(side)));
    }
}

// The camera's five movements, one per musical section, cut at the section starts.
void AddCamerasAndLight(FsfScene& s)
{
    FsfLight fire;
    fire.name = "firelight";
    fire.positionTrack = ConstantVectorTrack({-60, 380, 160});
    fire.targetTrack = ConstantVectorTrack({20, 120, 0});
    // Dark while the torches catch, full once they burn.
    fire.intensityTrack = SmoothScalarTrack({{0, 0.1f}, {60, 0.25f}, {200, 1.0f}});
    s.lights.push_back(fire);
    FsfLight blaze = fire;
    blaze.name = "blaze";
    blaze.positionTrack = ConstantVectorTrack({70, 420, 120});
    blaze.targetTrack = ConstantVectorTrack({-20, 100, 20});
    blaze.intensityTrack = SmoothScalarTrack({{1100, 1.0f}, {1130, 0.8f}, {1160, 1.0f}, {1190, 0.85f}, {1220, 1.0f}});
    s.lights.push_back(blaze);

    // Embers in the dark: over the entrance, looking down the hall at the glowing braziers
    // while the torches catch along the walls.
    s.cameras.push_back(MakeCamera("embers",
                                   SmoothVectorTrack({{0, {-6, 6, 42}, 0, 0.7f}, {221, {6, 40, 50}, 0.3f, 0}}),
                                   SmoothVectorTrack({{0, {0, 200, 18}, 0, 0.7f}, {221, {0, 240, 26}, 0.3f, 0}}), 34));
    // The hall revealed: one slow round along the nave above the flames, under the ribs and
    // clear of the pillars, always looking at the middle brazier.
    std::vector<PathKey> round, roundLook;
    for (int i = 0; i <= 12; ++i) {
        const float f = 221.0f + (664.0f - 221.0f) * static_cast<float>(i) / 12;
        const double a = Radians(-90 + 360.0 * i / 12);
        round.push_back({f, V(9 * Cosine(a), kBrazierY[2] + 100 * Sine(a), 64 + 5 * Sine(2 * a))});
        roundLook.push_back({f, V(-3 * Cosine(a), kBrazierY[2] - 40 * Sine(a), 26)});
    }
    s.cameras.push_back(MakeCamera("circling", SmoothVectorTrack(round, true), SmoothVectorTrack(roundLook, true), 36));
    // The drums build: up the east aisle from the floor towards the beams, looking along the
    // aisle past the pillars and their torches to the hearth.
    s.cameras.push_back(MakeCamera("rising",
                                   SmoothVectorTrack({{664, {62, 20, 8}, 0, 0.3f},
                                                      {800, {61, 80, 22}},
                                                      {950, {60, 160, 40}},
                                                      {1106, {60, 240, 54}, 0.3f, 0}}),
                                   SmoothVectorTrack({{664, {46, 150, 30}},
                                                      {800, {42, 230, 32}},
                                                      {950, {30, 320, 30}},
                                                      {1106, {10, 330, 22}}}),
                                   36));
    // Full fire: quick runs down the nave over the flames and back up the west aisle.
    s.cameras.push_back(MakeCamera("sweeping",
                                   SmoothVectorTrack({{1106, {0, 296, 78}},
                                                      {1200, {8, 150, 70}},
                                                      {1280, {-12, 26, 56}},
                                                      {1330, {-56, 16, 36}},
                                                      {1400, {-64, 120, 26}},
                                                      {1470, {-62, 216, 36}},
                                                      {1548, {-18, 216, 50}}}),
                                   SmoothVectorTrack({{1106, {0, 100, 24}},
                                                      {1200, {0, 20, 30}},
                                                      {1280, {20, 180, 30}},
                                                      {1330, {10, 220, 30}},
                                                      {1400, {20, 320, 30}},
                                                      {1470, {20, 240, 24}},
                                                      {1548, {40, 300, 30}}}),
                                   38));
    // The final composition, the one the painting that follows keeps: down the hall's axis
    // over the line of braziers, coming to rest low before the last one, between its pillars,
    // with the hearth's wall behind it.
    s.cameras.push_back(MakeCamera("still",
                                   SmoothVectorTrack({{1548, {0, 120, 70}, 0, 0}, {1640, {0, 216, 46}, 1, 0}}),
                                   SmoothVectorTrack({{1548, {0, 300, 40}, 0, 0}, {1640, {0, 320, 16}, 1, 0}}), 40));
}

} // namespace

FsfScene BuildHallOfFire()
{
    FsfScene s;
    s.info = std::array<int32_t, 3>{0, 0, kHallOfFireLastFrame};
    const Materials m = AddHallMaterials(s);
    // Pillars and fires first: the walls, vault and floor behind them then fail the depth
    // test early wherever the pillars cover them.
    AddPillarsAndFires(s, m);
    AddShell(s, m);
    AddCamerasAndLight(s);
    s.events = std::vector<FsfEvent>{
        MakeCameraEvent(0, 0),        MakeLightEvent(0, 0),         MakeFarEvent(0, 2000),
        MakeBackgroundEvent(0, 8, 3, 2), MakeFogEvent(0, 10, 90),    MakeFogEvent(221, 40, 260),
        MakeCameraEvent(221, 1),      MakeFogEvent(664, 60, 380),   MakeCameraEvent(664, 2),
        MakeCameraEvent(1106, 3),     MakeLightEvent(1106, 1),      MakeFogEvent(1106, 80, 420),
        MakeCameraEvent(1548, 4),     MakeLightEvent(1548, 0),      MakeFogEvent(1548, 60, 400),
    };
    return s;
}

Texture MakeHallBrickTexture()
{
    BlockStyle b;
    b.courses = 16;
    b.blocksPerCourse = 8;
    b.joint = 1.4f;
    b.jitter = 0.08f;
    b.toneSpread = 0.18f;
    b.grain = 0.35f;
    b.grainCells = 32;
    b.stoneDark = {40, 14, 8};
    b.stoneLight = {190, 96, 60};
    b.jointDark = {16, 10, 8};
    b.jointLight = {70, 52, 40};
    b.seed = 201;
    return MakeBlockTexture(b);
}

Texture MakeHallPillarTexture()
{
    Texture t = BlankTexture();
    t.palette = RampPalette({{0, {0, 0, 0}}, {1, {30, 18, 14}}, {128, {130, 96, 72}}, {255, {236, 210, 170}}});
    for (int v = 0; v < kTextureSize; ++v) {
        for (int u = 0; u < kTextureSize; ++u) {
            const float grain = TileNoise(static_cast<float>(u), static_cast<float>(v), 8, 4, 0.55f, 202);
            double value = 0.5 + 0.3 * (grain - 0.5);
            // A carved band of chevrons near the top and another near the foot, flutes between.
            const int band = v < 40 ? v : (v >= 216 ? v - 216 : -1);
            if (band >= 0) {
                const int phase = (u + (band < 20 ? band : 40 - band) * 2) & 31;
                const bool edge = band < 3 || band > 36;
                value += edge ? -0.25 : (phase < 12 ? 0.2 : (phase < 16 ? -0.25 : 0.0));
            } else {
                value += 0.18 * Cosine(kTwoPi * u * 8.0 / 256.0);
            }
            t.At(u, v) = RampIndex(value);
        }
    }
    return t;
}

Texture MakeHallFloorTexture()
{
    BlockStyle b;
    b.courses = 2;
    b.blocksPerCourse = 2;
    b.joint = 2;
    b.jitter = 0.15f;
    b.toneSpread = 0.15f;
    b.stoneDark = {30, 20, 16};
    b.stoneLight = {150, 120, 96};
    b.jointDark = {8, 6, 5};
    b.jointLight = {30, 24, 20};
    b.seed = 203;
    return MakeBlockTexture(b);
}

Texture MakeHallFlameTexture() { return MakeFlameSheet(204, 0.35f); }

Texture MakeHallFireTexture() { return MakeFireFrames(8, 205, 0.2f); }

Texture MakeHallShadowTexture()
{
    Texture t = BlankTexture();
    t.palette = GreyRampPalette();
    for (int v = 0; v < kTextureSize; ++v) {
        for (int u = 0; u < kTextureSize; ++u) {
            const double spot = SoftSpot((u + 0.5 - 128) / 128, (v + 0.5 - 128) / 128, 1.0);
            t.At(u, v) = static_cast<uint8_t>(spot * 150.0);
        }
    }
    return t;
}

Texture MakeHallMetalTexture()
{
    EnvironmentStyle e;
    e.ground = {40, 16, 6};
    e.horizon = {220, 120, 40};
    e.sky = {150, 90, 40};
    e.highlight = {255, 236, 180};
    e.seed = 206;
    return MakeEnvironmentMap(e);
}

Texture MakeHallFlareTexture() { return MakeFlarePicture(207); }

} // namespace content
