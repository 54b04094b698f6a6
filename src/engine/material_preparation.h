// Per-material colour tables (shading ramps, texture palettes, lit-texture tables) in the
// display's pixel layout, and the textures and flare pictures the current scene's render
// modes need.
#pragma once

#include <cstdint>

#include "engine/scene/scene_model.h"

// Builds every material table and picture the objects' render modes need, and loads the
// flare pictures: 0, 1 (memory) or 5 (a picture, named in the error message).
int32_t PrepareMaterials(int32_t bitsPerPixel);
// Releases one material's engine tables (used by EngineRelease and FreeScene).
void ReleaseMaterialTables(Material* material);
