// The frame pipeline seen through the state it leaves and the state it hands each object's
// renderer: events, clear and frame stamp, camera textures, camera and field of view, light,
// materials, per-object switches and transforms, morphs, culling and outlines.
#include "engine/scene_test_support.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "formats/bmp_writer.h"
#include "engine/frame_pipeline.h"
#include "engine/raster/rasteriser.h"
#include "engine/render_modes.h"
#include "engine/engine_setup.h"

namespace {

// What one renderer call saw.
struct DrawRecord {
    std::string name;
    ObjectDraw call;
    int32_t pass, blend, colourKey, width, colourPitch, outlineMode, backfaceCulling, morphing, affineMapping;
    float matrix[9];
    Vec3 translation, eye, light, envRight, boundCentre, firstVertex;
    int32_t uvOffset[2];
    const Vec3* vertices;
    const SceneFace* faces;
    SceneCamera* camera;
};

std::vector<DrawRecord> draws;

void RecordDraw(const ObjectDraw& d)
{
    const SceneObject& o = *d.object;
    DrawRecord r{o.name, d, engine.pass, raster.blend, raster.colourKey, engine.width, engine.colourPitch,
                 engine.outlineMode, engine.backfaceCulling, engine.morphing, engine.affineMapping, {},
                 engine.objectTranslation, engine.eyeInObject, engine.lightInObject, engine.envRight23,
                 o.boundCentre, o.vertices[0], {o.uvOffset[0], o.uvOffset[1]}, o.vertices, o.faces, engine.camera};
    std::copy(engine.objectMatrix, engine.objectMatrix + 9, r.matrix);
    draws.push_back(r);
}

FsfVectorTrack Constant(Vec3 v) { return FsfVectorTrack{0, {MakeVectorKey(0, v)}}; }
FsfScalarTrack ConstantScalar(float v) { return FsfScalarTrack{0, {MakeScalarKey(0, v)}}; }

FsfCamera Camera(Vec3 position, Vec3 target, float fovDegrees = 60)
{
    FsfCamera c;
    c.positionTrack = Constant(position);
    c.targetTrack = Constant(target);
    c.fovTrack = ConstantScalar(fovDegrees);
    return c;
}

// The unit square centred on `centre` (it lies in the x-z plane).
FsfObject SquareAt(const std::string& name, int32_t number, int32_t mode, Vec3 centre)
{
    FsfObject o = SquareObject(name, number, mode);
    o.positionTrack = Constant(centre - Vec3{0.5f, 0, 0.5f});
    o.rotationTrack = Constant({0, 0, 0}); // an empty track would give one unit about each axis
    return o;
}

// A camera at the origin looking along +y, shown from frame 0, with one plain material.
FsfScene BasicScene()
{
    FsfScene s = OneMaterialScene();
    s.cameras = {Camera({0, 0, 0}, {0, 10, 0})};
    s.events = std::vector<FsfEvent>{MakeCameraEvent(0, 0)};
    return s;
}

void ExpectVec(Vec3 actual, Vec3 expected, float tolerance = 1e-4f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

const DrawRecord* Find(const std::string& name)
{
    for (const DrawRecord& r : draws) {
        if (r.name == name) return &r;
    }
    return nullptr;
}

class FramePipelineTest : public SceneFixture {
protected:
    void SetUp() override
    {
        SceneFixture::SetUp();
        draws.clear();
        SetObjectDrawHook(RecordDraw);
    }
    void TearDown() override
    {
        SetObjectDrawHook(nullptr);
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
    void Start(const FsfScene& s, int32_t width = 320, int32_t height = 180)
    {
        ASSERT_EQ(Load(WriteFsf(s)), 0);
        ASSERT_EQ(EngineInit(width, height, 16), 0);
        view.assign(static_cast<size_t>(width) * height, 0x1234);
    }
    void Render(float frame, SceneCamera* camera = nullptr)
    {
        draws.clear();
        RenderScene(frame, reinterpret_cast<uint8_t*>(view.data()), camera);
    }

    std::vector<uint16_t> view;
};

} // namespace

TEST_F(FramePipelineTest, ViewsWithoutCameraShowOnlyTheBackground)
{
    FsfScene s = BasicScene();
    s.objects = {SquareAt("o", 0, Row(0, 0, 0), {0, 10, 0})};
    s.events = std::vector<FsfEvent>{MakeBackgroundEvent(0, 255, 0, 0), MakeBackgroundEvent(5, -1, 0, 0),
                                     MakeCameraEvent(10, 0)};
    Start(s, 321, 3); // odd width: the last pixel of each row is cleared too
    // The camera EngineInit picks is not used: before the camera event only the background.
    Render(2);
    EXPECT_TRUE(draws.empty());
    EXPECT_EQ(engine.camera, nullptr);
    for (uint16_t p : view) ASSERT_EQ(p, 0xF800);
    EXPECT_EQ(engine.background, 0xF800F800u);
    for (uint16_t& p : view) p = 0x5555;
    Render(7); // r = -1: the picture stays
    for (uint16_t p : view) ASSERT_EQ(p, 0x5555);
    Render(10);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].camera, scene.cameras);
    Render(1, scene.cameras); // an override camera draws even before the event
    EXPECT_EQ(draws.size(), 1u);
    FsfScene plain = BasicScene();
    EngineRelease();
    FreeScene(&scene);
    Start(plain);
    Render(0); // no background event: black
    for (uint16_t p : view) ASSERT_EQ(p, 0);
}

TEST_F(FramePipelineTest, FrameStampWrapClearsTheDepthBuffer)
{
    Start(BasicScene());
    for (int i = 1; i <= 255; ++i) Render(0);
    EXPECT_EQ(engine.frameStamp, 0xFF000000u);
    engine.depthBuffer[0] = 0xFE000000u;
    engine.depthBuffer[320 * 180 - 1] = 0x12345678u;
    Render(0); // an ordinary view leaves older depth values to the stamp
    EXPECT_EQ(engine.frameStamp, 0u);
    EXPECT_EQ(engine.depthBuffer[0], 0u);
    EXPECT_EQ(engine.depthBuffer[320 * 180 - 1], 0u);
    engine.depthBuffer[5] = 7;
    Render(0);
    EXPECT_EQ(engine.frameStamp, 0x01000000u);
    EXPECT_EQ(engine.depthBuffer[5], 7u);
}

TEST_F(FramePipelineTest, FogFarDistanceAndSwitchEvents)
{
    FsfScene s = BasicScene();
    s.lights = {FsfLight{}};
    // Kind 0 and 1 in chunks that carry a plain value name no camera and no light: ignored.
    s.events = std::vector<FsfEvent>{MakeCameraEvent(0, 0), MakeLightEvent(0, 0), FsfEvent{0x703, 1, 0, 7},
                                     FsfEvent{0x703, 1, 1, 9}, MakeFogEvent(10, 100, 200), MakeFarEvent(12, 300),
                                     MakeFogEvent(20, 200, 400), MakeFogEvent(30, 50, 50)};
    Start(s);
    Render(5);
    EXPECT_EQ(engine.camera, scene.cameras);
    EXPECT_EQ(engine.light, scene.lights);
    EXPECT_EQ(engine.fogNear, 100.0f);
    EXPECT_EQ(engine.fogFar, 500.0f);
    Render(15); // halfway between two fog events
    EXPECT_FLOAT_EQ(engine.fogNear, 150.0f);
    EXPECT_FLOAT_EQ(engine.fogFar, 300.0f);
    EXPECT_FLOAT_EQ(engine.fogScale, 10420224.0f / 150.0f);
    EXPECT_EQ(engine.farDistance, 300.0f);
    Render(25);
    EXPECT_FLOAT_EQ(engine.fogNear, 125.0f);
    EXPECT_FLOAT_EQ(engine.fogFar, 225.0f);
    // An empty range has no gradient instead of an infinite one.
    Render(35);
    EXPECT_EQ(engine.fogNear, 50.0f);
    EXPECT_EQ(engine.fogScale, 0.0f);
}

TEST_F(FramePipelineTest, CameraTextureSizesAndCameraSteps)
{
    FsfScene s = BasicScene();
    s.cameras = {Camera({0, 0, 0}, {0, 10, 0}), Camera({0, 0, 0}, {0, 10, 0}), Camera({0, 0, 0}, {0, 10, 0})};
    FsfObject a = SquareAt("a", 0, Row(0, 0, 0), {0, 10, 0});
    FsfObject b = SquareAt("b", 1, Row(0, 0, 0), {0, 10, 0});
    FsfObject c = SquareAt("c", 2, Row(0, 0, 0), {0, 10, 0});
    a.targetTrack = std::vector<StepKey>{MakeStepWord(0, 0x82000000u | 1)}; // second camera at 64
    b.targetTrack = std::vector<StepKey>{MakeStepWord(0, 0x81000000u | 1)}; // second camera at 128
    c.targetTrack = std::vector<StepKey>{MakeStepWord(10, 0x80000000u | 5)}; // 5 steps: third camera
    s.objects = {a, b, c};
    Start(s);
    SceneCamera* second = scene.cameras->next;
    SceneCamera* third = second->next;
    ASSERT_NE(second->targetDepth, nullptr);
    second->targetDepth[100] = 0xFFFFFFFFu;

    Render(0);
    EXPECT_EQ(second->active, 1);
    EXPECT_EQ(third->active, 0);
    EXPECT_EQ(second->targetSize, 128);
    // The size changed, so its view started from a cleared depth buffer.
    EXPECT_EQ(second->targetStamp, 0u);
    EXPECT_EQ(second->targetDepth[100], 0u);
    // Three objects drawn in the texture view (128 wide, 512-byte rows), three in the main view.
    ASSERT_EQ(draws.size(), 6u);
    EXPECT_EQ(draws[0].width, 128);
    EXPECT_EQ(draws[0].colourPitch, 512);
    EXPECT_EQ(draws[0].camera, second);
    EXPECT_EQ(draws[3].width, 320);
    EXPECT_EQ(draws[3].camera, scene.cameras);
    EXPECT_EQ(draws[3].call.targetKey, 0x82000001u);
    // Everything of the main view is back.
    EXPECT_EQ(engine.width, 320);
    EXPECT_EQ(engine.height, 180);
    EXPECT_EQ(engine.clipX16, 5120);
    EXPECT_EQ(engine.centreY16, 1432.0f);
    EXPECT_EQ(engine.colourPitch, 640);
    EXPECT_EQ(engine.depthPitch, 1280);
    EXPECT_EQ(engine.colourRows[100], 100 * 640);
    EXPECT_EQ(engine.depthRows[179], 179 * 1280);
    EXPECT_EQ(engine.frameStamp, 0x01000000u);
    EXPECT_EQ(engine.fovAngle, 2700);
    EXPECT_FLOAT_EQ(engine.focal16, 2560.0f / engine.sinH * engine.cosH);

    Render(1); // same size: the stamp simply moves on
    EXPECT_EQ(second->targetStamp, 0x01000000u);
    Render(10);
    EXPECT_EQ(third->active, 1);
    EXPECT_EQ(third->targetSize, 256);
    EXPECT_EQ(second->targetStamp, 0x02000000u);
}

TEST_F(FramePipelineTest, CameraWithoutTargetBuffersIsNotRenderedInto)
{
    FsfScene s = BasicScene();
    s.cameras = {Camera({0, 0, 0}, {0, 10, 0}), Camera({0, 0, 0}, {0, 10, 0})};
    FsfObject empty;
    empty.name = "empty";
    empty.number = 1;
    empty.targetTrack = std::vector<StepKey>{MakeStepWord(0, 0x80000001u)}; // no faces: no buffers made
    s.objects = {SquareAt("o", 0, Row(0, 0, 0), {0, 10, 0}), empty};
    Start(s);
    ASSERT_EQ(scene.cameras->next->targetColour, nullptr);
    Render(0);
    EXPECT_EQ(scene.cameras->next->active, 0);
    EXPECT_EQ(scene.cameras->next->targetSize, 0);
    EXPECT_EQ(draws.size(), 1u);
}

TEST_F(FramePipelineTest, FieldOfViewAngleIsLimited)
{
    FsfScene s = BasicScene();
    s.cameras = {Camera({0, 0, 0}, {0, 10, 0}, 0), Camera({0, 0, 0}, {0, 10, 0}, 100),
                 Camera({0, 0, 0}, {0, 10, 0}, -3), Camera({0, 0, 0}, {0, 10, 0}, 30)};
    Start(s);
    const int32_t expected[] = {1, 4095, 1, 1350}; // 45 units per track unit
    for (int i = 0; i < 4; ++i) {
        Render(0, RecordAt(scene.cameras, i));
        EXPECT_EQ(engine.fovAngle, expected[i]) << i;
        EXPECT_EQ(engine.sinH, engine.sineTable[expected[i]]);
        EXPECT_EQ(engine.cosH, engine.sineTable[expected[i] + 4096]);
    }
    EXPECT_FLOAT_EQ(engine.focal16, 2560.0f / engine.sinH * engine.cosH);
}

TEST_F(FramePipelineTest, HorizontalExtentDoesNotDependOnTheHeight)
{
    FsfScene s = BasicScene();
    s.cameras = {Camera({0, 0, 0}, {0, 10, 0}, 50)};
    float focal[2], tanV[2], tanH[2];
    const int heights[2] = {240, 200};
    for (int i = 0; i < 2; ++i) {
        Start(s, 320, heights[i]);
        Render(0);
        focal[i] = engine.focal16;
        tanH[i] = engine.sinH / engine.cosH;
        tanV[i] = engine.sinV / engine.cosV;
        EngineRelease();
        FreeScene(&scene);
    }
    EXPECT_EQ(focal[0], focal[1]);
    EXPECT_EQ(tanH[0], tanH[1]);
    EXPECT_NEAR(tanV[0], 240.0f / 320.0f * tanH[0], 1e-5f);
    EXPECT_NEAR(tanV[1], 200.0f / 320.0f * tanH[1], 1e-5f);
}

TEST_F(FramePipelineTest, CameraBasisFromItsLookingDirection)
{
    FsfScene s = BasicScene();
    s.cameras = {Camera({0, 0, 0}, {0, 0, 10}), Camera({0, 0, 0}, {10, 0, 0})};
    s.objects = {SquareAt("up", 0, Row(0, 0, 0), {0, 0, 10}), SquareAt("east", 1, Row(0, 0, 0), {10, 0, 0})};
    Start(s);
    // Straight up: heading 0, so right stays +x and up turns to -y. Rows of the matrix of an
    // unrotated, unscaled object are the camera's right, forward and up axes.
    Render(0, scene.cameras);
    const DrawRecord* up = Find("up");
    ASSERT_NE(up, nullptr);
    ExpectVec({up->matrix[0], up->matrix[1], up->matrix[2]}, {1, 0, 0});
    ExpectVec({up->matrix[3], up->matrix[4], up->matrix[5]}, {0, 0, 1});
    ExpectVec({up->matrix[6], up->matrix[7], up->matrix[8]}, {0, -1, 0});
    ExpectVec(up->translation, {-0.5f, 9.5f, 0}); // the square's corner
    EXPECT_EQ(Find("east"), nullptr); // outside the view pyramid

    Render(0, scene.cameras->next); // looking along +x: heading a quarter turn
    const DrawRecord* east = Find("east");
    ASSERT_NE(east, nullptr);
    ExpectVec({east->matrix[0], east->matrix[1], east->matrix[2]}, {0, -1, 0});
    ExpectVec({east->matrix[6], east->matrix[7], east->matrix[8]}, {0, 0, 1});
    ExpectVec(east->translation, {0, 9.5f, -0.5f});
    ExpectVec(east->envRight, Vec3{0, -1, 0} * 8388608.0f, 2.0f);
}

TEST_F(FramePipelineTest, LightStrengthIsLimited)
{
    FsfScene s = BasicScene();
    const float strengths[] = {1.5f, 1.0f, 0.5f, 0.0f, -1.0f};
    for (float v : strengths) {
        FsfLight l;
        l.positionTrack = Constant({0, 0, 0});
        l.targetTrack = Constant({0, 0, -10});
        l.intensityTrack = ConstantScalar(v);
        s.lights.push_back(l);
    }
    FsfLight full;
    full.positionTrack = Constant({0, 0, 0});
    full.targetTrack = Constant({0, 0, -10});
    s.lights.push_back(full); // no intensity track: full strength
    for (uint32_t i = 0; i < 6; ++i) s.events->push_back(MakeLightEvent(static_cast<float>(i), i));
    Start(s);
    const float expected[] = {1024, 1024, 512, 0, 0, 1024};
    for (int i = 0; i < 6; ++i) {
        Render(static_cast<float>(i));
        ExpectVec(engine.lightVector, {0, 0, expected[i]});
    }
    Render(0.5f, nullptr);
    // Without a light event due the view has no light.
    FsfScene dark = BasicScene();
    dark.lights = {full};
    EngineRelease();
    FreeScene(&scene);
    Start(dark);
    engine.lightVector = {1, 2, 3};
    Render(0);
    ExpectVec(engine.lightVector, {0, 0, 0});
}

TEST_F(FramePipelineTest, ModeTrackMovesObjectsBetweenPasses)
{
    FsfScene s = BasicScene();
    FsfObject o = SquareAt("o", 0, Row(0, 0, 0), {0, 10, 0});
    o.modeTrack = std::vector<StepKey>{MakeStepReal(10, static_cast<float>(Row(0, 0, 2))), MakeStepReal(20, 101)};
    FsfObject q = SquareAt("q", 1, Row(0, 0, 1), {0, 10, 0});
    s.objects = {o, q};
    Start(s);
    Render(5);
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].name, "o"); // opaque first
    EXPECT_EQ(draws[0].pass, 0);
    EXPECT_EQ(draws[0].blend, 0);
    EXPECT_EQ(draws[1].pass, 1);
    EXPECT_EQ(draws[1].blend, 1);
    Render(10);
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].name, "o"); // both blended now, in list order
    EXPECT_EQ(draws[0].pass, 1);
    EXPECT_EQ(draws[0].blend, 2);
    EXPECT_EQ(draws[0].call.modeRow, Row(0, 0, 2));
    EXPECT_EQ(draws[1].name, "q");
    Render(20); // row 101 is not a mode
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].name, "q");
    EXPECT_EQ(engine.pass, 2);
}

TEST_F(FramePipelineTest, ParentChainsPivotsScaleEyeAndLight)
{
    FsfScene s = BasicScene();
    FsfLight l;
    l.positionTrack = Constant({0, 0, 0});
    l.targetTrack = Constant({10, 0, 0});
    s.lights = {l};
    s.events->push_back(MakeLightEvent(0, 0));
    FsfObject parent;
    parent.name = "parent";
    parent.number = 4;
    parent.positionTrack = Constant({0, 20, 0});
    parent.rotationTrack = Constant({4096, 0, 0}); // a quarter turn about the up axis
    FsfObject child = SquareObject("child", 7, Row(0, 0, 0));
    child.parentNumber = static_cast<int32_t>(MakeObjectReference(4, 0));
    child.positionTrack = Constant({2, 0, 0});
    child.rotationTrack = Constant({0, 0, 0});
    child.pivot = Vec3{1, 0, 0};
    child.scaleTrack = Constant({2, 1, 1});
    s.objects = {child, parent};
    Start(s);
    Render(0);
    const DrawRecord* r = Find("child");
    ASSERT_NE(r, nullptr);
    // t = parent . (position - pivot) + parent position = (0, 19, 0); M = parent rotation,
    // whose columns are (0, -1, 0), (1, 0, 0), (0, 0, 1); column 0 is scaled by 2.
    ExpectVec(r->translation, {0, 19, 0});
    ExpectVec({r->matrix[0], r->matrix[3], r->matrix[6]}, {0, -2, 0});
    ExpectVec({r->matrix[1], r->matrix[4], r->matrix[7]}, {1, 0, 0});
    ExpectVec({r->matrix[2], r->matrix[5], r->matrix[8]}, {0, 0, 1});
    ExpectVec(r->eye, {19.0f / 2, 0, 0});
    ExpectVec(r->light, {0, -1024, 0}, 1e-2f); // the light is not divided by the scale
    ExpectVec(r->envRight, Vec3{0, 1, 0} * 8388608.0f, 2.0f); // unscaled
}

TEST_F(FramePipelineTest, CameraFollowsItsParentChain)
{
    FsfScene s = BasicScene();
    FsfCamera cam = Camera({0, 0, 0}, {0, 10, 0});
    cam.parent = MakeObjectReference(3, 0);
    s.cameras = {cam};
    FsfObject rig;
    rig.name = "rig";
    rig.number = 3;
    rig.positionTrack = Constant({0, -5, 0});
    rig.rotationTrack = Constant({4096, 0, 0}); // the rig turns the camera to look along +x
    s.objects = {rig, SquareAt("o", 0, Row(0, 0, 0), {10, -5, 0})};
    Start(s);
    Render(0);
    const DrawRecord* r = Find("o");
    ASSERT_NE(r, nullptr);
    ExpectVec(r->translation, {0, 9.5f, -0.5f});
    ExpectVec({r->matrix[0], r->matrix[1], r->matrix[2]}, {0, -1, 0});
    ExpectVec({r->matrix[3], r->matrix[4], r->matrix[5]}, {1, 0, 0});
}

TEST_F(FramePipelineTest, ObjectWithoutNumberStillGetsItsTransform)
{
    FsfScene s = BasicScene();
    FsfObject o = SquareAt("o", 0, Row(0, 0, 0), {3, 10, 0});
    o.number.reset(); // no node number: nothing to cache it under
    s.objects = {o};
    Start(s);
    ASSERT_EQ(scene.objects->number, -1);
    Render(0);
    const DrawRecord* r = Find("o");
    ASSERT_NE(r, nullptr);
    ExpectVec(r->translation, {2.5f, 10, -0.5f});
}

TEST_F(FramePipelineTest, SwitchesScrollingAndVisibility)
{
    FsfScene s = BasicScene();
    FsfObject o = SquareAt("o", 0, Row(0, 0, 0), {0, 10, 0});
    o.cullToggles = std::vector<float>{5};
    o.switchTrack = std::vector<StepKey>{MakeStepReal(2, 1.0f), MakeStepReal(8, 0.0f)};
    o.uvTrack = FsfVectorTrack{0, {MakeVectorKey(0, {0.25f, 0.5f, 1.0f})}};
    o.hideToggles = std::vector<float>{20, 30};
    s.objects = {o};
    Start(s);
    Render(0); // before any switch has passed the first one applies
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].backfaceCulling, 1);
    EXPECT_EQ(draws[0].affineMapping, 0);
    EXPECT_EQ(draws[0].uvOffset[0], 16384);
    EXPECT_EQ(draws[0].uvOffset[1], 32768);
    EXPECT_EQ(draws[0].outlineMode, 0);
    EXPECT_EQ(draws[0].call.edgeRecordSize, 0);
    Render(9);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].backfaceCulling, 0);
    EXPECT_EQ(draws[0].affineMapping, 1);
    Render(25);
    EXPECT_TRUE(draws.empty());
    Render(30);
    EXPECT_EQ(draws.size(), 1u);
}

TEST_F(FramePipelineTest, SphereCulling)
{
    FsfScene s = BasicScene();
    s.objects = {SquareAt("front", 0, Row(0, 0, 0), {0, 10, 0}), SquareAt("behind", 1, Row(0, 0, 0), {0, -10, 0}),
                 SquareAt("left", 2, Row(0, 0, 0), {-30, 10, 0}), SquareAt("edge", 3, Row(0, 0, 0), {-6.0f, 10, 0}),
                 SquareAt("far", 4, Row(0, 0, 0), {0, 60, 0})};
    s.events->push_back(MakeFarEvent(5, 50));
    Start(s);
    Render(0);
    EXPECT_NE(Find("front"), nullptr);
    EXPECT_EQ(Find("behind"), nullptr);
    EXPECT_EQ(Find("left"), nullptr);
    EXPECT_NE(Find("edge"), nullptr); // centre outside, sphere reaching into the view
    EXPECT_NE(Find("far"), nullptr);
    Render(5);
    EXPECT_EQ(Find("far"), nullptr);
    EXPECT_EQ(draws.size(), 2u);
}

TEST_F(FramePipelineTest, MorphBlendsDrawsAndRestores)
{
    FsfScene s = BasicScene();
    FsfObject m = SquareAt("m", 0, Row(0, 0, 0), {0, 10, 0});
    m.morphTrack = FsfScalarTrack{0, {MakeMorphKey(0, MakeObjectReference(0, 0)), MakeMorphKey(10, MakeObjectReference(1, 0))}};
    FsfObject b = SquareAt("b", 1, Row(0, 0, 0), {0, 10, 0});
    for (Vec3& v : *b.vertices) v.z += 2;
    b.boundCentre = Vec3{0.5f, 0, 2.5f};
    b.hideToggles = std::vector<float>{0};
    // A target of another shape (fewer vertices and faces) is not used.
    FsfObject odd = SquareAt("odd", 2, Row(0, 0, 0), {0, 10, 0});
    odd.morphTrack = FsfScalarTrack{0, {MakeMorphKey(0, MakeObjectReference(2, 0)), MakeMorphKey(10, MakeObjectReference(3, 0))}};
    FsfObject tri = SquareAt("tri", 3, Row(0, 0, 0), {0, 10, 0});
    tri.vertices->pop_back();
    tri.mapping->pop_back();
    tri.faces->pop_back();
    tri.hideToggles = std::vector<float>{0};
    s.objects = {m, b, odd, tri};
    Start(s);
    SceneObject* object = scene.objects;
    SceneObject* target = object->next;
    Vec3* own = object->vertices;

    Render(5);
    const DrawRecord* r = Find("m");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->morphing, 1);
    EXPECT_EQ(r->vertices, engine.morphVertices);
    ExpectVec(r->firstVertex, {0, 0, 1});
    ExpectVec(r->boundCentre, {0.5f, 0, 1.5f});
    EXPECT_EQ(r->faces, target->faces); // weight 0.5 takes the second target's faces
    EXPECT_EQ(object->vertices, own);
    ExpectVec(object->boundCentre, {0.5f, 0, 0.5f});
    ASSERT_NE(Find("odd"), nullptr);
    EXPECT_EQ(Find("odd")->vertices, object->next->next->vertices);
    EXPECT_EQ(Find("odd")->morphing, 0);

    Render(0);
    EXPECT_EQ(Find("m")->morphing, 0);
    EXPECT_EQ(Find("m")->vertices, own);
    Render(10);
    EXPECT_EQ(Find("m")->morphing, 0);
    EXPECT_EQ(Find("m")->vertices, target->vertices);
    EXPECT_EQ(object->vertices, own);
}

TEST_F(FramePipelineTest, OutlineStateAndRecordSizes)
{
    FsfScene s = BasicScene();
    s.cameras.push_back(Camera({0, 0, 0}, {0, 10, 0}));
    FsfObject o = SquareAt("o", 0, Row(0, 3, 0), {0, 10, 0});
    o.edges = std::vector<FsfEdge>{{0, 2, 0, 1, 0.5f}};
    const uint32_t flags = 3 | (10 << 2) | (8u << 10);
    o.flagTrack = {MakeStepWord(0, flags), MakeStepWord(10, 2 | (0xFFFFFu << 12))};
    o.targetTrack = std::vector<StepKey>{MakeStepWord(20, 0x80000001u)};
    s.objects = {o};
    Start(s);
    Render(0);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].outlineMode, 2);
    EXPECT_EQ(draws[0].call.edgeRecordSize, 24); // the row's records
    EXPECT_EQ(engine.lineMode, 1);
    EXPECT_EQ(engine.depthBias, 8 * 0.000244140625f);
    EXPECT_EQ(engine.creaseLimit, engine.sineTable[455 + 4096]);
    Render(10); // the bias shift keeps the sign
    EXPECT_EQ(draws[0].outlineMode, 1);
    EXPECT_EQ(engine.lineMode, 0);
    EXPECT_LT(engine.depthBias, 0.0f);
    Render(20); // a camera texture object: the camera-texture renderer's 20-byte records
    const DrawRecord* main = &draws.back();
    EXPECT_EQ(main->call.targetKey, 0x80000001u);
    EXPECT_EQ(main->call.edgeRecordSize, 20);
}

TEST_F(FramePipelineTest, MaterialFramesAndShadeLevels)
{
    std::vector<uint8_t> pixels(256 * 512);
    std::vector<uint8_t> palette(256 * 3, 128);
    Put("T.BMP", MakeBmp8(256, 512, pixels, palette)); // two texture frames
    FsfScene s = BasicScene();
    FsfMaterial textured = PlainMaterial("t");
    textured.textureName = "T.BMP";
    textured.frameTrack = std::vector<StepKey>{MakeStepReal(0, -1.0f), MakeStepReal(10, 1.0f)};
    textured.opacityTrack = FsfScalarTrack{0, {MakeScalarKey(0, 0.25f), MakeScalarKey(10, 1.5f), MakeScalarKey(20, -1.0f)}};
    FsfMaterial plain = PlainMaterial("p");
    plain.opacityTrack = ConstantScalar(0.5f);
    s.materials = {textured, plain};
    FsfObject blended = SquareAt("b", 1, Row(0, 1, 1), {0, 10, 0});
    blended.faces = std::vector<FsfFace>{{1, 0, 1, 2}, {1, 0, 2, 3}};
    s.objects = {SquareAt("o", 0, Row(3, 1, 0), {0, 10, 0}), blended};
    Start(s);
    Material* m = scene.materials;
    Material* p = m->next;
    ASSERT_EQ(p->shadeRamp, nullptr); // a blended mode needs only the half-value ramp
    ASSERT_NE(p->shadeRampHalf, nullptr);
    ASSERT_EQ(m->frameCount, 2);
    ASSERT_NE(m->shadedTexture, nullptr);
    Render(0); // frame value -1 counts back from the last frame
    EXPECT_EQ(m->currentFrame, m->textureFrames + 65536);
    EXPECT_EQ(m->shadeRow, m->shadedTexture + 96 * 256);
    EXPECT_EQ(m->shadeRowHalf, m->shadedTextureHalf ? m->shadedTextureHalf + 96 * 256 : nullptr);
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].colourKey, 1);
    EXPECT_EQ(draws[1].colourKey, 0);
    EXPECT_EQ(p->shadeColour, 0); // tables that do not exist give no colour
    EXPECT_EQ(p->shadeColourHalf, p->shadeRampHalf[64]);
    EXPECT_EQ(p->shadeRow, nullptr);
    Render(5); // halfway: value 0
    EXPECT_EQ(m->currentFrame, m->textureFrames);
    Render(10);
    EXPECT_EQ(m->shadeRow, m->shadedTexture); // strength above 1 stops at level 0
    Render(20);
    EXPECT_EQ(m->shadeRow, m->shadedTexture + 128 * 256);
}

TEST_F(FramePipelineTest, BlendedObjectsDrawOverOpaqueOnesWhateverTheirOrder)
{
    FsfScene s = BasicScene();
    s.materials = {PlainMaterial("wall"), PlainMaterial("glass")};
    s.materials[1].diffuse = FsfColour{200, 40, 40};
    s.materials[1].specular = FsfColour{255, 0, 0};
    FsfObject glass = SquareAt("glass", 0, Row(0, 0, 1), {0, 5, 0}); // nearer, listed first
    glass.faces = std::vector<FsfFace>{{1, 0, 1, 2}, {1, 0, 2, 3}};
    s.objects = {glass, SquareAt("wall", 1, Row(0, 0, 0), {0, 10, 0})};
    Start(s);
    Render(0);
    const uint16_t wall = scene.materials->shadeRamp[0];
    const uint16_t glassHalf = scene.materials->next->shadeRampHalf[0];
    EXPECT_EQ(view[90 * 320 + 160], static_cast<uint16_t>(((wall >> 1) & 0x7BEF) + glassHalf));
    EXPECT_EQ(view[0], 0);
}

TEST_F(FramePipelineTest, CameraTextureViewIsDrawnIntoItsOwnBuffer)
{
    FsfScene s = BasicScene();
    s.cameras.push_back(Camera({0, 0, 0}, {0, 10, 0}));
    FsfObject screen = SquareAt("screen", 1, Row(0, 0, 0), {0, -10, 0}); // behind the main camera
    screen.targetTrack = std::vector<StepKey>{MakeStepWord(0, 0x80000001u)};
    s.objects = {SquareAt("wall", 0, Row(0, 0, 0), {0, 10, 0}), screen};
    Start(s);
    SceneCamera* second = scene.cameras->next;
    Render(0);
    EXPECT_EQ(second->targetColour[127 * 256 + 128], scene.materials->shadeRamp[0]);
    EXPECT_EQ(second->targetColour[0], 0);
    EXPECT_EQ(view[90 * 320 + 160], scene.materials->shadeRamp[0]); // the main view as well
}
