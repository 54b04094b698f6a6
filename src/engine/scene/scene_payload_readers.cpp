// The readers of chunk payloads: texts, integers, reals, key tracks, toggle and step lists,
// each checked against the payload's size before anything is copied.
#include "engine/scene/scene_reading.h"

namespace scene_reading {

// Checks that a payload holds at least `bytes`.
bool Need(Loader& L, const Payload& pl, uint64_t bytes)
{
    if (pl.size < bytes) {
        Refuse(L);
        return false;
    }
    return true;
}

void ReadText(Loader& L, const Payload& pl, char (&field)[kSceneNameSize])
{
    const void* end = std::memchr(pl.p, 0, pl.size);
    if (!end) {
        Refuse(L);
        return;
    }
    size_t length = static_cast<size_t>(static_cast<const uint8_t*>(end) - pl.p);
    if (length > kSceneNameSize - 1) length = kSceneNameSize - 1;
    std::memset(field, 0, kSceneNameSize);
    std::memcpy(field, pl.p, length);
}

void ReadInts(Loader& L, const Payload& pl, int32_t* out, int count)
{
    if (!Need(L, pl, 4u * static_cast<uint32_t>(count))) return;
    for (int i = 0; i < count; ++i) out[i] = ReadLeI32(pl.p + 4 * i);
}

void ReadReal(Loader& L, const Payload& pl, float& out)
{
    if (Need(L, pl, 4)) out = ReadLeF32(pl.p);
}

void ReadToggles(Loader& L, const Payload& pl, ToggleList& list)
{
    if (!Need(L, pl, 4)) return;
    const uint32_t count = ReadLe32(pl.p);
    if (static_cast<uint64_t>(count) * 4 > pl.size - 4u) {
        Refuse(L);
        return;
    }
    PoolFree(list.frames);
    list = {};
    if (count == 0) return;
    float* frames = AllocZeroed<float>(count, 4);
    if (!frames) {
        MemoryFailed(L);
        return;
    }
    for (uint32_t i = 0; i < count; ++i) frames[i] = ReadLeF32(pl.p + 4 + 4 * i);
    list.count = static_cast<int32_t>(count);
    list.frames = frames;
}

// `count` step keys starting at `p` (already checked to lie inside the payload).
void CopySteps(Loader& L, const uint8_t* p, uint32_t count, StepList& list)
{
    PoolFree(list.keys);
    list = {};
    if (count == 0) return;
    StepKey* keys = AllocZeroed<StepKey>(count, 4);
    if (!keys) {
        MemoryFailed(L);
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        keys[i].frame = ReadLeF32(p + 8 * i);
        keys[i].value = ReadLe32(p + 8 * i + 4);
    }
    list.count = static_cast<int32_t>(count);
    list.keys = keys;
}

void ReadSteps(Loader& L, const Payload& pl, StepList& list)
{
    if (!Need(L, pl, 4)) return;
    const uint32_t count = ReadLe32(pl.p);
    if (static_cast<uint64_t>(count) * 8 > pl.size - 4u) {
        Refuse(L);
        return;
    }
    CopySteps(L, pl.p + 4, count, list);
}

} // namespace scene_reading
