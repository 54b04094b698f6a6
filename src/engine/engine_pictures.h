// Internal to the engine set-up: reading the 8-bit, 256-wide BMP pictures of textures and
// flares through the pack archive.
#pragma once

#include <cstdint>

#include "engine/scene/scene_model.h"

// Loads a material's texture (textureFrames, frameCount, texturePalette, textureColours),
// trying the scene's folder and then its .DAT folder: 0, 1 (memory) or 5 (no acceptable
// picture; the name is put into the error message).
int32_t LoadMaterialTexture(const Scene& scene, Material& material, int32_t bitsPerPixel);

// Loads a flare's 256x256 picture: 0 or 5 (the name is put into the error message).
int32_t LoadFlarePicture(const Scene& scene, SceneFlare& flare);

// True when a picture name stays inside the scene's folders: no empty name, no leading
// separator, no drive and no ".." part.
bool IsSafePictureName(const char* name);
