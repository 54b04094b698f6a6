// The video service: one application window (or none, headless), a display "device" that
// can be created and released, full-screen or windowed modes, a back surface in system
// memory that the frame is drawn into, and presentation of that surface stretched into the
// window. It offers what a DirectDraw-style display layer needs, with the same effects.
#pragma once

#include <cstdint>

// What the machine offers, set from the command line before the window opens. Used to try
// the display layer's fallbacks without special hardware.
struct VideoModeRules {
    int forcedLayout = 0;        // 0: 15/16-bit requests get the layout asked for; 15 or 16: always that layout
    int missingWidth[8] = {};    // mode sizes that do not exist (full screen and window alike)
    int missingHeight[8] = {};
    int missingCount = 0;
};

// A description of the mode in use, as a display mode query returns it.
struct VideoModeDescription {
    int width, height, pitch;
    int bitCount;
    uint32_t redMask, greenMask, blueMask;
};

// The back surface: pixels in system memory, owned by the video service.
struct VideoSurface {
    uint8_t* pixels;
    int width, height, pitch, bitsPerPixel;
};

enum VideoEventKind {
    kVideoEventNone,
    kVideoEventKeyDown,    // scanCode (PC set 1, 0..127), extended (0/1), virtualKey (see below)
    kVideoEventKeyUp,
    kVideoEventClose,      // the window's close button
    kVideoEventMinimized,
    kVideoEventActivated,  // restored or given the focus: the application is in front again
    kVideoEventDeactivated,
    kVideoEventExposed,    // the window needs painting again
    kVideoEventResized,
    kVideoEventSurfaceLost, // the presentation target was reset and must be restored
    kVideoEventQuit,
};

// Virtual key codes reported with key events (the six keys stored at fixed indexes, the
// window-control keys, and Enter for Alt+Enter); 0 for every other key.
enum VideoVirtualKey {
    kVirtualKeyBackspace = 0x08,
    kVirtualKeyReturn = 0x0D,
    kVirtualKeyLeft = 0x25,
    kVirtualKeyUp = 0x26,
    kVirtualKeyRight = 0x27,
    kVirtualKeyDown = 0x28,
    kVirtualKeyDelete = 0x2E,
    kVirtualKeyF1 = 0x70,
    kVirtualKeyF2 = 0x71,
    kVirtualKeyF4 = 0x73,
};

struct VideoEvent {
    VideoEventKind kind;
    int scanCode;
    int extended;
    int virtualKey;
    int altDown;
};

// Opens the window titled `title`, hidden until VideoShowWindow (headless: nothing is
// opened). False when it cannot be made.
bool VideoOpenWindow(const char* title, const VideoModeRules& rules);
// Shows the window (in front, with the keyboard) or hides it.
void VideoShowWindow(bool shown);
// Closes the window and everything the service holds.
void VideoCloseWindow();

// The display device: created before modes are set, released with the surfaces. With
// `softwareOnly` the window is drawn without graphics acceleration.
bool VideoCreateDevice(bool softwareOnly);
void VideoReleaseDevice();

// Full screen at width x height x bits: false when the mode does not exist.
bool VideoSetFullScreenMode(int width, int height, int bitsPerPixel);
// A window with a client area of width x height, centred on the screen; leaves full screen.
// False when no window of that size can be given.
bool VideoSetWindowMode(int width, int height);
// Resizes the window's client area (F1/F2); ignored in full screen.
void VideoSetClientSize(int width, int height);
// The client area's size now (the whole screen in full screen).
void VideoGetClientSize(int* width, int* height);
bool VideoIsFullScreen();
// The depth a window gets for a requested depth: the window presents the 15- and 16-bit
// layouts itself, so those requests keep their depth; anything else gets the desktop's 32.
int VideoWindowDepth(int requestedBits);
// The mode in use (size, pitch of a packed line, layout masks for 15/16/32 bits).
bool VideoGetDisplayMode(int bitsPerPixel, VideoModeDescription* description);

// The front surface (what is shown) and the back surface (what is drawn).
bool VideoCreateFrontSurface();
bool VideoCreateBackSurface(int width, int height, int bitsPerPixel, VideoSurface* surface);
void VideoReleaseSurfaces();
bool VideoFrontSurfaceLost();
bool VideoRestoreFrontSurface();

// Shows the back surface stretched into the window (letterboxed to its shape in full screen).
// Masks give the layout of 15/16-bit pixels. Headless, on the real clock, presents are paced to
// the headless rate as a window's are to its display (nothing is shown, but the show should not
// draw as fast as it can and burn a core for it); on a clock of the caller's own (virtual
// time, tests) they never wait.
void VideoPresent(const VideoSurface& surface, uint32_t redMask);
// Frames per second headless presents are paced to (1..240; 0, the default: not paced).
void VideoSetHeadlessRate(int framesPerSecond);

// Called after every present with the surface shown (tests, captures); null removes it.
using VideoPresentHook = void (*)(const VideoSurface& surface, void* context);
void VideoSetPresentHook(VideoPresentHook hook, void* context);
// While held, presents reach only the hook: nothing is shown and nothing waits (the show played
// in virtual time up to a moment before it is shown in a window).
void VideoHoldPresents(bool held);

// Events: polling never blocks; waiting blocks until one arrives (headless: returns false at
// once when none is queued). Injected events are delivered before the window's own.
bool VideoPollEvent(VideoEvent* event);
bool VideoWaitEvent(VideoEvent* event);
void VideoInjectEvent(const VideoEvent& event);
