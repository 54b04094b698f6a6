// Fuzzes scene loading: the input is served as a loose scene file through the archive layer,
// loaded, set up for the engine when it loads, and released again; the pool must come back
// to its level before the load.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "engine/engine_setup.h"
#include "engine/engine_state.h"
#include "engine/scene/scene_files.h"
#include "resources/memory_pool.h"
#include "resources/pack_archive.h"

namespace {

const std::string& SceneFolder()
{
    static const std::string folder = [] {
        char name[] = "/tmp/vela-scene-fuzz-XXXXXX";
        if (!mkdtemp(name)) std::abort();
        static std::string made = name;
        std::atexit([] {
            std::remove((made + "/FUZZ.FSF").c_str());
            rmdir(made.c_str());
        });
        if (InitMemoryPool(32) != 0) std::abort();
        return made;
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string& folder = SceneFolder();
    FILE* file = std::fopen((folder + "/FUZZ.FSF").c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    SetLooseFolder(folder.c_str());

    const size_t before = PoolBytesInUse();
    Scene scene{};
    const int32_t result = LoadEngineScene(&scene, "FUZZ.FSF");
    if (result == kSceneOk || result == kSceneMemoryError) {
        if (result == kSceneOk) EngineInit(320, 180, 16);
        FreeEngineScene(&scene);
    }
    if (PoolBytesInUse() != before) std::abort();
    return 0;
}
