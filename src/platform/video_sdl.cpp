// The video service on SDL2: a window with a renderer and one streaming texture, or nothing
// at all when headless (the back surface still exists and presents are only counted).
#include "platform/video.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <vector>

#include "platform/headless.h"
#include "platform/key_codes.h"

namespace {

struct VideoService {
    VideoModeRules rules;
    bool open = false;
    bool device = false;
    bool fullScreen = false;
    bool frontSurface = false;
    bool frontLost = false;
    int clientWidth = 640, clientHeight = 480;
    int modeWidth = 640, modeHeight = 480;
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    uint32_t textureFormat = 0;
    int textureWidth = 0, textureHeight = 0;
    std::vector<uint8_t> backPixels;
    std::vector<uint32_t> convertedPixels; // 8-bit frames shown as grey
    std::deque<VideoEvent> injected;
    VideoPresentHook presentHook = nullptr;
    void* presentContext = nullptr;
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

void DestroyTexture()
{
    if (video.texture) SDL_DestroyTexture(video.texture);
    video.texture = nullptr;
    video.textureFormat = 0;
}

void DestroyRenderer()
{
    DestroyTexture();
    if (video.renderer) SDL_DestroyRenderer(video.renderer);
    video.renderer = nullptr;
}

bool CreateRenderer()
{
    if (video.renderer) return true;
    video.renderer = SDL_CreateRenderer(video.window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (!video.renderer) video.renderer = SDL_CreateRenderer(video.window, -1, SDL_RENDERER_SOFTWARE);
    return video.renderer != nullptr;
}

void CentreWindow()
{
    SDL_SetWindowPosition(video.window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

// Where the frame goes in the window's drawable: all of it in a window, the largest 4:3
// rectangle centred in full screen.
SDL_Rect DestinationRectangle()
{
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(video.renderer, &w, &h);
    if (!video.fullScreen) return SDL_Rect{0, 0, w, h};
    int dw = w, dh = w * 3 / 4;
    if (dh > h) {
        dh = h;
        dw = h * 4 / 3;
    }
    return SDL_Rect{(w - dw) / 2, (h - dh) / 2, dw, dh};
}

bool TranslateEvent(const SDL_Event& e, VideoEvent* out)
{
    *out = VideoEvent{};
    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        PcKey key = TranslateKey(e.key.keysym.scancode);
        out->kind = e.type == SDL_KEYDOWN ? kVideoEventKeyDown : kVideoEventKeyUp;
        out->scanCode = key.scanCode;
        out->extended = key.extended;
        out->virtualKey = key.virtualKey;
        out->altDown = (e.key.keysym.mod & KMOD_ALT) != 0;
        return true;
    }
    case SDL_QUIT:
        out->kind = kVideoEventClose;
        return true;
    case SDL_WINDOWEVENT:
        switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE: out->kind = kVideoEventClose; return true;
        case SDL_WINDOWEVENT_MINIMIZED: out->kind = kVideoEventMinimized; return true;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_FOCUS_GAINED: out->kind = kVideoEventActivated; return true;
        case SDL_WINDOWEVENT_FOCUS_LOST: out->kind = kVideoEventDeactivated; return true;
        case SDL_WINDOWEVENT_EXPOSED: out->kind = kVideoEventExposed; return true;
        case SDL_WINDOWEVENT_MOVED:
        case SDL_WINDOWEVENT_SIZE_CHANGED: out->kind = kVideoEventResized; return true;
        default: return false;
        }
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
        video.frontLost = true;
        out->kind = kVideoEventSurfaceLost;
        return true;
    default:
        return false;
    }
}

// SDL falls back to its offscreen driver when no display can be reached, which would play the
// show where nobody can see it. That driver counts only when it was asked for by name.
bool HasVisibleDriver()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver) return false;
    if (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0) return true;
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    return asked && std::strstr(asked, driver) != nullptr;
}

} // namespace

bool VideoOpenWindow(const char* title, const VideoModeRules& rules)
{
    video.rules = rules;
    video.open = true;
    if (IsHeadless()) return true;
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "vela: no video: %s\n", SDL_GetError());
        video.open = false;
        return false;
    }
    if (!HasVisibleDriver()) {
        std::fprintf(stderr, "vela: no display to open a window on (DISPLAY is '%s'); --headless plays without one\n",
                     std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        video.open = false;
        return false;
    }
    video.window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, video.clientWidth,
                                    video.clientHeight, SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    if (!video.window) {
        std::fprintf(stderr, "vela: no window: %s\n", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        video.open = false;
        return false;
    }
    return true;
}

void VideoShowWindow(bool shown)
{
    if (!video.window) return;
    if (!shown) {
        SDL_HideWindow(video.window);
        return;
    }
    SDL_ShowWindow(video.window);
    SDL_RaiseWindow(video.window);
}

void VideoCloseWindow()
{
    VideoReleaseSurfaces();
    VideoReleaseDevice();
    if (video.window) {
        SDL_DestroyWindow(video.window);
        video.window = nullptr;
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    video.injected.clear();
    video.open = false;
}

bool VideoCreateDevice()
{
    if (!video.open) return false;
    if (video.window && !CreateRenderer()) return false;
    video.device = true;
    return true;
}

void VideoReleaseDevice()
{
    DestroyRenderer();
    video.device = false;
}

bool VideoDeviceExists() { return video.device; }

bool VideoSetFullScreenMode(int width, int height, int bitsPerPixel)
{
    if (!video.device || ModeIsMissing(width, height) || bitsPerPixel > 32) return false;
    if (video.window && SDL_SetWindowFullscreen(video.window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) return false;
    video.fullScreen = true;
    video.modeWidth = width;
    video.modeHeight = height;
    if (video.window) {
        SDL_GetWindowSize(video.window, &video.clientWidth, &video.clientHeight);
    } else {
        video.clientWidth = 1280;
        video.clientHeight = 960;
    }
    return true;
}

bool VideoSetWindowMode(int width, int height)
{
    if (!video.device || ModeIsMissing(width, height)) return false;
    if (video.window) {
        if (video.fullScreen) SDL_SetWindowFullscreen(video.window, 0);
        SDL_SetWindowSize(video.window, width, height);
        CentreWindow();
    }
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
    if (video.window) {
        SDL_SetWindowSize(video.window, width, height);
        CentreWindow();
    }
}

void VideoGetClientSize(int* width, int* height)
{
    if (video.window) {
        SDL_GetWindowSize(video.window, width, height);
        return;
    }
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
    DestroyTexture();
    video.frontSurface = false;
    video.backPixels.clear();
    video.backPixels.shrink_to_fit();
}

bool VideoFrontSurfaceLost() { return video.frontSurface && video.frontLost; }

bool VideoRestoreFrontSurface()
{
    if (!video.frontSurface) return false;
    DestroyTexture();
    video.frontLost = false;
    return true;
}

void VideoPresent(const VideoSurface& surface, uint32_t redMask)
{
    if (video.renderer && video.frontSurface && surface.pixels) {
        uint32_t format;
        const void* pixels = surface.pixels;
        int pitch = surface.pitch;
        switch (BytesPerPixel(surface.bitsPerPixel)) {
        case 2: format = redMask == 0xF800 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB555; break;
        case 3: format = SDL_PIXELFORMAT_BGR24; break;
        case 4: format = SDL_PIXELFORMAT_RGB888; break;
        default: {
            format = SDL_PIXELFORMAT_RGB888;
            video.convertedPixels.resize(static_cast<size_t>(surface.width) * surface.height);
            for (int y = 0; y < surface.height; ++y) {
                for (int x = 0; x < surface.width; ++x) {
                    uint32_t v = surface.pixels[static_cast<size_t>(y) * surface.pitch + x];
                    video.convertedPixels[static_cast<size_t>(y) * surface.width + x] = v << 16 | v << 8 | v;
                }
            }
            pixels = video.convertedPixels.data();
            pitch = surface.width * 4;
        }
        }
        if (!video.texture || video.textureFormat != format || video.textureWidth != surface.width ||
            video.textureHeight != surface.height) {
            DestroyTexture();
            video.texture = SDL_CreateTexture(video.renderer, format, SDL_TEXTUREACCESS_STREAMING, surface.width,
                                              surface.height);
            video.textureFormat = format;
            video.textureWidth = surface.width;
            video.textureHeight = surface.height;
        }
        if (video.texture) {
            SDL_UpdateTexture(video.texture, nullptr, pixels, pitch);
            SDL_Rect destination = DestinationRectangle();
            SDL_SetRenderDrawColor(video.renderer, 0, 0, 0, 255);
            SDL_RenderClear(video.renderer);
            SDL_RenderCopy(video.renderer, video.texture, nullptr, &destination);
            SDL_RenderPresent(video.renderer);
        }
    }
    if (video.presentHook) video.presentHook(surface, video.presentContext);
}

void VideoSetPresentHook(VideoPresentHook hook, void* context)
{
    video.presentHook = hook;
    video.presentContext = context;
}

bool VideoPollEvent(VideoEvent* event)
{
    if (!video.injected.empty()) {
        *event = video.injected.front();
        video.injected.pop_front();
        return true;
    }
    if (!video.window) return false;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        if (TranslateEvent(e, event)) return true;
    }
    return false;
}

bool VideoWaitEvent(VideoEvent* event)
{
    if (VideoPollEvent(event)) return true;
    if (!video.window) return false;
    SDL_Event e;
    if (!SDL_WaitEvent(&e)) return false;
    if (!TranslateEvent(e, event)) *event = VideoEvent{};
    return true;
}

void VideoInjectEvent(const VideoEvent& event) { video.injected.push_back(event); }
