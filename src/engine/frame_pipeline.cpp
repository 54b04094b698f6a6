// One frame of the current scene: camera textures first, then the main view with its scene
// events, clear and frame stamp, camera, field of view, light, material animation, the two
// object passes and the flares.
#include "engine/frame_pipeline.h"

#include <atomic>
#include <cmath>
#include <cstring>

#include "engine/frame_pipeline_steps.h"
#include "engine/raster/rasteriser.h"
#include "engine/engine_setup.h"
#include "resources/content_events.h"

namespace {

constexpr float kTrackDegreesToAngle = 45.0f; // the factor camera tracks use, not 16384 / 360

// Camera, light, fog and background as the events due at `frame` leave them.
void ApplySceneEvents(const Scene* scene, float frame)
{
    const SceneEvent* fog = nullptr;
    const SceneEvent* background = nullptr;
    int32_t i = 0;
    const int32_t count = scene && scene->events ? scene->eventCount : 0;
    for (; i < count && scene->events[i].frame <= frame; ++i) {
        const SceneEvent& e = scene->events[i];
        switch (e.kind) {
        // A switch whose record the file does not name (a chunk of another kind) changes nothing.
        case kEventCamera: if (e.camera) engine.camera = e.camera; break;
        case kEventLight: if (e.light) engine.light = e.light; break;
        case kEventFarDistance: engine.farDistance = EventReal(e.a); break;
        case kEventFog: fog = &e; break;
        case kEventBackground: background = &e; break;
        default: break;
        }
    }
    if (fog) {
        engine.fogNear = EventReal(fog->a);
        engine.fogFar = EventReal(fog->b);
        for (int32_t j = i; j < count; ++j) {
            const SceneEvent& next = scene->events[j];
            if (next.kind != kEventFog) continue;
            // Only a later fog event is a goal to move towards.
            if (next.frame > fog->frame) {
                const float u = (frame - fog->frame) / (next.frame - fog->frame);
                engine.fogNear = EventReal(fog->a) + (EventReal(next.a) - EventReal(fog->a)) * u;
                engine.fogFar = EventReal(fog->b) + (EventReal(next.b) - EventReal(fog->b)) * u;
            }
            break;
        }
    }
    const float range = engine.fogFar - engine.fogNear;
    // An empty fog range has no gradient; the renderers then only use the two limits.
    engine.fogScale = range != 0.0f && std::isfinite(10420224.0f / range) ? 10420224.0f / range : 0.0f;

    uint8_t* const base = raster.colourBase;
    const size_t rowBytes = static_cast<size_t>(engine.width) * 2;
    if (!background || static_cast<int32_t>(background->a) != -1) {
        if (background) engine.background = background->d;
        const uint32_t pair = engine.background;
        for (int32_t y = 0; y < engine.height; ++y) {
            uint8_t* row = base + engine.colourRows[y];
            if (pair == 0) {
                std::memset(row, 0, rowBytes);
                continue;
            }
            int32_t x = 0;
            for (; x + 1 < engine.width; x += 2) std::memcpy(row + 2 * x, &pair, 4);
            if (x < engine.width) {
                const uint16_t pixel = static_cast<uint16_t>(pair);
                std::memcpy(row + 2 * x, &pixel, 2);
            }
        }
    }
}

// Advances the frame stamp; when it wraps to 0 every stored depth is older than anything the
// view draws only after the depth buffer is cleared.
void AdvanceFrameStamp()
{
    engine.frameStamp += 0x01000000u;
    if (engine.frameStamp != 0) return;
    for (int32_t y = 0; y < engine.height; ++y) {
        std::memset(reinterpret_cast<uint8_t*>(engine.depthBuffer) + engine.depthRows[y], 0,
                    static_cast<size_t>(engine.width) * 4);
    }
}

// Position and axes of the current camera in world space; refreshes the field-of-view cache.
FlareCamera EvaluateCamera(SceneCamera& camera, float frame)
{
    FlareCamera view;
    view.position = EvalVectorTrack(frame, camera.positionTrack);
    const Vec3 target = EvalVectorTrack(frame, camera.targetTrack);
    const int32_t roll = RoundToInt(EvalScalarTrack(frame, camera.rollTrack) * kTrackDegreesToAngle);
    const int32_t fov = RoundToInt(EvalScalarTrack(frame, camera.fovTrack) * kTrackDegreesToAngle);
    const Vec3 d = Normalise(target - view.position);
    int32_t heading = 0;
    if (std::fabs(d.z) != 1.0f) heading = RoundToInt(std::atan2(d.x, d.y) * kRadiansToAngle);
    const float sz = d.z > 1.0f ? 1.0f : d.z < -1.0f ? -1.0f : d.z;
    const int32_t pitch = RoundToInt(std::asin(sz) * kRadiansToAngle);

    const int32_t a = fov < 1 ? 1 : fov > 4095 ? 4095 : fov;
    if (a != engine.fovAngle) SetFieldOfView(a);

    // The rotation of (heading, roll, pitch) has the camera's right, forward and up axes as
    // its columns; forward is the looking direction itself.
    const Matrix basis = MatrixFromAngles(MaskAngle(heading), MaskAngle(roll), MaskAngle(pitch));
    Vec3 axes[3] = {{basis.m[0], basis.m[3], basis.m[6]}, d, {basis.m[2], basis.m[5], basis.m[8]}};
    ApplyParentChain(camera.parent, &view.position, axes, 3);
    view.right = axes[0];
    view.forward = axes[1];
    view.up = axes[2];
    return view;
}

// The light direction times its strength (0 .. -1024), or zero without a light.
Vec3 EvaluateLight(const SceneLight* light, float frame)
{
    if (!light) return {0.0f, 0.0f, 0.0f};
    Vec3 position = EvalVectorTrack(frame, light->positionTrack);
    Vec3 dir = Normalise(EvalVectorTrack(frame, light->targetTrack) - position);
    ApplyParentChain(light->parent, &position, &dir, 1);
    float strength = -1024.0f;
    if (light->intensityTrack.keyCount > 0) {
        const float v = EvalScalarTrack(frame, light->intensityTrack);
        strength = !(v > 0.0f) ? 0.0f : v >= 1.0f ? -1024.0f : -1024.0f * v;
    }
    return dir * strength;
}

// Texture frame and shade level of every material at `frame`.
void AnimateMaterials(Scene& scene, float frame)
{
    for (Material* m = scene.materials; m; m = m->next) {
        if (m->textureFrames) {
            int32_t n = 0;
            if (m->frameTrack.count > 0 && m->frameCount > 0) {
                n = RoundToInt(LinearListValue(m->frameTrack, frame)) % m->frameCount;
                if (n < 0) n += m->frameCount; // frames before the first count back from the last
            }
            m->currentFrame = m->textureFrames + static_cast<size_t>(n) * 65536;
        }
        int32_t level = RoundToInt(128.0f - 128.0f * EvalScalarTrack(frame, m->opacityTrack));
        level = level < 0 ? 0 : level > 128 ? 128 : level;
        m->shadeRow = m->shadedTexture ? m->shadedTexture + level * 256 : nullptr;
        m->shadeRowHalf = m->shadedTextureHalf ? m->shadedTextureHalf + level * 256 : nullptr;
        m->shadeColour = m->shadeRamp ? m->shadeRamp[level] : 0;
        m->shadeColourHalf = m->shadeRampHalf ? m->shadeRampHalf[level] : 0;
    }
}

} // namespace

void RenderView(float frame, uint8_t* colourBase, SceneCamera* camera)
{
    if (!colourBase || !engine.depthBuffer) return;
    Scene* scene = engine.scene;
    engine.pass = 0;
    raster.colourBase = colourBase;
    engine.camera = nullptr;
    engine.light = nullptr;
    engine.fogNear = 100.0f;
    engine.fogFar = 500.0f;
    engine.background = 0;
    ApplySceneEvents(scene, frame);
    if (camera) engine.camera = camera;
    AdvanceFrameStamp();
    for (int32_t i = 0; engine.nodes && i < engine.nodeCount; ++i) engine.nodes[i].valid = 0;
    SetNodeFrame(frame);

    if (!engine.camera || !scene) return;
    const FlareCamera view = EvaluateCamera(*engine.camera, frame);
    engine.lightVector = EvaluateLight(engine.light, frame);
    AnimateMaterials(*scene, frame);
    for (int32_t pass = 0; pass < 2; ++pass) {
        engine.pass = pass;
        DrawObjectPass(*scene, frame, view, pass);
    }
    engine.pass = 2;
    DrawSceneFlares(*scene, frame, colourBase, view, NodeTransformOfObject);
}

namespace {
std::atomic<float> lastSceneFrame{0};
} // namespace

float LastSceneFrame() { return lastSceneFrame.load(std::memory_order_relaxed); }

void RenderScene(float frame, uint8_t* colourBase, SceneCamera* cameraOverride)
{
    if (!colourBase || !engine.depthBuffer) return;
    lastSceneFrame.store(frame, std::memory_order_relaxed);
    if (contentEvents.sceneDrawn) contentEvents.sceneDrawn(engine.scene);
    if (engine.scene) RenderCameraTextures(*engine.scene, frame);
    RenderView(frame, colourBase, cameraOverride);
}
