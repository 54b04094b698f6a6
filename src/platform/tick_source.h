// The millisecond tick count the frame clock and the close-request age are measured with.
// Real time by default; a caller may plug in its own source (virtual time for captures, tests).
#pragma once

#include <cstdint>

using TickSourceFunction = uint32_t (*)(void* context);

// Milliseconds from the current source; wraps at 2^32 like a system tick count.
uint32_t GetTickCount32();

// Replaces the source; null restores the monotonic system clock.
void SetTickSource(TickSourceFunction source, void* context);

// The system clock, moved so that it reads `reading` now: a show played in virtual time up to a
// moment goes on in real time from there without a jump. A source plugged in is not shifted.
void ContinueRealTicksFrom(uint32_t reading);
// The system clock unshifted again.
void ResetRealTicks();

// True while neither the tick source nor the sleep is replaced: time is the system's own.
bool TicksAreReal();

// Gives the processor away for about `milliseconds` (loops that only poll call this).
void SleepMilliseconds(uint32_t milliseconds);

// Replaces what SleepMilliseconds does (in virtual time a sleep moves the clock on instead of
// waiting); null restores the real sleep. Set before other threads sleep.
using SleepFunction = void (*)(uint32_t milliseconds, void* context);
void SetSleepFunction(SleepFunction sleep, void* context);
