// Internal to scene loading: the loader's state while it walks the chunks of a file, and the
// readers of chunk payloads. A scene file is untrusted input: every size, count, index and text
// is checked against its chunk, and a file that breaks the format is refused whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

#include "engine/scene/scene_files.h"
#include "engine/scene/scene_loading.h"
#include "engine/scene/scene_model.h"
#include "formats/byte_order.h"
#include "resources/memory_pool.h"

namespace scene_reading {

constexpr int32_t kMaxChunkDepth = 64; // deeper nesting is refused (it never occurs in scene files)

// The loader's own state: the scene under construction and what the chunks read so far
// imply. One load runs at a time.
struct Loader {
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    SceneLoadState state;
    bool malformed = false;
    // The current record of each group is the tail of its list; these mark groups whose last
    // container could not be allocated, whose field chunks are then skipped.
    Material* materialTail = nullptr;
    SceneLight* lightTail = nullptr;
    SceneFlare* flareTail = nullptr;
    SceneCamera* cameraTail = nullptr;
    SceneObject* objectTail = nullptr;
    bool materialLost = false, lightLost = false, flareLost = false, cameraLost = false, objectLost = false;
    int32_t materialsOpened = 0; // face material indices count these, allocated or not
    // Which of the current object's one-time chunks have been read.
    bool sawVertices = false, sawMapping = false, sawFaces = false, sawEdges = false;
    uint32_t facesDeclared = 0; // face count of the current object's face chunk
    int32_t eventsDeclared = 0;
    int32_t eventsFilled = 0;
    bool eventsLost = false;
};

// A chunk's payload.
struct Payload {
    const uint8_t* p;
    uint32_t size;
};

template <class T>
T* AllocZeroed(uint64_t count, uint32_t alignment = 8)
{
    const uint64_t bytes = count * sizeof(T);
    if (count == 0 || bytes > std::numeric_limits<uint32_t>::max()) return nullptr;
    void* block = PoolAlloc(static_cast<uint32_t>(bytes), alignment);
    if (block) std::memset(block, 0, static_cast<size_t>(bytes));
    return static_cast<T*>(block);
}

inline void Refuse(Loader& L) { L.malformed = true; }
inline void MemoryFailed(Loader& L) { L.state.error = kSceneMemoryError; }

// Checks that a payload holds at least `bytes`.
bool Need(Loader& L, const Payload& pl, uint64_t bytes);

// A zero-terminated text, cut to the field.
void ReadText(Loader& L, const Payload& pl, char (&field)[kSceneNameSize]);

// `count` integers, or one real.
void ReadInts(Loader& L, const Payload& pl, int32_t* out, int count);
void ReadReal(Loader& L, const Payload& pl, float& out);

// A toggle list (count, then frames) and a step list (count, then keys).
void ReadToggles(Loader& L, const Payload& pl, ToggleList& list);

// `count` step keys starting at `p` (already checked to lie inside the payload).
void CopySteps(Loader& L, const uint8_t* p, uint32_t count, StepList& list);

void ReadSteps(Loader& L, const Payload& pl, StepList& list);

// A spline track: key count, loop flag, then keys of `KeyBytes` each as stored.
template <class Key, size_t KeyBytes = sizeof(Key)>
void ReadTrack(Loader& L, const Payload& pl, KeyTrack<Key>& track)
{
    if (!Need(L, pl, 8)) return;
    const uint32_t count = ReadLe32(pl.p);
    if (static_cast<uint64_t>(count) * KeyBytes > pl.size - 8u) {
        Refuse(L);
        return;
    }
    PoolFree(track.keys);
    track = {};
    track.loop = ReadLeI32(pl.p + 4);
    if (count == 0) return;
    Key* keys = AllocZeroed<Key>(count);
    if (!keys) {
        track.loop = 0;
        MemoryFailed(L);
        return;
    }
    for (uint32_t i = 0; i < count; ++i) std::memcpy(&keys[i], pl.p + 8 + i * KeyBytes, KeyBytes);
    track.keyCount = static_cast<int32_t>(count);
    track.keys = keys;
}

// Morph keys: stored as scalar keys whose value field holds an object reference; `target`
// stays null until references are resolved after the walk.
static_assert(offsetof(MorphKey, storedValue) == offsetof(ScalarKey, value) &&
                  offsetof(MorphKey, easeFrom) == offsetof(ScalarKey, easeFrom) &&
                  offsetof(MorphKey, target) >= sizeof(ScalarKey),
              "a morph key starts with the fields of a stored scalar key");
inline void ReadMorphTrack(Loader& L, const Payload& pl, MorphTrack& track)
{
    ReadTrack<MorphKey, sizeof(ScalarKey)>(L, pl, track);
}

// Reads the chunks that fill bytes begin .. end - 1 into the scene under construction.
void Walk(Loader& L, uint32_t begin, uint32_t end, int depth);
// Checks every vertex index of faces and edges against the vertex array. After a memory
// failure an object whose data is incomplete loses its faces and edges instead.
void CheckIndices(Loader& L);
// fsfPath, datPath and folderPath of a scene name. False when an allocation failed.
bool BuildPaths(Scene& s, const char* name);

} // namespace scene_reading
