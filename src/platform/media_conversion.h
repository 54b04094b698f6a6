// The media writer's picture conversions, done once per picture on the encoding thread: a
// picture handed in small (8-bit red, green, blue) is enlarged by whole pixels straight into the
// layout the output takes, so a captured frame is copied at its own size and converted once.
#pragma once
#include <cstddef>
#include <cstdint>

// A small RGB picture and the whole number it is enlarged by.
struct SmallPicture {
    const uint8_t* rgb;
    int width;
    int height;
    int scale;
};

// Red, green, blue bytes at the enlarged size; `out` holds width*scale*3 bytes a row, rows
// `outStride` bytes apart.
void EnlargeToRgb(const SmallPicture& in, uint8_t* out, ptrdiff_t outStride);

// Blue, green, red, zero bytes at the enlarged size (the lossless video's layout).
void EnlargeToBgr0(const SmallPicture& in, uint8_t* out, ptrdiff_t outStride);

// Planar 4:2:0 YUV with the BT.709 matrix at video range (luma 16-235, chroma 16-240) at the
// enlarged size, which must be even: each chroma sample is the mean of the two by two pixels it
// covers. Integer arithmetic throughout, so the result is the same on every machine.
void EnlargeToYuv420(const SmallPicture& in, uint8_t* const planes[3], const int strides[3]);
