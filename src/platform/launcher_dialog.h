// The launcher dialog: a small window of its own, shown before the show starts, that asks
// full screen or window, once or loop, and the process priority, with START and CANCEL.
#pragma once

#include <cstdint>

#include "forms/launcher_choices.h"

// Shows the dialog modally, starting from `choices`, and leaves the user's choices there.
// 1 for START; 0 for CANCEL, Escape or closing the window; -1 when no dialog can be opened
// (headless, or no window can be made).
int32_t ShowLauncherDialog(LauncherDialogChoices* choices);
