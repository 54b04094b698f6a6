#include "display/display_device.h"
#include "display/window.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

DisplayDevice display;

namespace {

// The frame belongs to one thread at a time (see BeginDraw).
std::recursive_mutex frameMutex;
// The thread that sets video modes, and the only one that presents.
std::atomic<std::thread::id> displayThread{};

// A frame finished by another thread, waiting for the display's thread to present it.
struct PendingFrame {
    std::mutex mutex;
    std::vector<uint8_t> pixels;
    VideoSurface surface{};
    uint32_t redMask = 0;
    std::atomic<bool> waiting{false};
};
PendingFrame pendingFrame;

bool OnDisplayThread() { return std::this_thread::get_id() == displayThread.load(); }

const char* const kVideoErrorTexts[] = {
    "No error :)",
    "Error: Direct Draw failure",
    "Error: Video mode does not exist",
    "Error: Memory fail",
};

int BytesPerPixel(int bits)
{
    if (bits == 8) return 1;
    if (bits <= 16) return 2;
    if (bits <= 24) return 3;
    return 4;
}

void ReleaseStaging()
{
    if (!display.directDrawing && display.stagingFrame) {
        std::free(display.stagingFrame);
    }
    display.stagingFrame = nullptr;
}

uint32_t RedMask()
{
    return display.bitsPerPixel == 16 ? 0xF800u : 0x7C00u;
}

// Copies the staging frame into the back surface, line by line in whole words.
void CopyStagingToBack()
{
    const uint8_t* from = display.stagingFrame;
    uint8_t* to = display.back.pixels;
    size_t lineBytes = static_cast<size_t>(display.lineWords) * 4;
    for (int y = 0; y < display.modeHeight; ++y) {
        std::memcpy(to, from, lineBytes);
        from += lineBytes;
        to += lineBytes + display.lineGap;
    }
}

std::atomic<FrameOverlay> frameOverlay{nullptr};
std::vector<uint8_t> overlaid; // the display's thread's copy of the frame it draws an overlay on

void PresentSurface(const VideoSurface& surface, uint32_t redMask)
{
    const FrameOverlay overlay = frameOverlay.load();
    if (!overlay || !surface.pixels || !HudShown()) {
        VideoPresent(surface, redMask);
        return;
    }
    overlaid.assign(surface.pixels, surface.pixels + static_cast<size_t>(surface.pitch) * surface.height);
    VideoSurface copy = surface;
    copy.pixels = overlaid.data();
    overlay(&copy);
    VideoPresent(copy, redMask);
}

void PresentBack()
{
    PresentSurface(display.back, RedMask());
}

// From another thread: a copy of the back surface for the display's thread to present.
void HandBackToDisplayThread()
{
    std::lock_guard<std::mutex> lock(pendingFrame.mutex);
    const size_t bytes = static_cast<size_t>(display.back.pitch) * display.back.height;
    pendingFrame.pixels.assign(display.back.pixels, display.back.pixels + bytes);
    pendingFrame.surface = display.back;
    pendingFrame.surface.pixels = pendingFrame.pixels.data();
    pendingFrame.redMask = RedMask();
    pendingFrame.waiting.store(true);
}

// Re-creates everything after the stored mode values changed; used by the mode setters.
void RecreateFromStoredMode()
{
    ReleaseDisplay(true);
    display.frameWidth = display.modeWidth;
    display.frameHeight = display.modeHeight;
    if (CreateDisplay()) {
        if (CreateSurfaces()) {
            ClearFrame();
        } else {
            ReleaseDisplay(true);
        }
    }
}

void StoreMode(int32_t width, int32_t height, int32_t bits, int32_t systemMemory, int32_t fullScreen)
{
    display.modeWidth = width;
    display.modeHeight = height;
    display.bitsPerPixel = bits;
    display.systemMemory = systemMemory;
    display.fullScreen = fullScreen;
    display.emulationOnly = 0;
    display.consoleColumn = 0;
    display.consoleRow = 0;
}

// After a successful first try whose back surface lines are longer than the frame's, tries
// once more in emulation mode before accepting the staging copy.
void RetryInEmulation()
{
    if (display.videoError != 0 || display.directDrawing) return;
    display.emulationOnly = 1;
    RecreateFromStoredMode();
}

} // namespace

const char* VideoErrorText(int32_t code)
{
    if (code < 0 || code > 3) return "Error: unknown";
    return kVideoErrorTexts[code];
}

void Trace(const char* format, ...)
{
    static const bool enabled = [] {
        const char* v = std::getenv("VELA_TRACE");
        return v && std::strcmp(v, "1") == 0;
    }();
    if (!enabled) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
}

bool CreateDisplay()
{
    // The thread that makes the display is the one that presents.
    displayThread.store(std::this_thread::get_id());
    display.videoError = 0;
    if (!display.device) {
        if (!VideoCreateDevice(display.emulationOnly != 0)) {
            Trace("DirectDrawCreate failed err=%d", -1);
            display.videoError = kVideoErrorDirectDraw;
            return false;
        }
        display.device = true;
    }
    if (display.fullScreen) {
        Trace("SetDisplayMode %d %d %d", display.modeWidth, display.modeHeight, display.bitsPerPixel);
        if (!VideoSetFullScreenMode(display.modeWidth, display.modeHeight, display.bitsPerPixel)) {
            ReleaseDisplay(true);
            Trace("SetMode failed err=%d", -1);
            display.videoError = kVideoErrorModeMissing;
            return false;
        }
    } else {
        display.bitsPerPixel = VideoWindowDepth(display.bitsPerPixel);
        if (!VideoSetWindowMode(display.modeWidth, display.modeHeight)) {
            ReleaseDisplay(true);
            Trace("SetMode failed err=%d", -1);
            display.videoError = kVideoErrorModeMissing;
            return false;
        }
    }
    if (display.bitsPerPixel == 15 || display.bitsPerPixel == 16) {
        VideoModeDescription& d = display.modeDescription;
        if (VideoGetDisplayMode(display.bitsPerPixel, &d)) {
            Trace("-----------BLOC DETECTION REEL BPP");
            Trace("RES: %s", "ok");
            Trace("Width=%d", d.width);
            Trace("Height=%d", d.height);
            Trace("Pitch=%d", d.pitch);
            Trace("R_Mask=%x", d.redMask);
            Trace("V_Mask=%x", d.greenMask);
            Trace("B_Mask=%x", d.blueMask);
            Trace("NbBackBuffer=%d", 0);
            Trace("BPP=%d", d.bitCount);
            Trace("-----------");
            display.bitsPerPixel = (d.redMask & 0x8000) ? 16 : 15;
        }
    }
    return true;
}

bool CreateSurfaces()
{
    if (!display.device) {
        display.videoError = kVideoErrorDirectDraw;
        return false;
    }
    if (!VideoCreateFrontSurface()) {
        Trace("CreateSurface FAILED! %08lx", 0ul);
        display.videoError = kVideoErrorDirectDraw;
        return false;
    }
    display.frontSurface = true;
    if (display.bitsPerPixel > 32) {
        display.videoError = kVideoErrorMemory;
        return false;
    }
    if (!VideoCreateBackSurface(display.frameWidth, display.frameHeight, display.bitsPerPixel, &display.back)) {
        Trace("CreateSurface FAILED, rc = %ld", 0l);
        Trace("Cant create the backbuffer");
        display.videoError = kVideoErrorDirectDraw;
        return false;
    }
    display.backSurface = true;
    int bytes = BytesPerPixel(display.bitsPerPixel);
    display.lineWords = display.modeWidth * bytes / 4;
    display.lineGap = display.back.pitch - display.modeWidth * bytes;
    int directPitch = display.bitsPerPixel == 8 ? display.modeWidth : 2 * display.modeWidth;
    if (display.back.pitch == directPitch) {
        display.directDrawing = 1;
        return true;
    }
    display.directDrawing = 0;
    size_t size = static_cast<size_t>(display.modeWidth) * display.modeHeight * bytes;
    display.stagingFrame = static_cast<uint8_t*>(std::calloc(size, 1));
    if (!display.stagingFrame) {
        display.videoError = kVideoErrorMemory;
        return false;
    }
    return true;
}

void ReleaseDisplay(bool alsoDevice)
{
    FrameHold hold;
    VideoReleaseSurfaces();
    display.frontSurface = false;
    display.backSurface = false;
    display.back = VideoSurface{};
    ReleaseStaging();
    display.directDrawing = 0;
    display.lockDepth = 0;
    display.drawPointer = nullptr;
    if (alsoDevice) {
        VideoReleaseDevice();
        display.device = false;
    }
}

int32_t SetVideoMode(int32_t width, int32_t height, int32_t bits, int32_t systemMemory, int32_t fullScreen)
{
    displayThread.store(std::this_thread::get_id());
    FrameHold hold;
    StoreMode(width, height, bits, systemMemory, fullScreen);
    RecreateFromStoredMode();
    if (display.videoError != 0) return display.bitsPerPixel;
    if (display.directDrawing) return display.bitsPerPixel;
    StoreMode(width, height, bits, systemMemory, fullScreen);
    RetryInEmulation();
    return display.bitsPerPixel;
}

int32_t GetVideoError()
{
    int32_t code = display.videoError;
    display.videoError = 0;
    return code;
}

FrameHold::FrameHold() { frameMutex.lock(); }
FrameHold::~FrameHold() { frameMutex.unlock(); }

void* BeginDraw()
{
    frameMutex.lock();
    if (!display.backSurface) {
        frameMutex.unlock();
        return nullptr;
    }
    if (display.lockDepth == 0) {
        // Surfaces are restored only by the display's thread.
        if (OnDisplayThread() && VideoFrontSurfaceLost()) VideoRestoreFrontSurface();
        display.drawPointer = display.directDrawing ? display.back.pixels : display.stagingFrame;
    }
    display.lockDepth += 1;
    return display.drawPointer;
}

void EndDraw()
{
    std::lock_guard<std::recursive_mutex> lock(frameMutex);
    if (display.lockDepth <= 0) return;
    display.lockDepth -= 1;
    frameMutex.unlock(); // the BeginDraw this ends
    if (display.lockDepth != 0) return;
    if (!display.backSurface) return;
    const bool own = OnDisplayThread();
    if (!display.directDrawing) {
        if (own && VideoFrontSurfaceLost()) {
            VideoRestoreFrontSurface();
        } else {
            CopyStagingToBack();
        }
    }
    if (own) PresentBack();
    else HandBackToDisplayThread();
}

void PresentPendingFrame()
{
    if (!pendingFrame.waiting.load() || !OnDisplayThread()) return;
    std::lock_guard<std::mutex> lock(pendingFrame.mutex);
    if (!pendingFrame.waiting.load()) return;
    PresentSurface(pendingFrame.surface, pendingFrame.redMask);
    pendingFrame.waiting.store(false);
}

void SetFrameOverlay(FrameOverlay overlay) { frameOverlay.store(overlay); }

void RepaintFrame()
{
    // A frame another thread is drawing is presented when it is finished.
    std::unique_lock<std::recursive_mutex> lock(frameMutex, std::try_to_lock);
    if (!lock.owns_lock() || display.lockDepth != 0 || !display.backSurface) return;
    if (!display.directDrawing) CopyStagingToBack();
    PresentBack();
}

void ClearFrame()
{
    uint8_t* frame = static_cast<uint8_t*>(BeginDraw());
    if (frame) {
        size_t lineBytes = static_cast<size_t>(display.lineWords) * 4;
        for (int y = 0; y < display.modeHeight; ++y) std::memset(frame + y * lineBytes, 0, lineBytes);
    }
    EndDraw();
}

void SwitchToDesktopWindow()
{
    displayThread.store(std::this_thread::get_id());
    FrameHold hold;
    StoreMode(640, 480, 32, 1, 0);
    RecreateFromStoredMode();
    if (display.videoError == 0 && !display.directDrawing) {
        StoreMode(640, 480, 32, 1, 0);
        RetryInEmulation();
    }
}
