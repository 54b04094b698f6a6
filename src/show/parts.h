// The four parts of the show: each has a load step (0 on success, else errorMessage is set),
// a run step and a release step.
#pragma once

#include <cstdint>

#include "show/part_support.h"

int32_t LoadPart1();
void RunPart1();
void FreePart1();
int32_t LoadPart2();
void RunPart2();
void FreePart2();
int32_t LoadPart3();
void RunPart3();
void FreePart3();
int32_t LoadPart4();
void RunPart4();
void FreePart4();

// The still picture part two ends on (a view-sized buffer from the pool), which part three
// shows first and frees; null when part two did not run.
extern uint16_t* handedPicture;
// The greetings of part three, in the order they are shown.
constexpr int32_t kGreetingCount = 14;
extern const char* const kGreetingEntries[kGreetingCount];
// The counters of DesyncTrack calls of parts two and three.
extern DesyncCounter partTwoDesync;
extern DesyncCounter partThreeDesync;
