// The table `vela --timings` prints at the end.
#pragma once

#include <cstdio>

// One line per pass (pool level at its start and end, resident memory, flame phases); the sync
// marks' lateness and the sound device's underruns when marks fired; then one line per part that
// drew frames (frames, median, 99th percentile, worst, pool high-water) and one per section of
// part four (4A to 4D) without the pool.
void PrintFrameTimings(std::FILE* out);
