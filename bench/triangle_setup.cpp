// Per-triangle cost of the fills: a 320 x 180 view covered by 5,000 small triangles (a 50 x 50
// grid of quads with jittered inner corners, about 11.5 pixels each, like a scene of 5,000
// faces), drawn through the textured Gouraud-shaded fill, the plain textured fill and their
// perspective variants. Items per second are triangles per second; "frames" counts views of
// 5,000 triangles per second. Next to them, the idealised loop of the span benchmarks over the
// same 57,600 pixels per frame: the rate a fill would reach if set-up and edges cost nothing.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "engine/engine_state.h"
#include "engine/raster/rasteriser.h"
#include "engine/render_modes.h"
#include "idealised_pixels.h"
#include "raster_view.h"

namespace {

constexpr int kWidth = RasterView::kWidth, kHeight = RasterView::kHeight, kGrid = 50;
constexpr int kTriangles = kGrid * kGrid * 2;

struct Scene : RasterView {
    std::vector<TextureShadedVertex> triangles; // three per triangle
    std::vector<TextureShadedVertex> perspective;

    Scene()
    {
        std::mt19937 rng(3);
        Install(rng, 0xFFFF, 16);
        raster.blend = kBlendOpaqu;
        raster.colourKey = 0;

        // grid corners in 1/16 pixel, inner ones moved by up to a third of a cell
        std::uniform_real_distribution<float> jitter(-0.33f, 0.33f), shade(10.0f, 240.0f);
        const float cw = kWidth * 16.0f / kGrid, ch = kHeight * 16.0f / kGrid;
        std::vector<TextureShadedVertex> corner((kGrid + 1) * (kGrid + 1));
        for (int r = 0; r <= kGrid; ++r) {
            for (int c = 0; c <= kGrid; ++c) {
                const bool inner = r > 0 && r < kGrid && c > 0 && c < kGrid;
                const float x = cw * (static_cast<float>(c) + (inner ? jitter(rng) : 0.0f));
                const float y = ch * (static_cast<float>(r) + (inner ? jitter(rng) : 0.0f));
                const float iz = 0.2f + 0.3f * static_cast<float>(c + r) / (2.0f * kGrid);
                corner[r * (kGrid + 1) + c] = {static_cast<int32_t>(std::lround(x)), static_cast<int32_t>(std::lround(y)),
                                               iz, x * 4096.0f * 1.3f, y * 4096.0f * 0.9f, shade(rng) * 65536.0f};
            }
        }
        for (int r = 0; r < kGrid; ++r) {
            for (int c = 0; c < kGrid; ++c) {
                const auto& a = corner[r * (kGrid + 1) + c];
                const auto& b = corner[r * (kGrid + 1) + c + 1];
                const auto& d = corner[(r + 1) * (kGrid + 1) + c];
                const auto& e = corner[(r + 1) * (kGrid + 1) + c + 1];
                for (const auto* v : {&a, &b, &d, &b, &e, &d}) triangles.push_back(*v);
            }
        }
        perspective = triangles;
        for (auto& v : perspective) v.u *= v.invDepth, v.v *= v.invDepth;
    }
};

enum Fill { kTextureShaded, kTexture, kTextureShadedPersp, kTexturePersp };
const char* const kFillNames[] = {"texture_shaded", "texture", "texture_shaded_persp", "texture_persp"};

void BM_SmallTriangles(benchmark::State& state)
{
    static Scene scene;
    const auto fill = static_cast<Fill>(state.range(0));
    const auto& source = fill == kTextureShadedPersp || fill == kTexturePersp ? scene.perspective : scene.triangles;
    std::vector<TextureVertex> plain;
    for (const auto& v : source) plain.push_back({v.x16, v.y16, v.invDepth, v.u, v.v});
    const uint8_t* texture = scene.texture.data();
    for (auto _ : state) {
        scene.NextView();
        switch (fill) {
        case kTextureShaded:
            for (int t = 0; t < kTriangles; ++t) FillTextureShaded(&source[3 * t], texture, scene.shadeTable.data());
            break;
        case kTexture:
            for (int t = 0; t < kTriangles; ++t) FillTexture(&plain[3 * t], texture, scene.palette.data());
            break;
        case kTextureShadedPersp:
            for (int t = 0; t < kTriangles; ++t) FillTextureShadedPersp(&source[3 * t], texture, scene.shadeTable.data());
            break;
        case kTexturePersp:
            for (int t = 0; t < kTriangles; ++t) FillTexturePersp(&plain[3 * t], texture, scene.palette.data());
            break;
        }
        benchmark::DoNotOptimize(scene.colour.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kTriangles);
    state.counters["frames"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.SetLabel(kFillNames[fill]);
}

// The same pixels with no set-up at all: one palette lookup, depth compare and write each.
void BM_SmallTrianglesIdealisedPixels(benchmark::State& state)
{
    static Scene scene;
    const uint8_t* texture = scene.texture.data();
    const uint16_t* palette = scene.palette.data();
    for (auto _ : state) {
        scene.NextView();
        FillIdealisedRows(scene.colour.data(), scene.depth.data(), kWidth, kHeight, texture, palette,
                          engine.frameStamp + 1000);
        benchmark::DoNotOptimize(scene.colour.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kTriangles);
    state.counters["frames"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_SmallTrianglesIdealisedPixels);
BENCHMARK(BM_SmallTriangles)->DenseRange(kTextureShaded, kTexturePersp);
