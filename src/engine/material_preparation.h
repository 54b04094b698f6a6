// Per-material colour tables (shading ramps, texture palettes, lit-texture tables) in the
// display's pixel layout, and the textures and flare pictures a scene's render modes need.
#pragma once

#include <cstdint>

#include "engine/scene/scene_model.h"

// Builds every material table and picture the scene's objects' render modes need (after
// releasing any built before), and loads the flare pictures: 0, 1 (memory) or 5 (a picture,
// named in the error message). Nothing to do without a scene.
int32_t PrepareMaterials(Scene* scene, int32_t bitsPerPixel);
