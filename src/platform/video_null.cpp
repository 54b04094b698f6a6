// The null video back end: no window, no renderer, no events of its own. Frames are still
// drawn into the back surface and handed to the present hook, so headless runs and tests see
// every frame; the window's size is what the service last set.
#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/tick_source.h"
#include "platform/video_back_end.h"

namespace {

int headlessRate = 0; // 0: presents never wait
std::chrono::steady_clock::time_point nextPresent{};

// Waits until a frame period has passed since the last present, on the real clock only; a late
// present starts the count again from now.
void PaceHeadlessPresent()
{
    if (headlessRate == 0 || !TicksAreReal()) return;
    const auto now = std::chrono::steady_clock::now();
    if (now < nextPresent) std::this_thread::sleep_until(nextPresent);
    nextPresent = std::max(now, nextPresent) + std::chrono::nanoseconds(1000000000LL / headlessRate);
}

bool OpenNothing(const char*, int, int) { return true; }
void ShowNothing(bool) {}
void Nothing() {}
bool Done() { return true; }
bool NoRenderer(bool) { return true; }
void NoSize(int, int) {}
bool NoWindowSize(int*, int*) { return false; }
void PresentNowhere(const VideoSurface&, uint32_t, bool) { PaceHeadlessPresent(); }
bool NoEvent(VideoEvent*) { return false; }

} // namespace

const VideoBackEnd kNullVideoBackEnd = {
    OpenNothing, ShowNothing, Nothing, NoRenderer, Nothing, Done, NoSize, NoSize, NoWindowSize, PresentNowhere, Nothing, NoEvent, NoEvent,
};

void VideoSetHeadlessRate(int framesPerSecond) { headlessRate = framesPerSecond > 0 ? std::min(framesPerSecond, 240) : 0; }
