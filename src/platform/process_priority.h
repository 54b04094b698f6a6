// The process's scheduling priority, in the four classes the launcher offers.
#pragma once

enum ProcessPriority {
    kPriorityRealtime,
    kPriorityHigh,
    kPriorityNormal,
    kPriorityLow,
};

// Applies the class to the whole process (nice -20, -10, 0, 19). A refusal (raising the
// priority without the rights) leaves it as it is, with one line on standard error, once.
void SetProcessPriority(ProcessPriority priority);
