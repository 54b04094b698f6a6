#include "display/window.h"

#include <atomic>
#include <cstring>
#include <vector>

#include "display/display_device.h"
#include "platform/message_box.h"
#include "platform/stop_signals.h"
#include "platform/tick_source.h"

WindowState windowState;
uint8_t KeyState[256];

namespace {
// Keys pressed since the last query asked for them: a tap whose press and release arrive in
// the same pump still counts once.
uint8_t keyPressedSinceQuery[256];
} // namespace

namespace {

// The six keys stored by virtual key at fixed indexes.
int FixedKeyIndex(int virtualKey)
{
    switch (virtualKey) {
    case kVirtualKeyBackspace: return 0x0E;
    case kVirtualKeyLeft: return 0xCB;
    case kVirtualKeyUp: return 0xC8;
    case kVirtualKeyRight: return 0xCD;
    case kVirtualKeyDown: return 0xD0;
    case kVirtualKeyDelete: return 0xD3;
    default: return -1;
    }
}

void TraceClientRectangle()
{
    int w = 0, h = 0;
    VideoGetClientSize(&w, &h);
    Trace("WINDOW RECT: [%d,%d,%d,%d]", 0, 0, w, h);
}

void Pause()
{
    Trace("appli is paused");
    windowState.paused = 1;
    if (windowState.onPause) windowState.onPause();
    windowState.waitInterval = 10;
    if (windowState.onClockPause) windowState.onClockPause();
}

void Resume()
{
    Trace("appli is unpaused");
    windowState.paused = 0;
    windowState.waitInterval = -1;
    if (windowState.onResume) windowState.onResume();
    if (windowState.onClockResume) windowState.onClockResume();
}

void RecreateDisplayKeepingDevice()
{
    FrameHold hold;
    ReleaseDisplay(false);
    display.frameWidth = display.modeWidth;
    display.frameHeight = display.modeHeight;
    if (!CreateDisplay() || !CreateSurfaces()) {
        ReleaseDisplay(true);
        return;
    }
    ClearFrame();
}

// The window's size before it went full screen (F1 or F2 may have changed it), to come back to.
int windowedWidth = 0, windowedHeight = 0;

void ToggleFullScreen()
{
    FrameHold hold;
    if (!display.fullScreen) VideoGetClientSize(&windowedWidth, &windowedHeight);
    display.fullScreen = !display.fullScreen;
    ReleaseDisplay(true);
    display.frameWidth = display.modeWidth;
    display.frameHeight = display.modeHeight;
    if (CreateDisplay()) {
        if (!CreateSurfaces()) ReleaseDisplay(true);
    }
    if (!display.fullScreen && windowedWidth > 0 && windowedHeight > 0) {
        VideoSetClientSize(windowedWidth, windowedHeight);
    }
    ClearFrame();
}

void KeyPressed(const VideoEvent& e)
{
    int fixed = FixedKeyIndex(e.virtualKey);
    if (fixed >= 0) {
        KeyState[fixed] = 1;
        keyPressedSinceQuery[fixed] = 1;
    } else {
        KeyState[0x1D] = 0;
        KeyState[0x45] = 0;
        int index = e.scanCode + windowState.scanPrefix;
        if (index >= 0 && index < 256) {
            KeyState[index] = 1;
            keyPressedSinceQuery[index] = 1;
        }
        windowState.scanPrefix = 0;
    }
    if (e.virtualKey == kVirtualKeyReturn && e.altDown) {
        ToggleFullScreen();
        return;
    }
    if (e.scanCode == kHudKeyScanCode && !e.extended) SetHudShown(!HudShown());
    if (e.virtualKey == kVirtualKeyF1 || e.virtualKey == kVirtualKeyF2) {
        int scale = e.virtualKey == kVirtualKeyF1 ? 1 : 2;
        if (!display.fullScreen) VideoSetClientSize(display.modeWidth * scale, display.modeHeight * scale);
        TraceClientRectangle();
    } else if (e.virtualKey == kVirtualKeyF4) {
        ToggleFullScreen();
    }
}

void KeyReleased(const VideoEvent& e)
{
    int fixed = FixedKeyIndex(e.virtualKey);
    if (fixed >= 0) {
        KeyState[fixed] = 0;
        return;
    }
    KeyState[0x1D] = 0;
    KeyState[0x45] = 0;
    if (e.scanCode == 0xE0) {
        windowState.scanPrefix = 128;
    } else {
        int index = (e.scanCode & 0x7F) + windowState.scanPrefix;
        if (index >= 0 && index < 256) KeyState[index] = 0;
        windowState.scanPrefix = 0;
    }
}

void Activated(bool active)
{
    windowState.active = active;
    Trace(active ? "Appli is active" : "Appli is not active");
    if (!windowState.paused || !active) return;
    if (VideoRestoreFrontSurface()) {
        Resume();
        return;
    }
    Trace("***** cant restore FrontBuffer");
    RecreateDisplayKeepingDevice();
    if (windowState.paused) Resume();
}

} // namespace

namespace {
std::atomic<bool> hudShown{false};
} // namespace

bool HudShown() { return hudShown.load(); }
void SetHudShown(bool shown) { hudShown.store(shown); }

void HandleWindowEvent(const VideoEvent& e)
{
    switch (e.kind) {
    case kVideoEventKeyDown: KeyPressed(e); break;
    case kVideoEventKeyUp: KeyReleased(e); break;
    case kVideoEventClose:
        windowState.closeRequested = 1;
        windowState.closeTime = GetTickCount32();
        break;
    case kVideoEventMinimized:
        if (!windowState.paused) Pause();
        TraceClientRectangle();
        break;
    case kVideoEventResized: TraceClientRectangle(); break;
    case kVideoEventExposed: RepaintFrame(); break;
    case kVideoEventActivated: Activated(true); break;
    case kVideoEventDeactivated: Activated(false); break;
    case kVideoEventSurfaceLost:
        // A reset presentation target: make it again and show the whole frame once more.
        if (VideoRestoreFrontSurface()) {
            RepaintFrame();
        } else {
            Trace("***** cant restore FrontBuffer");
            if (!windowState.paused) Pause();
        }
        break;
    case kVideoEventQuit:
    case kVideoEventNone: break;
    }
}

void PumpMessages()
{
    PresentPendingFrame();
    VideoEvent e;
    while (VideoPollEvent(&e)) HandleWindowEvent(e);
    if (windowState.waitInterval != -1) {
        windowState.pumpCounter += 1;
        if (windowState.pumpCounter >= windowState.waitInterval) {
            if (VideoWaitEvent(&e)) HandleWindowEvent(e);
            windowState.pumpCounter = 0;
        }
    }
    if (windowState.paused || (!windowState.active && display.fullScreen)) return;
    if (VideoFrontSurfaceLost() && !VideoRestoreFrontSurface()) {
        Trace("***** cant restore FrontBuffer");
        Pause();
    }
}

void ClearKeys()
{
    std::memset(KeyState, 0, sizeof KeyState);
    std::memset(keyPressedSinceQuery, 0, sizeof keyPressedSinceQuery);
}

bool AnyKeyDown()
{
    PumpMessages();
    bool down = false;
    for (int i = 0; i < 256; ++i) {
        if (KeyState[i] || keyPressedSinceQuery[i]) down = true;
        keyPressedSinceQuery[i] = 0;
    }
    return down;
}

bool KeyDown(int32_t code)
{
    PumpMessages();
    if (code < 0 || code > 255) return false;
    bool down = KeyState[code] || keyPressedSinceQuery[code];
    keyPressedSinceQuery[code] = 0;
    return down;
}

bool CloseRequested()
{
    // A stop signal (Ctrl+C, SIGTERM) is a close request that never goes stale.
    if (StopSignalCaught()) return true;
    bool fresh = windowState.closeRequested && GetTickCount32() - windowState.closeTime < 1000u;
    windowState.closeRequested = 0;
    return fresh;
}

void SetPauseHooks(void (*onResume)(), void (*onPause)())
{
    windowState.onResume = onResume;
    windowState.onPause = onPause;
}

void SetClockHooks(void (*onResume)(), void (*onPause)())
{
    windowState.onClockResume = onResume;
    windowState.onClockPause = onPause;
}

int RunApplication(int wordCount, char** words, const VideoModeRules& rules, void (*demoMain)(int argc, char** argv))
{
    if (!VideoOpenWindow("Vela", rules)) {
        ShowMessageBox("Can't create application", "Error!", kMessageBoxError);
        return 1;
    }
    windowState.window = true;
    display.frameWidth = display.modeWidth;
    display.frameHeight = display.modeHeight;
    if (!CreateDisplay() || !CreateSurfaces()) {
        int32_t code = display.videoError;
        ReleaseDisplay(true);
        ShowMessageBox("Can't create application", VideoErrorText(code), kMessageBoxError);
        VideoCloseWindow();
        windowState.window = false;
        return 1;
    }
    ClearFrame();
    std::vector<char*> argv;
    static char me[] = "Me";
    argv.push_back(me);
    for (int i = 0; i < wordCount; ++i) argv.push_back(words[i]);
    argv.push_back(nullptr);
    demoMain(static_cast<int>(argv.size()) - 1, argv.data());
    windowState.window = false;
    ReleaseDisplay(true);
    VideoCloseWindow();
    return 0;
}
