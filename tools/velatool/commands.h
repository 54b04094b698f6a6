// The velatool subcommands. Each takes the words after "velatool" (argv[0] is the
// subcommand's own name) and returns the process exit status.
#pragma once

int RunPakCommand(int argc, char** argv);
int RunPictureCommand(int argc, char** argv);
int RunSceneCommand(int argc, char** argv);
int RunEffectCommand(int argc, char** argv);
int RunModuleCommand(int argc, char** argv);
