// What the launcher dialog starts from and what the user chose: its two check boxes and its
// group of four priority radio buttons.
#pragma once

#include <cstdint>

struct LauncherDialogChoices {
    int32_t fullScreen = 0;
    int32_t loop = 0;
    int32_t priority = 1; // the checked radio: 0 realtime, 1 high, 2 normal, 3 low; -1 none
};

