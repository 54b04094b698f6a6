// LoadScene: reads a scene file from the pack archive, walks its chunks, checks what they
// built and prepares the scene for drawing.
#include <cstring>
#include <limits>

#include "engine/scene/scene_chunks.h"
#include "engine/scene/scene_files.h"
#include "engine/scene/scene_reading.h"
#include "formats/byte_order.h"
#include "resources/memory_pool.h"
#include "resources/pack_archive.h"

using namespace scene_reading;

int32_t TruncateToInt(float value)
{
    if (!(value > -2147483648.0f && value < 2147483648.0f)) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

SceneObject* ResolveObjectReference(SceneObject* objects, uint32_t value, uint32_t version)
{
    if (value == 0xFFFFFFFFu) return nullptr;
    if (version < kFsfOccurrenceReferenceVersion) {
        const int32_t number = static_cast<int32_t>(value);
        for (SceneObject* o = objects; o; o = o->next) {
            if (o->number == number) return o;
        }
        return nullptr;
    }
    const int32_t number = static_cast<int32_t>(value & 0xFFFFFFu);
    int32_t skip = static_cast<int8_t>(value >> 24);
    if (skip < 0) return nullptr;
    for (SceneObject* o = objects; o; o = o->next) {
        if (o->number == number && skip-- == 0) return o;
    }
    return nullptr;
}

SceneObject* FindSceneObject(const Scene& scene, const char* name)
{
    for (SceneObject* o = scene.objects; o; o = o->next) {
        if (std::strcmp(o->name, name) == 0) return o;
    }
    return nullptr;
}

int32_t LoadScene(Scene* scene, const char* name)
{
    if (!scene || !name) return kSceneFileError;
    const uint32_t size = PackEntrySize(name);
    if (size < 1) return kSceneFileError;
    uint8_t* buffer = static_cast<uint8_t*>(PoolAlloc(size, 16));
    if (!buffer) return kSceneMemoryError;
    if (ReadPackEntry(name, buffer, 0, size) != 0 || size < 8 ||
        (ReadLe32(buffer) != 1 && ReadLe32(buffer + 4) != size)) {
        PoolFree(buffer);
        return kSceneFileError;
    }

    Loader L;
    L.data = buffer;
    L.size = size;
    Scene& s = L.state.scene;
    if (!BuildPaths(s, name)) {
        PoolFree(buffer);
        FreeScene(&s);
        return kSceneMemoryError;
    }
    Walk(L, 0, size, 0);
    PoolFree(buffer);
    L.data = nullptr;
    if (!L.malformed) CheckIndices(L);
    if (L.malformed) {
        FreeScene(&s);
        return kSceneFileError;
    }
    if (L.state.error == kSceneOk) L.state.error = PostProcessScene(L.state);
    *scene = s;
    return L.state.error;
}
