// Saturating per-channel addition and subtraction of packed pixels, in the 5-6-5 layout
// (depth 16) and the x-5-5-5 layout (depth 15).
//
// Each channel is halved (its low bit dropped) so that a spare bit opens above it; the halves are
// added or subtracted in place, a carry (or borrow) into a spare bit fills (or clears) that
// channel, and the result is doubled again. Additions get back the OR of the two low bits;
// subtractions leave the low bits 0. The results are exact to those steps, low bits included.
#pragma once

#include <cstdint>
#include <type_traits>

#include "effects/pixel_lanes.h"

// The masks of one pixel layout. After halving, every channel has a spare bit above it; in
// 5-6-5 the red and blue fields below their spare bits are 4 bits wide and green 5 bits, in
// x-5-5-5 all three are 4 bits wide.
template <int Depth> struct PixelLayout;

template <> struct PixelLayout<16> {
    static constexpr uint16_t kHalf = 0x7BEF;      // each channel without its low bit, shifted down
    static constexpr uint16_t kLowBits = 0x0821;   // the low bit of every channel
    static constexpr uint16_t kSpare4 = 0x8010;    // spare bits above the 4-bit fields (red, blue)
    static constexpr uint16_t kSpare5 = 0x0400;    // spare bit above the 5-bit field (green)
    static constexpr int kRedShift = 11, kGreenBits = 6;
    // For the vector forms: the channels without their low bits, in place; after halving, the
    // red and blue fields with their spare bits (red fills the top of the high byte, blue the
    // bottom of the low byte), green with its spare bit, the largest field values, and the
    // spare bits themselves.
    static constexpr uint16_t kHigh = 0xF7DE;
    static constexpr uint16_t kRedBlue = 0xF81F, kGreen = 0x07E0;
    static constexpr uint16_t kRedBlueFull = 0x780F, kGreenFull = 0x03E0;
    static constexpr uint16_t kRedBlueSpare = 0x8010, kGreenSpare = 0x0400;
};

template <> struct PixelLayout<15> {
    static constexpr uint16_t kHalf = 0x3DEF;
    static constexpr uint16_t kLowBits = 0x0421;
    static constexpr uint16_t kSpare4 = 0x4210;    // red, green and blue
    static constexpr uint16_t kSpare5 = 0;
    static constexpr int kRedShift = 10, kGreenBits = 5;
    static constexpr uint16_t kHigh = 0x7BDE;
    static constexpr uint16_t kRedBlue = 0x7C1F, kGreen = 0x03E0;
    static constexpr uint16_t kRedBlueFull = 0x3C0F, kGreenFull = 0x01E0;
    static constexpr uint16_t kRedBlueSpare = 0x4010, kGreenSpare = 0x0200;
};

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi" // wide lanes only meet inside forced-inline code

// Lane-wise forms, for T = uint16_t or a vector of 16-bit lanes; branch-free. A spare bit c
// turns into the field below it as c - (c >> width), and into the field with the spare bit as
// (c << 1) - (c >> width); the fields never overlap, so all channels are handled at once.
//
// Vectors of lanes take another route to the same bits, built from operations that work on many
// lanes at once without shifts:
// - halving: both inputs without their low bits (kHigh) are even, so their lane average is the
//   sum of the halves, exactly, carries into the spare bits included;
// - subtracting: the average of x and NOT y is half of x - y plus 0x8000, the top bit flipped;
// - saturating: red and blue sit in different bytes and green alone in its lane, so a byte-wise
//   and a lane-wise minimum (or clamped subtraction) settle every channel in two operations.

// The halved sum s with its spare bits, every overflowing field filled with ones, doubled; the
// spare bits land on the low bits of the channels above, as in the stated steps.
template <int Depth, class T> [[gnu::always_inline]] inline T SaturateHalfSum(const T& s)
{
    using L = PixelLayout<Depth>;
    const T full = MinBytes(s & L::kRedBlue, T{} + L::kRedBlueFull) | MinLanes(s & L::kGreen, T{} + L::kGreenFull);
    const T filled = s | full;
    return filled + filled;
}

// Halved a - b with its borrows cascading, every channel that borrowed cleared along with its
// spare bit; `notHighB` is NOT (b AND kHigh). Doubling the result gives SaturatingSub(a, b).
template <int Depth, class T> [[gnu::always_inline]] inline T HalfDifference(const T& a, const T& notHighB)
{
    using L = PixelLayout<Depth>;
    // Spare bits flipped: set where the channel did not borrow, so that taking the spare bit
    // away again with a clamped subtraction empties exactly the channels that borrowed.
    const T d = AverageLanes(T(a & L::kHigh), notHighB) ^ ((L::kRedBlueSpare | L::kGreenSpare) ^ 0x8000);
    return SubtractClampedBytes(T(d & L::kRedBlue), T{} + L::kRedBlueSpare) |
           SubtractClampedLanes(T(d & L::kGreen), T{} + L::kGreenSpare);
}

template <int Depth, class T> [[gnu::always_inline]] inline T SaturatingAddLanes(const T& a, const T& b)
{
    using L = PixelLayout<Depth>;
    if constexpr (!std::is_same_v<T, uint16_t>) {
        const T s = AverageLanes(T(a & L::kHigh), T(b & L::kHigh));
        return SaturateHalfSum<Depth>(s) | ((a | b) & L::kLowBits);
    }
    T s = ((a >> 1) & L::kHalf) + ((b >> 1) & L::kHalf);
    T c4 = s & L::kSpare4;
    T fill = c4 - (c4 >> 4);
    if constexpr (L::kSpare5 != 0) {
        T c5 = s & L::kSpare5;
        fill |= c5 - (c5 >> 5);
    }
    T r = ((s | fill) << 1) | ((a | b) & L::kLowBits);
    return r;
}

// A borrow sets a spare bit, and the channel is cleared together with its spare bit. Each test
// looks at a bit that no other channel's clearing touches, so testing red, then green, then blue
// in turn gives the same result as clearing all three at once from the first difference.
template <int Depth, class T> [[gnu::always_inline]] inline T SaturatingSubLanes(const T& a, const T& b)
{
    using L = PixelLayout<Depth>;
    if constexpr (!std::is_same_v<T, uint16_t>) {
        const T h = HalfDifference<Depth>(a, T(~(b & L::kHigh)));
        return h + h;
    }
    T d = ((a >> 1) & L::kHalf) - ((b >> 1) & L::kHalf);
    T c4 = d & L::kSpare4;
    T clear = (c4 << 1) - (c4 >> 4);
    if constexpr (L::kSpare5 != 0) {
        T c5 = d & L::kSpare5;
        clear |= (c5 << 1) - (c5 >> 5);
    }
    T r = (d & ~clear) << 1;
    return r;
}

#pragma GCC diagnostic pop

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
