// The video service: the display device, its modes and surfaces, injected events and the
// present hook, over the back end chosen when the window opens (a window, or none when headless).
#include <cstddef>
#include <deque>
#include <vector>

#include "platform/headless.h"
#include "platform/host_loop.h"
#include "platform/video.h"
#include "platform/video_back_end.h"

namespace {

struct VideoService {
    const VideoBackEnd* backEnd = &kNullVideoBackEnd;
    VideoModeRules rules;
    bool open = false;
    bool device = false;
    bool fullScreen = false;
    bool frontSurface = false;
    bool frontLost = false;
    int clientWidth = 640, clientHeight = 480;
    int modeWidth = 640, modeHeight = 480;
    std::vector<uint8_t> backPixels;
    std::deque<VideoEvent> injected;
    VideoPresentHook presentHook = nullptr;
    void* presentContext = nullptr;
    bool held = false;
};

VideoService video;

bool ModeIsMissing(int width, int height)
{
    for (int i = 0; i < video.rules.missingCount && i < 8; ++i) {
        if (video.rules.missingWidth[i] == width && video.rules.missingHeight[i] == height) return true;
    }
    return false;
}

int BytesPerPixel(int bits)
{
    if (bits <= 8) return 1;
    if (bits <= 16) return 2;
    if (bits <= 24) return 3;
    return 4;
}

// A lost presentation target has to be restored before the next present.
void NoteEvent(const VideoEvent& event)
{
    if (event.kind == kVideoEventSurfaceLost) video.frontLost = true;
}

} // namespace

bool VideoOpenWindow(const char* title, const VideoModeRules& rules)
{
    video.rules = rules;
    // In a page even a headless run presents through the page, which hands control back to the
    // browser after each frame.
    video.backEnd = IsHeadless() && !HostOwnsTheLoop() ? &kNullVideoBackEnd : &kWindowVideoBackEnd;
    video.open = video.backEnd->openWindow(title, video.clientWidth, video.clientHeight);
    return video.open;
}

void VideoShowWindow(bool shown) { video.backEnd->showWindow(shown); }

void VideoCloseWindow()
{
    VideoReleaseSurfaces();
    VideoReleaseDevice();
    video.backEnd->closeWindow();
    // The next window starts as the first one did; only the present hook and the hold stay.
    const VideoPresentHook hook = video.presentHook;
    void* const context = video.presentContext;
    const bool held = video.held;
    video = VideoService{};
    video.presentHook = hook;
    video.presentContext = context;
    video.held = held;
}

bool VideoCreateDevice(bool softwareOnly)
{
    if (!video.open || !video.backEnd->createRenderer(softwareOnly)) return false;
    video.device = true;
    return true;
}

void VideoReleaseDevice()
{
    video.backEnd->destroyRenderer();
    video.device = false;
}

bool VideoSetFullScreenMode(int width, int height, int bitsPerPixel)
{
    if (!video.device || ModeIsMissing(width, height) || bitsPerPixel > 32) return false;
    if (!video.backEnd->enterFullScreen()) return false;
    video.fullScreen = true;
    video.modeWidth = width;
    video.modeHeight = height;
    if (!video.backEnd->getWindowSize(&video.clientWidth, &video.clientHeight)) {
        video.clientWidth = 1280;
        video.clientHeight = 960;
    }
    return true;
}

bool VideoSetWindowMode(int width, int height)
{
    if (!video.device || ModeIsMissing(width, height)) return false;
    if (video.fullScreen) video.backEnd->leaveFullScreen(width, height);
    else video.backEnd->setWindowSize(width, height);
    video.fullScreen = false;
    video.modeWidth = width;
    video.modeHeight = height;
    video.clientWidth = width;
    video.clientHeight = height;
    return true;
}

void VideoSetClientSize(int width, int height)
{
    if (video.fullScreen) return;
    video.clientWidth = width;
    video.clientHeight = height;
    video.backEnd->setWindowSize(width, height);
}

void VideoGetClientSize(int* width, int* height)
{
    if (video.backEnd->getWindowSize(width, height)) return;
    *width = video.clientWidth;
    *height = video.clientHeight;
}

bool VideoIsFullScreen() { return video.fullScreen; }

int VideoWindowDepth(int requestedBits)
{
    return requestedBits == 15 || requestedBits == 16 ? requestedBits : 32;
}

bool VideoGetDisplayMode(int bitsPerPixel, VideoModeDescription* d)
{
    if (!video.device) return false;
    d->width = video.modeWidth;
    d->height = video.modeHeight;
    d->pitch = video.modeWidth * BytesPerPixel(bitsPerPixel);
    d->bitCount = bitsPerPixel;
    int layout = bitsPerPixel;
    if ((bitsPerPixel == 15 || bitsPerPixel == 16) && video.rules.forcedLayout) layout = video.rules.forcedLayout;
    if (layout == 16) {
        *d = VideoModeDescription{d->width, d->height, d->pitch, 16, 0xF800, 0x07E0, 0x001F};
    } else if (layout == 15) {
        *d = VideoModeDescription{d->width, d->height, d->pitch, 16, 0x7C00, 0x03E0, 0x001F};
    } else {
        d->redMask = 0xFF0000;
        d->greenMask = 0x00FF00;
        d->blueMask = 0x0000FF;
    }
    return true;
}

bool VideoCreateFrontSurface()
{
    if (!video.device) return false;
    video.frontSurface = true;
    video.frontLost = false;
    return true;
}

bool VideoCreateBackSurface(int width, int height, int bitsPerPixel, VideoSurface* surface)
{
    if (!video.device || width <= 0 || height <= 0 || bitsPerPixel > 32) return false;
    int pitch = width * BytesPerPixel(bitsPerPixel);
    video.backPixels.assign(static_cast<size_t>(pitch) * height, 0);
    *surface = VideoSurface{video.backPixels.data(), width, height, pitch, bitsPerPixel};
    return true;
}

void VideoReleaseSurfaces()
{
    video.backEnd->dropTexture();
    video.frontSurface = false;
    video.backPixels.clear();
    video.backPixels.shrink_to_fit();
}

bool VideoFrontSurfaceLost() { return video.frontSurface && video.frontLost; }

bool VideoRestoreFrontSurface()
{
    if (!video.frontSurface) return false;
    video.backEnd->dropTexture();
    video.frontLost = false;
    return true;
}

void VideoPresent(const VideoSurface& surface, uint32_t redMask)
{
    if (video.frontSurface && surface.pixels && !video.held) video.backEnd->present(surface, redMask, video.fullScreen);
    if (video.presentHook) video.presentHook(surface, video.presentContext);
}

void VideoSetPresentHook(VideoPresentHook hook, void* context)
{
    video.presentHook = hook;
    video.presentContext = context;
}

void VideoHoldPresents(bool held) { video.held = held; }

bool VideoPollEvent(VideoEvent* event)
{
    if (!video.injected.empty()) {
        *event = video.injected.front();
        video.injected.pop_front();
        return true;
    }
    if (!video.backEnd->pollEvent(event)) return false;
    NoteEvent(*event);
    return true;
}

bool VideoWaitEvent(VideoEvent* event)
{
    if (VideoPollEvent(event)) return true;
    if (!video.backEnd->waitEvent(event)) return false;
    NoteEvent(*event);
    return true;
}

void VideoInjectEvent(const VideoEvent& event) { video.injected.push_back(event); }
