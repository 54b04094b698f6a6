// Whole frames of the benchmark scene (5,000 textured, Gouraud-shaded triangles filling a
// 320x180 view, render mode TEXTU_GOURA_OPAQU) drawn with RenderScene at 16 and 15 bits.
// Target: at least 1,000 frames per second on one core. The scene files are also left in
// <temp>/vela-bench-scene for `velatool scene bench BENCH.FSF` run from that folder.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "engine/engine_errors.h"
#include "engine/engine_setup.h"
#include "engine/engine_state.h"
#include "engine/frame_pipeline.h"
#include "engine/scene/scene_files.h"
#include "resources/memory_pool.h"
#include "resources/pack_archive.h"
#include "support/bench_scene.h"

namespace {

constexpr int32_t kWidth = 320;
constexpr int32_t kHeight = 180;

void SceneFrames(benchmark::State& state)
{
    const int32_t depth = static_cast<int32_t>(state.range(0));
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "vela-bench-scene";
    if (!WriteBenchScene(folder)) {
        state.SkipWithError("cannot write the benchmark scene");
        return;
    }
    if (InitMemoryPool(64) != 0) {
        state.SkipWithError("cannot reserve the pool");
        return;
    }
    SetLooseFolder(folder.string().c_str());
    Scene scene{};
    if (LoadEngineScene(&scene, kBenchSceneName) != kSceneOk || EngineInit(kWidth, kHeight, depth) != kEngineOk) {
        state.SkipWithError("cannot load or set up the benchmark scene");
        FreeEngineScene(&scene);
        FreeMemoryPool();
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

    FreeEngineScene(&scene);
    ClosePack();
    FreeMemoryPool();
}

} // namespace

BENCHMARK(SceneFrames)->Arg(16)->Arg(15)->Unit(benchmark::kMicrosecond);
