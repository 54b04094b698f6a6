// The show's process-wide run state: arguments and run flags. The screen geometry the parts
// draw with lives with the display (display/screen_geometry.h).
#pragma once

#include <cstdint>

struct SequencerState {
    int32_t startPart = 1;        // first part to play, 1..4 (0 and below act as 1)
    int32_t seekOffset = 0;       // clock units added to part two's clock when it starts
    int32_t fullScreen = 0;       // launcher choice: full screen (1) or window (0)
    int32_t loopCount = 1;        // passes left; -1 plays endlessly
    int32_t abortRequested = 0;   // sticky: Escape or a fresh close request was seen
    const char* errorMessage = nullptr; // what a failed part load leaves behind
};

extern SequencerState sequencer;
