// The frame as the window shows it: every pixel format converted to the same colours, and
// nearest scaling to any size (whole, fractional, smaller) taking each output pixel from the
// source pixel under it, without writing past a row's own pixels.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/window_pixels.h"

namespace {

// Expands a channel of `bits` bits to 8 by repeating its top bits.
uint32_t Expand(uint32_t v, int bits) { return bits == 5 ? (v << 3 | v >> 2) : (v << 2 | v >> 4); }

// The XRGB colour a pixel of the frame stands for, worked out apart from the scaler.
uint32_t Expected(const VideoSurface& f, uint32_t redMask, int x, int y)
{
    const uint8_t* p = f.pixels + static_cast<size_t>(y) * f.pitch;
    switch (f.bitsPerPixel) {
    case 8: return p[x] * 0x010101u;
    case 15:
    case 16: {
        const uint32_t v = static_cast<uint32_t>(p[2 * x] | p[2 * x + 1] << 8);
        if (redMask == 0xF800) return Expand(v >> 11, 5) << 16 | Expand(v >> 5 & 63, 6) << 8 | Expand(v & 31, 5);
        return Expand(v >> 10 & 31, 5) << 16 | Expand(v >> 5 & 31, 5) << 8 | Expand(v & 31, 5);
    }
    case 24: return static_cast<uint32_t>(p[3 * x + 2]) << 16 | p[3 * x + 1] << 8 | p[3 * x];
    default: return static_cast<uint32_t>(p[4 * x + 2]) << 16 | p[4 * x + 1] << 8 | p[4 * x];
    }
}

} // namespace

TEST(WindowPixels, EveryFormatAndSizeTakesEachPixelFromTheSourcePixelUnderIt)
{
    struct Case {
        int bits;
        uint32_t redMask;
        int outWidth, outHeight;
    };
    const Case cases[] = {
        {16, 0xF800, 30, 20}, // three times
        {15, 0x7C00, 17, 13}, // fractional both ways
        {8, 0, 10, 7},        // the same size
        {24, 0, 4, 3},        // smaller
        {32, 0, 41, 9},
        {16, 0xF800, 20, 9},  // twice across
    };
    constexpr int w = 10, h = 7;
    for (const Case& c : cases) {
        const int bytes = (c.bits + 7) / 8;
        const int pitch = w * bytes + 6; // rows padded, as surfaces may be
        std::vector<uint8_t> pixels(static_cast<size_t>(pitch) * h);
        uint32_t seed = 99;
        for (uint8_t& b : pixels) b = static_cast<uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
        const VideoSurface frame{pixels.data(), w, h, pitch, c.bits};
        const int outPitch = c.outWidth * 4 + 8;
        std::vector<uint8_t> out(static_cast<size_t>(outPitch) * c.outHeight, 0xAB);
        ScaleFrameToWindow(frame, c.redMask, out.data(), outPitch, c.outWidth, c.outHeight);
        for (int y = 0; y < c.outHeight; ++y) {
            for (int x = 0; x < c.outWidth; ++x) {
                uint32_t got;
                std::memcpy(&got, &out[static_cast<size_t>(y) * outPitch + x * 4], 4);
                ASSERT_EQ(got & 0xFFFFFF, Expected(frame, c.redMask, x * w / c.outWidth, y * h / c.outHeight))
                    << c.bits << " bits to " << c.outWidth << "x" << c.outHeight << " at " << x << "," << y;
            }
            for (int k = c.outWidth * 4; k < outPitch; ++k) ASSERT_EQ(out[static_cast<size_t>(y) * outPitch + k], 0xAB);
        }
    }
}
