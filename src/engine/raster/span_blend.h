// Pixel combination of the four blends at 16 (5-6-5) and 15 (x-5-5-5) bits per pixel. The
// source of the blended modes is a half-value pixel (each component shifted right by one),
// so halving the destination leaves a free guard bit above every component: ADDIT reads a
// carry from it and saturates, SOUST reads a borrow and clamps to 0, red first, then green,
// then blue, before the final shift moves the components back into place.
#pragma once

#include <cstdint>

#include "engine/render_modes.h"
#include "formats/pixel_format.h"

// The new destination pixel for source s over destination d.
template <int Blend, int Bits>
inline uint16_t BlendPixel(uint32_t d, uint32_t s)
{
    using L = PixelFormat<Bits>;
    if constexpr (Blend == kBlendOpaqu) {
        return static_cast<uint16_t>(s);
    } else if constexpr (Blend == kBlendTrans) {
        return static_cast<uint16_t>(((d >> 1) & L::kHalf) + s);
    } else if constexpr (Blend == kBlendAddit) {
        uint32_t t = ((d >> 1) & L::kHalf) + s;
        if (t & L::kRedGuard) t |= L::kRedFill;
        if (t & L::kGreenGuard) t |= L::kGreenFill;
        if (t & L::kBlueGuard) t |= L::kBlueFill;
        return static_cast<uint16_t>(t << 1);
    } else {
        static_assert(Blend == kBlendSoust, "four blends");
        uint32_t t = (((d >> 1) & L::kHalf) - s) & 0xFFFF;
        if (t & L::kRedGuard) t &= L::kRedClear;
        if (t & L::kGreenGuard) t &= L::kGreenClear;
        if (t & L::kBlueGuard) t &= L::kBlueClear;
        return static_cast<uint16_t>(t << 1);
    }
}

// The same chosen at run time (for tests and slow paths); bits other than 16 mean 15.
inline uint16_t BlendPixelSlow(int32_t blend, int32_t bitsPerPixel, uint16_t d, uint16_t s)
{
    const bool wide = bitsPerPixel == 16;
    switch (blend) {
    case kBlendTrans: return wide ? BlendPixel<kBlendTrans, 16>(d, s) : BlendPixel<kBlendTrans, 15>(d, s);
    case kBlendAddit: return wide ? BlendPixel<kBlendAddit, 16>(d, s) : BlendPixel<kBlendAddit, 15>(d, s);
    case kBlendSoust: return wide ? BlendPixel<kBlendSoust, 16>(d, s) : BlendPixel<kBlendSoust, 15>(d, s);
    default: return s;
    }
}
