// Scene tests: a scratch folder served as loose files, a reserved pool, and small scenes
// built with the scene writer. SceneFixture is the base of every engine fixture that loads a
// scene; SceneFileTest is the suite of the scene file tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/engine_setup.h"
#include "engine/engine_state.h"
#include "engine/scene/scene_files.h"
#include "formats/bmp_writer.h"
#include "formats/scene_writer.h"
#include "resources/memory_pool.h"
#include "resources/pack_archive.h"
#include "support/test_support.h"

// The row of the render-mode tables that a mapping, shading and blending use.
constexpr int Row(int map, int shade, int blend) { return 1 + map * 20 + shade * 4 + blend; }

class SceneFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(InitMemoryPool(48), 0);
        dir_ = ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        SetLooseFolder(dir_.c_str());
    }
    void TearDown() override
    {
        FreeEngineScene(&scene);
        ClosePack();
        FreeMemoryPool();
    }
    // Writes `bytes` as the loose file `relative` (forward slashes) below the scratch folder.
    void Put(const std::string& relative, const std::vector<uint8_t>& bytes)
    {
        const std::filesystem::path path = dir_ / relative;
        std::filesystem::create_directories(path.parent_path());
        WriteFileBytes(path, bytes);
    }
    // Writes `bytes` as the scene file `name` and loads it as the engine's scene.
    int32_t Load(const std::vector<uint8_t>& bytes, const char* name = "SCENE.FSF")
    {
        std::string relative = name;
        for (char& c : relative) {
            if (c == '\\') c = '/';
        }
        Put(relative, bytes);
        return LoadEngineScene(&scene, name);
    }

    Scene scene{};
    std::filesystem::path dir_;
};

// Loading, checking and freeing scene files (scene_loading_test.cpp, scene_malformed_test.cpp).
class SceneFileTest : public SceneFixture {};

// A unit square of two triangles in the x-z plane, facing -y, with mapping coordinates.
inline FsfObject SquareObject(const std::string& name, int32_t number, int32_t mode)
{
    FsfObject o;
    o.name = name;
    o.number = number;
    o.renderMode = mode;
    o.vertices = std::vector<Vec3>{{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}};
    o.mapping = std::vector<std::array<float, 2>>{{0, 0}, {256, 0}, {256, 256}, {0, 256}};
    o.faces = std::vector<FsfFace>{{0, 0, 1, 2}, {0, 0, 2, 3}};
    o.boundCentre = Vec3{0.5f, 0, 0.5f};
    o.boundRadius = 0.8f;
    return o;
}

inline FsfMaterial PlainMaterial(const std::string& name)
{
    FsfMaterial m;
    m.name = name;
    m.ambient = FsfColour{10, 20, 30};
    m.diffuse = FsfColour{100, 110, 120};
    m.specular = FsfColour{250, 250, 250};
    return m;
}

// The usual test scene: one plain material, "paint", and the given objects (their faces use
// material 0).
inline FsfScene OneMaterialScene(std::vector<FsfObject> objects = {})
{
    FsfScene s;
    s.materials = {PlainMaterial("paint")};
    s.objects = std::move(objects);
    return s;
}

// A 256-wide 8-bit picture, `rows` high, whose texels are their column, with palette entry
// i = (i, 255 - i, 128).
inline std::vector<uint8_t> ColumnTexture(int rows = 256)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(256) * static_cast<size_t>(rows));
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i);
    std::vector<uint8_t> palette;
    for (int i = 0; i < 256; ++i) {
        palette.push_back(static_cast<uint8_t>(i));
        palette.push_back(static_cast<uint8_t>(255 - i));
        palette.push_back(128);
    }
    return MakeBmp8(256, rows, pixels, palette);
}
