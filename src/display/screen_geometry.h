// The show's screen: the frame's size, the band of viewHeight rows starting at row viewTop
// that scenes and effects draw into (the view), and the pixel depth in use. Set by the video
// mode chain at start-up; read by every drawing subsystem.
#pragma once

#include <cstddef>
#include <cstdint>

struct ScreenGeometry {
    int32_t screenWidth = 320;
    int32_t screenHeight = 240; // 240, or 200 after the fallback
    int32_t viewHeight = 180;
    int32_t viewTop = 30;       // first screen row of the 180-row view band
    int32_t pixelDepth = 16;    // 16 (5-6-5) or 15 (x-5-5-5)
};

extern ScreenGeometry screen;

// The view of a frame of screenWidth pixels per row.
inline uint16_t* ViewOfFrame(uint16_t* frame) { return frame + screen.viewTop * screen.screenWidth; }

// viewHeight x screenWidth, or 0 when either is not positive.
inline size_t ViewPixelCount()
{
    if (screen.viewHeight <= 0 || screen.screenWidth <= 0) return 0;
    return static_cast<size_t>(screen.viewHeight) * static_cast<size_t>(screen.screenWidth);
}
