// Reference pictures: small scenes built with the scene writer, one per renderer family,
// shade and blend (plus wireframe, outlines, a flare and a camera texture), drawn with
// RenderScene at 96x64 and compared pixel for pixel with the pictures stored in
// tests/reference/scenes/NN-name.png.
//
// A mismatch names the picture and the number of pixels that differ, and leaves the picture
// actually drawn in <build>/test-output/reference-actual/NN-name.png for review.
//
// Changing a stored picture is a deliberate act: after checking that the new drawing is the
// right one, run this test with VELA_UPDATE_REFERENCES=1 in the environment, which writes
// every picture anew into the source tree, look at them, and commit them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "formats/bmp_writer.h"
#include "formats/scene_writer.h"
#include "support/reference_pictures.h"
#include "engine/engine_errors.h"
#include "engine/engine_setup.h"
#include "engine/engine_state.h"
#include "engine/frame_pipeline.h"
#include "engine/scene/scene_files.h"
#include "resources/memory_pool.h"
#include "resources/pack_archive.h"
#include "support/test_support.h"
#include "formats/png_file.h"

namespace {

namespace fs = std::filesystem;

constexpr int32_t kWidth = 96;
constexpr int32_t kHeight = 64;
constexpr float kFrame = 10;

// Row of a render mode from its map, shade and blend.
constexpr int32_t Mode(int32_t map, int32_t shade, int32_t blend) { return 1 + map * 20 + shade * 4 + blend; }
enum { NOMAP, TEXTU, ENVMA, TEXTR, ENVTR };
enum { NOSHA, SHADE, FLATY, GOURA, FOGGY };
enum { OPAQU, TRANS, ADDIT, SOUST };

// A wavy rectangular patch of cols x rows quads in the x-z plane, facing the camera (-y),
// centred on `at`, tilted by `tilt` angle units about the x axis.
FsfObject Patch(const std::string& name, int32_t number, int32_t mode, Vec3 at, float halfWidth, float halfHeight,
                int32_t cols, int32_t rows, float wave, float tilt = 0)
{
    FsfObject o;
    o.name = name;
    o.number = number;
    o.renderMode = mode;
    std::vector<Vec3> vertices;
    std::vector<std::array<float, 2>> mapping;
    for (int32_t r = 0; r <= rows; ++r) {
        for (int32_t c = 0; c <= cols; ++c) {
            const float x = -halfWidth + 2 * halfWidth * static_cast<float>(c) / static_cast<float>(cols);
            const float z = halfHeight - 2 * halfHeight * static_cast<float>(r) / static_cast<float>(rows);
            vertices.push_back({x, wave * std::sin(x * 0.2f) * std::cos(z * 0.25f), z});
            // Texels x 65536: the texture spans the patch twice across and once down.
            mapping.push_back({512.0f * 65536 * c / cols, 256.0f * 65536 * r / rows});
        }
    }
    o.vertices = vertices;
    o.mapping = mapping;
    o.faces = MakeGridFaces(static_cast<uint32_t>(cols), static_cast<uint32_t>(rows));
    o.boundCentre = Vec3{0, 0, 0};
    o.boundRadius = std::sqrt(halfWidth * halfWidth + halfHeight * halfHeight + wave * wave);
    o.positionTrack = FsfVectorTrack{0, {MakeVectorKey(0, at)}};
    o.rotationTrack = FsfVectorTrack{0, {MakeVectorKey(0, {0, 0, tilt})}};
    o.scaleTrack = FsfVectorTrack{0, {MakeVectorKey(0, {1, 1, 1})}};
    return o;
}

Vec3 FaceNormal(const std::vector<Vec3>& v, const FsfFace& f)
{
    const Vec3 a = v[f.a], b = v[f.b], c = v[f.c];
    const Vec3 e1{b.x - a.x, b.y - a.y, b.z - a.z}, e2{c.x - a.x, c.y - a.y, c.z - a.z};
    Vec3 n{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
    const float l = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    return l > 0 ? Vec3{n.x / l, n.y / l, n.z / l} : Vec3{0, 0, 0};
}

// Every edge of the object's faces once, with its one or two faces and the cosine of the
// angle between their normals (-1 for an open edge, so that it always passes the crease rule).
void AddEdges(FsfObject* o, uint32_t flags)
{
    const std::vector<Vec3>& v = *o->vertices;
    const std::vector<FsfFace>& faces = *o->faces;
    std::vector<FsfEdge> edges;
    for (int32_t f = 0; f < static_cast<int32_t>(faces.size()); ++f) {
        const int32_t idx[3] = {static_cast<int32_t>(faces[f].a), static_cast<int32_t>(faces[f].b),
                                static_cast<int32_t>(faces[f].c)};
        for (int k = 0; k < 3; ++k) {
            const int32_t p = idx[k], q = idx[(k + 1) % 3];
            bool found = false;
            for (FsfEdge& e : edges) {
                if ((e.vertexA == q && e.vertexB == p) || (e.vertexA == p && e.vertexB == q)) {
                    e.faceB = f;
                    const Vec3 na = FaceNormal(v, faces[e.faceA]), nb = FaceNormal(v, faces[f]);
                    e.crease = na.x * nb.x + na.y * nb.y + na.z * nb.z;
                    found = true;
                    break;
                }
            }
            if (!found) edges.push_back({p, q, f, -1, -1.0f});
        }
    }
    o->edges = edges;
    o->flagTrack = {MakeStepWord(0, flags)};
}

// 256x256 texture: a checker of 32-texel squares with a gradient; index 0 in a diagonal band
// (transparent for the colour-keyed maps).
std::vector<uint8_t> ReferenceTexture()
{
    std::vector<uint8_t> pixels(256 * 256);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            const int checker = ((x >> 5) ^ (y >> 5)) & 1;
            const int band = ((x + y) & 127) < 24;
            pixels[y * 256 + x] = band ? 0 : static_cast<uint8_t>(1 + checker * 127 + ((x + 2 * y) >> 3) % 127);
        }
    }
    std::vector<uint8_t> palette = {255, 0, 255};
    for (int i = 1; i < 256; ++i) {
        const int t = i & 127;
        if (i < 128) palette.insert(palette.end(), {static_cast<uint8_t>(90 + t), static_cast<uint8_t>(t), 30});
        else palette.insert(palette.end(), {30, static_cast<uint8_t>(90 + t), static_cast<uint8_t>(2 * t)});
    }
    return MakeBmp8(256, 256, pixels, palette);
}

// One material, a light from the upper left, a camera 100 units in front of the origin, and
// a dark blue background.
FsfScene BaseScene()
{
    FsfScene s;
    s.info = std::array<int32_t, 3>{0, 0, 100};
    FsfMaterial m;
    m.name = "ref";
    m.ambient = FsfColour{30, 10, 40};
    m.diffuse = FsfColour{200, 120, 60};
    m.specular = FsfColour{255, 255, 230};
    m.shininess = 6;
    m.highlight = 0.3f;
    m.textureBase = 0.3f;
    m.textureLightGain = 0.7f;
    m.textureColourMix = 0.1f;
    m.textureName = "REF.BMP";
    m.opacityTrack = FsfScalarTrack{0, {MakeScalarKey(0, 0.7f)}};
    s.materials = {m};
    FsfLight light;
    light.name = "sun";
    light.positionTrack = FsfVectorTrack{0, {MakeVectorKey(0, {-70, -120, 60})}};
    light.targetTrack = FsfVectorTrack{0, {MakeVectorKey(0, {0, 0, 0})}};
    light.intensityTrack = FsfScalarTrack{0, {MakeScalarKey(0, 1.0f)}};
    s.lights = {light};
    FsfCamera camera;
    camera.name = "front";
    camera.positionTrack = FsfVectorTrack{0, {MakeVectorKey(0, {0, -100, 0})}};
    camera.targetTrack = FsfVectorTrack{0, {MakeVectorKey(0, {0, 0, 0})}};
    camera.fovTrack = FsfScalarTrack{0, {MakeScalarKey(0, 30.0f)}};
    s.cameras = {camera};
    s.events = std::vector<FsfEvent>{MakeCameraEvent(0, 0), MakeLightEvent(0, 0), MakeBackgroundEvent(0, 20, 30, 60)};
    return s;
}

// One patch in the middle of the view in the given mode.
FsfScene Single(int32_t mode, float tilt = 0, bool perspective = false)
{
    FsfScene s = BaseScene();
    FsfObject o = Patch("patch", 0, mode, {0, 0, 0}, 40, 26, 8, 6, 4, tilt);
    if (perspective) o.switchTrack = std::vector<StepKey>{MakeStepReal(0, 1)};
    s.objects = {o};
    return s;
}

// An opaque textured backdrop with a blended patch in front of it, overlapping its edge.
FsfScene Blended(int32_t mode)
{
    FsfScene s = BaseScene();
    FsfObject back = Patch("back", 0, Mode(TEXTU, NOSHA, OPAQU), {-12, 20, 6}, 34, 22, 6, 4, 0);
    FsfObject front = Patch("front", 1, mode, {14, -10, -6}, 30, 20, 6, 4, 3);
    s.objects = {back, front};
    return s;
}

struct Reference {
    const char* name; // NN-name, the stored picture's file name without .png
    int32_t depth;
    std::function<FsfScene()> build;
};

const std::vector<Reference>& References()
{
    static const std::vector<Reference> list = {
        {"01-flat", 16, [] { return Single(Mode(NOMAP, NOSHA, OPAQU)); }},
        {"02-flat-material-shade", 16, [] { return Single(Mode(NOMAP, SHADE, OPAQU)); }},
        {"03-flat-face-shade", 16, [] { return Single(Mode(NOMAP, FLATY, OPAQU)); }},
        {"04-gouraud", 16, [] { return Single(Mode(NOMAP, GOURA, OPAQU)); }},
        {"05-fog", 16,
         [] {
             FsfScene s = Single(Mode(NOMAP, FOGGY, OPAQU), 2400);
             s.events->push_back(MakeFogEvent(0, 80, 125));
             return s;
         }},
        {"06-textured-affine", 16, [] { return Single(Mode(TEXTU, NOSHA, OPAQU), 2400); }},
        {"07-textured-perspective", 16, [] { return Single(Mode(TEXTU, NOSHA, OPAQU), 2400, true); }},
        {"08-textured-face-shade", 16, [] { return Single(Mode(TEXTU, FLATY, OPAQU)); }},
        {"09-textured-gouraud", 16, [] { return Single(Mode(TEXTU, GOURA, OPAQU)); }},
        {"10-textured-gouraud-perspective-15bit", 15, [] { return Single(Mode(TEXTU, GOURA, OPAQU), 2400, true); }},
        {"11-textured-material-shade", 16, [] { return Single(Mode(TEXTU, SHADE, OPAQU)); }},
        {"12-textured-fog", 16,
         [] {
             FsfScene s = Single(Mode(TEXTU, FOGGY, OPAQU), 2400);
             s.events->push_back(MakeFogEvent(0, 80, 125));
             return s;
         }},
        {"13-colour-keyed", 16, [] { return Single(Mode(TEXTR, GOURA, OPAQU)); }},
        {"14-environment", 16, [] { return Single(Mode(ENVMA, NOSHA, OPAQU)); }},
        {"15-environment-gouraud", 16, [] { return Single(Mode(ENVMA, GOURA, OPAQU)); }},
        {"16-environment-keyed", 16, [] { return Single(Mode(ENVTR, FLATY, OPAQU)); }},
        {"17-flat-trans", 16, [] { return Blended(Mode(NOMAP, GOURA, TRANS)); }},
        {"18-textured-trans", 16, [] { return Blended(Mode(TEXTU, NOSHA, TRANS)); }},
        {"19-textured-addit", 16, [] { return Blended(Mode(TEXTU, GOURA, ADDIT)); }},
        {"20-textured-soust", 16, [] { return Blended(Mode(TEXTU, NOSHA, SOUST)); }},
        {"21-textured-addit-15bit", 15, [] { return Blended(Mode(TEXTU, SHADE, ADDIT)); }},
        {"22-environment-trans", 16, [] { return Blended(Mode(ENVMA, NOSHA, TRANS)); }},
        {"23-keyed-soust-15bit", 15, [] { return Blended(Mode(TEXTR, NOSHA, SOUST)); }},
        {"24-wire", 16, [] { return Single(0); }},
        {"25-outline-darkening", 16,
         [] {
             FsfScene s = Single(Mode(NOMAP, GOURA, OPAQU));
             AddEdges(&s.objects[0], 2 | (10 << 2)); // creases sharper than 10 degrees
             return s;
         }},
        {"26-outline-only-brightening", 16,
         [] {
             FsfScene s = Single(Mode(TEXTU, NOSHA, OPAQU), 1200);
             AddEdges(&s.objects[0], 3 | (10 << 2)); // edges only, no faces
             return s;
         }},
        {"27-flare", 16,
         [] {
             FsfScene s = Single(Mode(NOMAP, GOURA, OPAQU));
             FsfFlare f;
             f.name = "glow";
             f.size = 24;
             f.flag = 1;
             f.positionTrack = FsfVectorTrack{0, {MakeVectorKey(0, {-15, -30, 8})}};
             f.colourTrack = FsfVectorTrack{0, {MakeVectorKey(0, {1.0f, 0.8f, 0.4f})}};
             s.flares = {f};
             return s;
         }},
        {"28-camera-texture", 16,
         [] {
             // The second camera looks at a textured patch behind the main camera, face on
             // from 100 units; a screen in front of the main camera shows that view at 128
             // texels (the patch across the middle of the texture, background above and below).
             FsfScene s = BaseScene();
             FsfCamera side;
             side.name = "behind";
             side.positionTrack = FsfVectorTrack{0, {MakeVectorKey(0, {0, -400, 0})}};
             side.targetTrack = FsfVectorTrack{0, {MakeVectorKey(0, {0, -300, 0})}};
             side.fovTrack = FsfScalarTrack{0, {MakeScalarKey(0, 30.0f)}};
             s.cameras.push_back(side);
             FsfObject subject = Patch("subject", 0, Mode(TEXTU, GOURA, OPAQU), {0, -300, 0}, 50, 30, 6, 4, 4);
             FsfObject screen = Patch("screen", 1, Mode(TEXTU, NOSHA, OPAQU), {0, 0, 0}, 36, 24, 2, 2, 0);
             // The screen's mapping spans 0..256 texels once across and down.
             for (size_t i = 0; i < screen.mapping->size(); ++i) (*screen.mapping)[i][0] *= 0.5f;
             screen.targetTrack = std::vector<StepKey>{MakeStepWord(0, 0x81000001u)};
             s.objects = {subject, screen};
             return s;
         }},
    };
    return list;
}

class SceneReference : public ::testing::TestWithParam<size_t> {
protected:
    void SetUp() override
    {
        ASSERT_EQ(InitMemoryPool(48), 0);
        dir_ = ScratchDir(std::string("reference-") + References()[GetParam()].name);
        SetLooseFolder(dir_.string().c_str());
    }
    void TearDown() override
    {
        FreeEngineScene(&scene_);
        ClosePack();
        FreeMemoryPool();
    }

    // Draws the reference scene; false (with a test failure) when it cannot be set up.
    bool Draw(const Reference& ref, RgbImage* image)
    {
        WriteFileBytes(dir_ / "REF.BMP", ReferenceTexture());
        WriteFileBytes(dir_ / "REF.FSF", WriteFsf(ref.build()));
        const int32_t loaded = LoadEngineScene(&scene_, "REF.FSF");
        EXPECT_EQ(loaded, kSceneOk) << SceneErrorText(loaded);
        if (loaded != kSceneOk) return false;
        const int32_t init = EngineInit(kWidth, kHeight, ref.depth);
        EXPECT_EQ(init, kEngineOk) << EngineErrorText(init);
        if (init != kEngineOk) return false;
        std::vector<uint16_t> view(static_cast<size_t>(kWidth) * kHeight, 0);
        // Two frames: the second one draws over what the first left, as the show does.
        RenderScene(kFrame - 1, reinterpret_cast<uint8_t*>(view.data()), nullptr);
        RenderScene(kFrame, reinterpret_cast<uint8_t*>(view.data()), nullptr);
        *image = UnpackPixels(view.data(), kWidth, kHeight, ref.depth);
        return true;
    }

    Scene scene_{};
    fs::path dir_;
};

TEST_P(SceneReference, MatchesTheStoredPicture)
{
    const Reference& ref = References()[GetParam()];
    RgbImage actual;
    ASSERT_TRUE(Draw(ref, &actual));
    ExpectMatchesReference("scenes", ref.name, actual);
}

INSTANTIATE_TEST_SUITE_P(Scenes, SceneReference, ::testing::Range<size_t>(0, References().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                             std::string name = References()[info.param].name;
                             for (char& c : name) {
                                 if (c == '-') c = '_';
                             }
                             return "Picture" + name;
                         });

} // namespace
