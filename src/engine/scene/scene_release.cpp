// FreeScene: every record, track, list and path a load built, and any table or picture
// still hung on a material or flare.
#include "engine/scene/scene_files.h"
#include "resources/memory_pool.h"

namespace {

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
    FreeMaterialTables(m);
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

void FreeMaterialTables(Material* m)
{
    PoolFree(m->textureFrames);
    PoolFree(m->texturePalette);
    PoolFree(m->texturePaletteHalf);
    PoolFree(m->shadeRamp);
    PoolFree(m->shadeRampHalf);
    PoolFree(m->shadedTexture);
    PoolFree(m->shadedTextureHalf);
    m->textureFrames = m->currentFrame = nullptr;
    m->texturePalette = m->texturePaletteHalf = nullptr;
    m->shadeRamp = m->shadeRampHalf = nullptr;
    m->shadedTexture = m->shadedTextureHalf = nullptr;
    m->frameCount = 0;
}

void FreeScene(Scene* scene)
{
    if (!scene) return;
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
