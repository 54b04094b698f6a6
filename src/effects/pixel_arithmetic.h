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
#include "formats/pixel_format.h"

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
    using L = PixelFormat<Depth>;
    const T full = MinBytes(s & L::kRedBlue, T{} + L::kRedBlueFull) | MinLanes(s & L::kGreen, T{} + L::kGreenFull);
    const T filled = s | full;
    return filled + filled;
}

// Halved a - b with its borrows cascading, every channel that borrowed cleared along with its
// spare bit; `notHighB` is NOT (b AND kHigh). Doubling the result gives SaturatingSub(a, b).
template <int Depth, class T> [[gnu::always_inline]] inline T HalfDifference(const T& a, const T& notHighB)
{
    using L = PixelFormat<Depth>;
    // Spare bits flipped: set where the channel did not borrow, so that taking the spare bit
    // away again with a clamped subtraction empties exactly the channels that borrowed.
    const T d = AverageLanes(T(a & L::kHigh), notHighB) ^ ((L::kRedBlueSpare | L::kGreenSpare) ^ 0x8000);
    return SubtractClampedBytes(T(d & L::kRedBlue), T{} + L::kRedBlueSpare) |
           SubtractClampedLanes(T(d & L::kGreen), T{} + L::kGreenSpare);
}

template <int Depth, class T> [[gnu::always_inline]] inline T SaturatingAddLanes(const T& a, const T& b)
{
    using L = PixelFormat<Depth>;
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
    using L = PixelFormat<Depth>;
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
