// Loading a scene for the scene subcommands the way the show does (pool, archive or loose
// files, the engine's scene slot) and tearing it all down again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/scene/scene_model.h"

// Reserves the pool, opens `pack` (or, when it is empty, makes the folder of the file `name`
// the root for it and for the pictures it names) and loads the scene. A CommandFailure naming
// the file and the problem when it cannot; nothing stays reserved then.
void LoadSceneForTool(const std::string& name, const std::string& pack, Scene* scene);
// Sets the engine up for the loaded scene; a CommandFailure naming the scene and what failed
// (the texture or flare picture and what is wrong with it), after releasing everything.
void SetUpEngineForTool(const std::string& name, Scene* scene, int32_t width, int32_t height, int32_t depth);
// Releases the engine, the scene, the archive and the pool.
void FinishSceneTool(Scene* scene);

// Pool bytes in use just before the last LoadSceneForTool read its scene (the archive's
// directory included).
size_t PoolBytesBeforeScene();
