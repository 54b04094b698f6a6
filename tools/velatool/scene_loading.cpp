#include "velatool/scene_loading.h"

#include "engine/engine_errors.h"
#include "engine/engine_setup.h"
#include "engine/scene/scene_files.h"
#include "resources/memory_pool.h"
#include "resources/pack_archive.h"
#include "velatool/named_inputs.h"
#include "velatool/options.h"
#include "velatool/scene_diagnosis.h"

namespace {

constexpr int32_t kToolPoolMegabytes = 64;

// Pool bytes in use just before the last LoadSceneForTool read its scene (the archive's
// directory included), so that info can tell what the scene itself takes.
size_t bytesBeforeScene = 0;

} // namespace

size_t PoolBytesBeforeScene() { return bytesBeforeScene; }

void LoadSceneForTool(const std::string& name, const std::string& pack, Scene* scene)
{
    // The pool comes first: the archive's directory is allocated from it.
    if (InitMemoryPool(kToolPoolMegabytes) != 0) throw CommandFailure{"cannot reserve the memory pool"};
    std::string entry = name;
    try {
        // A named archive that cannot be read is a failure of its own, not a silent fall-back
        // to loose files; a path is read from its own folder.
        if (pack.empty()) entry = UseFileFolder(name);
        else OpenArchiveFor(pack, pack);
    } catch (const CommandFailure&) {
        FreeMemoryPool();
        throw;
    }
    bytesBeforeScene = PoolBytesInUse();
    const int32_t result = LoadEngineScene(scene, entry.c_str());
    if (result == kSceneOk) return;
    std::string problem = SceneErrorText(result);
    if (result == kSceneFileError) {
        problem = InputProblem(pack.empty() ? name : entry, pack);
        if (problem.empty()) problem = SceneFileProblem(entry);
    }
    FinishSceneTool(scene);
    throw CommandFailure{name + ": " + problem};
}

void SetUpEngineForTool(const std::string& name, Scene* scene, int32_t width, int32_t height, int32_t depth)
{
    const int32_t result = EngineInit(width, height, depth);
    if (result == kEngineOk) return;
    std::string problem = result == kEnginePictureError ? PictureFailure(*scene, depth) : EngineErrorText(result);
    if (result != kEnginePictureError) {
        problem = "engine set-up at " + std::to_string(width) + "x" + std::to_string(height) + ", " +
                  std::to_string(depth) + " bits: " + problem;
    }
    FinishSceneTool(scene);
    throw CommandFailure{name + ": " + problem};
}

void FinishSceneTool(Scene* scene)
{
    FreeEngineScene(scene);
    ClosePack();
    FreeMemoryPool();
}
