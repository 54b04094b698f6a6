// What the video service asks of the window system behind it: a window with a renderer, its
// sizes and full-screen state, presentation of a frame, and events. Three back ends offer it:
// SDL (a real window), a web page's canvas, and the null back end (no window at all, for
// headless runs). Internal to the video service; the rest of the program uses platform/video.h.
#pragma once

#include "platform/video.h"

struct VideoBackEnd {
    // Opens the window (the null back end opens nothing). False with a line on standard error
    // when it cannot.
    // The window is made hidden; showWindow shows it (in front, with the keyboard) or hides it.
    bool (*openWindow)(const char* title, int width, int height);
    void (*showWindow)(bool shown);
    void (*closeWindow)();
    // The renderer lives from device creation to device release; `softwareOnly` asks for one
    // without graphics acceleration.
    bool (*createRenderer)(bool softwareOnly);
    void (*destroyRenderer)();
    // Switches to full screen at the desktop's size, or back to a window of width x height.
    bool (*enterFullScreen)();
    void (*leaveFullScreen)(int width, int height);
    // Resizes and centres the window.
    void (*setWindowSize)(int width, int height);
    // The window's size now; false when there is no window.
    bool (*getWindowSize)(int* width, int* height);
    // Shows the surface stretched into the window (letterboxed to 4:3 in full screen).
    void (*present)(const VideoSurface& surface, uint32_t redMask, bool fullScreen);
    // Forgets the texture a present keeps (the surfaces were released or the target was lost).
    void (*dropTexture)();
    bool (*pollEvent)(VideoEvent* event);
    // Blocks until an event arrives; false when there is no window to wait on.
    bool (*waitEvent)(VideoEvent* event);
};

// The window: SDL's on a desktop, the page's canvas in a browser.
extern const VideoBackEnd kWindowVideoBackEnd;
extern const VideoBackEnd kNullVideoBackEnd;
