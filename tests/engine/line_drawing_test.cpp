// The anti-aliased 3D line: grey levels across the minor axis, brightening and darkening at
// both pixel depths, the depth rule, the cut at depth 1.0, clipping at the view's edges, and
// the outline pass's choice of silhouette and crease edges.
#include "engine/renderer_test_support.h"

#include <cmath>

#include "engine/rasteriser_test_view.h"
#include "formats/pixel_format.h"

namespace {

// A projected line end at a screen position in 1/16 pixel and a depth.
ProjectedVertex End(int32_t x16, int32_t y16, float depth)
{
    ProjectedVertex v{};
    v.sx16 = x16;
    v.sy16 = y16;
    v.depth = depth;
    return v;
}

void LineSetUp(int32_t mode, float bias = 0.0f)
{
    engine.lineMode = mode;
    engine.depthBias = bias;
    engine.centreX16 = engine.widthF * 8.0f;
    engine.centreY16 = engine.heightF * 8.0f - 8.0f;
    engine.focal16 = engine.centreX16;
}

} // namespace

TEST(LineDrawing, GreyLevelsAcrossTheMinorAxis)
{
    TestView view(40, 30);
    LineSetUp(1);
    // Half way between rows 10 and 11: level 127 above, 128 below; brightening black gives
    // the grey colour itself.
    const ProjectedVertex a = End(16 * 5, 16 * 10 + 8, 4), b = End(16 * 30, 16 * 10 + 8, 4);
    DrawLine3D(&a, &b);
    for (int32_t x = 6; x < 30; ++x) {
        EXPECT_EQ(view.Pixel(x, 10), 0x7BEF) << x;
        EXPECT_EQ(view.Pixel(x, 11), 0x8410) << x;
        EXPECT_EQ(view.Pixel(x, 9), 0) << x;
        EXPECT_EQ(view.Pixel(x, 12), 0) << x;
        EXPECT_EQ(view.Depth(x, 10), 0u) << "lines never write depth";
    }
    // The ends take part of the level by how much of their pixel the line covers; levels
    // never go past 255 (a full-weight end on a pixel centre stays white).
    for (int32_t x = 0; x < 40; ++x) {
        for (int32_t y = 0; y < 30; ++y) {
            if (x < 5 || x > 30) {
                EXPECT_EQ(view.Pixel(x, y), 0) << x << "," << y;
            }
        }
    }
    // An end on a pixel's edge covers the whole pixel.
    const ProjectedVertex c = End(16 * 5 - 8, 16 * 20, 4), d = End(16 * 30, 16 * 20, 4);
    DrawLine3D(&c, &d);
    EXPECT_EQ(view.Pixel(5, 20), 0xFFFF);
    EXPECT_EQ(view.Pixel(5, 21), 0);
    EXPECT_TRUE(view.GuardsIntact());
}

TEST(LineDrawing, BrighteningAndDarkeningAtBothDepths)
{
    struct Case {
        int32_t bits, mode;
        uint16_t before, after; // a pixel under the line's full level (255)
    };
    const Case cases[] = {
        {16, 1, 0x0000, 0xFFFF}, {16, 1, 0x8410, 0xFFFF}, {16, 0, 0xFFFF, 0x0000}, {16, 0, 0x8410, 0x0000},
        {15, 1, 0x0000, 0x7FFF}, {15, 1, 0x4210, 0x7FFF}, {15, 0, 0x7FFF, 0x0000}, {15, 0, 0x4210, 0x0000},
    };
    for (const Case& c : cases) {
        TestView view(40, 30, c.bits, c.before);
        LineSetUp(c.mode);
        const ProjectedVertex a = End(16 * 5, 16 * 12, 4), b = End(16 * 30, 16 * 12, 4);
        DrawLine3D(&a, &b);
        // (At 15 bits the unused top bit may carry the red guard; only 5-5-5 is compared.)
        const uint16_t used = c.bits == 16 ? 0xFFFF : 0x7FFF;
        EXPECT_EQ(view.Pixel(15, 12) & used, c.after) << c.bits << " " << c.mode << " " << c.before;
        // The neighbour across the minor axis gets level 0: brightening leaves it alone,
        // darkening keeps only what the halving keeps.
        const uint16_t keep = c.mode == 1 ? c.before : static_cast<uint16_t>(HalfPixel(c.before, c.bits) << 1);
        EXPECT_EQ(view.Pixel(15, 13), keep) << c.bits << " " << c.mode << " " << c.before;
    }
    // Partial levels: 128 darkening white at 16 bits, 127 brightening at 15 bits.
    TestView view16(40, 30, 16, 0xFFFF);
    LineSetUp(0);
    ProjectedVertex a = End(16 * 5, 16 * 10 + 8, 4), b = End(16 * 30, 16 * 10 + 8, 4);
    DrawLine3D(&a, &b);
    EXPECT_EQ(view16.Pixel(15, 11), 0x73CE);
    TestView view15(40, 30, 15, 0);
    LineSetUp(1);
    DrawLine3D(&a, &b);
    EXPECT_EQ(view15.Pixel(15, 10), 0x3DEF);
}

TEST(LineDrawing, DepthRule)
{
    TestView view(40, 30);
    LineSetUp(1);
    const uint32_t line = engine.frameStamp + (1u << 22); // the line lies at depth 4
    // Column 10: both pixels of the pair nearer: skipped. Column 12: only one nearer: the pair
    // is drawn. Column 14: stored exactly at the line's depth: drawn.
    view.Depth(10, 10) = view.Depth(10, 11) = line + 1;
    view.Depth(12, 10) = line + 1;
    view.Depth(14, 10) = view.Depth(14, 11) = line;
    const ProjectedVertex a = End(16 * 5, 16 * 10 + 8, 4), b = End(16 * 30, 16 * 10 + 8, 4);
    DrawLine3D(&a, &b);
    EXPECT_EQ(view.Pixel(10, 10), 0);
    EXPECT_EQ(view.Pixel(10, 11), 0);
    EXPECT_NE(view.Pixel(12, 10), 0);
    EXPECT_NE(view.Pixel(12, 11), 0);
    EXPECT_NE(view.Pixel(14, 10), 0);
    EXPECT_EQ(view.Depth(12, 10), line + 1);
    // A depth bias moves the line nearer: with bias 2 it lies at 2 and beats the stored values.
    LineSetUp(1, 2.0f);
    DrawLine3D(&a, &b);
    EXPECT_NE(view.Pixel(10, 10), 0);
}

TEST(LineDrawing, CutAtDepthOneAndClippedAtTheEdges)
{
    TestView view(40, 30);
    LineSetUp(1);
    // One end behind the eye: drawn from the projected end to where the line crosses depth 1.
    ProjectedVertex a = End(0, 0, 5), b = End(0, 0, -3);
    a.cx = 0, a.cz = 0, b.cx = 2, b.cz = 0;
    a.sx16 = static_cast<int32_t>(engine.centreX16), a.sy16 = static_cast<int32_t>(engine.centreY16);
    b.sx16 = static_cast<int32_t>(kNotProjected);
    DrawLine3D(&a, &b);
    // Depth 1 is reached at t = 0.5: x = 1, screen x = centre + focal.
    const int32_t row = static_cast<int32_t>(engine.centreY16) >> 4;
    const int32_t cutColumn = static_cast<int32_t>(engine.centreX16 + engine.focal16) >> 4;
    EXPECT_NE(view.Pixel(25, row), 0);
    EXPECT_NE(view.Pixel(std::min(cutColumn - 1, 37), row), 0);
    EXPECT_TRUE(view.GuardsIntact());
    // Both ends behind, or the projected end itself nearer than 1: nothing.
    TestView empty(40, 30);
    DrawLine3D(&b, &b);
    ProjectedVertex close = a;
    close.depth = 0.5f;
    DrawLine3D(&close, &b);
    EXPECT_EQ(empty.CountNot(0), 0);

    // Lines far beyond the view in every direction stay inside the buffers.
    const int32_t far[] = {INT32_MIN + 1, -100000, -17, 0, 7, 300, 639, 100000, INT32_MAX};
    TestView edges(40, 30);
    LineSetUp(1);
    for (int32_t x0 : far) {
        for (int32_t y0 : far) {
            const ProjectedVertex p = End(x0, y0, 3);
            const ProjectedVertex q = End(40 * 16 - x0 / 3, 30 * 16 - y0 / 5, 7);
            DrawLine3D(&p, &q);
        }
    }
    EXPECT_TRUE(edges.GuardsIntact());
    EXPECT_GT(edges.CountNot(0), 0);
}

// An object's edges: its outline pass and its wireframe.
class ObjectEdgesTest : public RendererFixture {};

TEST_F(ObjectEdgesTest, OutlineEdgesSilhouettesAndCreases)
{
    // A square of two faces sharing edge 0-2, plus an open edge 0-1 of the first face.
    FsfObject o;
    o.name = "sq";
    o.number = 0;
    o.renderMode = Row(0, 0, 0);
    o.vertices = std::vector<Vec3>{{-2, 10, -2}, {2, 10, -2}, {2, 10, 2}, {-2, 10, 2}};
    o.faces = std::vector<FsfFace>{{0, 0, 1, 2}, {0, 0, 2, 3}};
    o.boundCentre = Vec3{0, 10, 0};
    o.boundRadius = 5;
    o.edges = std::vector<FsfEdge>{{0, 2, 0, 1, 0.9f}, {0, 1, 0, -1, 0.5f}};
    o.flagTrack = {MakeStepWord(0, 1)};
    Start(OneMaterialScene({o}));
    SceneObject* object = scene.objects;
    ASSERT_EQ(object->edgeCount, 2);
    engine.outlineMode = 2;
    engine.lineMode = 1;
    engine.depthBias = 0;
    RenderNomapNosha(object);
    ASSERT_EQ(CountDrawn(), 0);

    // Both faces turned to the eye: the shared edge only below its crease limit, the open
    // edge likewise.
    engine.creaseLimit = 0.7f;
    DrawEdges(object, 20);
    const int32_t openOnly = CountDrawn();
    EXPECT_GT(openOnly, 10);
    const int32_t midY = kH / 2;
    ClearView();
    engine.creaseLimit = 0.95f;
    DrawEdges(object, 20);
    EXPECT_GT(CountDrawn(), openOnly + 10);
    ClearView();
    engine.creaseLimit = 0.2f;
    DrawEdges(object, 20);
    EXPECT_EQ(CountDrawn(), 0);

    // The eye behind the square: the open edge's face turns away and is not drawn.
    engine.eyeInObject = Vec3{0, 20, 0};
    engine.creaseLimit = 1.0f;
    DrawEdges(object, 20);
    EXPECT_EQ(CountDrawn(), 0);
    // A silhouette: one face turned to the eye, one away.
    object->faces[1].normal = Vec3{0, 1, 0};
    engine.eyeInObject = Vec3{0, -10, 0};
    engine.creaseLimit = -1.0f;
    DrawEdges(object, 20);
    EXPECT_GT(CountDrawn(), 10);
    (void)midY;
    EXPECT_TRUE(GuardsIntact());
    // Records of another size than the renderer's, or edges naming missing vertices, are safe.
    object->edges[0].vertexB = 9;
    DrawEdges(object, 33);
    DrawEdges(object, 20);
    EXPECT_TRUE(GuardsIntact());
}

TEST_F(ObjectEdgesTest, WireframeDrawsTheEdgesOfFacesSeen)
{
    FsfScene s = OneMaterialScene({TriangleObject(Row(0, 0, 0), {-2, 10, -2}, {2, 10, -2}, {-2, 10, 2})});
    Start(s);
    engine.lineMode = 1;
    engine.depthBias = 0;
    RenderWire(scene.objects);
    const int32_t drawn = CountDrawn();
    EXPECT_GT(drawn, 40);
    // The triangle's inside stays dark.
    EXPECT_EQ(Pixel(kW / 2 - 3, kH / 2 + 3), 0);
    ClearView();
    engine.eyeInObject = Vec3{0, 20, 0}; // seen from behind with culling on
    RenderWire(scene.objects);
    EXPECT_EQ(CountDrawn(), 0);
    engine.backfaceCulling = 0;
    RenderWire(scene.objects);
    EXPECT_EQ(CountDrawn(), drawn);
}
