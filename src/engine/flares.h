// Light flares: camera-facing glow sprites added to the view after the objects, faded out
// as their centre leaves the view and dimmed or hidden by nearer geometry in the depth buffer.
#pragma once

#include <cstdint>

#include "engine/engine_state.h"

// Draws one 128x128 sprite of a 256x256 flare picture (null: the built-in picture) centred
// at (x16, y16) and size16 wide (1/16 pixel), brightening the view additively through the
// glow table by colour r, g, b (0..255). flag bit 0 picks the right half of the picture,
// bit 1 the bottom half. depth is compared with the depth buffer for occlusion only.
// Uses engine.bitsPerPixel to choose the 5-6-5 or 5-5-5 layout; colourBase is the view.
void DrawFlare(uint8_t* colourBase, int32_t x16, int32_t y16, int32_t size16, int32_t r, int32_t g, int32_t b,
               int32_t flag, uint32_t depth, const uint8_t* picture);

// The camera a view is seen from: position and its right, forward and up axes.
struct FlareCamera {
    Vec3 position, right, forward, up;
};

// The node transform of an object for the current view (its own position and rotation;
// the flare step walks the parent chain itself), computed when not yet valid.
using NodeTransformOf = const NodeTransform* (*)(SceneObject* object);

// The flare step of a view: every shown flare of the scene at `frame`, positioned through
// its parent chain and projected with the engine's focal length and centre.
void DrawSceneFlares(const Scene& scene, float frame, uint8_t* colourBase, const FlareCamera& camera,
                     NodeTransformOf transformOf);
