// Saturating per-channel addition and subtraction of packed pixels, in the 5-6-5 layout
// (depth 16) and the x-5-5-5 layout (depth 15).
//
// Each channel is halved (its low bit dropped) so that a spare bit opens above it; the halves are
// added or subtracted in place, a carry (or borrow) into a spare bit fills (or clears) that
// channel, and the result is doubled again. Additions get back the OR of the two low bits;
// subtractions leave the low bits 0. The results are exact to those steps, low bits included.
#pragma once

#include <cstdint>

// The masks and tests of one pixel layout.
template <int Depth> struct PixelLayout;

template <> struct PixelLayout<16> {
    static constexpr uint16_t kHalf = 0x7BEF;    // each channel without its low bit, shifted down
    static constexpr uint16_t kLowBits = 0x0821; // the low bit of every channel
    static constexpr uint16_t kRedFill = 0x7800, kRedKeep = 0x07FF;
    static constexpr uint16_t kGreenFill = 0x03E0, kGreenKeep = 0xF81F;
    static constexpr uint16_t kBlueFill = 0x000F, kBlueKeep = 0xFFE0;
    static constexpr int kRedSpareBit = 15, kGreenSpareBit = 10;
    static constexpr int kRedShift = 11, kGreenBits = 6;
};

template <> struct PixelLayout<15> {
    static constexpr uint16_t kHalf = 0x3DEF;
    static constexpr uint16_t kLowBits = 0x0421;
    static constexpr uint16_t kRedFill = 0x3C00, kRedKeep = 0x03FF;
    static constexpr uint16_t kGreenFill = 0x01E0, kGreenKeep = 0x7C1F;
    static constexpr uint16_t kBlueFill = 0x000F, kBlueKeep = 0x7FE0;
    static constexpr int kRedSpareBit = 14, kGreenSpareBit = 9;
    static constexpr int kRedShift = 10, kGreenBits = 5;
};

// The spare bit above blue is bit 4 in both layouts.
inline constexpr int kBlueSpareBit = 4;

// Lane-wise forms, for T = uint16_t or a vector of 16-bit lanes. Branch-free.
template <int Depth, class T> inline T SaturatingAddLanes(T a, T b)
{
    using L = PixelLayout<Depth>;
    T s = ((a >> 1) & L::kHalf) + ((b >> 1) & L::kHalf);
    s |= -((s >> L::kRedSpareBit) & 1) & L::kRedFill;
    s |= -((s >> L::kGreenSpareBit) & 1) & L::kGreenFill;
    s |= -((s >> kBlueSpareBit) & 1) & L::kBlueFill;
    T r = (s << 1) | ((a | b) & L::kLowBits);
    return r;
}

template <int Depth, class T> inline T SaturatingSubLanes(T a, T b)
{
    using L = PixelLayout<Depth>;
    T d = ((a >> 1) & L::kHalf) - ((b >> 1) & L::kHalf);
    // Red, then green, then blue: the order matters when borrows cascade.
    d &= ~(-((d >> L::kRedSpareBit) & 1) & uint16_t(~L::kRedKeep));
    d &= ~(-((d >> L::kGreenSpareBit) & 1) & uint16_t(~L::kGreenKeep));
    d &= ~(-((d >> kBlueSpareBit) & 1) & uint16_t(~L::kBlueKeep));
    T r = d << 1;
    return r;
}

// Per-channel a + b, clamped at full intensity (to within the low bit).
template <int Depth> inline uint16_t SaturatingAdd(uint16_t a, uint16_t b)
{
    return SaturatingAddLanes<Depth, uint16_t>(a, b);
}

// Per-channel a - b, clamped at zero; low bits of the result are 0.
template <int Depth> inline uint16_t SaturatingSub(uint16_t a, uint16_t b)
{
    return SaturatingSubLanes<Depth, uint16_t>(a, b);
}

// The same with the layout chosen at run time: 16 is 5-6-5, any other depth x-5-5-5.
inline uint16_t SaturatingAdd(uint16_t a, uint16_t b, int32_t depth)
{
    return depth == 16 ? SaturatingAdd<16>(a, b) : SaturatingAdd<15>(a, b);
}

inline uint16_t SaturatingSub(uint16_t a, uint16_t b, int32_t depth)
{
    return depth == 16 ? SaturatingSub<16>(a, b) : SaturatingSub<15>(a, b);
}

// The packed colour of 8-bit components in the layout of `Depth`.
template <int Depth> constexpr uint16_t PackColour(uint32_t r, uint32_t g, uint32_t b)
{
    using L = PixelLayout<Depth>;
    return static_cast<uint16_t>((r >> 3) << L::kRedShift | (g >> (8 - L::kGreenBits)) << 5 | (b >> 3));
}

inline uint16_t PackColour(uint32_t r, uint32_t g, uint32_t b, int32_t depth)
{
    return depth == 16 ? PackColour<16>(r, g, b) : PackColour<15>(r, g, b);
}
