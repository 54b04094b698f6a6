// Loading the drawing benchmark's scene for the benchmarks that draw it.
#include "support/bench_scene_loading.h"

#include <filesystem>

#include "engine/engine_errors.h"
#include "engine/engine_setup.h"
#include "engine/engine_state.h"
#include "engine/scene/scene_files.h"
#include "resources/memory_pool.h"
#include "resources/pack_archive.h"
#include "support/bench_scene.h"

bool OpenBenchScene(Scene* scene, int32_t width, int32_t height, int32_t depth)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "vela-bench-scene";
    if (!WriteBenchScene(folder) || InitMemoryPool(64) != 0) return false;
    SetLooseFolder(folder.string().c_str());
    *scene = Scene{};
    if (LoadEngineScene(scene, kBenchSceneName) == kSceneOk && EngineInit(width, height, depth) == kEngineOk) return true;
    CloseBenchScene(scene);
    return false;
}

void CloseBenchScene(Scene* scene)
{
    FreeEngineScene(scene);
    ClosePack();
    FreeMemoryPool();
}
