// The frame pipeline: one finished picture of the current scene at a frame. It applies the
// scene events due, clears the view, evaluates camera, light, materials and every object's
// animation, culls by bounding sphere, draws opaque objects then blended ones through their
// render modes' renderers, and adds the light flares. Camera textures are rendered first.
#pragma once

#include <cstdint>

#include "engine/engine_state.h"
#include "engine/scene/scene_model.h"

// Renders the current scene at scene frame `frame` into the view whose first pixel is
// `colourBase` (rows engine.width x 2 bytes apart). cameraOverride, when not null, replaces
// the camera the events choose for the main view.
void RenderScene(float frame, uint8_t* colourBase, SceneCamera* cameraOverride);
// The scene frame RenderScene drew last (0 before the first).
float LastSceneFrame();
// One view: events, clear, camera, light, materials, objects in two passes, flares.
void RenderView(float frame, uint8_t* colourBase, SceneCamera* camera);
// The node transform of an object's number for the current view: its position track and
// the rotation of its rotation track (pivot and parents not applied; callers walk the parent
// chain themselves). Computed on first use in a view and cached by number. An object whose
// number lies outside the cache gets a freshly computed transform that stays valid until the
// next call.
const NodeTransform* NodeTransformOfObject(SceneObject* object);

// What the pipeline is about to draw for one object: the hook below sees it together with
// the engine and raster state the renderer will read.
struct ObjectDraw {
    SceneObject* object;
    int32_t modeRow;        // render-mode row in effect
    uint32_t targetKey;     // render-to-texture key in effect (bit 31: camera texture)
    int32_t edgeRecordSize; // record size DrawEdges will be called with, 0 without outline
};
using ObjectDrawHook = void (*)(const ObjectDraw& draw);
// Installs a function called just before each object's renderer (null, the default, calls
// nothing). A seam for tests that observe the per-object state without the renderers.
void SetObjectDrawHook(ObjectDrawHook hook);
