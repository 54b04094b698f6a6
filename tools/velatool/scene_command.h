// The entries of the scene subcommands that live in files of their own (scene_render_command.cpp,
// scene_view_command.cpp).
#pragma once

// velatool scene render / contact / bench (argv[0] is "scene", argv[1] the subcommand).
int RunSceneRender(int argc, char** argv);
int RunSceneContact(int argc, char** argv);
int RunSceneBench(int argc, char** argv);
// velatool scene view (scene_view_command.cpp): the scene playing in a window.
int RunSceneView(int argc, char** argv);
