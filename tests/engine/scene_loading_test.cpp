// Scene loading: every chunk kind, paths, header rules, version conversions, references,
// normals and per-object preparation, refusal of malformed files, and FreeScene.
#include "engine/scene_test_support.h"

#include <cstring>

#include "engine/render_modes.h"

namespace {

FsfScene FullScene()
{
    FsfScene s;
    s.info = std::array<int32_t, 3>{7, 8, 900};
    FsfMaterial m = PlainMaterial("steel");
    m.shininess = 12;
    m.highlight = 0.25f;
    m.textureBase = 0.5f;
    m.textureLightGain = 2.0f;
    m.textureColourMix = 0.125f;
    m.textureName = "STEEL.BMP";
    m.secondMapName = "BUMP.BMP";
    m.frameTrack = std::vector<StepKey>{MakeStepReal(0, 0), MakeStepReal(100, 3)};
    m.opacityTrack = FsfScalarTrack{0, {MakeScalarKey(0, 1), MakeScalarKey(50, 0.5f)}};
    s.materials = {m, PlainMaterial("glass")};

    FsfLight light;
    light.name = "sun";
    light.tag = 3;
    light.positionTrack = FsfVectorTrack{0, {MakeVectorKey(0, {1, 2, 3})}};
    light.extraTrack = FsfScalarTrack{0, {MakeScalarKey(0, 9)}};
    light.targetTrack = FsfVectorTrack{0, {MakeVectorKey(0, {0, 0, 0})}};
    light.intensityTrack = FsfScalarTrack{1, {MakeScalarKey(0, 0.5f), MakeScalarKey(10, 1)}};
    light.parent = 2;
    s.lights = {light};

    FsfFlare flare;
    flare.name = "glint";
    flare.tag = 4;
    flare.size = 33;
    flare.flag = 3;
    flare.positionTrack = FsfVectorTrack{0, {MakeVectorKey(0, {5, 5, 5})}};
    flare.colourTrack = FsfVectorTrack{0, {MakeVectorKey(0, {1, 0.5f, 0})}};
    flare.visibilityToggles = std::vector<float>{10, 20};
    flare.pictureName = "FLARE.BMP";
    flare.sizeTrack = FsfScalarTrack{0, {MakeScalarKey(0, 12)}};
    flare.parent = 1;
    s.flares = {flare};

    FsfCamera cam;
    cam.name = "eye";
    cam.tag = 5;
    cam.positionTrack = FsfVectorTrack{0, {MakeVectorKey(0, {0, -10, 0})}};
    cam.fovTrack = FsfScalarTrack{0, {MakeScalarKey(0, 60)}};
    cam.rollTrack = FsfScalarTrack{0, {MakeScalarKey(0, 0)}};
    cam.targetTrack = FsfVectorTrack{0, {MakeVectorKey(0, {0, 0, 0})}};
    cam.parent = 0xFFFFFFFFu;
    s.cameras = {cam, FsfCamera{}};

    FsfObject a = SquareObject("base", 1, 21);
    a.tag = 6;
    a.pivot = Vec3{0.5f, 0, 0};
    a.positionTrack = FsfVectorTrack{0, {MakeVectorKey(0, {1, 1, 1})}};
    a.rotationTrack = FsfVectorTrack{0, {MakeVectorKey(0, {0, 0, 0})}};
    a.scaleTrack = FsfVectorTrack{0, {MakeVectorKey(0, {2, 2, 2})}};
    a.hideToggles = std::vector<float>{3};
    a.switchTrack = std::vector<StepKey>{MakeStepReal(0, 0)};
    a.modeTrack = std::vector<StepKey>{MakeStepReal(40, 22)};
    a.cullToggles = std::vector<float>{4, 5};
    a.edges = std::vector<FsfEdge>{{0, 2, 0, 1, 0.5f}, {0, 1, 0, -1, -1}};
    a.flagTrack = {MakeStepWord(0, 3)};
    a.uvTrack = FsfVectorTrack{0, {MakeVectorKey(0, {0.5f, 0.5f, 1})}};
    a.targetTrack = std::vector<StepKey>{MakeStepWord(0, 0x80000001u)};
    FsfObject b = SquareObject("child", 2, 1);
    b.parentNumber = 1;
    b.morphTrack = FsfScalarTrack{1, {MakeMorphKey(0, 1), MakeMorphKey(10, 2, 0.25f, -0.5f)}};
    s.objects = {a, b};

    s.version = 0x600;
    s.events = std::vector<FsfEvent>{MakeCameraEvent(0, 1), MakeLightEvent(0, 0), MakeFarEvent(5, 500),
                                     MakeFogEvent(6, 10, 20), MakeBackgroundEvent(7, 1, 2, 3)};
    return s;
}

} // namespace

TEST_F(SceneFileTest, LoadsEveryChunkKind)
{
    ASSERT_EQ(Load(WriteFsf(FullScene())), 0);
    EXPECT_EQ(scene.infoA, 7);
    EXPECT_EQ(scene.infoB, 8);
    EXPECT_EQ(scene.lastFrame, 900);
    ASSERT_EQ(scene.materialCount, 2);
    const Material& m = *scene.materials;
    EXPECT_STREQ(m.name, "steel");
    EXPECT_EQ(m.ambient[2], 30);
    EXPECT_EQ(m.specular[0], 250);
    EXPECT_EQ(m.shininess, 12);
    EXPECT_EQ(m.highlight, 0.25f);
    EXPECT_EQ(m.textureColourMix, 0.125f);
    EXPECT_STREQ(m.textureName, "STEEL.BMP");
    EXPECT_STREQ(m.secondMapName, "BUMP.BMP");
    EXPECT_EQ(m.frameTrack.count, 2);
    EXPECT_EQ(StepReal(m.frameTrack.keys[1]), 3.0f);
    EXPECT_EQ(m.opacityTrack.keys[1].value, 0.5f);
    // Unset fields keep their defaults.
    const Material& glass = *m.next;
    EXPECT_EQ(glass.shininess, 5);
    EXPECT_EQ(glass.highlight, 0.5f);
    EXPECT_EQ(glass.textureBase, 1.0f);
    EXPECT_EQ(glass.textureLightGain, 3.0f);

    ASSERT_EQ(scene.lightCount, 1);
    EXPECT_EQ(scene.lights->tag, 3);
    EXPECT_EQ(scene.lights->intensityTrack.loop, 1);
    EXPECT_EQ(scene.lights->extraTrack.keys[0].value, 9.0f);
    EXPECT_EQ(scene.lights->positionTrack.keys[0].value.z, 3.0f);

    ASSERT_EQ(scene.flareCount, 1);
    const SceneFlare& f = *scene.flares;
    EXPECT_EQ(f.size, 33.0f);
    EXPECT_EQ(f.flag, 3);
    EXPECT_STREQ(f.pictureName, "FLARE.BMP");
    EXPECT_EQ(f.visibilityToggles.count, 2);
    EXPECT_EQ(f.sizeTrack.keys[0].value, 12.0f);
    EXPECT_EQ(f.colourTrack.keys[0].value.y, 0.5f);

    ASSERT_EQ(scene.cameraCount, 2);
    EXPECT_STREQ(scene.cameras->name, "eye");
    EXPECT_EQ(scene.cameras->fovTrack.keys[0].value, 60.0f);
    EXPECT_EQ(scene.cameras->parent, nullptr);

    ASSERT_EQ(scene.objectCount, 2);
    const SceneObject& a = *scene.objects;
    const SceneObject& b = *a.next;
    EXPECT_STREQ(RenderModeTable[a.renderMode].name, "TEXTR_GOURA_OPAQU"); // legacy code 21
    EXPECT_EQ(a.vertexCount, 4);
    EXPECT_EQ(a.mapping[2], 256.0f);
    EXPECT_EQ(a.faceCount, 2);
    EXPECT_EQ(a.faces[1].material, scene.materials);
    EXPECT_EQ(a.boundRadius, 0.8f);
    EXPECT_EQ(a.pivot.x, 0.5f);
    EXPECT_EQ(a.scaleTrack.keys[0].value.x, 2.0f);
    EXPECT_EQ(a.hideToggles.count, 1);
    EXPECT_EQ(a.cullToggles.count, 2);
    EXPECT_EQ(a.modeTrack.count, 1);
    ASSERT_EQ(a.edgeCount, 2);
    EXPECT_EQ(a.edges[0].faceA, &a.faces[0]);
    EXPECT_EQ(a.edges[0].faceB, &a.faces[1]);
    EXPECT_EQ(a.edges[1].faceB, nullptr);
    EXPECT_EQ(a.edges[0].crease, 0.5f);
    EXPECT_EQ(a.flagTrack.count, 1);
    EXPECT_EQ(a.flagTrack.keys[0].value, 3u);
    EXPECT_EQ(a.uvTrack.keys[0].value.z, 1.0f);
    EXPECT_EQ(a.matrix.m[4], 1.0f);

    // References of a file before version 0x610 are object numbers.
    EXPECT_EQ(b.parentNumber, &a);
    EXPECT_EQ(a.parentNumber, nullptr);
    EXPECT_EQ(scene.lights->parent, &b);
    EXPECT_EQ(f.parent, &a);
    EXPECT_EQ(b.morphTrack.keys[0].target, &a);
    EXPECT_EQ(b.morphTrack.keys[1].target, &b);
    // Morph keys keep the rest of their stored scalar key.
    ASSERT_EQ(b.morphTrack.keyCount, 2);
    EXPECT_EQ(b.morphTrack.loop, 1);
    EXPECT_EQ(b.morphTrack.keys[1].frame, 10.0f);
    EXPECT_EQ(b.morphTrack.keys[1].storedValue, 2u);
    EXPECT_EQ(b.morphTrack.keys[1].inTangent, 0.25f);
    EXPECT_EQ(b.morphTrack.keys[1].outTangent, -0.5f);

    // A camera texture for the second camera (index 1 of the target key).
    const SceneCamera& second = *scene.cameras->next;
    EXPECT_EQ(second.targetSize, 256);
    ASSERT_NE(second.targetColour, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(second.targetColour) % 131072, 0u);
    EXPECT_EQ(second.targetColour[1000], 0);
    EXPECT_EQ(scene.cameras->targetSize, 0);

    ASSERT_EQ(scene.eventCount, 5);
    EXPECT_EQ(scene.events[0].camera, &second);
    EXPECT_EQ(scene.events[1].light, scene.lights);
    EXPECT_EQ(EventReal(scene.events[2].a), 500.0f);
    EXPECT_EQ(scene.events[3].kind, 3);
    EXPECT_EQ(EventReal(scene.events[3].b), 20.0f);
    EXPECT_EQ(scene.events[4].c, 3u);
    EXPECT_EQ(FindSceneObject(scene, "child"), &b);
    EXPECT_EQ(FindSceneObject(scene, "Child"), nullptr);
}

TEST_F(SceneFileTest, PathsFromTheSceneName)
{
    FsfScene s;
    Put("A/B", WriteFsf(s));
    ASSERT_EQ(LoadScene(&scene, "A\\B"), 0);
    EXPECT_STREQ(scene.fsfPath, "A\\B.FSF");
    EXPECT_STREQ(scene.datPath, "A\\B.DAT\\");
    EXPECT_STREQ(scene.folderPath, "A\\");
    FreeScene(&scene);

    Put("A.B/C", WriteFsf(s));
    ASSERT_EQ(LoadScene(&scene, "A.B\\C"), 0);
    EXPECT_STREQ(scene.fsfPath, "A.B\\C.FSF");
    EXPECT_STREQ(scene.datPath, "A.B\\C.DAT\\");
    FreeScene(&scene);

    Put("PLAN.fsf", WriteFsf(s));
    ASSERT_EQ(LoadScene(&scene, "PLAN.fsf"), 0);
    EXPECT_STREQ(scene.fsfPath, "PLAN.FSF");
    EXPECT_STREQ(scene.datPath, "PLAN.DAT\\");
    EXPECT_STREQ(scene.folderPath, "");
    EXPECT_EQ(scene.eventCount, 0);
    EXPECT_EQ(scene.events, nullptr);
}

TEST_F(SceneFileTest, HeaderNeedsRootIdOrFileSize)
{
    const size_t before = PoolBytesInUse();
    EXPECT_EQ(LoadScene(&scene, "MISSING.FSF"), 1);
    EXPECT_EQ(Load({}), 1);

    // Root id 1 whose size is not the file size: the root and a second top-level chunk.
    FsfChunkWriter w;
    w.Open(1);
    w.Open(0x200);
    w.FieldText(0x201, "first");
    w.Close();
    w.Close();
    w.FieldI32s(0x100, {0, 0, 42});
    ASSERT_EQ(Load(w.Take()), 0);
    EXPECT_EQ(scene.materialCount, 1);
    EXPECT_EQ(scene.lastFrame, 42);
    FreeScene(&scene);

    // Another first chunk whose size is the file size.
    FsfChunkWriter m;
    m.Open(0x200);
    m.FieldText(0x201, "only");
    m.Close();
    ASSERT_EQ(Load(m.Take()), 0);
    ASSERT_EQ(scene.materialCount, 1);
    EXPECT_STREQ(scene.materials->name, "only");
    FreeScene(&scene);

    // Neither: refused, with nothing left allocated and the scene untouched.
    FsfChunkWriter n;
    n.FieldI32s(0x100, {0, 0, 1});
    n.FieldI32s(0x100, {0, 0, 2});
    EXPECT_EQ(Load(n.Take()), 1);
    EXPECT_EQ(scene.fsfPath, nullptr);
    EXPECT_EQ(PoolBytesInUse(), before);
}

TEST_F(SceneFileTest, LegacyModeCodesAndSwitchValues)
{
    FsfScene s = OneMaterialScene();
    s.version = 0x3ff;
    FsfObject o = SquareObject("o", 0, 19); // legacy code 19: TEXTR_NOSHA_OPAQU
    o.modeTrack = std::vector<StepKey>{MakeStepReal(0, 10.7f), MakeStepReal(5, 99), MakeStepReal(9, 3)};
    o.switchTrack = std::vector<StepKey>{MakeStepReal(0, 10), MakeStepReal(1, 2), MakeStepReal(2, 0)};
    s.objects = {o};
    ASSERT_EQ(Load(WriteFsf(s)), 0);
    const SceneObject& a = *scene.objects;
    EXPECT_STREQ(RenderModeTable[a.renderMode].name, "TEXTR_NOSHA_OPAQU");
    EXPECT_EQ(StepReal(a.modeTrack.keys[0]), 0.0f);  // 10.7 truncated to 10: Wire
    EXPECT_EQ(StepReal(a.modeTrack.keys[1]), 0.0f);  // no row carries 99
    EXPECT_STREQ(RenderModeTable[static_cast<int>(StepReal(a.modeTrack.keys[2]))].name, "TEXTU_GOURA_OPAQU");
    EXPECT_EQ(StepReal(a.switchTrack.keys[0]), 0.0f);
    EXPECT_EQ(StepReal(a.switchTrack.keys[1]), 1.0f);
    EXPECT_EQ(StepReal(a.switchTrack.keys[2]), 1.0f);
    FreeScene(&scene);

    // From 0x400 switch values stay, and from 0x7f0 mode numbers are rows.
    s.version = 0x7f0;
    ASSERT_EQ(Load(WriteFsf(s)), 0);
    EXPECT_EQ(scene.objects->renderMode, 19);
    EXPECT_EQ(StepReal(scene.objects->switchTrack.keys[0]), 10.0f);
    EXPECT_EQ(StepReal(scene.objects->modeTrack.keys[1]), 99.0f);
}

TEST_F(SceneFileTest, ReferencesOfBothVersions)
{
    FsfScene s = OneMaterialScene();
    FsfObject first = SquareObject("five-a", 5, 1);
    FsfObject second = SquareObject("five-b", 5, 1);
    FsfObject child = SquareObject("child", 6, 1);
    FsfCamera cam;
    FsfLight light;
    s.objects = {first, second, child};
    s.cameras = {cam};
    s.lights = {light};

    s.version = 0x60f;
    s.objects[2].parentNumber = 5;
    s.cameras[0].parent = 5;
    s.lights[0].parent = 7; // no object 7
    ASSERT_EQ(Load(WriteFsf(s)), 0);
    EXPECT_STREQ(scene.objects->next->next->parentNumber->name, "five-a");
    EXPECT_STREQ(scene.cameras->parent->name, "five-a");
    EXPECT_EQ(scene.lights->parent, nullptr);
    FreeScene(&scene);

    s.version = 0x610;
    s.objects[2].parentNumber = static_cast<int32_t>(MakeObjectReference(5, 1));
    s.cameras[0].parent = MakeObjectReference(5, 0);
    s.lights[0].parent = MakeObjectReference(5, 2); // only two objects carry 5
    ASSERT_EQ(Load(WriteFsf(s)), 0);
    EXPECT_STREQ(scene.objects->next->next->parentNumber->name, "five-b");
    EXPECT_STREQ(scene.cameras->parent->name, "five-a");
    EXPECT_EQ(scene.lights->parent, nullptr);
}

TEST_F(SceneFileTest, FaceAndVertexNormals)
{
    FsfScene s = OneMaterialScene();
    FsfObject flat = SquareObject("flat", 0, 1 + 2 * 4);   // NOMAP_FLATY: no vertex normals
    FsfObject smooth = SquareObject("smooth", 1, 1 + 3 * 4); // NOMAP_GOURA
    smooth.vertices->push_back({2, 0, 0});
    smooth.vertices->push_back({3, 0, 0});
    smooth.faces->push_back({0, 1, 4, 5}); // three points on one line
    smooth.mapping.reset();
    FsfObject target = SquareObject("target", 2, 1);
    target.vertices = std::vector<Vec3>{{0, 0, 0}, {0, 1, 0}, {0, 1, 1}, {0, 0, 1}};
    // Environment mapping from a mode-track key, with a morph target needing normals too.
    flat.modeTrack = std::vector<StepKey>{MakeStepReal(10, 41)};
    flat.morphTrack = FsfScalarTrack{0, {MakeMorphKey(0, 0), MakeMorphKey(10, 2)}};
    s.objects = {flat, smooth, target};
    ASSERT_EQ(Load(WriteFsf(s)), 0);
    const SceneObject& f = *scene.objects;
    const SceneObject& g = *f.next;
    const SceneObject& t = *g.next;
    // (B - A) x (C - A) for (0,0,0), (1,0,0), (1,0,1) points to -y.
    EXPECT_FLOAT_EQ(f.faces[0].normal.y, -1.0f);
    EXPECT_EQ(g.faces[2].normal.x, 0.0f);
    EXPECT_EQ(g.faces[2].normal.y, 0.0f);
    EXPECT_EQ(g.faces[2].normal.z, 0.0f);
    ASSERT_NE(g.vertexNormals, nullptr);
    EXPECT_FLOAT_EQ(g.vertexNormals[0].y, -1.0f);
    EXPECT_EQ(g.vertexNormals[5].y, 0.0f); // only on the degenerate face
    ASSERT_NE(f.vertexNormals, nullptr);   // from row 41 (ENVMA) of its mode track
    ASSERT_NE(t.vertexNormals, nullptr);   // as its morph target
    EXPECT_FLOAT_EQ(t.vertexNormals[1].x, 1.0f);
}

TEST_F(SceneFileTest, CameraTextureIndexWrapsOverTheCameras)
{
    FsfScene s = OneMaterialScene();
    s.cameras = {FsfCamera{}, FsfCamera{}, FsfCamera{}};
    FsfObject o = SquareObject("screen", 0, 21);
    o.targetTrack = std::vector<StepKey>{MakeStepWord(0, 0x80000005u), MakeStepWord(5, 0x00000001u)};
    s.objects = {o};
    ASSERT_EQ(Load(WriteFsf(s)), 0);
    EXPECT_EQ(RecordAt(scene.cameras, 0)->targetSize, 0);
    EXPECT_EQ(RecordAt(scene.cameras, 1)->targetSize, 0);
    EXPECT_EQ(RecordAt(scene.cameras, 2)->targetSize, 256); // 5 steps from the first: the third
}

TEST_F(SceneFileTest, FreeSceneReturnsThePool)
{
    const size_t before = PoolBytesInUse();
    ASSERT_EQ(Load(WriteFsf(FullScene())), 0);
    EXPECT_GT(PoolBytesInUse(), before);
    // Tables and pictures the engine's set-up hangs on the records go with them.
    Material& m = *scene.materials;
    m.textureFrames = static_cast<uint8_t*>(PoolAlloc(2 * 65536, 65536));
    m.texturePalette = static_cast<uint16_t*>(PoolAlloc(512, 512));
    m.shadeRampHalf = static_cast<uint16_t*>(PoolAlloc(512, 512));
    m.shadedTexture = static_cast<uint16_t*>(PoolAlloc(131072, 131072));
    scene.flares->picture = static_cast<uint8_t*>(PoolAlloc(65536, 16));
    ASSERT_TRUE(m.textureFrames && m.texturePalette && m.shadeRampHalf && m.shadedTexture && scene.flares->picture);
    FreeScene(&scene);
    EXPECT_EQ(PoolBytesInUse(), before);
    EXPECT_EQ(scene.objects, nullptr);
    EXPECT_EQ(scene.objectCount, 0);
    FreeScene(&scene); // an empty scene frees again safely
}
