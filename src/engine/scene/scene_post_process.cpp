// What a scene load does after reading the chunks: references to objects, face normals,
// and the per-object preparation each render mode needs.
#include <cstring>

#include "engine/render_modes.h"
#include "engine/scene/scene_files.h"
#include "engine/scene/scene_loading.h"
#include "resources/memory_pool.h"

namespace {

void ComputeFaceNormals(SceneObject& o)
{
    for (int32_t i = 0; i < o.faceCount; ++i) {
        SceneFace& f = o.faces[i];
        const Vec3 a = o.vertices[f.a], b = o.vertices[f.b], c = o.vertices[f.c];
        f.normal = Normalise(Cross(b - a, c - a));
    }
}

// Gives a camera a 256x256 render-to-texture target unless it has one.
bool GiveCameraTarget(SceneCamera& camera)
{
    if (camera.targetSize != 0) return true;
    auto* colour = static_cast<uint16_t*>(PoolAlloc(256 * 256 * 2, 131072));
    auto* depth = static_cast<uint32_t*>(PoolAlloc(256 * 256 * 4, 16));
    if (!colour || !depth) {
        PoolFree(colour);
        PoolFree(depth);
        return false;
    }
    std::memset(colour, 0, 256 * 256 * 2);
    std::memset(depth, 0, 256 * 256 * 4);
    camera.targetColour = colour;
    camera.targetDepth = depth;
    camera.targetSize = 256;
    camera.targetStamp = 0;
    return true;
}

} // namespace

bool BuildVertexNormals(SceneObject& o)
{
    PoolFree(o.vertexNormals);
    o.vertexNormals = nullptr;
    if (o.vertexCount <= 0 || !o.vertices) return true;
    auto* normals = static_cast<Vec3*>(PoolAlloc(static_cast<uint32_t>(o.vertexCount) * sizeof(Vec3), 16));
    if (!normals) return false;
    for (int32_t i = 0; i < o.vertexCount; ++i) normals[i] = {0.0f, 0.0f, 0.0f};
    for (int32_t i = 0; i < o.faceCount; ++i) {
        const SceneFace& f = o.faces[i];
        normals[f.a] = normals[f.a] + f.normal;
        normals[f.b] = normals[f.b] + f.normal;
        normals[f.c] = normals[f.c] + f.normal;
    }
    for (int32_t i = 0; i < o.vertexCount; ++i) normals[i] = Normalise(normals[i]);
    o.vertexNormals = normals;
    return true;
}

bool PrepareObjectForMode(Scene& scene, SceneObject& o, int32_t mode)
{
    if (o.faceCount <= 0) return true;
    if (scene.cameras) {
        for (int32_t i = 0; i < o.targetTrack.count; ++i) {
            const uint32_t value = o.targetTrack.keys[i].value;
            if (!(value & 0x80000000u)) continue;
            // Steps wrap from the last camera to the first.
            const int32_t steps = static_cast<int32_t>(value & 0xFF) % scene.cameraCount;
            if (!GiveCameraTarget(*RecordAt(scene.cameras, steps))) return false;
        }
    }
    const RenderMode* row = RenderModeRow(mode);
    if (!row) return true;
    const uint8_t map = KeyMap(row->key);
    if (map == kMapEnvma || map == kMapEnvtr || KeyShade(row->key) == kShadeGoura) {
        if (!BuildVertexNormals(o)) return false;
        for (int32_t k = o.morphTrack.keyCount - 1; k >= 0; --k) {
            SceneObject* target = o.morphTrack.keys[k].target;
            if (target && !BuildVertexNormals(*target)) return false;
        }
    }
    return true;
}

int32_t PostProcessScene(SceneLoadState& state)
{
    Scene& s = state.scene;
    const uint32_t version = state.version;
    for (SceneFlare* f = s.flares; f; f = f->next) f->parent = ResolveObjectReference(s.objects, f->parentStored, version);
    for (SceneLight* l = s.lights; l; l = l->next) l->parent = ResolveObjectReference(s.objects, l->parentStored, version);
    for (SceneCamera* c = s.cameras; c; c = c->next) c->parent = ResolveObjectReference(s.objects, c->parentStored, version);
    for (SceneObject* o = s.objects; o; o = o->next) {
        o->parentNumber = ResolveObjectReference(s.objects, static_cast<uint32_t>(o->parentStored), version);
    }
    for (SceneObject* o = s.objects; o; o = o->next) ComputeFaceNormals(*o);
    for (SceneObject* o = s.objects; o; o = o->next) {
        for (int32_t k = 0; k < o->morphTrack.keyCount; ++k) {
            MorphKey& key = o->morphTrack.keys[k];
            key.target = ResolveObjectReference(s.objects, key.storedValue, version);
        }
    }
    for (SceneObject* o = s.objects; o; o = o->next) {
        if (!PrepareObjectForMode(s, *o, o->renderMode)) return 7;
        for (int32_t k = 0; k < o->modeTrack.count; ++k) {
            if (!PrepareObjectForMode(s, *o, TruncateToInt(StepReal(o->modeTrack.keys[k])))) return 7;
        }
    }
    return 0;
}
