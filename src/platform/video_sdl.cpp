// The SDL2 video back end: one window with a renderer and a streaming texture of the size the
// frame takes on screen, which the frame is converted and scaled into once (window_pixels.cpp)
// and which the renderer copies unscaled.
#include <SDL.h>
#include <SDL_syswm.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/key_codes.h"
#include "platform/video_back_end.h"
#include "platform/window_pixels.h"

namespace {

struct SdlWindow {
    SDL_Window* window = nullptr;
    // Full screen made by hand: a borderless window over the whole display, where no window
    // manager carries out a full-screen request (a bare X server).
    bool borderlessFullScreen = false;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int textureWidth = 0, textureHeight = 0;
    // Presents are paced to the display's refresh rate: where the renderer waits for the
    // vertical blank this costs nothing; where it does not (Xvfb, some drivers), the show would
    // otherwise draw as fast as it can and burn a core.
    std::chrono::steady_clock::time_point nextPresent{};
};

SdlWindow sdl;

void DropTexture()
{
    if (sdl.texture) SDL_DestroyTexture(sdl.texture);
    sdl.texture = nullptr;
    sdl.textureWidth = sdl.textureHeight = 0;
}

void DestroyRenderer()
{
    DropTexture();
    if (sdl.renderer) SDL_DestroyRenderer(sdl.renderer);
    sdl.renderer = nullptr;
}

// Whether the renderer draws through OpenGL carried out on the processor (Mesa's llvmpipe and
// its kin, as on a virtual display or a machine without a graphics driver).
bool DrawsOpenGlOnTheProcessor(SDL_Renderer* renderer)
{
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(renderer, &info) != 0 || !info.name || std::strncmp(info.name, "opengl", 6) != 0) return false;
    using GetString = const unsigned char* (*)(unsigned int);
    const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned char* name = getString ? getString(0x1F01) : nullptr;  // GL_RENDERER
    if (!name) return false;
    const char* text = reinterpret_cast<const char*>(name);
    for (const char* word : {"llvmpipe", "softpipe", "Software Rasterizer", "swrast"}) {
        if (std::strstr(text, word)) return true;
    }
    return false;
}

// An accelerated renderer with vsync where the machine has one. Where its OpenGL is carried out
// on the processor, SDL's own renderer costs far less: the frame is already at its size on
// screen, so it is one copy into the window's surface, which goes to the display server through
// shared memory rather than through OpenGL as well.
bool CreateRenderer(bool softwareOnly)
{
    if (sdl.renderer) return true;
    if (!softwareOnly) {
        sdl.renderer = SDL_CreateRenderer(sdl.window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
        if (sdl.renderer && DrawsOpenGlOnTheProcessor(sdl.renderer)) {
            SDL_DestroyRenderer(sdl.renderer);
            sdl.renderer = nullptr;
        }
    }
    if (!sdl.renderer) {
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        sdl.renderer = SDL_CreateRenderer(sdl.window, -1, SDL_RENDERER_SOFTWARE);
    }
    return sdl.renderer != nullptr;
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

bool OpenWindow(const char* title, int width, int height)
{
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
    // The program catches the stop signals itself (platform/stop_signals.h).
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "vela: no video: %s\n", SDL_GetError());
        return false;
    }
    if (!HasVisibleDriver()) {
        std::fprintf(stderr, "vela: no display to open a window on (DISPLAY is '%s'); --headless plays without one\n",
                     std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    sdl.window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                  SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    if (!sdl.window) {
        std::fprintf(stderr, "vela: no window: %s\n", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    return true;
}

void ShowWindow(bool shown)
{
    if (!sdl.window) return;
    if (!shown) {
        SDL_HideWindow(sdl.window);
        return;
    }
    SDL_ShowWindow(sdl.window);
    SDL_RaiseWindow(sdl.window);
}

void CloseWindow()
{
    DestroyRenderer();
    if (!sdl.window) return;
    SDL_DestroyWindow(sdl.window);
    sdl.window = nullptr;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void SetWindowSize(int width, int height)
{
    SDL_SetWindowSize(sdl.window, width, height);
    SDL_SetWindowPosition(sdl.window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

// The window's size as the X server has it. SDL takes a full-screen request as done at once,
// but on an X server it is a request to the window manager: with none running, the window
// keeps its size while SDL reports the display's. False when the window is not an X window.
bool ServerWindowSize(int* width, int* height)
{
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(sdl.window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    XWindowAttributes attributes;
    XSync(info.info.x11.display, False);
    if (!XGetWindowAttributes(info.info.x11.display, info.info.x11.window, &attributes)) return false;
    *width = attributes.width;
    *height = attributes.height;
    return true;
#else
    (void)width;
    (void)height;
    return false;
#endif
}

// Whether the X server's window has grown to the display's size within a short wait.
bool ServerWindowFillsDisplay(const SDL_Rect& bounds)
{
    for (int tries = 0; tries < 25; ++tries) {
        int w = 0, h = 0;
        if (!ServerWindowSize(&w, &h)) return true; // not X: SDL's own sizes are right
        if (w >= bounds.w && h >= bounds.h) return true;
        SDL_PumpEvents();
        SDL_Delay(8);
    }
    return false;
}

bool EnterFullScreen()
{
    SDL_Rect bounds{};
    if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(sdl.window), &bounds) != 0) return false;
    if (SDL_SetWindowFullscreen(sdl.window, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0 && ServerWindowFillsDisplay(bounds)) {
        sdl.borderlessFullScreen = false;
        return true;
    }
    // Nobody carried the request out: cover the display with a borderless window instead.
    SDL_SetWindowFullscreen(sdl.window, 0);
    SDL_SetWindowBordered(sdl.window, SDL_FALSE);
    SDL_SetWindowPosition(sdl.window, bounds.x, bounds.y);
    SDL_SetWindowSize(sdl.window, bounds.w, bounds.h);
    sdl.borderlessFullScreen = true;
    return true;
}

void LeaveFullScreen(int width, int height)
{
    if (sdl.borderlessFullScreen) SDL_SetWindowBordered(sdl.window, SDL_TRUE);
    else SDL_SetWindowFullscreen(sdl.window, 0);
    sdl.borderlessFullScreen = false;
    SetWindowSize(width, height);
}

bool GetWindowSize(int* width, int* height)
{
    if (!sdl.window) return false;
    if (!ServerWindowSize(width, height)) SDL_GetWindowSize(sdl.window, width, height);
    return true;
}

// Where the frame goes in the window's drawable: all of it in a window, the largest 4:3
// rectangle centred in full screen. The drawable is the window as it really is, whatever the
// window manager did with the last request.
SDL_Rect DestinationRectangle(bool fullScreen)
{
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(sdl.renderer, &w, &h);
    if (!fullScreen) return SDL_Rect{0, 0, w, h};
    int dw = w, dh = w * 3 / 4;
    if (dh > h) {
        dh = h;
        dw = h * 4 / 3;
    }
    return SDL_Rect{(w - dw) / 2, (h - dh) / 2, dw, dh};
}

// The display's refresh period (60 Hz when it does not say).
std::chrono::nanoseconds RefreshPeriod()
{
    SDL_DisplayMode mode{};
    const int display = SDL_GetWindowDisplayIndex(sdl.window);
    const int hertz = display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate > 0
                          ? std::clamp(mode.refresh_rate, 24, 360)
                          : 60;
    return std::chrono::nanoseconds(1000000000LL / hertz);
}

// Waits until a refresh period has passed since the last present; a present that came late
// (vertical blank waits, slow frames) starts the count again from now.
void PaceToRefresh()
{
    const auto now = std::chrono::steady_clock::now();
    if (now < sdl.nextPresent) std::this_thread::sleep_until(sdl.nextPresent);
    const auto period = RefreshPeriod();
    sdl.nextPresent = std::max(now, sdl.nextPresent) + period;
}

void Present(const VideoSurface& surface, uint32_t redMask, bool fullScreen)
{
    if (!sdl.renderer) return;
    const SDL_Rect destination = DestinationRectangle(fullScreen);
    if (destination.w < 1 || destination.h < 1) return;
    if (!sdl.texture || sdl.textureWidth != destination.w || sdl.textureHeight != destination.h) {
        DropTexture();
        sdl.texture = SDL_CreateTexture(sdl.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, destination.w,
                                        destination.h);
        if (!sdl.texture) return;
        sdl.textureWidth = destination.w;
        sdl.textureHeight = destination.h;
    }
    PaceToRefresh();
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(sdl.texture, nullptr, &pixels, &pitch) != 0) return;
    ScaleFrameToWindow(surface, redMask, static_cast<uint8_t*>(pixels), pitch, destination.w, destination.h);
    SDL_UnlockTexture(sdl.texture);
    SDL_SetRenderDrawColor(sdl.renderer, 0, 0, 0, 255);
    SDL_RenderClear(sdl.renderer);
    SDL_RenderCopy(sdl.renderer, sdl.texture, nullptr, &destination);
    SDL_RenderPresent(sdl.renderer);
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
        out->kind = kVideoEventSurfaceLost;
        return true;
    default:
        return false;
    }
}

bool PollEvent(VideoEvent* event)
{
    if (!sdl.window) return false;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        if (TranslateEvent(e, event)) return true;
    }
    return false;
}

bool WaitEvent(VideoEvent* event)
{
    if (!sdl.window) return false;
    SDL_Event e;
    if (!SDL_WaitEvent(&e)) return false;
    if (!TranslateEvent(e, event)) *event = VideoEvent{};
    return true;
}

} // namespace

const VideoBackEnd kWindowVideoBackEnd = {
    OpenWindow,    ShowWindow,    CloseWindow,   CreateRenderer, DestroyRenderer, EnterFullScreen, LeaveFullScreen,
    SetWindowSize, GetWindowSize, Present,        DropTexture,     PollEvent,       WaitEvent,
};
