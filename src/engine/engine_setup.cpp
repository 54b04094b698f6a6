// EngineInit and EngineRelease: the engine's geometry, tables and buffers for one scene.
#include <cmath>
#include <cstring>

#include "engine/engine_errors.h"
#include "engine/engine_setup.h"
#include "engine/engine_state.h"
#include "engine/flare_pictures.h"
#include "engine/material_preparation.h"
#include "engine/scene/scene_files.h"
#include "formats/pixel_format.h"
#include "resources/memory_pool.h"

EngineState engine;

namespace {

template <class T>
T* AllocArray(uint64_t count, uint32_t alignment)
{
    const uint64_t bytes = count * sizeof(T);
    if (count == 0 || bytes > 0xFFFFFFFFu) return nullptr;
    return static_cast<T*>(PoolAlloc(static_cast<uint32_t>(bytes), alignment));
}

void BuildGlowTable(uint8_t* glow)
{
    for (int y = 0; y < 256; ++y) {
        const float a = static_cast<float>(y) / 255.0f;
        for (int x = 0; x < 256; ++x) {
            const float u = static_cast<float>(x) / 255.0f;
            const float curve = u * u * (2.0f - u);
            float v = 255.0f * (a * u + (1.0f - a) * curve * curve);
            if (v < 0.0f) v = 0.0f;
            if (v > 255.0f) v = 255.0f;
            glow[256 * y + x] = static_cast<uint8_t>(static_cast<int32_t>(v) >> 2);
        }
    }
}

void BuildAngleRamp()
{
    // Worked in double and rounded once: level 127.5 at a right angle comes out exact.
    const double scale = 255.0 * 65536.0 / M_PI;
    for (int32_t k = -2048; k <= 2048; ++k) {
        int32_t entry;
        if (k < -1024) {
            entry = 15073280;
        } else if (k > 1024) {
            entry = 327680;
        } else {
            const double level = std::acos(static_cast<double>(k) / 1024.0) * scale;
            entry = static_cast<int32_t>(std::lround(level));
            if (entry < 327680) entry = 327680;
            if (entry > 15073280) entry = 15073280;
        }
        engine.angleRampTable[k - kAngleRampMin] = entry;
    }
}


// Work buffers and the node cache sized from the scene's objects. False on a memory failure.
bool AllocateObjectBuffers(const Scene* scene)
{
    int32_t largest = 0, largestMorph = 0, largestNumber = -1;
    for (const SceneObject* o = scene ? scene->objects : nullptr; o; o = o->next) {
        if (o->vertexCount > largest) largest = o->vertexCount;
        if (o->number > largestNumber) largestNumber = o->number;
        if (o->morphTrack.keyCount > 0) {
            // The morph buffers also cover every target, whose vertices are blended into them.
            if (o->vertexCount > largestMorph) largestMorph = o->vertexCount;
            for (int32_t k = 0; k < o->morphTrack.keyCount; ++k) {
                const SceneObject* t = o->morphTrack.keys[k].target;
                if (t && t->vertexCount > largestMorph) largestMorph = t->vertexCount;
            }
        }
    }
    if (largest > 0) {
        engine.work = AllocArray<uint8_t>(uint64_t{kWorkBytesPerVertex} * static_cast<uint32_t>(largest), 16);
        if (!engine.work) return false;
        engine.workVertices = largest;
    }
    if (largestMorph > 0) {
        engine.morphVertices = AllocArray<Vec3>(static_cast<uint32_t>(largestMorph), 16);
        engine.morphNormals = AllocArray<Vec3>(static_cast<uint32_t>(largestMorph), 16);
        if (!engine.morphVertices || !engine.morphNormals) return false;
    }
    const uint64_t nodes = static_cast<uint64_t>(largestNumber) + 1 > 0 ? static_cast<uint64_t>(largestNumber + int64_t{1}) : 1;
    engine.nodes = AllocArray<NodeTransform>(nodes, 16);
    if (!engine.nodes) return false;
    std::memset(engine.nodes, 0, nodes * sizeof(NodeTransform));
    engine.nodeCount = static_cast<int32_t>(nodes);
    return true;
}

void ReleaseBuffers()
{
    PoolFree(engine.glowTable);
    PoolFree(engine.depthBuffer);
    PoolFree(engine.work);
    PoolFree(engine.morphVertices);
    PoolFree(engine.morphNormals);
    PoolFree(engine.nodes);
    engine.glowTable = nullptr;
    engine.depthBuffer = nullptr;
    engine.work = nullptr;
    engine.workVertices = 0;
    engine.morphVertices = engine.morphNormals = nullptr;
    engine.nodes = nullptr;
    engine.nodeCount = 0;
}

} // namespace

void SetFieldOfView(int32_t a)
{
    engine.cosH = engine.sineTable[a + kCosineOffset];
    engine.sinH = engine.sineTable[a];
    engine.focal16 = engine.centreX16 / engine.sinH * engine.cosH;
    const float k = (engine.heightF / engine.widthF) * engine.sinH / engine.cosH;
    engine.cosV = 1.0f / std::sqrt(k * k + 1.0f);
    engine.sinV = k * engine.cosV;
    engine.fovAngle = a;
}

void SetViewGeometry(int32_t width, int32_t height)
{
    engine.width = width;
    engine.height = height;
    engine.widthF = static_cast<float>(width);
    engine.heightF = static_cast<float>(height);
    engine.clipX16 = width * 16;
    engine.clipY16 = height * 16;
    engine.centreX16 = engine.widthF * 8.0f;
    engine.centreY16 = engine.heightF * 8.0f - 8.0f;
}

void SetViewRows(int32_t width, int32_t height)
{
    engine.depthPitch = width * 4;
    engine.colourPitch = width * 2;
    for (int32_t y = 0; y < kMaxViewRows; ++y) {
        engine.depthRows[y] = y < height ? y * width * 4 : 0;
        engine.colourRows[y] = y < height ? y * width * 2 : 0;
    }
}

void SetEngineScene(Scene* scene) { engine.scene = scene; }

Scene* EngineScene() { return engine.scene; }

int32_t LoadEngineScene(Scene* scene, const char* name)
{
    const int32_t result = LoadScene(scene, name);
    if (result == kSceneOk || result == kSceneMemoryError) SetEngineScene(scene);
    return result;
}

void FreeEngineScene(Scene* scene)
{
    EngineRelease();
    if (scene && engine.scene == scene) SetEngineScene(nullptr);
    FreeScene(scene);
}

int32_t EngineInit(int32_t width, int32_t height, int32_t bitsPerPixel)
{
    // Widths whose row offsets would not fit in 32 bits are refused with the heights.
    if (height > kMaxViewRows || width < 1 || height < 1 || width > kMaxViewWidth) return kEngineBadResolution;
    if (bitsPerPixel != 15 && bitsPerPixel != 16) return kEngineBadDepth;
    BuiltInFlarePicture();
    // A set-up over an earlier one first releases it, so that nothing is lost.
    EngineRelease();

    Scene* scene = engine.scene;
    SetViewGeometry(width, height);

    engine.glowTable = static_cast<uint8_t*>(PoolAlloc(65536, 65536));
    if (!engine.glowTable) return kEngineMemoryError;
    BuildGlowTable(engine.glowTable);

    engine.bitsPerPixel = bitsPerPixel;
    engine.depthBuffer = AllocArray<uint32_t>(uint64_t{static_cast<uint32_t>(width)} * static_cast<uint32_t>(height), 16);
    if (!engine.depthBuffer) {
        EngineRelease();
        return kEngineMemoryError;
    }
    SetViewRows(width, height);

    for (int32_t i = 0; i < kSineTableSize; ++i) engine.sineTable[i] = SineTableEntry(i);
    BuildAngleRamp();
    SetFieldOfView(engine.fovAngle);

    if (!AllocateObjectBuffers(scene)) {
        EngineRelease();
        return kEngineMemoryError;
    }

    engine.camera = scene ? scene->cameras : nullptr;
    engine.light = scene ? scene->lights : nullptr;
    std::memset(engine.depthBuffer, 0, static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    engine.frameStamp = 0;

    for (int32_t i = 0; scene && i < scene->eventCount; ++i) {
        SceneEvent& e = scene->events[i];
        if (e.kind != kEventBackground || static_cast<int32_t>(e.a) == -1) continue;
        const uint16_t pixel = PackColour(static_cast<int32_t>(e.a), static_cast<int32_t>(e.b),
                                          static_cast<int32_t>(e.c), bitsPerPixel);
        e.d = pixel * 0x10001u;
    }

    std::memcpy(engine.screenDepthRows, engine.depthRows, sizeof engine.depthRows);
    std::memcpy(engine.screenColourRows, engine.colourRows, sizeof engine.colourRows);
    for (int32_t y = 0; y < 256; ++y) {
        engine.textureColourRows[y] = y * 512;
        engine.textureDepthRows[y] = y * 1024;
    }
    return PrepareMaterials(scene, bitsPerPixel);
}

void EngineRelease()
{
    if (Scene* scene = engine.scene) {
        for (Material* m = scene->materials; m; m = m->next) FreeMaterialTables(m);
        for (SceneFlare* f = scene->flares; f; f = f->next) {
            PoolFree(f->picture);
            f->picture = nullptr;
        }
    }
    ReleaseBuffers();
    engine.camera = nullptr;
    engine.light = nullptr;
}
