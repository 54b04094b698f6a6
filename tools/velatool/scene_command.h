// What the scene subcommands share: loading a scene the way the show does (pool, archive or
// loose files, LoadScene) and tearing it all down again, plus the render and bench entries.
#pragma once

#include "engine/scene/scene_model.h"

// Reserves the pool, opens `pack` (or serves loose files below the current folder when null)
// and loads scene `name`. -1 when the scene is loaded; otherwise the message has been printed
// (naming `command`, the file and the problem) and the exit status is returned.
int LoadSceneForTool(const char* command, const char* name, const char* pack, Scene* scene);
// Releases the engine, the scene, the archive and the pool.
void FinishSceneTool(Scene* scene);

// velatool scene render / contact / bench (argv[0] is "scene", argv[1] the subcommand).
int RunSceneRender(int argc, char** argv);
int RunSceneContact(int argc, char** argv);
int RunSceneBench(int argc, char** argv);
