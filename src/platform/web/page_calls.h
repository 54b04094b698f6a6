// The calls between the program and its page's script (page/vela-page.js), which owns the
// canvas, the keyboard, the message overlay and Web Audio. Every Page* function forwards to the
// page object; those marked "waits" return to the browser's loop and come back later.
#pragma once

#include <cstdint>

// The canvas: shown at width x height CSS pixels (the frame is scaled by nearest pixels).
void PageOpenCanvas(int width, int height);
void PageShowCanvas(bool shown);
void PageSetCanvasSize(int width, int height);
int PageCanvasWidth();
int PageCanvasHeight();
void PageEnterFullScreen();
void PageLeaveFullScreen();
// Shows `width` x `height` RGBA pixels.
void PageDrawPicture(const uint8_t* rgba, int width, int height);

// Waits: until the browser's next animation frame (or briefly while the page is hidden), one
// turn of its loop, or about `milliseconds`.
void PageWaitForAnimationFrame();
void PageYield();
void PageSleep(int milliseconds);

// The next key or page event the page queued: its kind (a VideoEventKind, 0 for none), and for
// keys the USB HID usage of the key and whether Alt was held.
int PageNextEvent(int* usage, int* altDown);

// Sound: opens the page's audio context (its sample rate, or 0 when the page may not play
// sound), closes it, and halts or continues it.
int PageOpenAudio();
void PageCloseAudio();
void PagePauseAudio(bool paused);
// Starts the page's pump, which calls vela_fill_sound for every block of sound it needs: to the
// audio context, or nowhere, paced by the page's clock at `sampleRate`. Stops it.
void PageStartSoundPump(bool toDevice, int sampleRate);
void PageStopSoundPump();
// Seconds, on the clock the pump stamps its blocks with, of the sound being heard now.
double PageSoundClock();

// Shows a message over the page and waits for its OK or Cancel (1 or 2).
int PageShowMessage(const char* text, const char* caption, bool okCancel);
