// The chunk table of scene files: what each chunk id fills in, with the conversions of older
// file versions, and the walk over nested chunks.
#include "engine/render_modes.h"
#include "engine/scene/math_types.h"
#include "engine/scene/scene_chunks.h"
#include "engine/scene/scene_files.h"
#include "engine/scene/scene_reading.h"

namespace scene_reading {
namespace {

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

void ReadMaterialField(Loader& L, uint32_t id, const Payload& pl)
{
    Material* m = Current(L, L.materialTail, L.materialLost);
    if (!m) return;
    switch (id) {
    case kFsfMaterialName: ReadText(L, pl, m->name); break;
    case kFsfMaterialAmbient: ReadInts(L, pl, m->ambient, 3); break;
    case kFsfMaterialDiffuse: ReadInts(L, pl, m->diffuse, 3); break;
    case kFsfMaterialSpecular: ReadInts(L, pl, m->specular, 3); break;
    case kFsfMaterialShininess: ReadInts(L, pl, &m->shininess, 1); break;
    case kFsfMaterialHighlight: ReadReal(L, pl, m->highlight); break;
    case kFsfMaterialTextureBase: ReadReal(L, pl, m->textureBase); break;
    case kFsfMaterialTextureLightGain: ReadReal(L, pl, m->textureLightGain); break;
    case kFsfMaterialTextureColourMix: ReadReal(L, pl, m->textureColourMix); break;
    case kFsfMaterialTextureName: ReadText(L, pl, m->textureName); break;
    case kFsfMaterialSecondMapName: ReadText(L, pl, m->secondMapName); break;
    case kFsfMaterialFrameTrack: ReadSteps(L, pl, m->frameTrack); break;
    case kFsfMaterialOpacityTrack: ReadTrack(L, pl, m->opacityTrack); break;
    default: break;
    }
}

void ReadLightField(Loader& L, uint32_t id, const Payload& pl)
{
    SceneLight* light = Current(L, L.lightTail, L.lightLost);
    if (!light) return;
    switch (id) {
    case kFsfLightName: ReadText(L, pl, light->name); break;
    case kFsfLightTag: ReadInts(L, pl, &light->tag, 1); break;
    case kFsfLightPositionTrack: ReadTrack(L, pl, light->positionTrack); break;
    case kFsfLightExtraTrack: ReadTrack(L, pl, light->extraTrack); break;
    case kFsfLightTargetTrack: ReadTrack(L, pl, light->targetTrack); break;
    case kFsfLightIntensityTrack: ReadTrack(L, pl, light->intensityTrack); break;
    case kFsfLightParent: if (Need(L, pl, 4)) light->parentStored = ReadLe32(pl.p); break;
    default: break;
    }
}

void ReadFlareField(Loader& L, uint32_t id, const Payload& pl)
{
    SceneFlare* flare = Current(L, L.flareTail, L.flareLost);
    if (!flare) return;
    switch (id) {
    case kFsfFlareName: ReadText(L, pl, flare->name); break;
    case kFsfFlareTag: ReadInts(L, pl, &flare->tag, 1); break;
    case kFsfFlareSize: ReadReal(L, pl, flare->size); break;
    case kFsfFlareFlag: ReadInts(L, pl, &flare->flag, 1); break;
    case kFsfFlarePositionTrack: ReadTrack(L, pl, flare->positionTrack); break;
    case kFsfFlareColourTrack: ReadTrack(L, pl, flare->colourTrack); break;
    case kFsfFlareVisibilityToggles: ReadToggles(L, pl, flare->visibilityToggles); break;
    case kFsfFlarePictureName: ReadText(L, pl, flare->pictureName); break;
    case kFsfFlareSizeTrack: ReadTrack(L, pl, flare->sizeTrack); break;
    case kFsfFlareParent: if (Need(L, pl, 4)) flare->parentStored = ReadLe32(pl.p); break;
    default: break;
    }
}

void ReadCameraField(Loader& L, uint32_t id, const Payload& pl)
{
    SceneCamera* camera = Current(L, L.cameraTail, L.cameraLost);
    if (!camera) return;
    switch (id) {
    case kFsfCameraName: ReadText(L, pl, camera->name); break;
    case kFsfCameraTag: ReadInts(L, pl, &camera->tag, 1); break;
    case kFsfCameraPositionTrack: ReadTrack(L, pl, camera->positionTrack); break;
    case kFsfCameraFovTrack: ReadTrack(L, pl, camera->fovTrack); break;
    case kFsfCameraRollTrack: ReadTrack(L, pl, camera->rollTrack); break;
    case kFsfCameraTargetTrack: ReadTrack(L, pl, camera->targetTrack); break;
    case kFsfCameraParent: if (Need(L, pl, 4)) camera->parentStored = ReadLe32(pl.p); break;
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
    if (static_cast<uint64_t>(count) * kFsfVertexBytes > pl.size - 4u) {
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
    if (static_cast<uint64_t>(count) * kFsfFaceBytes > pl.size - 4u) {
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
    if (static_cast<uint64_t>(edgeCount) * kFsfEdgeBytes + static_cast<uint64_t>(flagCount) * kFsfStepKeyBytes > pl.size - 8u) {
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
    case kFsfObjectName: ReadText(L, pl, o->name); break;
    case kFsfObjectTag: ReadInts(L, pl, &o->tag, 1); break;
    case kFsfObjectRenderMode:
        if (!Need(L, pl, 4)) break;
        o->renderMode = ReadLeI32(pl.p);
        if (version < kFsfNewestVersion) o->renderMode = LegacyModeRow(o->renderMode);
        break;
    case kFsfObjectVertices: ReadVertices(L, o, pl); break;
    case kFsfObjectMapping: ReadMapping(L, o, pl); break;
    case kFsfObjectFaces: ReadFaces(L, o, pl); break;
    case kFsfObjectBounds:
        if (!Need(L, pl, 16)) break;
        o->boundCentre = {ReadLeF32(pl.p), ReadLeF32(pl.p + 4), ReadLeF32(pl.p + 8)};
        o->boundRadius = ReadLeF32(pl.p + 12);
        break;
    case kFsfObjectNumber:
        if (!Need(L, pl, 8)) break;
        o->number = ReadLeI32(pl.p);
        o->parentStored = ReadLeI32(pl.p + 4);
        break;
    case kFsfObjectPivot:
        if (Need(L, pl, 12)) o->pivot = {ReadLeF32(pl.p), ReadLeF32(pl.p + 4), ReadLeF32(pl.p + 8)};
        break;
    case kFsfObjectPositionTrack: ReadTrack(L, pl, o->positionTrack); break;
    case kFsfObjectRotationTrack: ReadTrack(L, pl, o->rotationTrack); break;
    case kFsfObjectScaleTrack: ReadTrack(L, pl, o->scaleTrack); break;
    case kFsfObjectHideToggles: ReadToggles(L, pl, o->hideToggles); break;
    case kFsfObjectMorphTrack: ReadMorphTrack(L, pl, o->morphTrack); break;
    case kFsfObjectSwitchTrack:
        ReadSteps(L, pl, o->switchTrack);
        if (version < kFsfSwitchRealsVersion) {
            for (int32_t i = 0; i < o->switchTrack.count; ++i) {
                StepKey& k = o->switchTrack.keys[i];
                k.value = RealBits(StepReal(k) == 10.0f ? 0.0f : 1.0f);
            }
        }
        break;
    case kFsfObjectModeTrack:
        ReadSteps(L, pl, o->modeTrack);
        if (version < kFsfNewestVersion) {
            for (int32_t i = 0; i < o->modeTrack.count; ++i) {
                StepKey& k = o->modeTrack.keys[i];
                k.value = RealBits(static_cast<float>(LegacyModeRow(TruncateToInt(StepReal(k)))));
            }
        }
        break;
    case kFsfObjectCullToggles: ReadToggles(L, pl, o->cullToggles); break;
    case kFsfObjectEdges: ReadEdges(L, o, pl); break;
    case kFsfObjectUvTrack: ReadTrack(L, pl, o->uvTrack); break;
    case kFsfObjectTargetTrack: ReadSteps(L, pl, o->targetTrack); break;
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
    if (L.eventsFilled >= L.eventsDeclared) {
        Refuse(L); // more events than the event chunk declared, or none declared
        return;
    }
    if (!Need(L, pl, kFsfEventPayloadBytes[id - kFsfCameraEvent])) return;
    Scene& s = L.state.scene;
    SceneEvent event{};
    event.frame = ReadLeF32(pl.p);
    event.kind = ReadLeI32(pl.p + 4);
    event.chunkId = id;
    event.a = ReadLe32(pl.p + 8);
    if (id == kFsfCameraEvent) {
        if (event.a >= static_cast<uint32_t>(s.cameraCount)) return Refuse(L);
        event.camera = RecordAt(s.cameras, static_cast<int32_t>(event.a));
    } else if (id == kFsfLightEvent) {
        if (event.a >= static_cast<uint32_t>(s.lightCount)) return Refuse(L);
        event.light = RecordAt(s.lights, static_cast<int32_t>(event.a));
    } else if (id == kFsfBackgroundEvent) {
        event.b = ReadLe32(pl.p + 12);
        event.c = ReadLe32(pl.p + 16);
    } else if (id == kFsfFogEvent) {
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
    case kFsfRoot:
        ResetScene(L);
        Walk(L, begin, end, depth + 1);
        return;
    case kFsfVersion:
        if (Need(L, pl, 4)) L.state.version = ReadLe32(pl.p);
        return;
    case kFsfSceneInfo: {
        int32_t info[3];
        ReadInts(L, pl, info, 3);
        if (!L.malformed) {
            s.infoA = info[0];
            s.infoB = info[1];
            s.lastFrame = info[2];
        }
        return;
    }
    case kFsfMaterial:
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
    case kFsfLight:
        if (SceneLight* light = AppendRecord(L, s.lights, L.lightTail, s.lightCount, L.lightLost)) {
            light->parentStored = 0xFFFFFFFFu;
        }
        Walk(L, begin, end, depth + 1);
        return;
    case kFsfFlare:
        if (SceneFlare* flare = AppendRecord(L, s.flares, L.flareTail, s.flareCount, L.flareLost)) {
            flare->size = 10.0f;
            flare->parentStored = 0xFFFFFFFFu;
        }
        Walk(L, begin, end, depth + 1);
        return;
    case kFsfCamera:
        if (SceneCamera* camera = AppendRecord(L, s.cameras, L.cameraTail, s.cameraCount, L.cameraLost)) {
            camera->parentStored = 0xFFFFFFFFu;
        }
        Walk(L, begin, end, depth + 1);
        return;
    case kFsfObject:
        L.sawVertices = L.sawMapping = L.sawFaces = L.sawEdges = false;
        L.facesDeclared = 0;
        if (SceneObject* o = AppendRecord(L, s.objects, L.objectTail, s.objectCount, L.objectLost)) {
            o->matrix = IdentityMatrix();
            o->number = -1;
            o->parentStored = -1;
        }
        Walk(L, begin, end, depth + 1);
        return;
    case kFsfEvents:
        ReadEventList(L, begin, end, depth);
        return;
    default:
        break;
    }
    if (id > kFsfMaterial && id <= kFsfLastMaterialField) return ReadMaterialField(L, id, pl);
    if (id > kFsfLight && id <= kFsfLastLightField) return ReadLightField(L, id, pl);
    if (id > kFsfFlare && id <= kFsfLastFlareField) return ReadFlareField(L, id, pl);
    if (id > kFsfCamera && id <= kFsfLastCameraField) return ReadCameraField(L, id, pl);
    if (id > kFsfObject && id <= kFsfLastObjectField) return ReadObjectField(L, id, pl);
    if (id > kFsfEvents && id <= kFsfLastEvent) return ReadEvent(L, id, pl);
    // Any other id is not part of the format and is skipped by its size.
}

} // namespace

void Walk(Loader& L, uint32_t begin, uint32_t end, int depth)
{
    if (depth > kMaxChunkDepth) return Refuse(L);
    uint32_t offset = begin;
    while (offset < end && !L.malformed) {
        if (end - offset < kFsfChunkHeaderBytes) return Refuse(L);
        const uint32_t id = ReadLe32(L.data + offset);
        const uint32_t size = ReadLe32(L.data + offset + 4);
        if (size < kFsfChunkHeaderBytes || size > end - offset) return Refuse(L);
        ReadChunk(L, id, offset + kFsfChunkHeaderBytes, offset + size, depth);
        offset += size;
    }
}

} // namespace scene_reading
