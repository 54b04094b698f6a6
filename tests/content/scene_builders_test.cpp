// The scene builders: the shapes face the way they say, tracks pass through their keys at the
// speed the neighbours set, the arithmetic agrees with the library's, outlines find folds.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <tuple>

#include "engine/scene/key_tracks.h"
#include "scenes/builders/outline_edges.h"
#include "scenes/builders/primitives.h"
#include "scenes/builders/scene_math.h"
#include "scenes/builders/tracks.h"

namespace {

using namespace content;

// Every triangle of a closed shape faces away from `inside`, and none has lost its area.
void ExpectFacingOut(const Mesh& mesh, Vec3 inside, const char* what)
{
    ASSERT_FALSE(mesh.triangles.empty()) << what;
    for (const Triangle& t : mesh.triangles) {
        const Vec3 n = TriangleNormal(mesh, t);
        const Vec3 p = mesh.positions[t.a];
        EXPECT_GT(DotProduct(n, p - inside), 0.0) << what << ": triangle " << t.a << "," << t.b << "," << t.c;
    }
}

// Each edge of a closed surface is used once in each direction (no holes, no flips).
void ExpectWatertight(const Mesh& mesh, const char* what)
{
    std::multiset<std::tuple<float, float, float, float, float, float>> directed;
    for (const Triangle& t : mesh.triangles) {
        const uint32_t c[3] = {t.a, t.b, t.c};
        for (int e = 0; e < 3; ++e) {
            const Vec3 a = mesh.positions[c[e]], b = mesh.positions[c[(e + 1) % 3]];
            directed.insert({a.x, a.y, a.z, b.x, b.y, b.z});
        }
    }
    for (const auto& [ax, ay, az, bx, by, bz] : directed) {
        EXPECT_EQ(directed.count({bx, by, bz, ax, ay, az}), 1u) << what << ": edge (" << ax << "," << ay << "," << az
                                                                << ") -> (" << bx << "," << by << "," << bz << ")";
    }
}

// Evaluates a written track as the engine does.
Vec3 Evaluate(const FsfVectorTrack& t, float frame)
{
    std::vector<VectorKey> keys = t.keys;
    VectorTrack track;
    track.keyCount = static_cast<int32_t>(keys.size());
    track.loop = t.loop;
    track.keys = keys.data();
    return EvalVectorTrack(frame, track);
}

} // namespace

TEST(SceneMath, SineAndCosineAgreeWithTheLibraryAcrossManyTurns)
{
    double worst = 0;
    for (int i = -4000; i <= 4000; ++i) {
        const double a = i * 0.0173;
        worst = std::max({worst, std::fabs(Sine(a) - std::sin(a)), std::fabs(Cosine(a) - std::cos(a))});
    }
    EXPECT_LT(worst, 1e-13);
    EXPECT_EQ(Sine(0), 0.0);
    EXPECT_EQ(Cosine(0), 1.0);
}

TEST(SceneMath, SnapKeepsTheGridAndRoundsToIt)
{
    EXPECT_EQ(Snap(1.0 / 1024), 1.0f / 1024);
    EXPECT_EQ(Snap(0.4 / 1024), 0.0f);
    EXPECT_EQ(Snap(-2.6 / 1024), -3.0f / 1024);
    EXPECT_EQ(Snap(12345.678), 12345.677734375f);
}

TEST(ScenePrimitives, ClosedShapesFaceOutAndHaveNoHoles)
{
    const Mesh box = MakeBox({-1, -2, -3}, {4, 5, 6}, 8);
    ExpectFacingOut(box, {1.5f, 1.5f, 1.5f}, "box");
    ExpectWatertight(box, "box");
    const Mesh cylinder = MakeCylinder(3, -1, 5, 12, 8, true);
    ExpectFacingOut(cylinder, {0, 0, 2}, "cylinder");
    ExpectWatertight(cylinder, "cylinder");
    const Mesh sphere = MakeSphere(10, 8, 12, 1, 1);
    ExpectFacingOut(sphere, {0, 0, 0}, "sphere");
    ExpectWatertight(sphere, "sphere");
    const Mesh gear = MakeGear(12, 8, 10, -1, 1, 8);
    ExpectWatertight(gear, "gear");
    EXPECT_EQ(gear.triangles.size(), 12u * 5 * 4) << "two per side, one per cap for each outline point";
    // A flight of stairs: treads face up, risers towards the foot, the sides out.
    const Mesh stairs = MakeStairs(4, 10, 3, 2, 8);
    int treads = 0, risers = 0;
    for (const Triangle& t : stairs.triangles) {
        const Vec3 n = TriangleNormal(stairs, t);
        const Vec3 p = stairs.positions[t.a];
        treads += n.z > 0.99f;
        risers += n.y < -0.99f;
        if (std::fabs(n.x) > 0.99f) EXPECT_GT(n.x * p.x, 0.0f);
        else EXPECT_TRUE(n.z > 0.99f || n.y < -0.99f);
    }
    EXPECT_EQ(treads, 8);
    EXPECT_EQ(risers, 8);
}

TEST(ScenePrimitives, TheTorusFacesOutOfItsTube)
{
    const Mesh torus = MakeTorus(10, 2, 16, 8, 1, 1);
    ExpectWatertight(torus, "torus");
    for (const Triangle& t : torus.triangles) {
        const Vec3 p = torus.positions[t.a];
        // The nearest point of the tube's core circle.
        const double r = std::sqrt(static_cast<double>(p.x) * p.x + static_cast<double>(p.y) * p.y);
        const Vec3 core = V(p.x * 10 / r, p.y * 10 / r, 0);
        EXPECT_GT(DotProduct(TriangleNormal(torus, t), p - core), 0.0);
    }
}

TEST(ScenePrimitives, ArchesOpenInTheMiddleAndFaceOut)
{
    ArchShape shape;
    const Mesh arch = MakeArch(shape, 8);
    // Nothing lies inside the opening: every face's centre is outside the half circle over
    // the piers' inner faces.
    for (const Triangle& t : arch.triangles) {
        const Vec3 a = arch.positions[t.a], b = arch.positions[t.b], c = arch.positions[t.c];
        const double x = (a.x + b.x + c.x) / 3.0, z = (a.z + b.z + c.z) / 3.0;
        // The underside's flat facets cut inside the true circle by a little.
        const double radius = shape.halfSpan - 0.5;
        const bool inOpening = std::fabs(x) < radius &&
                               (z < shape.spring || (x * x + (z - shape.spring) * (z - shape.spring)) < radius * radius);
        EXPECT_FALSE(inOpening) << "face centre at x " << x << ", z " << z;
    }
    // The underside of the arch faces the opening's centre.
    int undersides = 0;
    for (const Triangle& t : arch.triangles) {
        const Vec3 n = TriangleNormal(arch, t);
        const Vec3 p = arch.positions[t.a];
        const double r = std::sqrt(static_cast<double>(p.x) * p.x + (p.z - shape.spring) * (p.z - shape.spring));
        if (p.z > shape.spring + 0.5f && std::fabs(r - shape.halfSpan) < 0.01 && std::fabs(n.y) < 0.01f) {
            ++undersides;
            EXPECT_LT(p.x * n.x + (p.z - shape.spring) * n.z, 0.0f);
        }
    }
    EXPECT_GT(undersides, shape.segments);
}

TEST(ScenePrimitives, GridsAndBillboardsFaceTheirWay)
{
    const Mesh grid = MakeSubdividedPlane(3, 2, -10, -5, 10, 5, 4);
    EXPECT_EQ(grid.positions.size(), 12u);
    for (const Triangle& t : grid.triangles) EXPECT_GT(TriangleNormal(grid, t).z, 0.99f);
    const Mesh billboards = MakeBillboards(3, 4, 6, {0, 0}, {64, 64});
    EXPECT_EQ(billboards.triangles.size(), 6u);
    for (const Triangle& t : billboards.triangles) EXPECT_NEAR(TriangleNormal(billboards, t).z, 0.0f, 1e-6f);
    // The top of each quad takes the cell's first row.
    for (size_t i = 0; i < billboards.positions.size(); ++i) {
        EXPECT_EQ(billboards.uvs[i].v, billboards.positions[i].z > 0 ? 0.0f : 64.0f);
    }
}

TEST(SceneTracks, SmoothPathsPassThroughTheirKeysWithoutASpeedJump)
{
    const std::vector<PathKey> keys = {{0, {0, 0, 0}}, {10, {10, 0, 0}}, {40, {10, 30, 0}}, {50, {0, 30, 5}}};
    const FsfVectorTrack track = SmoothVectorTrack(keys);
    ASSERT_EQ(track.keys.size(), keys.size());
    for (const PathKey& k : keys) {
        const Vec3 v = Evaluate(track, k.frame);
        EXPECT_NEAR(v.x, k.value.x, 1e-4f);
        EXPECT_NEAR(v.y, k.value.y, 1e-4f);
        EXPECT_NEAR(v.z, k.value.z, 1e-4f);
    }
    // Velocity (per frame) just before and after the middle keys agrees.
    for (float f : {10.0f, 40.0f}) {
        const Vec3 before = Evaluate(track, f - 0.01f);
        const Vec3 at = Evaluate(track, f);
        const Vec3 after = Evaluate(track, f + 0.01f);
        const Vec3 in = (at - before) * 100.0f, out = (after - at) * 100.0f;
        EXPECT_NEAR(in.x, out.x, 0.05f) << f;
        EXPECT_NEAR(in.y, out.y, 0.05f) << f;
    }
}

TEST(SceneTracks, EasedEndsStartAndStopAtRest)
{
    const FsfVectorTrack track = SmoothVectorTrack({{0, {0, 0, 0}, 0, 1}, {20, {20, 0, 0}, 1, 0}});
    const Vec3 start = Evaluate(track, 0.05f);
    const Vec3 middle = Evaluate(track, 10);
    EXPECT_LT(start.x, 0.01f);
    EXPECT_NEAR(middle.x, 10.0f, 1e-3f);
}

TEST(SceneTracks, SpinsAndFlipbooksLoop)
{
    const FsfVectorTrack spin = SpinTrack(100, {1, 0, 0.5f});
    EXPECT_EQ(spin.loop, 1);
    const Vec3 quarter = Evaluate(spin, 125);
    EXPECT_NEAR(quarter.x, 4096.0f, 0.01f);
    EXPECT_NEAR(quarter.z, 2048.0f, 0.01f);

    const FsfVectorTrack book = FlipbookTrack({{0, 0}, {64, 0}, {128, 0}}, 2);
    ASSERT_EQ(book.keys.size(), 4u) << "the first offset comes back at the end";
    EXPECT_EQ(book.loop, 1);
    EXPECT_EQ(book.keys.back().value.x, book.keys.front().value.x);
    for (const VectorKey& k : book.keys) EXPECT_EQ(k.value.z, 1.0f) << "held, not blended";
}

TEST(SceneOutlines, FoldsCarryTheCosineBetweenTheirFaces)
{
    const std::vector<FsfEdge> box = MakeOutlineEdges(MakeBox({0, 0, 0}, {1, 1, 1}, 8));
    // 12 edges of the cube at right angles and 6 diagonals across flat sides, all shared.
    ASSERT_EQ(box.size(), 18u);
    int folds = 0, flats = 0;
    for (const FsfEdge& e : box) {
        EXPECT_GE(e.faceB, 0);
        if (std::fabs(e.crease) < 1e-6f) ++folds;
        if (std::fabs(e.crease - 1.0f) < 1e-6f) ++flats;
    }
    EXPECT_EQ(folds, 12);
    EXPECT_EQ(flats, 6);
    const std::vector<FsfEdge> open = MakeOutlineEdges(MakeBillboards(1, 2, 2, {0, 0}, {8, 8}));
    int openEdges = 0;
    for (const FsfEdge& e : open) openEdges += e.faceB < 0 && e.crease == -1.0f;
    EXPECT_EQ(openEdges, 4);
}
