// What is wrong with a scene the engine refused, in words that name the file at fault: the
// scene file itself, or the texture or flare picture the engine set-up could not load.
#pragma once

#include <cstdint>
#include <string>

#include "engine/scene/scene_model.h"

// Why the loader refused the scene file `entry` (an entry of the open archive, or a loose name)
// as a file error: "empty file", "truncated: ...", "not a scene file ...", "damaged: ...".
std::string SceneFileProblem(const std::string& entry);

// After the engine set-up failed on a picture: which texture or flare picture of the loaded
// scene it was (tried with the engine's own loaders, in the engine's order) and what is wrong
// with its file, as "texture WOOD.BMP of material \"wood\": too short for a BMP header (...)".
std::string PictureFailure(Scene& scene, int32_t bitsPerPixel);
