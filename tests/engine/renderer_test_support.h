// Object renderer tests: a loaded scene with the engine set up at a small size, a colour
// buffer with guard cells, and the per-object values the frame pipeline would prepare for an
// object seen through a camera at the origin looking along +y (object space = camera space
// shifted by `offset`).
#pragma once

#include "engine/scene_test_support.h"

#include <vector>

#include "engine/object_renderers.h"
#include "engine/raster/rasteriser.h"
#include "engine/engine_setup.h"

class RendererFixture : public SceneFixture {
protected:
    static constexpr int32_t kW = 64, kH = 48;
    static constexpr int32_t kGuard = 64;
    static constexpr uint16_t kGuardColour = 0xA5A5;

    // Loads the scene and sets the engine up; the view starts black with a cleared depth buffer.
    void Start(const FsfScene& s, int32_t bits = 16)
    {
        ASSERT_EQ(Load(WriteFsf(s)), 0);
        engine.fovAngle = 1460; // the cached angle carries over from earlier views
        ASSERT_EQ(EngineInit(kW, kH, bits), 0);
        colour_.assign(static_cast<size_t>(kW * kH + 2 * kGuard), kGuardColour);
        for (int32_t i = 0; i < kW * kH; ++i) colour_[kGuard + i] = 0;
        raster.colourBase = reinterpret_cast<uint8_t*>(colour_.data() + kGuard);
        raster.blend = 0;
        raster.colourKey = 0;
        engine.frameStamp = 0x01000000;
        engine.pass = 0;
        engine.fogNear = 100;
        engine.fogFar = 500;
        engine.fogScale = 10420224.0f / 400.0f;
        PlaceObject({0, 0, 0});
    }
    // Identity rotation, object origin at `offset` in camera space, no light, default switches.
    void PlaceObject(Vec3 offset)
    {
        const float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
        for (int i = 0; i < 9; ++i) engine.objectMatrix[i] = identity[i];
        engine.objectTranslation = offset;
        engine.eyeInObject = Vec3{-offset.x, -offset.y, -offset.z};
        engine.lightInObject = Vec3{0, 0, 0};
        engine.envRight23 = Vec3{8388608.0f, 0, 0};
        engine.envUp23 = Vec3{0, 0, 8388608.0f};
        engine.backfaceCulling = 1;
        engine.morphing = 0;
        engine.affineMapping = 1;
        engine.outlineMode = 0;
    }
    void TearDown() override
    {
        raster.colourBase = nullptr;
        SceneFixture::TearDown();
    }

    // Back to a black view (guards kept).
    void ClearView()
    {
        for (int32_t i = 0; i < kW * kH; ++i) colour_[kGuard + i] = 0;
    }
    // A 256x256 texture TEX.BMP whose texels are their column, palette entry i = (i, 255 - i, 128),
    // and the scene's first material set to use it.
    void PutTexture(FsfScene& s)
    {
        Put("TEX.BMP", ColumnTexture());
        s.materials[0].textureName = "TEX.BMP";
    }

    uint16_t Pixel(int32_t x, int32_t y) const { return colour_[kGuard + y * kW + x]; }
    uint32_t Depth(int32_t x, int32_t y) const { return engine.depthBuffer[y * kW + x]; }
    int32_t CountDrawn() const
    {
        int32_t n = 0;
        for (int32_t i = 0; i < kW * kH; ++i) n += colour_[kGuard + i] != 0;
        return n;
    }
    bool GuardsIntact() const
    {
        for (int32_t i = 0; i < kGuard; ++i) {
            if (colour_[i] != kGuardColour || colour_[kGuard + kW * kH + i] != kGuardColour) return false;
        }
        return true;
    }
    std::vector<uint16_t> Pixels() const
    {
        return {colour_.begin() + kGuard, colour_.begin() + kGuard + kW * kH};
    }

    std::vector<uint16_t> colour_;
};

// One triangle facing the camera (-y) when given in this order, with mapping coordinates.
inline FsfObject TriangleObject(int32_t mode, Vec3 a, Vec3 b, Vec3 c)
{
    FsfObject o;
    o.name = "tri";
    o.number = 0;
    o.renderMode = mode;
    o.vertices = std::vector<Vec3>{a, b, c};
    o.mapping = std::vector<std::array<float, 2>>{{0, 0}, {256 * 65536.0f, 0}, {0, 256 * 65536.0f}};
    o.faces = std::vector<FsfFace>{{0, 0, 1, 2}};
    o.boundCentre = a;
    o.boundRadius = 100;
    return o;
}
