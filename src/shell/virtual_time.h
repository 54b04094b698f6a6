// The show played in virtual time, for captures and whole-show tests: no real clock, no sound
// device. A present moves the clock on by exactly one video frame (1/fps s, the fraction kept),
// a wait by what it would have slept. The music is rendered offline in step: before the clock
// moves on, the module is rendered up to the new time, so every sync mark fires at its own
// sample, on the show's thread, and what it does lands in the right video frame. Video frame k
// is the last picture presented at or before k/fps s, so waits without presents still fill
// their time, and the video and the audio always have the same length.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/video.h"

// Where the pictures and the sound go.
struct VirtualTimeSink {
    // Video frame `index`: the frame as last presented (320x240 or 320x200 in 15 or 16 bits).
    void (*picture)(int64_t index, const VideoSurface& frame, void* context) = nullptr;
    // The next `frames` interleaved stereo frames of sound.
    void (*sound)(const int16_t* samples, size_t frames, void* context) = nullptr;
    void* context = nullptr;
};

// The rate must be a multiple of 1000 (48000 by default); fps 1..240.
constexpr int32_t kVirtualSampleRate = 48000;

// Takes over the clock, the sleeps and the presents, and asks the music for offline output.
// Call before the show starts (before MusicInit).
void StartVirtualTime(int32_t framesPerSecond, const VirtualTimeSink& sink);
// Emits the video frames still due and the sound to the same length, and gives the clock,
// the sleeps and the presents back.
void FinishVirtualTime();

// Plays in virtual time only up to `seconds` of the show, then hands over to real time: the
// clock goes on from there on the system's clock, sleeps sleep, presents are shown (they are
// held until then: see VideoHoldPresents), the moment's frame first, and the music leaves
// offline output for a real-time one, its module playing on from the same place. The
// hand-over comes at the first present or sleep that reaches video frame
// floor(seconds x fps), once that frame is handed to the sink; the clock stops there even in
// the middle of a longer wait. `handedOver` is then called, on the show's thread. Call after
// StartVirtualTime.
void HandOverToRealTimeAt(double seconds, void (*handedOver)(void* context), void* context);
// True once the hand-over happened.
bool VirtualTimeHandedOver();

// Seconds of show time so far, and video frames handed to the sink.
double VirtualSeconds();
int64_t VirtualVideoFrames();
