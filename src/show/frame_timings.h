// What the show measures about itself while it plays: which part is on, how long each frame's
// drawing took (the scene and the effects, without presenting) and the memory pool's high-water
// mark per part. `vela --timings` prints them (shell/timings_report.h).
#pragma once

#include <cstddef>
#include <cstdint>

// The part being loaded or played (1..4), or 0 (start-up, between parts). Starting a part
// starts a fresh high-water mark of the pool for it.
void SetPlayingPart(int32_t part);
int32_t PlayingPart();
// Part four's section being played (1..4 for A..D, 0 for none); frames drawn in part four are
// also counted under it. Starting a part sets it back to 0.
constexpr int32_t kSectionCount = 4;
void SetPlayingSection(int32_t section);
// The section set last (0: none).
int32_t PlayingSection();

// Around one frame's drawing, on any thread; cheap. Only the last frame's time is kept unless
// timings are on.
void BeginFrameTiming();
void EndFrameTiming();
// The last frame's drawing time in milliseconds (0 before the first), and how many frames
// were timed so far.
double LastFrameMs();
int64_t FramesTimed();
// Turns the frame timings on (off at start) and forgets what was measured.
void StartFrameTimings();

struct PartTimings {
    int64_t frames = 0;
    double medianMs = 0, percentile99Ms = 0, worstMs = 0;
    size_t poolHighWater = 0; // bytes, the most in use while the part was on
};
PartTimings TimingsOfPart(int32_t part);
PartTimings TimingsOfSection(int32_t section);
