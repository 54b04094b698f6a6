// Textured fills: texel addressing and wrap, the colour key, ramp and shade-table lookups,
// perspective runs, and the 16-bit camera-texture fills.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/render_modes.h"
#include "rasteriser_test_view.h"

namespace {

constexpr float kTexel = 65536.0f;

// Texel (u, v) holds u + 3 v (mod 256); palette entry t is t + 0x100.
struct Texture {
    std::vector<uint8_t> texels = std::vector<uint8_t>(65536);
    std::vector<uint16_t> palette = std::vector<uint16_t>(256);
    Texture()
    {
        for (int v = 0; v < 256; ++v) {
            for (int u = 0; u < 256; ++u) texels[v * 256 + u] = static_cast<uint8_t>(u + 3 * v);
        }
        for (int t = 0; t < 256; ++t) palette[t] = static_cast<uint16_t>(t + 0x100);
    }
};

// A rectangle of two triangles from (0, 0) to (w, h) pixels mapping u = u0 + x, v = v0 + y
// texels at the corners' 1/depth.
void FillRectangle(int w, int h, float u0, float v0, bool perspective, const Texture& t, float invDepth = 0.5f)
{
    const float k = perspective ? invDepth : 1.0f;
    auto vertex = [&](int x, int y) {
        return TextureVertex{x * 16, y * 16, invDepth, (u0 + x) * kTexel * k, (v0 + y) * kTexel * k};
    };
    const TextureVertex a[3] = {vertex(0, 0), vertex(w, 0), vertex(0, h)};
    const TextureVertex b[3] = {vertex(w, 0), vertex(w, h), vertex(0, h)};
    auto fill = perspective ? FillTexturePersp : FillTexture;
    fill(a, t.texels.data(), t.palette.data());
    fill(b, t.texels.data(), t.palette.data());
}

} // namespace

TEST(RasteriserTexture, TexelsWrapEvery256InBothDirections)
{
    const Texture t;
    for (bool perspective : {false, true}) {
        TestView view(24, 8);
        FillRectangle(24, 8, 250.0f, 254.0f, perspective, t);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 24; ++x) {
                const int u = (250 + x) & 255, v = (254 + y) & 255;
                ASSERT_EQ(view.Pixel(x, y), 0x100 + ((u + 3 * v) & 255)) << perspective << " " << x << "," << y;
            }
        }
        // Far beyond the texture's first repeat and below zero.
        TestView far(8, 4);
        FillRectangle(8, 4, 256.0f * 40 + 3, -256.0f * 7 + 1, perspective, t);
        EXPECT_EQ(far.Pixel(0, 0), 0x100 + ((3 + 3 * 1) & 255));
        EXPECT_EQ(far.Pixel(5, 2), 0x100 + ((8 + 3 * 3) & 255));
    }
}

TEST(RasteriserTexture, ColourKeyLeavesPixelAndDepthOfTexelZero)
{
    Texture t;
    for (int i = 0; i < 65536; i += 3) t.texels[i] = 0;
    for (int blend = 0; blend < 4; ++blend) {
        for (bool perspective : {false, true}) {
            TestView view(32, 8, 16, 0x1234);
            raster.colourKey = 1;
            raster.blend = blend;
            for (int y = 0; y < 8; ++y) {
                for (int x = 0; x < 32; ++x) view.Depth(x, y) = 7;
            }
            FillRectangle(32, 8, 0.0f, 0.0f, perspective, t);
            for (int y = 0; y < 8; ++y) {
                for (int x = 0; x < 32; ++x) {
                    const int texel = t.texels[y * 256 + x];
                    if (texel == 0) {
                        ASSERT_EQ(view.Pixel(x, y), 0x1234);
                        ASSERT_EQ(view.Depth(x, y), 7u);
                    } else {
                        ASSERT_EQ(view.Depth(x, y), 0x01000000u + 8388608u);
                    }
                }
            }
            // Without the key, texel 0 is an ordinary colour.
            raster.colourKey = 0;
            raster.blend = 0;
            FillRectangle(32, 8, 0.0f, 0.0f, perspective, t, 0.75f);
            EXPECT_EQ(view.Pixel(0, 0), 0x100);
        }
    }
}

TEST(RasteriserTexture, PerspectiveFollowsTheTrueMappingAcrossRuns)
{
    // A floor receding to the right: 1/depth falls from 1 to 0.1 across 100 pixels and u
    // (texel = 2 x true u) follows u / depth interpolated in screen space.
    Texture t;
    TestView view(100, 4);
    const float iz0 = 1.0f, iz1 = 0.1f, u0 = 0.0f, u1 = 200.0f;
    auto vertex = [&](int x, int y) {
        const float iz = x == 0 ? iz0 : iz1, u = x == 0 ? u0 : u1;
        return TextureVertex{x * 16, y * 16, iz, u * kTexel * iz, 0.0f};
    };
    const TextureVertex a[3] = {vertex(0, 0), vertex(100, 0), vertex(0, 4)};
    const TextureVertex b[3] = {vertex(100, 0), vertex(100, 4), vertex(0, 4)};
    FillTexturePersp(a, t.texels.data(), t.palette.data());
    FillTexturePersp(b, t.texels.data(), t.palette.data());
    auto exactAt = [&](int x) {
        const double s = x / 100.0;
        const double iz = iz0 + (iz1 - iz0) * s, uz = u0 * iz0 + (u1 * iz1 - u0 * iz0) * s;
        return uz / iz;
    };
    for (int x = 0; x < 100; ++x) {
        const int got = view.Pixel(x, 0) - 0x100;
        const int runStart = x - x % 16, runEnd = std::min(runStart + 16, 100);
        if (x == runStart) {
            EXPECT_NEAR(got, std::floor(exactAt(x)), 1.0) << x; // exact at each run boundary
        } else {
            // linear within the run, between the exact values at its ends
            EXPECT_GE(got, std::floor(exactAt(runStart)) - 1) << x;
            EXPECT_LE(got, exactAt(runEnd) + 1) << x;
        }
    }
    // Affine mapping of the same vertices would put pixel 50 at texel 100; the true value is
    // far smaller.
    EXPECT_LT(view.Pixel(50, 0) - 0x100, 40);
}

TEST(RasteriserTexture, RampAndShadeTableFollowTheInterpolatedIndex)
{
    TestView view(64, 4);
    std::vector<uint16_t> ramp(256);
    for (int i = 0; i < 256; ++i) ramp[i] = static_cast<uint16_t>(i * 3);
    const ShadedVertex a[3] = {{0, 0, 0.5f, 10 * kTexel}, {64 * 16, 0, 0.5f, 138 * kTexel}, {0, 64, 0.5f, 10 * kTexel}};
    const ShadedVertex b[3] = {{64 * 16, 0, 0.5f, 138 * kTexel}, {64 * 16, 64, 0.5f, 138 * kTexel}, {0, 64, 0.5f, 10 * kTexel}};
    FillShaded(a, ramp.data());
    FillShaded(b, ramp.data());
    for (int x = 0; x < 64; ++x) EXPECT_NEAR(view.Pixel(x, 1) / 3, 10 + 2 * x, 1) << x;

    // Shade table: row = ramp index, column = texel.
    Texture t;
    std::vector<uint16_t> table(65536);
    for (int i = 0; i < 65536; ++i) table[i] = static_cast<uint16_t>(i);
    for (bool perspective : {false, true}) {
        TestView shaded(16, 4);
        const float k = perspective ? 0.5f : 1.0f;
        auto vertex = [&](int x, int y) {
            return TextureShadedVertex{x * 16, y * 16, 0.5f, (5.0f + x) * kTexel * k, 1.0f * kTexel * k, 77.5f * kTexel};
        };
        const TextureShadedVertex c[3] = {vertex(0, 0), vertex(16, 0), vertex(0, 4)};
        const TextureShadedVertex d[3] = {vertex(16, 0), vertex(16, 4), vertex(0, 4)};
        auto fill = perspective ? FillTextureShadedPersp : FillTextureShaded;
        fill(c, t.texels.data(), table.data());
        fill(d, t.texels.data(), table.data());
        for (int x = 0; x < 16; ++x) {
            ASSERT_EQ(shaded.Pixel(x, 0), 77 * 256 + t.texels[256 * 1 + 5 + x]) << perspective << " " << x;
        }
    }
}

TEST(RasteriserTexture, CameraTexturesWrapAtTheirSize)
{
    std::vector<uint16_t> picture(65536);
    for (int i = 0; i < 65536; ++i) picture[i] = static_cast<uint16_t>(i ^ 0x5555);
    for (int size : {256, 64, 4}) {
        for (bool perspective : {false, true}) {
            TestView view(20, 6);
            raster.blend = kBlendAddit; // blends never apply to camera textures
            raster.colourKey = 1;
            const float k = perspective ? 0.25f : 1.0f;
            auto vertex = [&](int x, int y) {
                return TextureVertex{x * 16, y * 16, 0.25f, (x + 1.0f) * kTexel * k, (y + 2.0f) * kTexel * k};
            };
            const TextureVertex a[3] = {vertex(0, 0), vertex(20, 0), vertex(0, 6)};
            const TextureVertex b[3] = {vertex(20, 0), vertex(20, 6), vertex(0, 6)};
            auto fill = perspective ? FillPicture16Persp : FillPicture16;
            fill(a, picture.data(), size);
            fill(b, picture.data(), size);
            for (int y = 0; y < 6; ++y) {
                for (int x = 0; x < 20; ++x) {
                    const int u = (x + 1) & (size - 1), v = (y + 2) & (size - 1);
                    ASSERT_EQ(view.Pixel(x, y), picture[v * 256 + u]) << size << " " << x << "," << y;
                }
            }
        }
    }
}
