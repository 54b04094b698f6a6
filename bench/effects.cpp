// The 2D effects over a 320 x 180 view at both pixel depths, next to a memcpy of the same view.
// Time per iteration is the time per view; items per second are pixels per second.
#include <benchmark/benchmark.h>

#include <algorithm>

#include <cstring>
#include <random>
#include <vector>

#include "display/screen_geometry.h"
#include "effects/fade_palettes.h"
#include "effects/fade_ramp.h"
#include "effects/mask_transitions.h"
#include "effects/sprite_drawing.h"
#include "effects/view_fills.h"
#include "resources/picture.h"

namespace {

constexpr int kWidth = 320, kHeight = 180, kPixels = kWidth * kHeight;

struct Scene {
    std::vector<uint16_t> view, second;
    std::vector<uint8_t> mask, grey;
};

Scene MakeScene(int depth)
{
    screen.screenWidth = kWidth;
    screen.viewHeight = kHeight;
    screen.pixelDepth = depth;
    BuildFadeRamp();
    std::mt19937 rng(1);
    Scene s{std::vector<uint16_t>(kPixels), std::vector<uint16_t>(kPixels), std::vector<uint8_t>(kPixels),
            std::vector<uint8_t>(kPixels)};
    for (int i = 0; i < kPixels; ++i) {
        s.view[i] = uint16_t(rng()), s.second[i] = uint16_t(rng());
        s.mask[i] = uint8_t(rng()), s.grey[i] = uint8_t(rng());
    }
    return s;
}

void Finish(benchmark::State& state)
{
    state.SetItemsProcessed(state.iterations() * kPixels);
    state.SetLabel(state.range(0) == 16 ? "5-6-5" : "x-5-5-5");
}

void BM_Memcpy(benchmark::State& state)
{
    Scene s = MakeScene(int(state.range(0)));
    for (auto _ : state) {
        std::memcpy(s.view.data(), s.second.data(), kPixels * sizeof(uint16_t));
        benchmark::ClobberMemory();
    }
    Finish(state);
}

template <class Effect> void RunViewEffect(benchmark::State& state, Effect effect)
{
    Scene s = MakeScene(int(state.range(0)));
    int level = 0;
    for (auto _ : state) {
        effect(s, level);
        level = (level + 7) % 512;
        benchmark::ClobberMemory();
    }
    Finish(state);
}

void BM_MaskFadeAdd(benchmark::State& state)
{
    RunViewEffect(state, [](Scene& s, int level) { MaskFadeAdd(s.view.data(), s.mask, level); });
}
void BM_MaskFadeSub(benchmark::State& state)
{
    RunViewEffect(state, [](Scene& s, int level) { MaskFadeSub(s.view.data(), s.mask, level); });
}
void BM_MaskCrossFade(benchmark::State& state)
{
    RunViewEffect(state, [](Scene& s, int level) { MaskCrossFade(s.view.data(), s.mask, s.second, level); });
}
void BM_MaskReveal(benchmark::State& state)
{
    RunViewEffect(state, [](Scene& s, int level) { MaskReveal(s.view.data(), s.mask, s.grey, level); });
}
void BM_FillView(benchmark::State& state)
{
    RunViewEffect(state, [](Scene& s, int level) { FillView(s.view.data(), level & 255, 80, 160); });
}
void BM_TintView(benchmark::State& state)
{
    RunViewEffect(state, [](Scene& s, int level) { TintView(s.view.data(), level & 63, 8, 16); });
}

// A full-view opaque sprite, made from an in-memory 8-bit picture.
struct SpriteFixture {
    Picture picture{};
    Sprite sprite{};
    std::vector<uint8_t> pixels = std::vector<uint8_t>(kPixels);

    SpriteFixture(int depth, bool indexed)
    {
        std::mt19937 rng(2);
        for (auto& p : pixels) p = uint8_t(1 + rng() % 255);
        for (auto& b : picture.palette) b = uint8_t(rng());
        picture.header[0] = 'B', picture.header[1] = 'M';
        std::memcpy(picture.header + 18, &kWidth, 4);
        std::memcpy(picture.header + 22, &kHeight, 4);
        picture.header[28] = 8;
        picture.pixels = pixels.data();
        if (!MakeSprite(&picture, &sprite, kWidth, kHeight, depth, indexed ? 1 : 0) ||
            (indexed && !MakeFadePalettes(&picture, &sprite, 0, 0, 0, 127, 127, 127, 255, 255, 255))) {
            std::fprintf(stderr, "could not make the benchmark sprite\n");
            std::exit(1);
        }
    }
    ~SpriteFixture() { FreeSprite(&sprite); }
};

enum Drawer { kCopy, kAdd, kFadeAdd, kFade };

template <Drawer D> void BM_Sprite(benchmark::State& state)
{
    const int depth = int(state.range(0));
    Scene s = MakeScene(depth);
    SpriteFixture f(depth, state.range(1) != 0);
    const DrawTarget target{s.view.data(), kWidth, kHeight};
    int level = 0;
    for (auto _ : state) {
        if constexpr (D == kCopy) DrawSprite(f.sprite, target, 0, 0);
        if constexpr (D == kAdd) DrawSpriteAdd(f.sprite, target, 0, 0);
        if constexpr (D == kFadeAdd) DrawSpriteFadeAdd(f.sprite, target, 0, 0, level);
        if constexpr (D == kFade) DrawSpriteFade(f.sprite, target, 0, 0, level);
        level = (level + 1) & 127;
        benchmark::ClobberMemory();
    }
    Finish(state);
    state.SetLabel(std::string(depth == 16 ? "5-6-5" : "x-5-5-5") + (state.range(1) ? " indexed" : " direct"));
}

// With --benchmark_repetitions, the fastest repetition as well: on a shared machine a busy
// neighbour slows loops that compute far more than it slows memcpy, so the ratios of the fastest
// runs are the ones that compare like with like.
void AddFastest(benchmark::internal::Benchmark* b)
{
    b->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
}

void Depths(benchmark::internal::Benchmark* b)
{
    AddFastest(b);
    b->ArgName("depth")->Arg(16)->Arg(15);
}
void SpriteKinds(benchmark::internal::Benchmark* b)
{
    AddFastest(b);
    b->ArgNames({"depth", "indexed"});
    for (int depth : {16, 15})
        for (int indexed : {0, 1}) b->Args({depth, indexed});
}

} // namespace

BENCHMARK(BM_Memcpy)->Apply(Depths);
BENCHMARK(BM_MaskFadeAdd)->Apply(Depths);
BENCHMARK(BM_MaskFadeSub)->Apply(Depths);
BENCHMARK(BM_MaskCrossFade)->Apply(Depths);
BENCHMARK(BM_MaskReveal)->Apply(Depths);
BENCHMARK(BM_FillView)->Apply(Depths);
BENCHMARK(BM_TintView)->Apply(Depths);
BENCHMARK(BM_Sprite<kCopy>)->Name("BM_DrawSprite")->Apply(SpriteKinds);
BENCHMARK(BM_Sprite<kAdd>)->Name("BM_DrawSpriteAdd")->Apply(SpriteKinds);
BENCHMARK(BM_Sprite<kFadeAdd>)->Name("BM_DrawSpriteFadeAdd")->Apply(SpriteKinds);
BENCHMARK(BM_Sprite<kFade>)->Name("BM_DrawSpriteFade")->Apply(SpriteKinds);
