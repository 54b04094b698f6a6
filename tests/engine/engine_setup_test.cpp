// Engine set-up: size and depth checks, the engine tables, per-material tables chosen by the
// render modes, texture and flare pictures, and the release of everything built.
#include "engine/scene_test_support.h"

#include <cmath>
#include <cstring>

#include "engine/render_modes.h"
#include "display/pixel_format.h"
#include "engine/flare_pictures.h"
#include "engine/engine_errors.h"
#include "engine/engine_setup.h"
#include "engine/material_preparation.h"

namespace {

constexpr int Row(int map, int shade, int blend) { return 1 + map * 20 + shade * 4 + blend; }

// A square in `mode` whose material is textured with `textureName`.
FsfScene TexturedScene(int mode, const std::string& textureName = "WOOD.BMP")
{
    FsfScene s = OneMaterialScene({SquareObject("o", 0, mode)});
    s.materials[0].textureName = textureName;
    return s;
}

class EngineSetupTest : public SceneFixture {};

} // namespace

TEST_F(EngineSetupTest, EngineInitChecksSizeAndDepth)
{
    EXPECT_EQ(EngineInit(320, 1025, 16), 4);
    EXPECT_EQ(EngineInit(320, 180, 24), 3);
    EXPECT_EQ(EngineInit(0, 180, 16), 4);
    EXPECT_EQ(EngineInit(kMaxViewWidth + 1, 180, 16), 4);
    EXPECT_STREQ(EngineErrorText(4), "Error: resolution not suppored in engine");
    EXPECT_STREQ(EngineErrorText(3), "Error: bpp not supported in engine");
    // Without a scene the set-up still builds its tables.
    EXPECT_EQ(EngineInit(2000, 1024, 15), 0);
    EXPECT_EQ(engine.clipX16, 32000);
    EXPECT_EQ(engine.depthRows[1023], 1023 * 2000 * 4);
    EXPECT_EQ(engine.nodeCount, 1);
    EXPECT_EQ(engine.work, nullptr);
}

TEST_F(EngineSetupTest, OnlyTheEngineLoadAndFreeChangeItsScene)
{
    Put("PLAIN.FSF", WriteFsf(OneMaterialScene({SquareObject("o", 0, Row(0, 0, 0))})));
    SetEngineScene(nullptr);
    const size_t before = PoolBytesInUse();

    // Reading a scene does not hand it to the engine; the engine's load does, unless the
    // scene cannot be read.
    Scene other{};
    ASSERT_EQ(LoadScene(&other, "PLAIN.FSF"), 0);
    EXPECT_EQ(EngineScene(), nullptr);
    ASSERT_EQ(LoadEngineScene(&scene, "PLAIN.FSF"), 0);
    EXPECT_EQ(EngineScene(), &scene);
    Scene missing{};
    EXPECT_EQ(LoadEngineScene(&missing, "MISSING.FSF"), 1);
    EXPECT_EQ(EngineScene(), &scene);

    // Set-up prepares the engine's scene only, and freeing another scene leaves it alone.
    ASSERT_EQ(EngineInit(320, 180, 16), 0);
    ASSERT_NE(scene.materials->shadeRamp, nullptr);
    EXPECT_EQ(other.materials->shadeRamp, nullptr);
    FreeScene(&other);
    EXPECT_EQ(EngineScene(), &scene);
    EXPECT_NE(scene.materials->shadeRamp, nullptr);

    // Material preparation builds the tables of the scene it is given, whichever the engine's.
    ASSERT_EQ(LoadScene(&other, "PLAIN.FSF"), 0);
    ASSERT_EQ(PrepareMaterials(&other, 16), 0);
    ASSERT_NE(other.materials->shadeRamp, nullptr);
    EXPECT_EQ(std::memcmp(other.materials->shadeRamp, scene.materials->shadeRamp, 512), 0);
    FreeScene(&other); // tables and all

    FreeEngineScene(&scene);
    EXPECT_EQ(EngineScene(), nullptr);
    EXPECT_EQ(engine.depthBuffer, nullptr);
    EXPECT_EQ(scene.objects, nullptr);
    EXPECT_EQ(PoolBytesInUse(), before);
}

TEST_F(EngineSetupTest, EngineTables)
{
    ASSERT_EQ(EngineInit(320, 180, 16), 0);
    EXPECT_EQ(engine.width, 320);
    EXPECT_EQ(engine.clipY16, 180 * 16);
    EXPECT_EQ(engine.centreX16, 2560.0f);
    EXPECT_EQ(engine.centreY16, 1432.0f);
    EXPECT_EQ(engine.colourRows[3], 3 * 640);
    EXPECT_EQ(engine.colourPitch, 640);
    EXPECT_EQ(engine.textureDepthRows[2], 2048);
    EXPECT_EQ(engine.screenColourRows[179], engine.colourRows[179]);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(engine.glowTable) % 65536, 0u);

    for (int x = 0; x < 256; ++x) EXPECT_EQ(engine.glowTable[255 * 256 + x], x >> 2) << x;
    EXPECT_EQ(engine.glowTable[255], 63);
    EXPECT_EQ(engine.glowTable[0], 0);
    for (int i = 1; i < 256; ++i) EXPECT_LE(engine.glowTable[128 * 256 + i - 1], engine.glowTable[128 * 256 + i]);

    EXPECT_EQ(AngleRamp(1024), 327680);
    EXPECT_EQ(AngleRamp(0), 8355840);
    EXPECT_EQ(AngleRamp(-1024), 15073280);
    EXPECT_EQ(AngleRamp(-2048), 15073280);
    EXPECT_EQ(AngleRamp(1500), 327680);
    EXPECT_EQ(AngleRamp(1023), 327680); // clamped to level 5
    EXPECT_EQ(AngleRamp(512), static_cast<int32_t>(std::lround(std::acos(0.5) * 255 * 65536 / M_PI)));

    EXPECT_EQ(engine.sineTable[0], 0.0f);
    EXPECT_EQ(engine.sineTable[4096], 1.0f);
    EXPECT_EQ(engine.sineTable[12288], -1.0f);
    EXPECT_EQ(engine.sineTable[16384 + 100], engine.sineTable[100]);
    EXPECT_NEAR(engine.sineTable[20479], std::sin(20479 * 2 * M_PI / 16384), 1e-7);

    // The field-of-view cache for angle 1460: one focal length, the vertical extent from the height.
    EXPECT_EQ(engine.fovAngle, 1460);
    const float tanH = engine.sinH / engine.cosH;
    EXPECT_NEAR(engine.focal16, 2560.0f / tanH, 1e-2);
    EXPECT_NEAR(engine.sinV / engine.cosV, 180.0f / 320.0f * tanH, 1e-6);
}

TEST_F(EngineSetupTest, ShadingRampsForUntexturedModes)
{
    FsfScene s;
    FsfMaterial m = PlainMaterial("paint");
    m.ambient = FsfColour{8, 16, 24};
    m.diffuse = FsfColour{200, 100, 50};
    m.specular = FsfColour{255, 255, 255};
    m.highlight = 0.5f;
    m.shininess = 5;
    s.materials = {m, PlainMaterial("unused")};
    FsfObject o = SquareObject("o", 0, Row(0, 3, 0));
    o.modeTrack = std::vector<StepKey>{MakeStepReal(10, Row(0, 0, 2))};
    s.objects = {o};
    ASSERT_EQ(Load(WriteFsf(s)), 0);
    ASSERT_EQ(EngineInit(320, 180, 16), 0);
    const Material& paint = *scene.materials;
    ASSERT_NE(paint.shadeRamp, nullptr);
    ASSERT_NE(paint.shadeRampHalf, nullptr);
    EXPECT_EQ(paint.texturePalette, nullptr);
    EXPECT_EQ(paint.shadedTexture, nullptr);
    EXPECT_EQ(scene.materials->next->shadeRamp, nullptr); // no face uses it
    EXPECT_EQ(reinterpret_cast<uintptr_t>(paint.shadeRamp) % 512, 0u);

    const uint16_t ambient = PackColour(8, 16, 24, 16);
    for (int level = 128; level < 256; ++level) EXPECT_EQ(paint.shadeRamp[level], ambient) << level;
    EXPECT_EQ(paint.shadeRamp[0], 0xFFFF);               // pure specular
    EXPECT_EQ(paint.shadeRampHalf[0], PackColour(127, 127, 127, 16));
    EXPECT_EQ(paint.shadeRampHalf[200], PackColour(4, 8, 12, 16));
    // Level 64: c = cos(pi/4), S = c/2 + c^5/2 = 0.4419 < 0.5: w = round(0.8839 x 256) = 226.
    const int w = 226;
    const int r = (8 * (256 - w) + 200 * w) >> 8, g = (16 * (256 - w) + 100 * w) >> 8, b = (24 * (256 - w) + 50 * w) >> 8;
    EXPECT_EQ(paint.shadeRamp[64], PackColour(r, g, b, 16));
}

TEST_F(EngineSetupTest, TexturesAndTheirTables)
{
    Put("WOOD.BMP", ColumnTexture(512));
    FsfScene s = TexturedScene(Row(1, 0, 1)); // TEXTU_NOSHA_TRANS
    s.objects[0].modeTrack = std::vector<StepKey>{MakeStepReal(5, Row(3, 2, 0))}; // TEXTR_FLATY_OPAQU
    ASSERT_EQ(Load(WriteFsf(s)), 0);
    ASSERT_EQ(EngineInit(320, 180, 15), 0);
    const Material& wood = *scene.materials;
    EXPECT_EQ(wood.frameCount, 2);
    ASSERT_NE(wood.textureFrames, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(wood.textureFrames) % 65536, 0u);
    EXPECT_EQ(wood.textureFrames[65536 + 7], 7); // pixel blocks are copied as stored
    EXPECT_EQ(wood.texturePalette[10], PackColour(10, 245, 128, 15));
    EXPECT_EQ(wood.texturePaletteHalf[10], (PackColour(10, 245, 128, 15) >> 1) & 0x3DEF);
    ASSERT_NE(wood.shadedTexture, nullptr);
    EXPECT_EQ(wood.shadedTextureHalf, nullptr);
    EXPECT_EQ(wood.shadeRamp, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(wood.shadedTexture) % 131072, 0u);
    // Unlit levels: min(255, trunc(A x P + C x ambient)) with A = 1, C = 0.
    EXPECT_EQ(wood.shadedTexture[200 * 256 + 10], PackColour(10, 245, 128, 15));
    // Level 0 (S = 1): F = 1 + 3 = 4, every component saturates but the first.
    EXPECT_EQ(wood.shadedTexture[10], PackColour(40, 255, 255, 15));
}

TEST_F(EngineSetupTest, TexturePicturesAreCheckedAndNamedOnFailure)
{
    // Found in the scene's .DAT folder when it is not beside the scene.
    Put("PLAN.DAT/WOOD.BMP", ColumnTexture(256));
    ASSERT_EQ(Load(WriteFsf(TexturedScene(Row(1, 0, 0))), "PLAN.FSF"), 0);
    ASSERT_EQ(EngineInit(320, 180, 16), 0);
    EXPECT_EQ(scene.materials->frameCount, 1);
    EngineRelease();
    FreeScene(&scene);

    Put("BAD.BMP", ColumnTexture(300));
    ASSERT_EQ(Load(WriteFsf(TexturedScene(Row(1, 0, 0), "BAD.BMP"))), 0);
    EXPECT_EQ(EngineInit(320, 180, 16), 5);
    EXPECT_STREQ(EngineErrorText(5), "Error: File  BAD.BMP      acces error or invalid BMP format");
    EngineRelease();
    FreeScene(&scene);

    ASSERT_EQ(Load(WriteFsf(TexturedScene(Row(1, 0, 0), "AVERYLONGTEXTURE.BMP"))), 0);
    EXPECT_EQ(EngineInit(320, 180, 16), 5);
    EXPECT_STREQ(EngineErrorText(5), "Error: File  AVERYLONGTEX acces error or invalid BMP format");
    EngineRelease();
    FreeScene(&scene);

    // Names never climb out of the scene's folders.
    Put("SUB/SCENE.FSF", WriteFsf(TexturedScene(Row(1, 0, 0), "..\\WOOD.BMP")));
    Put("WOOD.BMP", ColumnTexture(256));
    ASSERT_EQ(LoadEngineScene(&scene, "SUB\\SCENE.FSF"), 0);
    EXPECT_EQ(EngineInit(320, 180, 16), 5);
}

TEST_F(EngineSetupTest, FlarePicturesAndBackgroundColours)
{
    Put("GLOW.BMP", ColumnTexture(256));
    FsfScene s;
    FsfFlare builtIn, loaded;
    loaded.pictureName = "GLOW.BMP";
    s.flares = {builtIn, loaded};
    s.events = std::vector<FsfEvent>{MakeBackgroundEvent(0, 255, 0, 255), MakeBackgroundEvent(5, -1, 0, 0)};
    ASSERT_EQ(Load(WriteFsf(s)), 0);
    ASSERT_EQ(EngineInit(320, 180, 16), 0);
    EXPECT_EQ(scene.flares->picture, nullptr);
    ASSERT_NE(scene.flares->next->picture, nullptr);
    EXPECT_EQ(scene.flares->next->picture[300], 300 % 256);
    EXPECT_EQ(scene.events[0].d, 0xF81Fu * 0x10001u);
    EXPECT_EQ(scene.events[1].d, 0u);

    // The built-in picture: four sprites, bright in their centre, black along their edges.
    const uint8_t* p = BuiltInFlarePicture();
    for (int quarter = 0; quarter < 4; ++quarter) {
        const int left = (quarter & 1) * 128, top = (quarter >> 1) * 128;
        EXPECT_GT(p[(top + 64) * 256 + left + 64], 200) << quarter;
        for (int i = 0; i < 128; ++i) {
            EXPECT_EQ(p[top * 256 + left + i], 0);
            EXPECT_EQ(p[(top + i) * 256 + left], 0);
            EXPECT_EQ(p[(top + 127) * 256 + left + i], 0);
        }
    }
    EXPECT_NE(std::memcmp(p, p + 128, 128 * 50), 0);

    EngineRelease();
    FreeScene(&scene);
    FsfFlare missing;
    missing.pictureName = "NOPE.BMP";
    s.flares = {missing};
    ASSERT_EQ(Load(WriteFsf(s)), 0);
    EXPECT_EQ(EngineInit(320, 180, 16), 5);
    EXPECT_STREQ(EngineErrorText(5), "Error: File  NOPE.BMP     acces error or invalid BMP format");
}

TEST_F(EngineSetupTest, BuffersSizedFromTheObjectsAndReleased)
{
    Put("WOOD.BMP", ColumnTexture(256));
    FsfScene s = TexturedScene(Row(2, 3, 1));
    FsfObject big = SquareObject("big", 9, Row(1, 3, 0));
    for (int i = 0; i < 60; ++i) big.vertices->push_back({0, 0, static_cast<float>(i)});
    big.mapping.reset();
    FsfObject morph = SquareObject("morph", 3, Row(0, 0, 0));
    morph.morphTrack = FsfScalarTrack{0, {MakeMorphKey(0, 3), MakeMorphKey(10, 9)}};
    s.objects.push_back(big);
    s.objects.push_back(morph);
    s.cameras = {FsfCamera{}};
    s.lights = {FsfLight{}};
    s.objects[0].targetTrack = std::vector<StepKey>{MakeStepWord(0, 0x80000000u)};

    const size_t before = PoolBytesInUse();
    ASSERT_EQ(Load(WriteFsf(s)), 0);
    ASSERT_EQ(EngineInit(320, 180, 16), 0);
    EXPECT_EQ(engine.nodeCount, 10);
    ASSERT_NE(engine.work, nullptr);
    ASSERT_NE(engine.morphVertices, nullptr);
    EXPECT_EQ(engine.camera, scene.cameras);
    EXPECT_EQ(engine.light, scene.lights);
    // The morph buffers cover the 64 vertices of the morph target "big".
    engine.morphVertices[63] = {1, 2, 3};
    engine.morphNormals[63] = {1, 2, 3};
    engine.work[64 * kWorkBytesPerVertex - 1] = 1;

    EngineRelease();
    EXPECT_EQ(engine.camera, nullptr);
    EXPECT_EQ(engine.depthBuffer, nullptr);
    EXPECT_EQ(scene.materials->textureFrames, nullptr);
    EngineRelease(); // a second release is harmless
    FreeScene(&scene);
    EXPECT_EQ(PoolBytesInUse(), before);

    // FreeScene alone also returns tables the engine still held.
    ASSERT_EQ(Load(WriteFsf(s)), 0);
    ASSERT_EQ(EngineInit(320, 180, 16), 0);
    FreeScene(&scene);
    EngineRelease();
    EXPECT_EQ(PoolBytesInUse(), before);
}
