// The `vela` program once its options are read: the show in a window, headless, or in virtual
// time for a capture, with its pack found, stop signals caught and the timings printed.
#pragma once

#include "shell/show_options.h"

// Plays the show as the options say. The process's exit status: 0, 1 after a message or a
// failed capture, 2 when the pack cannot be used, 128 + the signal that stopped it.
int RunShowProgram(const ShowOptions& options, const char* argv0);
