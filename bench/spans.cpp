// The span families of the triangle fills over a 320 x 180 view covered four times by a fixed
// set of triangles (each layer nearer than the last, so every pixel is drawn), next to an
// idealised loop over the same pixels: a palette lookup of a 256x256 texture with a 32-bit
// depth compare and write per pixel. Items per second are pixels per second.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "engine/engine_state.h"
#include "engine/raster/rasteriser.h"
#include "engine/render_modes.h"
#include "idealised_pixels.h"
#include "raster_view.h"

namespace {

constexpr int kWidth = RasterView::kWidth, kHeight = RasterView::kHeight, kLayers = 4;
constexpr int64_t kPixels = int64_t{kWidth} * kHeight * kLayers;

struct Target : RasterView {
    explicit Target(int bits)
    {
        std::mt19937 rng(1);
        Install(rng, 0x7BEF, bits);
        for (auto& p : colour) p = static_cast<uint16_t>(rng());
    }
};

enum Family { kFlat, kShaded, kAffine, kPerspective, kShadedTexture, kShadedTexturePersp, kFamilies };
const char* const kFamilyNames[kFamilies] = {"flat", "shaded", "affine", "perspective", "shaded_texture",
                                             "shaded_texture_persp"};
const char* const kBlendNames[4] = {"opaqu", "trans", "addit", "soust"};

// The triangles of one layer: the view cut into cell x cell squares (20: spans of about 10
// pixels, like a scene of thousands of triangles; 60: larger faces) of two triangles each, with
// 1/depth varying across each square and u, v running about a texel per pixel.
void DrawLayer(Family family, const Target& t, int layer, int cell)
{
    const float base = 0.1f + 0.2f * static_cast<float>(layer);
    for (int cy = 0; cy < kHeight; cy += cell) {
        for (int cx = 0; cx < kWidth; cx += cell) {
            const int xs[4] = {cx, cx + cell, cx + cell, cx};
            const int ys[4] = {cy, cy, cy + cell, cy + cell};
            TextureShadedVertex q[4];
            for (int i = 0; i < 4; ++i) {
                const float iz = base + 0.01f * static_cast<float>(i);
                const float k = (family == kPerspective || family == kShadedTexturePersp) ? iz : 1.0f;
                q[i] = {xs[i] * 16, ys[i] * 16, iz, xs[i] * 65536.0f * 1.3f * k, ys[i] * 65536.0f * 0.9f * k,
                        (20.0f + 5.0f * static_cast<float>(i)) * 65536.0f};
            }
            const int tri[2][3] = {{0, 1, 3}, {1, 2, 3}};
            for (const auto& ix : tri) {
                const TextureShadedVertex& a = q[ix[0]];
                const TextureShadedVertex& b = q[ix[1]];
                const TextureShadedVertex& c = q[ix[2]];
                switch (family) {
                case kFlat: {
                    const FlatVertex v[3] = {{a.x16, a.y16, a.invDepth}, {b.x16, b.y16, b.invDepth}, {c.x16, c.y16, c.invDepth}};
                    FillFlat(v, 0x3DEF);
                    break;
                }
                case kShaded: {
                    const ShadedVertex v[3] = {{a.x16, a.y16, a.invDepth, a.shade}, {b.x16, b.y16, b.invDepth, b.shade},
                                               {c.x16, c.y16, c.invDepth, c.shade}};
                    FillShaded(v, t.palette.data());
                    break;
                }
                case kAffine:
                case kPerspective: {
                    const TextureVertex v[3] = {{a.x16, a.y16, a.invDepth, a.u, a.v}, {b.x16, b.y16, b.invDepth, b.u, b.v},
                                                {c.x16, c.y16, c.invDepth, c.u, c.v}};
                    if (family == kAffine) FillTexture(v, t.texture.data(), t.palette.data());
                    else FillTexturePersp(v, t.texture.data(), t.palette.data());
                    break;
                }
                default: {
                    const TextureShadedVertex v[3] = {a, b, c};
                    if (family == kShadedTexture) FillTextureShaded(v, t.texture.data(), t.shadeTable.data());
                    else FillTextureShadedPersp(v, t.texture.data(), t.shadeTable.data());
                    break;
                }
                }
            }
        }
    }
}

void BM_Span(benchmark::State& state)
{
    const auto family = static_cast<Family>(state.range(0));
    const int blend = static_cast<int>(state.range(1));
    const int bits = static_cast<int>(state.range(2));
    const int cell = static_cast<int>(state.range(3));
    Target t(bits);
    raster.blend = blend;
    raster.colourKey = 0;
    for (auto _ : state) {
        t.NextView();
        for (int layer = 0; layer < kLayers; ++layer) DrawLayer(family, t, layer, cell);
        benchmark::DoNotOptimize(t.colour.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPixels);
    state.SetLabel(std::string(kFamilyNames[family]) + "_" + kBlendNames[blend] + "_" + std::to_string(bits) + "_cell" + std::to_string(cell));
}

// The reference: the same pixels, one palette lookup, depth compare and write each.
void BM_IdealisedLoop(benchmark::State& state)
{
    Target t(16);
    const uint8_t* texture = t.texture.data();
    const uint16_t* palette = t.palette.data();
    for (auto _ : state) {
        t.NextView();
        for (int layer = 0; layer < kLayers; ++layer) {
            const uint32_t zRow = engine.frameStamp + static_cast<uint32_t>(layer + 1) * 1000000u;
            FillIdealisedRows(t.colour.data(), t.depth.data(), kWidth, kHeight, texture, palette, zRow);
        }
        benchmark::DoNotOptimize(t.colour.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPixels);
}

} // namespace

BENCHMARK(BM_IdealisedLoop);
BENCHMARK(BM_Span)->ArgsProduct({{kFlat, kShaded, kAffine, kPerspective, kShadedTexture, kShadedTexturePersp}, {0, 1, 2, 3}, {16}, {20, 60}});
BENCHMARK(BM_Span)->ArgsProduct({{kFlat, kAffine, kPerspective}, {1, 2, 3}, {15}, {20}});
