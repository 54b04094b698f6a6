// Reading FSF scene files: the chunk walk, the chunk table with its version conversions, the
// three paths, and FreeScene. A scene file is untrusted input: every size, count, index and
// text is checked against its chunk, and a file that breaks the format is refused whole.
#include <cmath>
#include <cstring>
#include <limits>

#include "engine/engine_setup.h"
#include "engine/engine_state.h"
#include "engine/material_preparation.h"
#include "engine/render_modes.h"
#include "engine/scene/scene_files.h"
#include "engine/scene/scene_loading.h"
#include "platform/byte_order.h"
#include "resources/memory_pool.h"
#include "resources/pack_archive.h"

namespace {

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

void Refuse(Loader& L) { L.malformed = true; }
void MemoryFailed(Loader& L) { L.state.error = kSceneMemoryError; }

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

// Morph keys: scalar keys whose value field holds an object reference.
void ReadMorphTrack(Loader& L, const Payload& pl, MorphTrack& track)
{
    if (!Need(L, pl, 8)) return;
    const uint32_t count = ReadLe32(pl.p);
    if (static_cast<uint64_t>(count) * sizeof(ScalarKey) > pl.size - 8u) {
        Refuse(L);
        return;
    }
    PoolFree(track.keys);
    track = {};
    track.loop = ReadLeI32(pl.p + 4);
    if (count == 0) return;
    MorphKey* keys = AllocZeroed<MorphKey>(count);
    if (!keys) {
        track.loop = 0;
        MemoryFailed(L);
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* k = pl.p + 8 + i * sizeof(ScalarKey);
        keys[i].frame = ReadLeF32(k);
        keys[i].storedValue = ReadLe32(k + 4);
        keys[i].inTangent = ReadLeF32(k + 8);
        keys[i].outTangent = ReadLeF32(k + 12);
        keys[i].tension = ReadLeF32(k + 16);
        keys[i].continuity = ReadLeF32(k + 20);
        keys[i].bias = ReadLeF32(k + 24);
        keys[i].easeTo = ReadLeF32(k + 28);
        keys[i].easeFrom = ReadLeF32(k + 32);
        keys[i].target = nullptr;
    }
    track.keyCount = static_cast<int32_t>(count);
    track.keys = keys;
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

// Appends a fresh record to a list and makes it the group's current record.
template <class Record>
Record* AppendRecord(Loader& L, Record*& head, Record*& tail, int32_t& count, bool& lost)
{
    Record* record = AllocZeroed<Record>(1);
    if (!record) {
        MemoryFailed(L);
        lost = true;
        return nullptr;
    }
    lost = false;
    if (tail) tail->next = record; else head = record;
    tail = record;
    ++count;
    return record;
}

// The current record of a group for a field chunk: null (and the file refused) when no
// container of the group came first, null without complaint when it could not be allocated.
template <class Record>
Record* Current(Loader& L, Record* tail, bool lost)
{
    if (lost) return nullptr;
    if (!tail) Refuse(L);
    return tail;
}

void Walk(Loader& L, uint32_t begin, uint32_t end, int depth);

void ReadMaterialField(Loader& L, uint32_t id, const Payload& pl)
{
    Material* m = Current(L, L.materialTail, L.materialLost);
    if (!m) return;
    switch (id) {
    case 0x201: ReadText(L, pl, m->name); break;
    case 0x202: ReadInts(L, pl, m->ambient, 3); break;
    case 0x203: ReadInts(L, pl, m->diffuse, 3); break;
    case 0x204: ReadInts(L, pl, m->specular, 3); break;
    case 0x205: ReadInts(L, pl, &m->shininess, 1); break;
    case 0x206: ReadReal(L, pl, m->highlight); break;
    case 0x207: ReadReal(L, pl, m->textureBase); break;
    case 0x208: ReadReal(L, pl, m->textureLightGain); break;
    case 0x209: ReadReal(L, pl, m->textureColourMix); break;
    case 0x20a: ReadText(L, pl, m->textureName); break;
    case 0x20b: ReadText(L, pl, m->secondMapName); break;
    case 0x20c: ReadSteps(L, pl, m->frameTrack); break;
    case 0x20d: ReadTrack(L, pl, m->opacityTrack); break;
    default: break;
    }
}

void ReadLightField(Loader& L, uint32_t id, const Payload& pl)
{
    SceneLight* light = Current(L, L.lightTail, L.lightLost);
    if (!light) return;
    switch (id) {
    case 0x301: ReadText(L, pl, light->name); break;
    case 0x302: ReadInts(L, pl, &light->tag, 1); break;
    case 0x303: ReadTrack(L, pl, light->positionTrack); break;
    case 0x304: ReadTrack(L, pl, light->extraTrack); break;
    case 0x305: ReadTrack(L, pl, light->targetTrack); break;
    case 0x306: ReadTrack(L, pl, light->intensityTrack); break;
    case 0x307: if (Need(L, pl, 4)) light->parentStored = ReadLe32(pl.p); break;
    default: break;
    }
}

void ReadFlareField(Loader& L, uint32_t id, const Payload& pl)
{
    SceneFlare* flare = Current(L, L.flareTail, L.flareLost);
    if (!flare) return;
    switch (id) {
    case 0x401: ReadText(L, pl, flare->name); break;
    case 0x402: ReadInts(L, pl, &flare->tag, 1); break;
    case 0x403: ReadReal(L, pl, flare->size); break;
    case 0x404: ReadInts(L, pl, &flare->flag, 1); break;
    case 0x405: ReadTrack(L, pl, flare->positionTrack); break;
    case 0x406: ReadTrack(L, pl, flare->colourTrack); break;
    case 0x407: ReadToggles(L, pl, flare->visibilityToggles); break;
    case 0x408: ReadText(L, pl, flare->pictureName); break;
    case 0x409: ReadTrack(L, pl, flare->sizeTrack); break;
    case 0x40a: if (Need(L, pl, 4)) flare->parentStored = ReadLe32(pl.p); break;
    default: break;
    }
}

void ReadCameraField(Loader& L, uint32_t id, const Payload& pl)
{
    SceneCamera* camera = Current(L, L.cameraTail, L.cameraLost);
    if (!camera) return;
    switch (id) {
    case 0x501: ReadText(L, pl, camera->name); break;
    case 0x502: ReadInts(L, pl, &camera->tag, 1); break;
    case 0x503: ReadTrack(L, pl, camera->positionTrack); break;
    case 0x504: ReadTrack(L, pl, camera->fovTrack); break;
    case 0x505: ReadTrack(L, pl, camera->rollTrack); break;
    case 0x506: ReadTrack(L, pl, camera->targetTrack); break;
    case 0x507: if (Need(L, pl, 4)) camera->parentStored = ReadLe32(pl.p); break;
    default: break;
    }
}

int32_t LegacyModeRow(int32_t code) { return FindRenderModeByLegacyCode(code); }

void ReadVertices(Loader& L, SceneObject* o, const Payload& pl)
{
    if (L.sawVertices || !Need(L, pl, 4)) {
        Refuse(L);
        return;
    }
    L.sawVertices = true;
    const uint32_t count = ReadLe32(pl.p);
    if (static_cast<uint64_t>(count) * 12 > pl.size - 4u) {
        Refuse(L);
        return;
    }
    if (count == 0) return;
    Vec3* vertices = AllocZeroed<Vec3>(count, 16);
    if (!vertices) {
        MemoryFailed(L);
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        vertices[i] = {ReadLeF32(pl.p + 4 + 12 * i), ReadLeF32(pl.p + 8 + 12 * i), ReadLeF32(pl.p + 12 + 12 * i)};
    }
    o->vertexCount = static_cast<int32_t>(count);
    o->vertices = vertices;
}

void ReadMapping(Loader& L, SceneObject* o, const Payload& pl)
{
    // The mapping has no count of its own: it needs the vertices first.
    if (!L.sawVertices || L.sawMapping) {
        Refuse(L);
        return;
    }
    L.sawMapping = true;
    if (!o->vertices) return; // no vertices, or they could not be allocated
    const uint32_t count = static_cast<uint32_t>(o->vertexCount);
    if (!Need(L, pl, static_cast<uint64_t>(count) * 8)) return;
    float* mapping = AllocZeroed<float>(static_cast<uint64_t>(count) * 2, 16);
    if (!mapping) {
        MemoryFailed(L);
        return;
    }
    for (uint32_t i = 0; i < count * 2; ++i) mapping[i] = ReadLeF32(pl.p + 4 * i);
    o->mapping = mapping;
}

void ReadFaces(Loader& L, SceneObject* o, const Payload& pl)
{
    if (L.sawFaces || !Need(L, pl, 4)) {
        Refuse(L);
        return;
    }
    L.sawFaces = true;
    const uint32_t count = ReadLe32(pl.p);
    if (static_cast<uint64_t>(count) * 16 > pl.size - 4u) {
        Refuse(L);
        return;
    }
    L.facesDeclared = count;
    // Material indices are checked even when the faces cannot be kept.
    for (uint32_t i = 0; i < count; ++i) {
        if (ReadLe32(pl.p + 4 + 16 * i) >= static_cast<uint32_t>(L.materialsOpened)) {
            Refuse(L);
            return;
        }
    }
    if (count == 0) return;
    SceneFace* faces = AllocZeroed<SceneFace>(count);
    if (!faces) {
        MemoryFailed(L);
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* f = pl.p + 4 + 16 * i;
        faces[i].material = RecordAt(L.state.scene.materials, ReadLeI32(f));
        faces[i].a = ReadLeI32(f + 4);
        faces[i].b = ReadLeI32(f + 8);
        faces[i].c = ReadLeI32(f + 12);
    }
    o->faceCount = static_cast<int32_t>(count);
    o->faces = faces;
}

void ReadEdges(Loader& L, SceneObject* o, const Payload& pl)
{
    if (!L.sawFaces || L.sawEdges || !Need(L, pl, 8)) {
        Refuse(L);
        return;
    }
    L.sawEdges = true;
    const uint32_t edgeCount = ReadLe32(pl.p);
    const uint32_t flagCount = ReadLe32(pl.p + 4);
    if (static_cast<uint64_t>(edgeCount) * 20 + static_cast<uint64_t>(flagCount) * 8 > pl.size - 8u) {
        Refuse(L);
        return;
    }
    // Face indices name faces of this object (as the file declares them, even when they
    // could not be kept); -1 leaves the second face open.
    const uint32_t faceCount = L.facesDeclared;
    for (uint32_t i = 0; i < edgeCount; ++i) {
        const uint8_t* e = pl.p + 8 + 20 * i;
        const int32_t faceA = ReadLeI32(e + 8), faceB = ReadLeI32(e + 12);
        const bool faceAOk = faceA >= 0 && static_cast<uint32_t>(faceA) < faceCount;
        const bool faceBOk = faceB == -1 || (faceB >= 0 && static_cast<uint32_t>(faceB) < faceCount);
        if (!faceAOk || !faceBOk) {
            Refuse(L);
            return;
        }
    }
    if (edgeCount > 0 && o->faces) {
        SceneEdge* edges = AllocZeroed<SceneEdge>(edgeCount);
        if (!edges) {
            MemoryFailed(L);
        } else {
            for (uint32_t i = 0; i < edgeCount; ++i) {
                const uint8_t* e = pl.p + 8 + 20 * i;
                edges[i].vertexA = ReadLeI32(e);
                edges[i].vertexB = ReadLeI32(e + 4);
                edges[i].faceA = &o->faces[ReadLeI32(e + 8)];
                const int32_t faceB = ReadLeI32(e + 12);
                edges[i].faceB = faceB == -1 ? nullptr : &o->faces[faceB];
                edges[i].crease = ReadLeF32(e + 16);
            }
            o->edgeCount = static_cast<int32_t>(edgeCount);
            o->edges = edges;
        }
    }
    CopySteps(L, pl.p + 8 + 20 * edgeCount, flagCount, o->flagTrack);
}

void ReadObjectField(Loader& L, uint32_t id, const Payload& pl)
{
    SceneObject* o = Current(L, L.objectTail, L.objectLost);
    if (!o) return;
    const uint32_t version = L.state.version;
    switch (id) {
    case 0x601: ReadText(L, pl, o->name); break;
    case 0x602: ReadInts(L, pl, &o->tag, 1); break;
    case 0x603:
        if (!Need(L, pl, 4)) break;
        o->renderMode = ReadLeI32(pl.p);
        if (version < 0x7f0) o->renderMode = LegacyModeRow(o->renderMode);
        break;
    case 0x604: ReadVertices(L, o, pl); break;
    case 0x605: ReadMapping(L, o, pl); break;
    case 0x606: ReadFaces(L, o, pl); break;
    case 0x607:
        if (!Need(L, pl, 16)) break;
        o->boundCentre = {ReadLeF32(pl.p), ReadLeF32(pl.p + 4), ReadLeF32(pl.p + 8)};
        o->boundRadius = ReadLeF32(pl.p + 12);
        break;
    case 0x608:
        if (!Need(L, pl, 8)) break;
        o->number = ReadLeI32(pl.p);
        o->parentStored = ReadLeI32(pl.p + 4);
        break;
    case 0x609:
        if (Need(L, pl, 12)) o->pivot = {ReadLeF32(pl.p), ReadLeF32(pl.p + 4), ReadLeF32(pl.p + 8)};
        break;
    case 0x60a: ReadTrack(L, pl, o->positionTrack); break;
    case 0x60b: ReadTrack(L, pl, o->rotationTrack); break;
    case 0x60c: ReadTrack(L, pl, o->scaleTrack); break;
    case 0x60d: ReadToggles(L, pl, o->hideToggles); break;
    case 0x60e: ReadMorphTrack(L, pl, o->morphTrack); break;
    case 0x60f:
        ReadSteps(L, pl, o->switchTrack);
        if (version < 0x400) {
            for (int32_t i = 0; i < o->switchTrack.count; ++i) {
                StepKey& k = o->switchTrack.keys[i];
                k.value = RealBits(StepReal(k) == 10.0f ? 0.0f : 1.0f);
            }
        }
        break;
    case 0x610:
        ReadSteps(L, pl, o->modeTrack);
        if (version < 0x7f0) {
            for (int32_t i = 0; i < o->modeTrack.count; ++i) {
                StepKey& k = o->modeTrack.keys[i];
                k.value = RealBits(static_cast<float>(LegacyModeRow(TruncateToInt(StepReal(k)))));
            }
        }
        break;
    case 0x611: ReadToggles(L, pl, o->cullToggles); break;
    case 0x612: ReadEdges(L, o, pl); break;
    case 0x613: ReadTrack(L, pl, o->uvTrack); break;
    case 0x614: ReadSteps(L, pl, o->targetTrack); break;
    default: break;
    }
}

void ReadEventList(Loader& L, uint32_t begin, uint32_t end, int depth)
{
    const Payload pl{L.data + begin, end - begin};
    if (!Need(L, pl, 4)) return;
    const uint32_t count = ReadLe32(pl.p);
    // Every event is a chunk of at least 8 bytes.
    if (count > (pl.size - 4u) / 8u) {
        Refuse(L);
        return;
    }
    Scene& s = L.state.scene;
    PoolFree(s.events);
    s.events = nullptr;
    s.eventCount = 0;
    L.eventsDeclared = static_cast<int32_t>(count);
    L.eventsFilled = 0;
    L.eventsLost = false;
    if (count > 0) {
        s.events = AllocZeroed<SceneEvent>(count);
        if (!s.events) {
            MemoryFailed(L);
            L.eventsLost = true;
        }
    }
    Walk(L, begin + 4, end, depth + 1);
}

void ReadEvent(Loader& L, uint32_t id, const Payload& pl)
{
    static constexpr uint32_t kPayloadBytes[5] = {12, 12, 12, 20, 16};
    if (L.eventsFilled >= L.eventsDeclared) {
        Refuse(L); // more events than the event chunk declared, or none declared
        return;
    }
    if (!Need(L, pl, kPayloadBytes[id - 0x701])) return;
    Scene& s = L.state.scene;
    SceneEvent event{};
    event.frame = ReadLeF32(pl.p);
    event.kind = ReadLeI32(pl.p + 4);
    event.chunkId = id;
    event.a = ReadLe32(pl.p + 8);
    if (id == 0x701) {
        if (event.a >= static_cast<uint32_t>(s.cameraCount)) return Refuse(L);
        event.camera = RecordAt(s.cameras, static_cast<int32_t>(event.a));
    } else if (id == 0x702) {
        if (event.a >= static_cast<uint32_t>(s.lightCount)) return Refuse(L);
        event.light = RecordAt(s.lights, static_cast<int32_t>(event.a));
    } else if (id == 0x704) {
        event.b = ReadLe32(pl.p + 12);
        event.c = ReadLe32(pl.p + 16);
    } else if (id == 0x705) {
        event.b = ReadLe32(pl.p + 12);
    }
    if (L.eventsLost) {
        ++L.eventsFilled;
        return;
    }
    s.events[L.eventsFilled++] = event;
    s.eventCount = L.eventsFilled;
}

void ResetScene(Loader& L)
{
    Scene& s = L.state.scene;
    char* fsf = s.fsfPath;
    char* folder = s.folderPath;
    char* dat = s.datPath;
    s.fsfPath = s.folderPath = s.datPath = nullptr;
    FreeScene(&s);
    s.fsfPath = fsf;
    s.folderPath = folder;
    s.datPath = dat;
    Loader fresh;
    fresh.data = L.data;
    fresh.size = L.size;
    fresh.state.scene = s;
    fresh.state.error = L.state.error;
    L = fresh;
}

void ReadChunk(Loader& L, uint32_t id, uint32_t begin, uint32_t end, int depth)
{
    Scene& s = L.state.scene;
    const Payload pl{L.data + begin, end - begin};
    switch (id) {
    case 0x0001:
        ResetScene(L);
        Walk(L, begin, end, depth + 1);
        return;
    case 0x00ff:
        if (Need(L, pl, 4)) L.state.version = ReadLe32(pl.p);
        return;
    case 0x0100: {
        int32_t info[3];
        ReadInts(L, pl, info, 3);
        if (!L.malformed) {
            s.infoA = info[0];
            s.infoB = info[1];
            s.lastFrame = info[2];
        }
        return;
    }
    case 0x0200:
        ++L.materialsOpened;
        if (Material* m = AppendRecord(L, s.materials, L.materialTail, s.materialCount, L.materialLost)) {
            m->shininess = 5;
            m->highlight = 0.5f;
            m->textureBase = 1.0f;
            m->textureLightGain = 3.0f;
            m->textureColourMix = 0.0f;
        }
        Walk(L, begin, end, depth + 1);
        return;
    case 0x0300:
        if (SceneLight* light = AppendRecord(L, s.lights, L.lightTail, s.lightCount, L.lightLost)) {
            light->parentStored = 0xFFFFFFFFu;
        }
        Walk(L, begin, end, depth + 1);
        return;
    case 0x0400:
        if (SceneFlare* flare = AppendRecord(L, s.flares, L.flareTail, s.flareCount, L.flareLost)) {
            flare->size = 10.0f;
            flare->parentStored = 0xFFFFFFFFu;
        }
        Walk(L, begin, end, depth + 1);
        return;
    case 0x0500:
        if (SceneCamera* camera = AppendRecord(L, s.cameras, L.cameraTail, s.cameraCount, L.cameraLost)) {
            camera->parentStored = 0xFFFFFFFFu;
        }
        Walk(L, begin, end, depth + 1);
        return;
    case 0x0600:
        L.sawVertices = L.sawMapping = L.sawFaces = L.sawEdges = false;
        L.facesDeclared = 0;
        if (SceneObject* o = AppendRecord(L, s.objects, L.objectTail, s.objectCount, L.objectLost)) {
            o->matrix = IdentityMatrix();
            o->number = -1;
            o->parentStored = -1;
        }
        Walk(L, begin, end, depth + 1);
        return;
    case 0x0700:
        ReadEventList(L, begin, end, depth);
        return;
    default:
        break;
    }
    if (id >= 0x201 && id <= 0x20d) return ReadMaterialField(L, id, pl);
    if (id >= 0x301 && id <= 0x307) return ReadLightField(L, id, pl);
    if (id >= 0x401 && id <= 0x40a) return ReadFlareField(L, id, pl);
    if (id >= 0x501 && id <= 0x507) return ReadCameraField(L, id, pl);
    if (id >= 0x601 && id <= 0x614) return ReadObjectField(L, id, pl);
    if (id >= 0x701 && id <= 0x705) return ReadEvent(L, id, pl);
    // Any other id is not part of the format and is skipped by its size.
}

// Reads the chunks that fill bytes begin .. end - 1.
void Walk(Loader& L, uint32_t begin, uint32_t end, int depth)
{
    if (depth > kMaxChunkDepth) return Refuse(L);
    uint32_t offset = begin;
    while (offset < end && !L.malformed) {
        if (end - offset < 8) return Refuse(L);
        const uint32_t id = ReadLe32(L.data + offset);
        const uint32_t size = ReadLe32(L.data + offset + 4);
        if (size < 8 || size > end - offset) return Refuse(L);
        ReadChunk(L, id, offset + 8, offset + size, depth);
        offset += size;
    }
}

// Checks every vertex index of faces and edges against the vertex array. After a memory
// failure an object whose data is incomplete loses its faces and edges instead.
void CheckIndices(Loader& L)
{
    for (SceneObject* o = L.state.scene.objects; o; o = o->next) {
        const uint32_t n = static_cast<uint32_t>(o->vertexCount);
        bool consistent = true;
        for (int32_t i = 0; i < o->faceCount && consistent; ++i) {
            const SceneFace& f = o->faces[i];
            consistent = static_cast<uint32_t>(f.a) < n && static_cast<uint32_t>(f.b) < n &&
                         static_cast<uint32_t>(f.c) < n && f.material;
        }
        for (int32_t i = 0; i < o->edgeCount && consistent; ++i) {
            consistent = static_cast<uint32_t>(o->edges[i].vertexA) < n &&
                         static_cast<uint32_t>(o->edges[i].vertexB) < n;
        }
        if (consistent) continue;
        if (L.state.error != kSceneMemoryError) return Refuse(L);
        PoolFree(o->faces);
        PoolFree(o->edges);
        o->faces = nullptr;
        o->edges = nullptr;
        o->faceCount = o->edgeCount = 0;
    }
}

char* CopyText(const char* text, size_t length, size_t room)
{
    char* copy = static_cast<char*>(PoolAlloc(static_cast<uint32_t>(room), 1));
    if (!copy) return nullptr;
    std::memcpy(copy, text, length);
    copy[length] = 0;
    return copy;
}

// fsfPath, datPath and folderPath of a scene name. False when an allocation failed.
bool BuildPaths(Scene& s, const char* name)
{
    const size_t length = std::strlen(name);
    size_t stem = length;
    for (size_t i = length; i > 0; --i) {
        const char c = name[i - 1];
        if (c == '\\') break;
        if (c == '.') {
            stem = i - 1;
            break;
        }
    }
    size_t folder = 0;
    for (size_t i = length; i > 0; --i) {
        if (name[i - 1] == '\\') {
            folder = i;
            break;
        }
    }
    s.fsfPath = CopyText(name, stem, length + 6);
    s.datPath = CopyText(name, stem, length + 6);
    s.folderPath = CopyText(name, folder, length + 1);
    if (!s.fsfPath || !s.datPath || !s.folderPath) return false;
    std::memcpy(s.fsfPath + stem, ".FSF", 5);
    std::memcpy(s.datPath + stem, ".DAT\\", 6);
    return true;
}

template <class T>
void FreeList(T* head, void (*each)(T*))
{
    while (head) {
        T* next = head->next;
        each(head);
        PoolFree(head);
        head = next;
    }
}

void FreeMaterial(Material* m)
{
    PoolFree(m->frameTrack.keys);
    PoolFree(m->opacityTrack.keys);
    ReleaseMaterialTables(m);
}

void FreeLight(SceneLight* light)
{
    PoolFree(light->positionTrack.keys);
    PoolFree(light->intensityTrack.keys);
    PoolFree(light->extraTrack.keys);
    PoolFree(light->targetTrack.keys);
}

void FreeFlare(SceneFlare* flare)
{
    PoolFree(flare->sizeTrack.keys);
    PoolFree(flare->positionTrack.keys);
    PoolFree(flare->colourTrack.keys);
    PoolFree(flare->visibilityToggles.frames);
    PoolFree(flare->picture);
}

void FreeCamera(SceneCamera* camera)
{
    PoolFree(camera->positionTrack.keys);
    PoolFree(camera->fovTrack.keys);
    PoolFree(camera->rollTrack.keys);
    PoolFree(camera->targetTrack.keys);
    PoolFree(camera->targetColour);
    PoolFree(camera->targetDepth);
}

void FreeObject(SceneObject* o)
{
    PoolFree(o->vertices);
    PoolFree(o->mapping);
    PoolFree(o->vertexNormals);
    PoolFree(o->faces);
    PoolFree(o->positionTrack.keys);
    PoolFree(o->rotationTrack.keys);
    PoolFree(o->scaleTrack.keys);
    PoolFree(o->hideToggles.frames);
    PoolFree(o->morphTrack.keys);
    PoolFree(o->modeTrack.keys);
    PoolFree(o->cullToggles.frames);
    PoolFree(o->switchTrack.keys);
    PoolFree(o->edges);
    PoolFree(o->flagTrack.keys);
    PoolFree(o->uvTrack.keys);
    PoolFree(o->targetTrack.keys);
}

} // namespace

int32_t TruncateToInt(float value)
{
    if (!(value > -2147483648.0f && value < 2147483648.0f)) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

SceneObject* ResolveObjectReference(SceneObject* objects, uint32_t value, uint32_t version)
{
    if (value == 0xFFFFFFFFu) return nullptr;
    if (version < 0x610) {
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
    SetEngineScene(scene);
    return L.state.error;
}

void FreeScene(Scene* scene)
{
    if (!scene) return;
    if (EngineScene() == scene) SetEngineScene(nullptr);
    PoolFree(scene->fsfPath);
    PoolFree(scene->folderPath);
    PoolFree(scene->datPath);
    FreeList(scene->materials, FreeMaterial);
    FreeList(scene->lights, FreeLight);
    FreeList(scene->flares, FreeFlare);
    FreeList(scene->cameras, FreeCamera);
    FreeList(scene->objects, FreeObject);
    PoolFree(scene->events);
    *scene = Scene{};
}
