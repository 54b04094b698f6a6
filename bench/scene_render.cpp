// Whole frames of the benchmark scene (5,000 textured, Gouraud-shaded triangles filling a
// 320x180 view, render mode TEXTU_GOURA_OPAQU) drawn with RenderScene at 16 and 15 bits.
// Target: at least 1,000 frames per second on one core. The scene files are also left in
// <temp>/vela-bench-scene for `velatool scene bench BENCH.FSF` run from that folder.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "engine/frame_pipeline.h"
#include "support/bench_scene.h"
#include "support/bench_scene_loading.h"

namespace {

constexpr int32_t kWidth = 320;
constexpr int32_t kHeight = 180;

void SceneFrames(benchmark::State& state)
{
    const int32_t depth = static_cast<int32_t>(state.range(0));
    Scene scene{};
    if (!OpenBenchScene(&scene, kWidth, kHeight, depth)) {
        state.SkipWithError("cannot write, reserve room for or load the benchmark scene");
        return;
    }
    std::vector<uint16_t> view(static_cast<size_t>(kWidth) * kHeight);
    uint8_t* base = reinterpret_cast<uint8_t*>(view.data());
    RenderScene(0, base, nullptr);

    float frame = 0;
    for (auto _ : state) {
        RenderScene(frame, base, nullptr);
        benchmark::DoNotOptimize(view.data());
        benchmark::ClobberMemory();
        frame += 1.0f;
        if (frame > kBenchSceneLastFrame) frame = 0;
    }
    const double frames = static_cast<double>(state.iterations());
    state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    state.counters["triangles/s"] =
        benchmark::Counter(frames * kBenchGridColumns * kBenchGridRows * 2, benchmark::Counter::kIsRate);
    state.counters["pixels/s"] = benchmark::Counter(frames * kWidth * kHeight, benchmark::Counter::kIsRate);

    CloseBenchScene(&scene);
}

} // namespace

BENCHMARK(SceneFrames)->Arg(16)->Arg(15)->Unit(benchmark::kMicrosecond);
