// The steps of one view that live in their own files: camera-texture views, node transforms
// with parent chains, and the object passes. Internal to the frame pipeline.
#pragma once

#include <cmath>
#include <cstdint>

#include "engine/engine_state.h"
#include "engine/flares.h"
#include "engine/scene/scene_model.h"

// A real to the nearest integer (ties to even), limited to the 32-bit range; NaN gives 0.
inline int32_t RoundToInt(float value)
{
    if (!(value == value)) return 0;
    if (value >= 2147483520.0f) return 0x7FFFFFFF;
    if (value <= -2147483648.0f) return static_cast<int32_t>(0x80000000u);
    return static_cast<int32_t>(std::nearbyint(value));
}

// Renders the view of every camera that an object shows as a texture this frame into that
// camera's own buffers, then puts the main view's geometry, row tables and stamp back.
void RenderCameraTextures(Scene& scene, float frame);

// Sets the frame the node transforms of this view are evaluated at; called once per view.
void SetNodeFrame(float frame);

// Applies the node transforms of `ancestor` and each of its parents in turn to a point and to
// `count` directions (rotation only). The walk stops after as many steps as the scene has
// objects, so a parent loop in a damaged file cannot hang the view.
void ApplyParentChain(SceneObject* ancestor, Vec3* point, Vec3* directions, int32_t count);

// Draws every object of the scene that belongs to `pass` (0 opaque, 1 blended), seen from
// `camera` (position and its right, forward and up axes in world space).
void DrawObjectPass(Scene& scene, float frame, const FlareCamera& camera, int32_t pass);
