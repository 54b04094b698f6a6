// The entries of the scene subcommands that live in scene_render_command.cpp.
#pragma once

// velatool scene render / contact / bench (argv[0] is "scene", argv[1] the subcommand).
int RunSceneRender(int argc, char** argv);
int RunSceneContact(int argc, char** argv);
int RunSceneBench(int argc, char** argv);
