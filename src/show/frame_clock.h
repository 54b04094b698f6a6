// The frame clock: the show's one time base, in units (hundredths of a second for the show)
// since the last reset, paused while the window is minimised. Read and reset from both the
// main thread and the music thread.
#pragma once

#include <cstdint>

// Starts the clock at 0 with the given rate.
void ClockInit(int32_t unitsPerSecond);
// The clock shows `value` now and runs on from there.
void ClockReset(int32_t value);
// The current value.
int32_t ClockNow();
// Notes the moment a pause began; ClockResume leaves the paused time uncounted.
void ClockPause();
void ClockResume();

// The raw value for a tick count: tick x rate rounded to single precision, then to the nearest
// integer (ties to even). Exposed for tests of the rounding.
int32_t ClockRawValue(uint32_t tick, float rate);
