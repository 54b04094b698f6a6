#include "shell/show_moment.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "display/window.h"
#include "platform/headless.h"
#include "shell/frame_hashes.h"
#include "shell/show_main.h"
#include "shell/virtual_time.h"
#include "show/frame_timings.h"
#include "show/sequencer_state.h"

namespace {

struct MomentRun {
    FrameHashFile hashes;
    bool hashing = false;
    std::string error; // the list could not be written
    bool restartTimings = false;
    bool tell = false; // a line on standard error at the start and at the moment (in a window)
    double seconds = 0;
    std::chrono::steady_clock::time_point started;
};
MomentRun moment;

void TakePicture(int64_t index, const VideoSurface& frame, void*)
{
    if (moment.hashing) WriteFrameHash(&moment.hashes, HashVideoFrame(index, frame));
}

void TakeSound(const int16_t* samples, size_t frames, void*)
{
    if (moment.hashing) HashSound(&moment.hashes.sound, samples, frames);
}

void CloseList()
{
    if (!moment.hashing) return;
    moment.hashing = false;
    CloseFrameHashFile(&moment.hashes, &moment.error);
}

// The list ends with the moment's frame, and the timings measure the real time from there.
void HandedOver(void*)
{
    CloseList();
    if (moment.restartTimings) StartFrameTimings();
    if (moment.tell) {
        const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - moment.started).count();
        std::fprintf(stderr, "vela: at %s after %.1f s; playing in real time\n", ShowMomentText(moment.seconds).c_str(), took);
    }
}

} // namespace

bool ReadShowMoment(const std::string& text, double* seconds)
{
    const size_t colon = text.find(':');
    const std::string secondsText = colon == std::string::npos ? text : text.substr(colon + 1);
    double minutes = 0;
    if (colon != std::string::npos) {
        const std::string minutesText = text.substr(0, colon);
        if (minutesText.empty() || minutesText.find_first_not_of("0123456789") != std::string::npos || minutesText.size() > 6) {
            return false;
        }
        minutes = std::atof(minutesText.c_str());
        // m:ss: the seconds are two digits, perhaps with a fraction.
        if (secondsText.size() < 2 || secondsText.find_first_not_of("0123456789") < 2) return false;
    }
    if (secondsText.empty() || secondsText.find_first_not_of("0123456789.") != std::string::npos ||
        secondsText.find('.') != secondsText.rfind('.') || secondsText == ".") {
        return false;
    }
    const double s = std::atof(secondsText.c_str());
    if (colon != std::string::npos && s >= 60) return false;
    *seconds = minutes * 60 + s;
    return std::isfinite(*seconds);
}

std::string ShowMomentText(double seconds)
{
    const auto tenths = static_cast<long long>(std::llround(std::max(seconds, 0.0) * 10));
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld.%lld", tenths / 600, tenths / 10 % 60, tenths % 10);
    return text;
}

int PlayShowFromMoment(const MomentOptions& options, int wordCount, char** words, const VideoModeRules& rules)
{
    moment = MomentRun{};
    moment.restartTimings = options.timings;
    moment.tell = !IsHeadless();
    moment.seconds = options.seconds;
    moment.started = std::chrono::steady_clock::now();
    if (moment.tell) {
        std::fprintf(stderr, "vela: playing the show up to %s unseen...\n", ShowMomentText(options.seconds).c_str());
    }
    std::string error;
    moment.hashing = !options.frameHashPath.empty();
    if (moment.hashing && !OpenFrameHashFile(&moment.hashes, options.frameHashPath, options.framesPerSecond, &error)) {
        std::fprintf(stderr, "vela: %s\n", error.c_str());
        moment.hashing = false;
        return 2;
    }
    VirtualTimeSink sink;
    sink.picture = TakePicture;
    sink.sound = TakeSound;
    StartVirtualTime(options.framesPerSecond, sink);
    HandOverToRealTimeAt(options.seconds, HandedOver, nullptr);
    const int opened = RunApplication(wordCount, words, rules, DemoMain);
    const bool reached = VirtualTimeHandedOver();
    const double length = VirtualSeconds();
    FinishVirtualTime();
    CloseList();
    if (!moment.error.empty()) {
        std::fprintf(stderr, "vela: %s\n", moment.error.c_str());
        return 1;
    }
    if (opened != 0) return 1;
    // The show ended on its own before the moment came (not by Escape, nor with a message).
    if (!reached && DemoExitStatus() == 0 && !sequencer.abortRequested) {
        std::fprintf(stderr, "vela: --at %s is past the end of the show, which is %s long\n", ShowMomentText(options.seconds).c_str(),
                     ShowMomentText(length).c_str());
        return 2;
    }
    return DemoExitStatus();
}
