// The two pixel layouts of the show's frames, known by their bit count alone: 16 is 5-6-5
// (red 0xF800, green 0x07E0, blue 0x001F) and 15 is x-5-5-5 (red 0x7C00, green 0x03E0, blue
// 0x001F). Every subsystem that packs, halves, blends or saturates pixels takes its masks and
// its colour packing from here.
#pragma once

#include <cstdint>

template <int Depth> struct PixelFormat;

template <> struct PixelFormat<16> {
    static constexpr uint16_t kRedMask = 0xF800, kGreenMask = 0x07E0, kBlueMask = 0x001F;
    static constexpr int kRedShift = 11, kGreenBits = 6;
    // Half-value pixels: every channel shifted right by one (each loses its low bit).
    static constexpr uint16_t kHalf = 0x7BEF;
    static constexpr uint16_t kLowBits = 0x0821; // the low bit of every channel
    static constexpr uint16_t kHigh = 0xF7DE;    // the channels without their low bits, in place

    // The guard bit above each halved channel, and what a carry into it fills or a borrow
    // clears, channel by channel (the blended spans test red, then green, then blue).
    static constexpr uint32_t kRedGuard = 0x8000, kGreenGuard = 0x0400, kBlueGuard = 0x0010;
    static constexpr uint32_t kRedFill = 0x7800, kGreenFill = 0x03E0, kBlueFill = 0x000F;
    static constexpr uint32_t kRedClear = 0x07FF, kGreenClear = 0xF81F, kBlueClear = 0xFFE0;

    // The same guard bits grouped by field width, for the branch-free saturating forms: above
    // the 4-bit fields (red and blue) and above the 5-bit field (green).
    static constexpr uint16_t kSpare4 = 0x8010;
    static constexpr uint16_t kSpare5 = 0x0400;
    // For the vector forms: after halving, red and blue with their guard bits (red fills the
    // top of the high byte, blue the bottom of the low byte), green with its guard bit, the
    // largest field values, and the guard bits themselves.
    static constexpr uint16_t kRedBlue = 0xF81F, kGreen = 0x07E0;
    static constexpr uint16_t kRedBlueFull = 0x780F, kGreenFull = 0x03E0;
    static constexpr uint16_t kRedBlueSpare = 0x8010, kGreenSpare = 0x0400;
};

template <> struct PixelFormat<15> {
    static constexpr uint16_t kRedMask = 0x7C00, kGreenMask = 0x03E0, kBlueMask = 0x001F;
    static constexpr int kRedShift = 10, kGreenBits = 5;
    static constexpr uint16_t kHalf = 0x3DEF;
    static constexpr uint16_t kLowBits = 0x0421;
    static constexpr uint16_t kHigh = 0x7BDE;

    static constexpr uint32_t kRedGuard = 0x4000, kGreenGuard = 0x0200, kBlueGuard = 0x0010;
    static constexpr uint32_t kRedFill = 0x3C00, kGreenFill = 0x01E0, kBlueFill = 0x000F;
    static constexpr uint32_t kRedClear = 0x03FF, kGreenClear = 0x7C1F, kBlueClear = 0x7FE0;

    static constexpr uint16_t kSpare4 = 0x4210; // red, green and blue
    static constexpr uint16_t kSpare5 = 0;
    static constexpr uint16_t kRedBlue = 0x7C1F, kGreen = 0x03E0;
    static constexpr uint16_t kRedBlueFull = 0x3C0F, kGreenFull = 0x01E0;
    static constexpr uint16_t kRedBlueSpare = 0x4010, kGreenSpare = 0x0200;
};

// The packed pixel of 8-bit components (each 0..255) in the layout of `Depth`.
template <int Depth> constexpr uint16_t PackColour(uint32_t r, uint32_t g, uint32_t b)
{
    using F = PixelFormat<Depth>;
    return static_cast<uint16_t>((r >> 3) << F::kRedShift | (g >> (8 - F::kGreenBits)) << 5 | (b >> 3));
}

// The same with the layout chosen at run time (16 is 5-6-5, any other depth x-5-5-5) and the
// components limited to 0..255 first.
inline uint16_t PackColour(int32_t r, int32_t g, int32_t b, int32_t depth)
{
    auto limit = [](int32_t v) { return static_cast<uint32_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
    return depth == 16 ? PackColour<16>(limit(r), limit(g), limit(b)) : PackColour<15>(limit(r), limit(g), limit(b));
}

// The packed pixel of layout `depth` (16 is 5-6-5, any other x-5-5-5) as 0xRRGGBB, each channel
// widened to 8 bits by repeating its top bits, so that full channels give 255.
inline uint32_t UnpackColour(uint32_t pixel, int32_t depth)
{
    const auto widen5 = [](uint32_t v) { return v << 3 | v >> 2; };
    if (depth == 16) {
        const uint32_t g = pixel >> 5 & 63;
        return widen5(pixel >> 11 & 31) << 16 | (g << 2 | g >> 4) << 8 | widen5(pixel & 31);
    }
    return widen5(pixel >> 10 & 31) << 16 | widen5(pixel >> 5 & 31) << 8 | widen5(pixel & 31);
}

// The half-value version of a packed pixel.
inline uint16_t HalfPixel(uint16_t pixel, int32_t depth)
{
    return static_cast<uint16_t>((pixel >> 1) & (depth == 16 ? PixelFormat<16>::kHalf : PixelFormat<15>::kHalf));
}
