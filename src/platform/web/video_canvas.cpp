// The window back end in a web page: the page's canvas. A present converts the frame to RGBA at
// its own size (the page scales it by nearest pixels and letterboxes it to 4:3 in full screen),
// then hands control back to the browser: until its next animation frame on the real clock (the
// page's refresh paces the show as vsync paces a window), or for one turn of its loop in
// virtual time; the marks that came due meanwhile fire on its return. Keys come from the page's
// keyboard listeners in USB HID usages.
#include <emscripten.h>

#include <vector>

#include "platform/key_codes.h"
#include "platform/tick_source.h"
#include "platform/video_back_end.h"
#include "platform/web/page_calls.h"
#include "platform/web/sound_pump.h"
#include "platform/window_pixels.h"

namespace {

struct Canvas {
    bool open = false;
    std::vector<uint8_t> pixels; // RGBA
};
Canvas canvas;

bool OpenCanvas(const char*, int width, int height)
{
    PageOpenCanvas(width, height);
    canvas.open = true;
    return true;
}

void ShowCanvas(bool shown) { PageShowCanvas(shown); }
void CloseCanvas()
{
    PageShowCanvas(false);
    canvas = Canvas{};
}
bool CreateRenderer(bool) { return canvas.open; }
void Nothing() {}
bool EnterFullScreen()
{
    PageEnterFullScreen();
    return true;
}
void LeaveFullScreen(int width, int height)
{
    PageLeaveFullScreen();
    PageSetCanvasSize(width, height);
}
void SetCanvasSize(int width, int height) { PageSetCanvasSize(width, height); }
bool GetCanvasSize(int* width, int* height)
{
    if (!canvas.open) return false;
    *width = PageCanvasWidth();
    *height = PageCanvasHeight();
    return true;
}

void Present(const VideoSurface& surface, uint32_t redMask, bool)
{
    if (!canvas.open || surface.width < 1 || surface.height < 1) return;
    const size_t count = static_cast<size_t>(surface.width) * static_cast<size_t>(surface.height);
    canvas.pixels.resize(count * 4);
    uint8_t* p = canvas.pixels.data();
    ScaleFrameToWindow(surface, redMask, p, surface.width * 4, surface.width, surface.height);
    // XRGB in memory is blue, green, red, unused; the canvas takes red, green, blue, alpha.
    for (size_t i = 0; i < count; ++i, p += 4) {
        const uint8_t blue = p[0];
        p[0] = p[2];
        p[2] = blue;
        p[3] = 255;
    }
    PageDrawPicture(canvas.pixels.data(), surface.width, surface.height);
    if (TicksAreReal()) PageWaitForAnimationFrame();
    else PageYield();
    // The marks whose sound was heard meanwhile, as a music thread would have fired them: loops
    // that only draw (fades) look at the clock and the marks without pumping events.
    FireDueSoundMarks();
}

bool PollEvent(VideoEvent* event)
{
    FireDueSoundMarks();
    int usage = 0, altDown = 0;
    const int kind = PageNextEvent(&usage, &altDown);
    if (kind == kVideoEventNone) return false;
    *event = VideoEvent{};
    event->kind = static_cast<VideoEventKind>(kind);
    if (kind == kVideoEventKeyDown || kind == kVideoEventKeyUp) {
        const PcKey key = TranslateKey(usage);
        event->scanCode = key.scanCode;
        event->extended = key.extended;
        event->virtualKey = key.virtualKey;
        event->altDown = altDown;
    }
    return true;
}

bool WaitEvent(VideoEvent* event)
{
    if (!canvas.open) return false;
    while (!PollEvent(event)) PageSleep(16);
    return true;
}

} // namespace

const VideoBackEnd kWindowVideoBackEnd = {
    OpenCanvas,    ShowCanvas,    CloseCanvas, CreateRenderer, Nothing,   EnterFullScreen, LeaveFullScreen,
    SetCanvasSize, GetCanvasSize, Present,     Nothing,        PollEvent, WaitEvent,
};
