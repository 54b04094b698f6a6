// The launcher: asks full screen or window, once or loop, and the process priority before the
// show starts, in a dialog while the show's window stays hidden. The choices can also be given
// in advance (from the command line), and the dialog skipped.
#pragma once

#include <cstdint>

#include "platform/launcher_dialog.h"
#include "platform/process_priority.h"

struct LauncherChoices {
    int32_t fullScreen = 0;
    int32_t loop = 0;
    ProcessPriority priority = kPriorityHigh;
    // 0: no dialog, the choices above are the answer (--no-launcher, and headless runs).
    int32_t askUser = 1;
};

// What the dialog starts from, or the answer when it is skipped (window, once, high priority).
extern LauncherChoices launcherChoices;

// The services the launcher uses, as replaceable entries (tests put recorders in their place).
struct LauncherOperations {
    int32_t (*showDialog)(LauncherDialogChoices* choices);
    void (*setPriority)(ProcessPriority priority);
    void (*showWindow)(bool shown);
};

extern LauncherOperations launcherOperations;
LauncherOperations DefaultLauncherOperations();

// Hides the show's window, asks, applies the chosen priority and stores the two other choices
// for the caller. Returns 1 for START, 0 when the user cancelled (the window then stays
// hidden: nothing more is to be shown), and -1 when the dialog could not open, which starts
// the show in a window, once, with the priority left alone.
int32_t RunLauncher(int32_t* fullScreen, int32_t* loop);
