// What `vela` is asked to do, read from its command line: the launcher's starting choices, the
// display's rules, the pack, capture or virtual time, the limits and the run words.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/video.h"
#include "shell/launcher.h"
#include "shell/show_capture.h"
#include "shell/show_moment.h"

struct ShowOptions {
    std::vector<std::string> words; // bN and sN, and any other word (ignored by the show)
    LauncherChoices launcher;       // full screen or window, once or loop, priority, the dialog
    VideoModeRules rules;
    std::string packPath;           // --pack, or empty to look in the usual places
    bool headless = false;
    bool noSound = false;
    bool timings = false;
    bool hud = false;               // --hud: the HUD in the border from the start
    bool capturing = false;         // --capture, --frames or --fast: the show in virtual time
    CaptureOptions capture;
    bool fromMoment = false;        // --at: the show up to the moment in virtual time, then real time
    MomentOptions moment;
    double seconds = 0;             // --seconds, 0: no limit
    int headlessRate = 60;          // frames a second headless in real time (--fps)
    int32_t passes = 0;             // --passes, 0: until Escape
    int32_t poolMebibytes = 11;
    bool help = false;
    bool version = false;
};

extern const char kShowUsage[];

// Reads argv into the options. Throws UsageError for an unknown option, a value that does not
// fit, or options that contradict each other.
ShowOptions ReadShowOptions(int argc, char** argv);
