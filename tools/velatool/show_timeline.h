// The whole show against time, as one picture: what `velatool show timeline` records while the
// show plays in virtual time (the parts and part four's sections, the scenes and pictures drawn,
// the modules and their sound, every sync mark, each frame's drawing time) and the picture it
// draws of it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/rgb_image.h"

struct TimelineSpan {
    std::string name;
    double start = 0, end = 0; // seconds of the show
};

struct TimelineMark {
    double seconds = 0;
    uint32_t value = 0;
};

struct ShowTimeline {
    int framesPerSecond = 10;
    double seconds = 0;                  // the show's length
    std::vector<int32_t> part, section;  // per video frame: the part playing (0: none), part four's section
    std::vector<float> drawMs;           // per video frame: the longest drawing time of the frames
                                         // drawn in it, or -1 when none was drawn
    std::vector<TimelineSpan> scenes, pictures, modules;
    std::vector<TimelineMark> marks;
    std::vector<int16_t> soundLow, soundHigh; // per kSoundBin of sound: the lowest and highest sample (both channels)
};

// Audio frames per waveform bin: 10 ms at 48 kHz.
constexpr int kSoundBin = 480;

// Plays the show from the pack at `fps` frames a second in virtual time and records it. False,
// with `error` set, when the show could not be played to its end.
bool RecordShowTimeline(const std::string& pack, int fps, ShowTimeline* timeline, std::string* error);

// The picture's layout: time runs left to right, kTimelinePixelsPerSecond columns a second from
// column kTimelineLeft; the parts' band fills rows kTimelinePartsTop .. + kTimelinePartsHeight.
constexpr int kTimelineLeft = 112;
constexpr int kTimelinePixelsPerSecond = 4;
constexpr int kTimelinePartsTop = 40;
constexpr int kTimelinePartsHeight = 20;
inline int TimelineColumn(double seconds) { return kTimelineLeft + static_cast<int>(seconds * kTimelinePixelsPerSecond); }
// The colour of part 0..4 (0: start-up, between parts and the end) as 0xRRGGBB.
uint32_t TimelinePartColour(int32_t part);

RgbImage DrawShowTimeline(const ShowTimeline& timeline);
