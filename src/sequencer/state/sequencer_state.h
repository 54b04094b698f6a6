// The show's process-wide run state: arguments, run flags and the screen geometry every
// drawing subsystem reads.
#pragma once

#include <cstdint>

struct SequencerState {
    int32_t startPart = 1;        // first part to play, 1..4 (0 and below act as 1)
    int32_t seekOffset = 0;       // clock units added to part two's clock when it starts
    int32_t fullScreen = 0;       // launcher choice: full screen (1) or window (0)
    int32_t loopCount = 1;        // passes left; -1 plays endlessly
    int32_t abortRequested = 0;   // sticky: Escape or a fresh close request was seen
    const char* errorMessage = nullptr; // what a failed part load leaves behind
    int32_t screenWidth = 320;
    int32_t screenHeight = 240;   // 240, or 200 after the fallback
    int32_t viewHeight = 180;
    int32_t viewTop = 30;         // first screen row of the 180-row view band
    int32_t pixelDepth = 16;      // 16 (5-6-5) or 15 (x-5-5-5)
};

extern SequencerState sequencer;

// The view: the band of viewHeight rows starting at row viewTop of a frame of screenWidth pixels.
inline uint16_t* ViewOfFrame(uint16_t* frame)
{
    return frame + sequencer.viewTop * sequencer.screenWidth;
}
