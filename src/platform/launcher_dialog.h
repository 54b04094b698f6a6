// The launcher dialog: a small window of its own, shown before the show starts, that asks
// full screen or window, once or loop, and the process priority, with START and CANCEL.
#pragma once

#include <cstdint>

// What the dialog starts from and what the user chose: its two check boxes and its group of
// four priority radio buttons.
struct LauncherDialogChoices {
    int32_t fullScreen = 0;
    int32_t loop = 0;
    int32_t priority = 1; // the checked radio: 0 realtime, 1 high, 2 normal, 3 low; -1 none
};

// Shows the dialog modally, starting from `choices`, and leaves the user's choices there.
// 1 for START; 0 for CANCEL, Escape or closing the window; -1 when no dialog can be opened
// (headless, or no window can be made).
int32_t ShowLauncherDialog(LauncherDialogChoices* choices);
