// Capture: the whole show (or from a chosen part) rendered in virtual time, faster than it
// plays, with its music, to a video file or a picture series, the same bytes every time.
#pragma once

#include <string>

#include "platform/media_writer.h"
#include "platform/video.h"

struct CaptureOptions {
    bool write = true;          // false: the show is only played, in virtual time, for checks
    std::string path;           // the file (or folder for a picture series)
    MediaKind kind = MediaKind::Mp4;
    int framesPerSecond = 60;
    int scale = 3;              // each pixel becomes scale x scale pixels
    double seconds = 0;         // > 0: the show ends (as by Escape) after this much of it
    bool progress = true;       // a progress line on standard error
    std::string frameHashPath;  // not empty: every video frame's hash written there as well
};

// Checks the options: an empty string, or what is wrong with them.
std::string CheckCaptureOptions(const CaptureOptions& options);

// Plays the show with `words` in virtual time and writes it. The process's exit status: the
// show's own, 2 when an output could not be created, or 1 when it could not be written.
int CaptureShow(const CaptureOptions& options, int wordCount, char** words, const VideoModeRules& rules);
