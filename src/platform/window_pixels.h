// The frame as the window shows it: converted to 32-bit XRGB and scaled to the size it takes on
// screen by nearest pixels, in one pass straight into the texture's memory, so the renderer only
// copies it. Each source row is converted once; rows that repeat are copied.
#pragma once
#include <cstdint>

#include "platform/video.h"

// `frame` holds 8-bit grey, 15-bit (redMask 0x7C00), 16-bit (redMask 0xF800), 24-bit BGR or
// 32-bit XRGB pixels; `out` is outWidth x outHeight XRGB pixels, rows `outPitch` bytes apart.
// Output pixel (x, y) is source pixel (x * width / outWidth, y * height / outHeight).
void ScaleFrameToWindow(const VideoSurface& frame, uint32_t redMask, uint8_t* out, int outPitch, int outWidth,
                        int outHeight);
