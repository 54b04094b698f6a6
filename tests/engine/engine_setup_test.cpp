// Engine set-up: size and depth checks, the engine tables, per-material tables chosen by the
// render modes, texture and flare pictures, and the release of everything built.
#include "engine/scene_test_support.h"

#include <cmath>
#include <cstring>
#include <string>
#include <utility>

#include "engine/render_modes.h"
#include "formats/pixel_format.h"
#include "engine/flare_pictures.h"
#include "engine/engine_errors.h"
#include "engine/engine_setup.h"
#include "engine/material_preparation.h"

namespace {

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

// The tables set-up builds, checked for what their users rely on at sizes from two rows to the
// largest view.
TEST_F(EngineSetupTest, TablesHoldWhatTheirUsersRelyOn)
{
    for (const auto& [w, h] : {std::pair{320, 180}, std::pair{7, kMaxViewRows}, std::pair{kMaxViewWidth, 2}}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        ASSERT_EQ(EngineInit(w, h, 16), 0);
        // Drawing is clipped at the view's edges (x 16); projection is centred on the view's
        // middle, half a pixel up.
        EXPECT_EQ(engine.clipX16, 16 * w);
        EXPECT_EQ(engine.clipY16, 16 * h);
        EXPECT_EQ(engine.centreX16, 8.0f * static_cast<float>(w));
        EXPECT_EQ(engine.centreY16, 8.0f * static_cast<float>(h) - 8.0f);
        // Every row entry is a whole row inside the depth and colour buffers, both tables name
        // the same row, visible rows come in order and the rows past the view fall on row 0.
        EXPECT_EQ(engine.colourPitch, 2 * w);
        EXPECT_EQ(engine.depthPitch, 4 * w);
        const int64_t colourBytes = int64_t{2} * w * h, depthBytes = int64_t{4} * w * h;
        for (int32_t y = 0; y < kMaxViewRows; ++y) {
            const int32_t c = engine.colourRows[y], d = engine.depthRows[y];
            ASSERT_TRUE(c >= 0 && c % engine.colourPitch == 0 && c + int64_t{engine.colourPitch} <= colourBytes) << y;
            ASSERT_TRUE(d >= 0 && d % engine.depthPitch == 0 && d + int64_t{engine.depthPitch} <= depthBytes) << y;
            ASSERT_EQ(c / engine.colourPitch, d / engine.depthPitch) << y;
            ASSERT_EQ(c / engine.colourPitch, y < h ? y : 0) << y;
        }
        // The main view's rows, restored after each camera texture, are these; camera textures
        // are 256 x 256.
        EXPECT_EQ(std::memcmp(engine.screenColourRows, engine.colourRows, sizeof engine.colourRows), 0);
        EXPECT_EQ(std::memcmp(engine.screenDepthRows, engine.depthRows, sizeof engine.depthRows), 0);
        for (int32_t y = 0; y < 256; ++y) {
            ASSERT_EQ(engine.textureColourRows[y], y * 256 * 2);
            ASSERT_EQ(engine.textureDepthRows[y], y * 256 * 4);
        }
    }

    // The flares' glow, by flare colour (row) and picture intensity (column): nothing for a
    // black texel, full (63) for a white one whatever the colour, never less for a brighter
    // texel or colour, and the texel itself (over 4) at full colour.
    EXPECT_EQ(reinterpret_cast<uintptr_t>(engine.glowTable) % 65536, 0u);
    for (int c = 0; c < 256; ++c) {
        const uint8_t* row = engine.glowTable + 256 * c;
        ASSERT_EQ(row[0], 0) << c;
        ASSERT_EQ(row[255], 63) << c;
        for (int t = 1; t < 256; ++t) {
            ASSERT_LE(row[t - 1], row[t]) << c << " " << t;
            if (c > 0) {
                ASSERT_LE(row[t - 256], row[t]) << c << " " << t;
            }
        }
    }
    for (int t = 0; t < 256; ++t) EXPECT_EQ(engine.glowTable[255 * 256 + t], t >> 2) << t;

    // The shade level (16.16) of the cosine k / 1024 between a normal and the light: never
    // darker for a surface turned further towards the light, within levels 5 .. 230 of the
    // shading ramps, 127.5 at a right angle, and held at the ends beyond the table.
    for (int32_t k = kAngleRampMin + 1; k <= -kAngleRampMin; ++k) ASSERT_LE(AngleRamp(k), AngleRamp(k - 1)) << k;
    for (int32_t k = kAngleRampMin; k <= -kAngleRampMin; ++k) {
        ASSERT_TRUE(AngleRamp(k) >= (5 << 16) && AngleRamp(k) <= (230 << 16)) << k;
    }
    EXPECT_EQ(AngleRamp(0), 8355840);
    EXPECT_EQ(AngleRamp(-1024), 230 << 16);
    EXPECT_EQ(AngleRamp(1023), 5 << 16);
    EXPECT_EQ(AngleRamp(512), static_cast<int32_t>(std::lround(std::acos(0.5) * 255 * 65536 / M_PI)));
    EXPECT_EQ(AngleRamp(-5000), AngleRamp(kAngleRampMin));
    EXPECT_EQ(AngleRamp(5000), AngleRamp(-kAngleRampMin));

    // The field of view: the sine table agrees with the angle functions the camera uses, the
    // side planes are unit normals, and a point on the edge of the field lands on the edge of
    // the view, sideways and upwards.
    for (int32_t a = 0; a < 16384; ++a) {
        ASSERT_EQ(engine.sineTable[a], AngleSine(a)) << a;
        ASSERT_EQ(engine.sineTable[a + kCosineOffset], AngleCosine(a)) << a;
    }
    ASSERT_EQ(EngineInit(320, 180, 16), 0);
    for (int32_t a : {1460, 200, 3000}) {
        SetFieldOfView(a);
        EXPECT_EQ(engine.fovAngle, a);
        EXPECT_NEAR(engine.cosH * engine.cosH + engine.sinH * engine.sinH, 1.0f, 1e-6f);
        EXPECT_NEAR(engine.cosV * engine.cosV + engine.sinV * engine.sinV, 1.0f, 1e-6f);
        EXPECT_NEAR(engine.focal16 * engine.sinH / engine.cosH, 320 * 8.0f, 1e-2f) << a;
        EXPECT_NEAR(engine.focal16 * engine.sinV / engine.cosV, 180 * 8.0f, 1e-2f) << a;
    }
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
