// The null video back end: no window, no renderer, no events of its own. Frames are still
// drawn into the back surface and handed to the present hook, so headless runs and tests see
// every frame; the window's size is what the service last set.
#include "platform/video_back_end.h"

namespace {

bool OpenNothing(const char*, int, int) { return true; }
void ShowNothing(bool) {}
void Nothing() {}
bool Done() { return true; }
bool NoRenderer(bool) { return true; }
void NoSize(int, int) {}
bool NoWindowSize(int*, int*) { return false; }
void PresentNowhere(const VideoSurface&, uint32_t, bool) {}
bool NoEvent(VideoEvent*) { return false; }

} // namespace

const VideoBackEnd kNullVideoBackEnd = {
    OpenNothing, ShowNothing, Nothing, NoRenderer, Nothing, Done, NoSize, NoSize, NoWindowSize, PresentNowhere, Nothing, NoEvent, NoEvent,
};
