#include "shell/show_program.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "display/window.h"
#include "platform/headless.h"
#include "platform/stop_signals.h"
#include "platform/video.h"
#include "resources/pack_location.h"
#include "shell/show_capture.h"
#include "shell/show_main.h"
#include "shell/show_moment.h"
#include "shell/timings_report.h"
#include "show/frame_timings.h"
#include "show/hud.h"
#include "show/music.h"
#include "show/show_operations.h"

int RunShowProgram(const ShowOptions& options, const char* argv0)
{
    launcherChoices = options.launcher;
    passLimit = options.passes;
    poolMebibytes = options.poolMebibytes;
    MusicForceNoSound(options.noSound);
    bool headless = options.headless;
    const char* env = std::getenv("VELA_HEADLESS");
    if (env && !std::strcmp(env, "1")) headless = true;
    SetHeadless(headless);
    if (headless) launcherChoices.askUser = 0;
    if (!options.capturing) {
        // In real time --seconds ends the show after that much of it, and headless frames are
        // paced as a window's are to its display.
        showSecondsLimit = options.seconds;
        VideoSetHeadlessRate(options.headlessRate);
    }

    PackLocation pack;
    if (!LocatePack(options.packPath.empty() ? nullptr : options.packPath.c_str(), RunningProgramPath(argv0), &pack)) {
        std::fprintf(stderr, "vela: %s\n", pack.message.c_str());
        return 2;
    }
    // Without an archive the show says where it looked once it knows whether loose files stand in.
    demoPackPath = pack.path.c_str();
    if (!pack.found) {
        showPackPlaces = pack.places.c_str();
        showLooseFolder = pack.workingFolder.c_str();
    }
    // Ctrl+C and SIGTERM end the show as its close button does; the status then says which
    // signal stopped it, as shells expect (130 for SIGINT, 143 for SIGTERM).
    CatchStopSignals();
    if (options.timings) StartFrameTimings();
    InstallHud(options.hud);
    std::vector<std::string> wordTexts = options.words;
    std::vector<char*> words;
    for (std::string& w : wordTexts) words.push_back(w.data());
    int status = 0;
    if (options.capturing) {
        status = CaptureShow(options.capture, static_cast<int>(words.size()), words.data(), options.rules);
    } else if (options.fromMoment) {
        status = PlayShowFromMoment(options.moment, static_cast<int>(words.size()), words.data(), options.rules);
    } else {
        status = RunApplication(static_cast<int>(words.size()), words.data(), options.rules, DemoMain) != 0 ? 1
                                                                                                         : DemoExitStatus();
    }
    if (options.timings) PrintFrameTimings(stdout);
    if (const int signal = StopSignalCaught()) return 128 + signal;
    return status;
}
