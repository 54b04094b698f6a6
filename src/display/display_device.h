// The display device: one linear frame of width x height pixels with no gap between lines,
// the video mode it is shown in, and the error code of the last failure.
#pragma once

#include <cstdint>

#include "platform/video.h"

enum VideoError {
    kVideoErrorNone = 0,
    kVideoErrorDirectDraw = 1,   // the display service failed
    kVideoErrorModeMissing = 2,  // the video mode does not exist
    kVideoErrorMemory = 3,
};

struct DisplayDevice {
    int32_t modeWidth = 640, modeHeight = 480;
    int32_t bitsPerPixel = 16;
    int32_t systemMemory = 1;
    int32_t fullScreen = 0;
    int32_t emulationOnly = 0; // 1: the device is made without graphics acceleration
    int32_t frameWidth = 640, frameHeight = 480;
    bool device = false;       // the display service object exists
    bool frontSurface = false;
    bool backSurface = false;
    VideoSurface back{};       // the back surface (system memory)
    int32_t directDrawing = 0; // 1: the frame is the back surface itself
    uint8_t* stagingFrame = nullptr;
    int32_t lineWords = 0;     // one frame line in 32-bit words
    int32_t lineGap = 0;       // bytes between copied lines in the back surface
    uint8_t* drawPointer = nullptr;
    int32_t lockDepth = 0;
    int32_t videoError = 0;
    VideoModeDescription modeDescription{};
    int32_t consoleColumn = 0, consoleRow = 0; // the text console's cursor, in pixels
};

extern DisplayDevice display;

// The texts for the video error codes 0..3.
const char* VideoErrorText(int32_t code);

// Opens the display and returns the depth in use; success is read with GetVideoError.
int32_t SetVideoMode(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t systemMemory, int32_t fullScreen);
// The last error code; reading clears it.
int32_t GetVideoError();
// The frame (width x height pixels, lines without gaps). Calls nest; only the outer pair
// locks and presents. Null when no display exists.
//
// Another thread may draw too (part two's loading screen is drawn by the music's thread): the
// frame belongs to one thread at a time, from its outermost BeginDraw (which waits while
// another thread draws) to its outermost EndDraw. Only the display's own thread (the one that
// set the video mode) presents; a frame another thread finishes is copied whole and presented
// by the display's thread at its next PresentPendingFrame, so it is never torn, and a newer
// frame replaces one not yet shown.
void* BeginDraw();
void EndDraw();
// On the display's thread: presents the frame another thread finished since the last call, if
// any. The message pump calls it; so must every wait that does not pump.
void PresentPendingFrame();
// Holds the frame for the calling thread without drawing, as an outermost BeginDraw does:
// display re-creation (mode switches, surface recovery) runs inside one, never mid-frame.
class FrameHold {
public:
    FrameHold();
    ~FrameHold();
    FrameHold(const FrameHold&) = delete;
    FrameHold& operator=(const FrameHold&) = delete;
};
// While the HUD is shown (HudShown), drawn on a copy of each frame the display's thread
// presents, never on the frame itself; null (the default): nothing.
using FrameOverlay = void (*)(VideoSurface* shown);
void SetFrameOverlay(FrameOverlay overlay);
// Blackens the whole frame and presents it.
void ClearFrame();
// Presents the current frame as the outermost EndDraw does (window repaints).
void RepaintFrame();
// Re-creates the display as a 640 x 480 window at the desktop's depth.
void SwitchToDesktopWindow();
// Releases the surfaces and the staging frame, and with `alsoDevice` the display service object.
void ReleaseDisplay(bool alsoDevice);
// Internal steps shared with the window layer.
bool CreateDisplay();
bool CreateSurfaces();

// Diagnostic lines; discarded unless VELA_TRACE=1 sends them to standard error.
void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));
