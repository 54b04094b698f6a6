// The launcher: asks full screen or window, once or loop, and the process priority before the
// show starts. The choices can be given in advance (from the command line).
#pragma once

#include <cstdint>

#include "platform/process_priority.h"

struct LauncherChoices {
    int32_t fullScreen = 0;
    int32_t loop = 0;
    ProcessPriority priority = kPriorityHigh;
};

// What the launcher answers with (its defaults: window, play once, high priority).
extern LauncherChoices launcherChoices;

// Stores the two choices for the caller and applies the priority. 1 for START, 0 for cancel.
int32_t RunLauncher(int32_t* fullScreen, int32_t* loop);
