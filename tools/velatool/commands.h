// The velatool subcommands. Each takes the words after "velatool" (argv[0] is the
// subcommand's own name) and returns the process exit status.
#pragma once

int RunPakCommand(int argc, char** argv);
int RunPictureCommand(int argc, char** argv);
int RunSceneCommand(int argc, char** argv);
int RunEffectCommand(int argc, char** argv);
int RunModuleCommand(int argc, char** argv);
int RunShowCommand(int argc, char** argv);

// Each subcommand's help, as its --help prints it. The lines up to the first blank one are its
// forms: "usage: velatool pak list PAK", then one form a line, each longer form's lines after
// its first indented further.
extern const char kPakUsage[];
extern const char kPictureUsage[];
extern const char kSceneUsage[];
extern const char kEffectUsage[];
extern const char kModuleUsage[];
extern const char kShowUsage[];
