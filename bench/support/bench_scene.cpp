// The drawing benchmark's scene, built with the scene writer.
#include "support/bench_scene.h"

#include <cmath>
#include <fstream>

#include "formats/bmp_writer.h"

namespace {

// The camera looks along +y from (0, -kDistance, 0) with a horizontal half angle of 30
// degrees (about 29.7 once in engine units): the view spans about +-57 across and +-32 up.
constexpr float kDistance = 100.0f;
constexpr float kHalfWidth = 60.0f;  // a little beyond the view's edges
constexpr float kHalfHeight = 34.0f;
constexpr float kWave = 3.0f;        // depth ripple, so vertex normals differ

bool WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

} // namespace

FsfScene MakeBenchScene()
{
    FsfScene s;
    s.info = std::array<int32_t, 3>{0, 0, kBenchSceneLastFrame};

    FsfMaterial m;
    m.name = "bench";
    m.ambient = FsfColour{20, 20, 40};
    m.diffuse = FsfColour{150, 140, 120};
    m.specular = FsfColour{255, 255, 255};
    m.shininess = 8;
    m.highlight = 0.3f;
    m.textureBase = 0.25f;
    m.textureLightGain = 0.75f;
    m.textureColourMix = 0.15f;
    m.textureName = kBenchTextureName;
    s.materials = {m};

    FsfLight light;
    light.name = "sun";
    light.positionTrack = FsfVectorTrack{0, {MakeVectorKey(0, {0, -200, 0})}};
    light.targetTrack = FsfVectorTrack{0, {MakeVectorKey(0, {-80, 0, 40}), MakeVectorKey(500, {80, 0, -40}),
                                           MakeVectorKey(kBenchSceneLastFrame, {-80, 0, 40})}};
    light.intensityTrack = FsfScalarTrack{0, {MakeScalarKey(0, 1.0f)}};
    s.lights = {light};

    FsfCamera camera;
    camera.name = "front";
    camera.positionTrack = FsfVectorTrack{0, {MakeVectorKey(0, {0, -kDistance, 0})}};
    camera.targetTrack = FsfVectorTrack{0, {MakeVectorKey(0, {0, 0, 0})}};
    camera.fovTrack = FsfScalarTrack{0, {MakeScalarKey(0, 30.0f)}};
    s.cameras = {camera};

    FsfObject grid;
    grid.name = "grid";
    grid.number = 0;
    grid.renderMode = 1 + 1 * 20 + 3 * 4 + 0; // TEXTU_GOURA_OPAQU
    std::vector<Vec3> vertices;
    std::vector<std::array<float, 2>> mapping;
    for (int32_t r = 0; r <= kBenchGridRows; ++r) {
        for (int32_t c = 0; c <= kBenchGridColumns; ++c) {
            const float x = -kHalfWidth + 2 * kHalfWidth * static_cast<float>(c) / kBenchGridColumns;
            const float z = kHalfHeight - 2 * kHalfHeight * static_cast<float>(r) / kBenchGridRows;
            const float y = kWave * std::sin(x * 0.15f) * std::cos(z * 0.2f);
            vertices.push_back({x, y, z});
            // Texels x 65536; the texture repeats five times across and down.
            mapping.push_back({static_cast<float>(c) * 25.6f * 65536, static_cast<float>(r) * 25.6f * 65536});
        }
    }
    grid.vertices = vertices;
    grid.mapping = mapping;
    grid.faces = MakeGridFaces(static_cast<uint32_t>(kBenchGridColumns), static_cast<uint32_t>(kBenchGridRows)); // wound to face -y (the camera)
    grid.boundCentre = Vec3{0, 0, 0};
    grid.boundRadius = std::sqrt(kHalfWidth * kHalfWidth + kHalfHeight * kHalfHeight + kWave * kWave);
    grid.positionTrack = FsfVectorTrack{0, {MakeVectorKey(0, {0, 0, 0})}};
    grid.rotationTrack = FsfVectorTrack{0, {MakeVectorKey(0, {0, 0, 0})}};
    grid.scaleTrack = FsfVectorTrack{0, {MakeVectorKey(0, {1, 1, 1})}};
    s.objects = {grid};

    s.events = std::vector<FsfEvent>{MakeCameraEvent(0, 0), MakeLightEvent(0, 0)};
    return s;
}

std::vector<uint8_t> MakeBenchTexture()
{
    // A checker of 32-texel squares with a diagonal gradient through the palette.
    std::vector<uint8_t> pixels(256 * 256);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            const int checker = ((x >> 5) ^ (y >> 5)) & 1;
            pixels[y * 256 + x] = static_cast<uint8_t>(checker * 128 + ((x + y) >> 2));
        }
    }
    std::vector<uint8_t> palette;
    for (int i = 0; i < 256; ++i) {
        const int t = i & 127;
        if (i < 128) palette.insert(palette.end(), {static_cast<uint8_t>(64 + t), static_cast<uint8_t>(2 * t), 40});
        else palette.insert(palette.end(), {40, static_cast<uint8_t>(100 + t), static_cast<uint8_t>(2 * t)});
    }
    return MakeBmp8(256, 256, pixels, palette);
}

bool WriteBenchScene(const std::filesystem::path& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return WriteFile(folder / kBenchSceneName, WriteFsf(MakeBenchScene())) &&
           WriteFile(folder / kBenchTextureName, MakeBenchTexture());
}

