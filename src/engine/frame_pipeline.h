// The frame pipeline: one finished picture of the current scene at a frame. It applies the
// scene events due, clears the view, evaluates camera, light, materials and every object's
// animation, culls by bounding sphere, draws opaque objects then blended ones through their
// render modes' renderers, and adds the light flares. Camera textures are rendered first.
#pragma once

#include <cstdint>

#include "engine/engine_state.h"
#include "engine/scene_model.h"

// Renders the current scene at scene frame `frame` into the view whose first pixel is
// `colourBase` (rows engine.width x 2 bytes apart). cameraOverride, when not null, replaces
// the camera the events choose for the main view.
void RenderScene(float frame, uint8_t* colourBase, SceneCamera* cameraOverride);
// One view: events, clear, camera, light, materials, objects in two passes, flares.
void RenderView(float frame, uint8_t* colourBase, SceneCamera* camera);
// The world transform of an object number for the current view, computed through its parent
// chain when not yet valid this view.
const NodeTransform* NodeTransformOfObject(SceneObject* object);
