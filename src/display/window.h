// The application window: the program's entry into the show, the handling of window events
// (window sizes, full-screen toggle, pause and resume, repaint, close requests) and the key
// table the show polls. Events are taken only inside the key queries.
#pragma once

#include <cstdint>

#include "platform/video.h"

struct WindowState {
    bool window = false;       // the application window exists
    int32_t active = 1;
    int32_t paused = 0;
    int32_t waitInterval = -1; // -1: the pump never blocks; 10 while paused
    int32_t pumpCounter = 0;
    int32_t closeRequested = 0;
    uint32_t closeTime = 0;
    int32_t scanPrefix = 0;
    void (*onResume)() = nullptr;
    void (*onPause)() = nullptr;
    void (*onClockResume)() = nullptr;
    void (*onClockPause)() = nullptr;
};

extern WindowState windowState;
// 1 while a key is down, by PC keyboard scan code (Escape = 1; arrows and Delete at code + 128).
extern uint8_t KeyState[256];

// Drains the waiting events and checks the surfaces; while paused every 10th call waits.
void PumpMessages();
void ClearKeys();
// PumpMessages, then whether any key is down (or was pressed since the last query).
bool AnyKeyDown();
// PumpMessages, then whether the key with that scan code is down, or was pressed since the
// last query for it (false outside 0..255).
bool KeyDown(int32_t code);
// A close request less than 1000 ms old; the check consumes the request either way. A stop
// signal caught (SIGINT, SIGTERM) counts as a close request from then on.
bool CloseRequested();
// The hooks run when the show resumes and when it pauses (the music's).
void SetPauseHooks(void (*onResume)(), void (*onPause)());
// The clock's hooks, run right after the pause hooks: the music stops before the clock does
// and starts again before the clock runs on.
void SetClockHooks(void (*onResume)(), void (*onPause)());

// Whether the HUD is shown in the border; H switches it while the show plays.
bool HudShown();
void SetHudShown(bool shown);
// The scan code of H.
constexpr int kHudKeyScanCode = 0x23;

// What the window does with one event (exposed for tests that inject events).
void HandleWindowEvent(const VideoEvent& event);

// The program's entry: opens the window and the first 640 x 480 display, runs `demoMain` with
// "Me" followed by `words`, then releases everything. Returns 0, or 1 when the window or the
// first display cannot be made (after a message box).
int RunApplication(int wordCount, char** words, const VideoModeRules& rules, void (*demoMain)(int argc, char** argv));
