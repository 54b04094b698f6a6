// Camera textures: before the main view, every camera that an object shows as a texture this
// frame is rendered into its own 256x256 colour and depth buffers, at the size the objects ask
// for, with a frame stamp of its own.
#include <cstring>

#include "engine/engine_setup.h"
#include "engine/frame_pipeline.h"
#include "engine/frame_pipeline_steps.h"

namespace {

// The camera a render-to-texture key names: (key & 0xFF) steps from the first camera,
// wrapping from the last camera to the first.
SceneCamera* CameraOfKey(Scene& scene, uint32_t key)
{
    return RecordAt(scene.cameras, static_cast<int32_t>((key & 0xFF) % static_cast<uint32_t>(scene.cameraCount)));
}

// Marks the cameras the objects ask for at `frame` active and settles their sizes: the
// largest size any object asks of a camera. A texture whose size differs from the one it was
// last rendered at starts its next view with a cleared depth buffer. True when at least one
// camera is active.
bool SelectCameraTextures(Scene& scene, float frame)
{
    for (SceneCamera* c = scene.cameras; c; c = c->next) c->active = 0;
    if (!scene.cameras || scene.cameraCount <= 0) return false;
    bool any = false;
    for (SceneCamera* camera = scene.cameras; camera; camera = camera->next) {
        // A camera without target buffers (the loader gives them only to cameras that objects
        // with faces name) cannot be rendered into.
        if (!camera->targetColour || !camera->targetDepth) continue;
        int32_t size = 0;
        for (SceneObject* o = scene.objects; o; o = o->next) {
            const uint32_t value = StepValueAt(o->targetTrack, frame, 0);
            if (!(value & 0x80000000u) || CameraOfKey(scene, value) != camera) continue;
            const int32_t requested = 256 >> ((value >> 24) & 7);
            if (requested > size) size = requested;
        }
        if (size == 0) continue;
        if (camera->targetSize != size) camera->targetStamp = 0xFF000000u; // wraps to 0: cleared
        camera->targetSize = size;
        camera->active = 1;
        any = true;
    }
    return any;
}

} // namespace

void RenderCameraTextures(Scene& scene, float frame)
{
    if (!SelectCameraTextures(scene, frame)) return;

    uint32_t* const depthBuffer = engine.depthBuffer;
    const uint32_t frameStamp = engine.frameStamp;
    const int32_t fovAngle = engine.fovAngle;
    const float cosH = engine.cosH, sinH = engine.sinH, cosV = engine.cosV, sinV = engine.sinV;
    const float focal16 = engine.focal16;
    const int32_t width = engine.width, height = engine.height;

    std::memcpy(engine.colourRows, engine.textureColourRows, sizeof engine.textureColourRows);
    std::memcpy(engine.depthRows, engine.textureDepthRows, sizeof engine.textureDepthRows);
    engine.colourPitch = 512;
    engine.depthPitch = 1024;

    for (SceneCamera* camera = scene.cameras; camera; camera = camera->next) {
        if (!camera->active) continue;
        engine.depthBuffer = camera->targetDepth;
        engine.frameStamp = camera->targetStamp;
        SetViewGeometry(camera->targetSize, camera->targetSize);
        engine.fovAngle = -1; // recomputed for the square view
        RenderView(frame, reinterpret_cast<uint8_t*>(camera->targetColour), camera);
        camera->targetStamp = engine.frameStamp;
    }

    engine.depthBuffer = depthBuffer;
    engine.frameStamp = frameStamp;
    engine.fovAngle = fovAngle;
    engine.cosH = cosH;
    engine.sinH = sinH;
    engine.cosV = cosV;
    engine.sinV = sinV;
    engine.focal16 = focal16;
    std::memcpy(engine.colourRows, engine.screenColourRows, sizeof engine.colourRows);
    std::memcpy(engine.depthRows, engine.screenDepthRows, sizeof engine.depthRows);
    engine.depthPitch = width * 4;
    engine.colourPitch = width * 2;
    SetViewGeometry(width, height);
}
