// Objects that show a camera texture: the faces are mapped with the picture a camera rendered
// this frame, its 0..256 texel mapping range stretched over the rendered square.
#include "engine/face_renderer.h"
#include "engine/object_renderers.h"

void RenderTargetObject(SceneObject* object, uint32_t key)
{
    using face_renderer::Family;
    const Scene* scene = engine.scene;
    if (!object) return;
    // key & 0xFF steps from the first camera, wrapping to the first after the last.
    SceneCamera* camera = nullptr;
    if (scene && scene->cameras) {
        int32_t count = 0;
        for (const SceneCamera* c = scene->cameras; c; c = c->next) ++count;
        camera = RecordAt(scene->cameras, static_cast<int32_t>(key & 0xFF) % count);
    }
    const int32_t size = camera ? camera->targetSize : 0;
    // A power of two up to 256; anything else has no picture to show. The vertices are still
    // projected for the outline pass.
    face_renderer::FaceSource source;
    if (camera && camera->targetColour && size >= 2 && size <= 256 && (size & (size - 1)) == 0) {
        source.picture = camera->targetColour;
        source.size = size;
    }
    face_renderer::RenderFamily<Family::Target, kShadeNosha>(object, source);
}
