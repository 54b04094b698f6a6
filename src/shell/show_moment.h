// Starting the show at a moment of it: everything before plays in virtual time, unseen and
// unheard, then the show goes on in real time from that moment, its music at the same place.
#pragma once

#include <string>

#include "platform/video.h"

struct MomentOptions {
    double seconds = 0;          // the moment, in seconds of the whole show from its first frame
    int framesPerSecond = 60;    // video frames per second of the run up to it
    std::string frameHashPath;   // not empty: the frames up to the moment written there as a list
    bool timings = false;        // the frame timings start afresh at the moment
};

// "83.5", "1:23.5" or "01:23" as seconds; false when the text is none of them.
bool ReadShowMoment(const std::string& text, double* seconds);
// Seconds as "m:ss.s" ("1:23.5").
std::string ShowMomentText(double seconds);

// Plays the show with `words` from the moment. The process's exit status: the show's own; 2
// when the show ended before the moment (saying how long it is) or the list could not be made;
// 1 when the list could not be written.
int PlayShowFromMoment(const MomentOptions& options, int wordCount, char** words, const VideoModeRules& rules);
