// Object renderers: clipping of faces that leave the view or pass behind the eye, facing and
// flipping, colour sources per shade and pass, outline-only objects, missing tables and bad
// indices, camera-texture objects.
#include "engine/renderer_test_support.h"

#include <cmath>
#include <cstring>
#include <random>

#include "engine/polygon_clipping.h"
#include "formats/pixel_format.h"

namespace {

// Whether the ray through pixel (px, py) hits triangle abc (camera space) in front of the eye:
// 1 clearly inside, 0 clearly outside, -1 too close to an edge to tell.
int RayHits(int32_t px, int32_t py, Vec3 a, Vec3 b, Vec3 c)
{
    const float x = (16.0f * px - engine.centreX16) / engine.focal16;
    const float z = (engine.centreY16 - 16.0f * py) / engine.focal16;
    const Vec3 dir{x, 1.0f, z};
    const Vec3 e1 = b - a, e2 = c - a;
    const Vec3 p = Cross(dir, e2);
    const float det = Dot(e1, p);
    if (std::fabs(det) < 1e-9f) return 0;
    const Vec3 s = Vec3{0, 0, 0} - a;
    const float u = Dot(s, p) / det;
    const Vec3 q = Cross(s, e1);
    const float v = Dot(dir, q) / det;
    const float t = Dot(e2, q) / det;
    const float margin = 0.03f;
    if (t > 0 && u > margin && v > margin && u + v < 1 - margin) return 1;
    if (t <= 0 || u < -margin || v < -margin || u + v > 1 + margin) return 0;
    return -1;
}

} // namespace

class ObjectRendererTest : public RendererFixture {};

TEST_F(ObjectRendererTest, FaceThroughTheEyePlaneIsClippedToWhatLiesInFront)
{
    // Two corners in front of the eye, one behind it and off to the side.
    const Vec3 a{-3, 6, -2}, b{3, 6, -2}, c{1, -4, 3};
    Start(OneMaterialScene({TriangleObject(Row(0, 0, 0), a, b, c)}));
    ASSERT_EQ(engine.backfaceCulling, 1);
    SceneObject* o = scene.objects;
    engine.backfaceCulling = 0; // whichever side the eye sees
    RenderNomapNosha(o);
    ASSERT_TRUE(GuardsIntact());
    int32_t inside = 0;
    for (int32_t y = 0; y < kH; ++y) {
        for (int32_t x = 0; x < kW; ++x) {
            const int hit = RayHits(x, y, a, b, c);
            if (hit == 1) {
                EXPECT_NE(Pixel(x, y), 0) << x << "," << y;
                ++inside;
            }
            if (hit == 0) {
                EXPECT_EQ(Pixel(x, y), 0) << x << "," << y;
            }
        }
    }
    EXPECT_GT(inside, 100);
    const auto* marked = reinterpret_cast<const ProjectedVertex*>(engine.work + 2 * 20);
    EXPECT_EQ(static_cast<uint32_t>(marked->sx16), kNotProjected);
}

TEST_F(ObjectRendererTest, TriangleCutByAllFourPlanes)
{
    // Normalised so that the planes are |x| <= depth and |z| <= depth.
    const ClipPlanes planes{0.70710678f, 0.70710678f, 0.70710678f, 0.70710678f};
    ClipVertex<1> poly[kClipCapacity] = {{{0.6f, 1, 0.7f, 7}}, {{1.5f, 1, -1.5f, 7}}, {{-2.7f, 1, 2.0f, 7}}};
    ClipVertex<1> scratch[kClipCapacity];
    const int32_t n = ClipPolygon<1>(planes, poly, 3, scratch);
    EXPECT_EQ(n, 7);
    for (int32_t i = 0; i < n; ++i) {
        EXPECT_LE(std::fabs(poly[i].v[0]), 1.0001f);
        EXPECT_LE(std::fabs(poly[i].v[2]), 1.0001f);
        EXPECT_FLOAT_EQ(poly[i].v[3], 7.0f); // attributes ride along
    }
    // Wholly beyond the left plane: dropped. Touching it at a corner from inside: kept whole.
    ClipVertex<0> outside[kClipCapacity] = {{{-1.5f, 1, 0}}, {{-2, 1, 0.5f}}, {{-1.2f, 1, 0.5f}}};
    ClipVertex<0> scratch0[kClipCapacity];
    EXPECT_EQ(ClipPolygon<0>(planes, outside, 3, scratch0), 0);
    ClipVertex<0> touching[kClipCapacity] = {{{-1, 1, 0}}, {{0, 1, 0.5f}}, {{0, 1, -0.5f}}};
    EXPECT_EQ(ClipPolygon<0>(planes, touching, 3, scratch0), 3);
}

TEST_F(ObjectRendererTest, FanOfAClippedFaceFillsTheViewOnce)
{
    // One triangle much larger than the view at one depth: clipped to the view and fanned.
    // TRANS over black shows any pixel written twice (s + s / 2) or missed (0).
    const Vec3 a{0, 10, 30}, b{-30, 10, -9}, c{30, 10, -9};
    Start(OneMaterialScene({TriangleObject(Row(0, 0, 1), a, b, c)}));
    engine.pass = 1;
    raster.blend = kBlendTrans;
    RenderNomapNosha(scene.objects);
    const uint16_t s = scene.materials->shadeRampHalf[0];
    ASSERT_NE(s, 0);
    for (int32_t y = 0; y < kH; ++y) {
        for (int32_t x = 0; x < kW; ++x) ASSERT_EQ(Pixel(x, y), s) << x << "," << y;
    }
    EXPECT_TRUE(GuardsIntact());
}

TEST(PolygonClipping, TwoFacesSharingAnEdgeCutItAtTheSamePoint)
{
    // Faces sharing an edge run along it in opposite directions; where a side plane cuts the
    // edge, both must get the very same crossing, or a crack opens between them on screen.
    std::mt19937 random(2024);
    std::uniform_real_distribution<float> spread(-1.0f, 1.0f);
    const ClipPlanes planes{std::cos(0.6f), std::sin(0.6f), std::cos(0.45f), std::sin(0.45f)};
    int32_t differing = 0, crossings = 0;
    for (int trial = 0; trial < 500; ++trial) {
        const auto corner = [&](float x, float z) {
            return ClipVertex<1>{{x + 30 * spread(random), 14 + 12 * spread(random), z + 30 * spread(random), spread(random)}};
        };
        const ClipVertex<1> p0 = corner(-70, -40), p1 = corner(70, -40), p2 = corner(70, 40), p3 = corner(-70, 40);
        ClipVertex<1> a[kClipCapacity] = {p0, p1, p2}, b[kClipCapacity] = {p0, p2, p3}, scratch[kClipCapacity];
        const int32_t na = ClipPolygon(planes, a, 3, scratch), nb = ClipPolygon(planes, b, 3, scratch);
        // Every point of one polygon that lies on the shared edge's line must be in the other.
        for (int32_t i = 0; i < na; ++i) {
            const float* v = a[i].v;
            const bool onEdge = [&] {
                for (int32_t j = 0; j < nb; ++j) {
                    if (std::memcmp(b[j].v, v, sizeof b[j].v) == 0) return true;
                }
                return false;
            }();
            const bool corner0 = std::memcmp(v, p1.v, sizeof p1.v) == 0;
            if (corner0) continue;
            // Points of A that are not p1 lie on the shared edge or on A's own clipped borders;
            // those on the shared edge are found in B bit for bit.
            const float cross = (p2.v[0] - p0.v[0]) * (v[2] - p0.v[2]) - (p2.v[2] - p0.v[2]) * (v[0] - p0.v[0]);
            const float scale = std::abs(p2.v[0] - p0.v[0]) + std::abs(p2.v[2] - p0.v[2]);
            if (std::abs(cross) > 1e-5f * scale * scale) continue;
            ++crossings;
            differing += !onEdge;
        }
    }
    EXPECT_GT(crossings, 100);
    EXPECT_EQ(differing, 0);
}

TEST_F(ObjectRendererTest, FacingCullingFlippingAndMorphs)
{
    const Vec3 a{-2, 10, -2}, b{2, 10, -2}, c{-2, 10, 2};
    FsfScene s = OneMaterialScene({TriangleObject(Row(0, 0, 0), a, b, c), TriangleObject(Row(0, 0, 0), a, c, b)});
    s.objects[1].name = "back";
    Start(s);
    SceneObject* front = scene.objects;
    SceneObject* back = front->next;

    RenderNomapNosha(front);
    const std::vector<uint16_t> reference = Pixels();
    ASSERT_GT(CountDrawn(), 50);

    // Turned away: skipped with culling on.
    ClearView();
    RenderNomapNosha(back);
    EXPECT_EQ(CountDrawn(), 0);

    // Without culling the same face is filled from the other side: the same pixels.
    engine.backfaceCulling = 0;
    engine.frameStamp += 0x01000000;
    RenderNomapNosha(back);
    EXPECT_EQ(Pixels(), reference);

    // While morphing nothing is culled.
    ClearView();
    engine.backfaceCulling = 1;
    engine.morphing = 1;
    engine.frameStamp += 0x01000000;
    RenderNomapNosha(back);
    EXPECT_EQ(Pixels(), reference);
}

TEST_F(ObjectRendererTest, OutlineModeTwoProjectsButFillsNothing)
{
    Start(OneMaterialScene({TriangleObject(Row(0, 3, 0), {-2, 10, -2}, {2, 10, -2}, {-2, 10, 2})}));
    std::vector<uint32_t> depthBefore(engine.depthBuffer, engine.depthBuffer + kW * kH);
    engine.outlineMode = 2;
    RenderNomapGoura(scene.objects);
    EXPECT_EQ(CountDrawn(), 0);
    EXPECT_EQ(std::vector<uint32_t>(engine.depthBuffer, engine.depthBuffer + kW * kH), depthBefore);
    // The records are there for the edges: the first corner lies left of and below the centre.
    const auto* r = reinterpret_cast<const ProjectedVertex*>(engine.work);
    EXPECT_FLOAT_EQ(r->depth, 10.0f);
    EXPECT_EQ(r->sx16, static_cast<int32_t>(std::lrint(engine.centreX16 - engine.focal16 * 0.2f)));
    EXPECT_EQ(r->sy16, static_cast<int32_t>(std::lrint(engine.centreY16 + engine.focal16 * 0.2f)));
    engine.outlineMode = 1;
    RenderNomapGoura(scene.objects);
    EXPECT_GT(CountDrawn(), 50);
}

TEST_F(ObjectRendererTest, ColourSourcesPerShadeAndPass)
{
    const Vec3 a{-2, 10, -2}, b{2, 10, -2}, c{-2, 10, 2};
    FsfScene s = OneMaterialScene({TriangleObject(Row(0, 2, 0), a, b, c)});
    s.objects[0].modeTrack = std::vector<StepKey>{MakeStepReal(1, Row(0, 4, 0)), MakeStepReal(2, Row(0, 1, 1))};
    Start(s);
    SceneObject* o = scene.objects;
    Material& m = *scene.materials;
    ASSERT_TRUE(m.shadeRamp && m.shadeRampHalf);
    const int32_t cx = kW / 2 - 3, cy = kH / 2 + 3; // inside the triangle

    // Flaty: the face turned straight at the light takes the ramp's bright end, entry 5.
    engine.lightInObject = Vec3{0, -1024, 0};
    RenderNomapFlaty(o);
    EXPECT_EQ(Pixel(cx, cy), m.shadeRamp[5]);
    // Facing away from the light: level 230.
    engine.lightInObject = Vec3{0, 1024, 0};
    engine.frameStamp += 0x01000000;
    RenderNomapFlaty(o);
    EXPECT_EQ(Pixel(cx, cy), m.shadeRamp[230]);

    // Foggy: nearer than the fog takes entry 20, beyond it entry 179.
    engine.frameStamp += 0x01000000;
    engine.fogNear = 20, engine.fogFar = 40;
    engine.fogScale = 10420224.0f / 20.0f;
    RenderNomapFoggy(o);
    EXPECT_EQ(Pixel(cx, cy), m.shadeRamp[20]);
    engine.frameStamp += 0x01000000;
    engine.fogNear = 2, engine.fogFar = 5;
    RenderNomapFoggy(o);
    EXPECT_EQ(Pixel(cx, cy), m.shadeRamp[179]);

    // The blended pass takes the halved material colour.
    engine.frameStamp += 0x01000000;
    m.shadeColour = 0x1234;
    m.shadeColourHalf = 0x0421;
    engine.pass = 1;
    RenderNomapShade(o);
    EXPECT_EQ(Pixel(cx, cy), 0x0421);
    engine.pass = 0;
    engine.frameStamp += 0x01000000;
    RenderNomapShade(o);
    EXPECT_EQ(Pixel(cx, cy), 0x1234);
}

TEST_F(ObjectRendererTest, MissingTablesAndBadIndicesDrawNothing)
{
    FsfObject tri = TriangleObject(Row(0, 3, 0), {-2, 10, -2}, {2, 10, -2}, {-2, 10, 2});
    Start(OneMaterialScene({tri}));
    SceneObject* o = scene.objects;
    Material& m = *scene.materials;
    // No texture was loaded for this material: textured renderers draw nothing.
    ASSERT_EQ(m.currentFrame, nullptr);
    for (auto render : {&RenderTextuNosha, &RenderTextuShade, &RenderTextuFlaty, &RenderTextuGoura,
                        &RenderTextuFoggy, &RenderEnvmaNosha, &RenderEnvmaGoura, &RenderEnvmaFoggy}) {
        render(o);
    }
    EXPECT_EQ(CountDrawn(), 0);
    // The untextured ones need the ramp of the pass: only the full one was built.
    ASSERT_EQ(m.shadeRampHalf, nullptr);
    engine.pass = 1;
    RenderNomapNosha(o);
    RenderNomapGoura(o);
    EXPECT_EQ(CountDrawn(), 0);
    engine.pass = 0;
    uint16_t* ramp = m.shadeRamp;
    m.shadeRamp = nullptr;
    RenderNomapGoura(o);
    EXPECT_EQ(CountDrawn(), 0);
    m.shadeRamp = ramp;

    // A face without a material, or naming a vertex the object does not have.
    o->faces[0].material = nullptr;
    RenderNomapNosha(o);
    o->faces[0].material = &m;
    o->faces[0].c = 3;
    RenderNomapNosha(o);
    o->faces[0].c = -1;
    RenderNomapNosha(o);
    EXPECT_EQ(CountDrawn(), 0);
    o->faces[0].c = 2;

    // An object larger than the work buffer is not drawn at all.
    o->vertexCount = engine.workVertices + 1;
    RenderNomapNosha(o);
    o->vertexCount = 3;
    EXPECT_EQ(CountDrawn(), 0);
    RenderObject(RendererId::NomapNosha, o);
    EXPECT_GT(CountDrawn(), 50);
    RenderObject(static_cast<RendererId>(200), o); // not a renderer: ignored
    EXPECT_TRUE(GuardsIntact());
}

TEST_F(ObjectRendererTest, VertexRecordsOfGouraudAndEnvironmentRenderers)
{
    FsfScene s = OneMaterialScene({TriangleObject(Row(2, 3, 0), {-2, 10, -2}, {2, 10, -2}, {-2, 10, 2})});
    PutTexture(s);
    Start(s);
    SceneObject* o = scene.objects;
    ASSERT_NE(o->vertexNormals, nullptr);
    engine.lightInObject = Vec3{0, -1024, 0};
    engine.outlineMode = 2;
    // 32-byte records: envU, envV, then the ramp index.
    RenderEnvmaGoura(o);
    const auto* r = reinterpret_cast<const ProjectedVertex*>(engine.work + 32);
    EXPECT_FLOAT_EQ(r->extra[0], 8388608.0f); // a normal at the viewer maps to texel 128
    EXPECT_FLOAT_EQ(r->extra[1], 8388608.0f);
    EXPECT_FLOAT_EQ(r->extra[2], 327680.0f);  // straight at the light: ramp index 5
    // 24-byte records: the ramp index right after the screen position.
    engine.lightInObject = Vec3{0, 0, 0};
    RenderTextuGoura(o);
    r = reinterpret_cast<const ProjectedVertex*>(engine.work + 24);
    EXPECT_FLOAT_EQ(r->extra[0], static_cast<float>(AngleRamp(0)));
    // The scroll offset moves the environment coordinates.
    o->uvOffset[0] = 65536;
    RenderEnvmaNosha(o);
    r = reinterpret_cast<const ProjectedVertex*>(engine.work + 28);
    EXPECT_FLOAT_EQ(r->extra[0], 8388608.0f + 65536.0f);
}

TEST_F(ObjectRendererTest, CameraTextureObjects)
{
    FsfScene s = OneMaterialScene({TriangleObject(Row(1, 0, 0), {-2, 10, -2}, {2, 10, -2}, {-2, 10, 2})});
    PutTexture(s);
    FsfCamera cam;
    cam.name = "c";
    s.cameras = {cam, cam};
    Start(s);
    SceneObject* o = scene.objects;
    SceneCamera* second = scene.cameras->next;
    std::vector<uint16_t> picture(65536, 0x7E0);
    uint16_t* savedColour = second->targetColour;
    const int32_t savedSize = second->targetSize;
    second->targetColour = picture.data();

    second->targetSize = 0; // not rendered this frame
    RenderTargetObject(o, 3);
    EXPECT_EQ(CountDrawn(), 0);
    second->targetSize = 64;
    RenderTargetObject(o, 3); // 3 steps from the first camera with two: the second
    const int32_t drawn = CountDrawn();
    EXPECT_GT(drawn, 50);
    for (uint16_t p : Pixels()) EXPECT_TRUE(p == 0 || p == 0x7E0);
    engine.affineMapping = 0;
    engine.frameStamp += 0x01000000;
    ClearView();
    RenderTargetObject(o, 1);
    EXPECT_EQ(CountDrawn(), drawn);

    second->targetColour = savedColour;
    second->targetSize = savedSize;
}

TEST_F(ObjectRendererTest, TexturedFacesFollowTheMappingAndItsScroll)
{
    FsfScene s = OneMaterialScene({TriangleObject(Row(1, 0, 0), {-2, 10, -2}, {2, 10, -2}, {-2, 10, 2})});
    PutTexture(s);
    Start(s);
    SceneObject* o = scene.objects;
    const float f = engine.focal16 / 10.0f;
    // The texel column under pixel x: u runs 0 .. 256 across x = -2 .. 2.
    auto texelAt = [&](int32_t x) { return ((16.0f * x - engine.centreX16) / f + 2.0f) * 64.0f; };
    auto near = [&](uint16_t pixel, float u) {
        for (int k = -1; k <= 1; ++k) {
            const int t = (static_cast<int>(std::floor(u)) + k) & 255;
            if (pixel == PackColour(t, 255 - t, 128, 16)) return true;
        }
        return false;
    };
    const int32_t y = kH / 2 + 6;
    for (int32_t persp = 0; persp < 2; ++persp) {
        engine.affineMapping = 1 - persp;
        for (int32_t scroll = 0; scroll < 2; ++scroll) {
            o->uvOffset[0] = scroll * 100 * 65536;
            engine.frameStamp += 0x01000000;
            RenderTextuNosha(o);
            for (int32_t x = kW / 2 - 8; x < kW / 2; ++x) {
                EXPECT_TRUE(near(Pixel(x, y), texelAt(x) + 100.0f * scroll)) << x << " " << persp << scroll;
            }
        }
    }
}
