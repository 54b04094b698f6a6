// Span routines of the rasterisers: fill one row of a triangle from its left pixel
// (inclusive) to its right pixel (exclusive) with depth test and blend. Each routine is a
// template instance for one colour source, blend, colour depth and colour-key setting, chosen
// once per triangle. The per-triangle steps arrive in SpanConstants and stay in registers
// through the loop, which runs a negative pixel counter up to 0 from the span's end.
#pragma once

#include <cmath>
#include <cstdint>
#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "engine/raster/span_blend.h"

// Where a span's colour comes from.
enum SpanSource : int32_t {
    kSourceFlat,          // one colour
    kSourceShaded,        // ramp[(i >> 16) & 255]
    kSourceTexture,       // palette[texel]
    kSourceTextureShaded, // table[(i >> 16) & 255][texel]
    kSourcePicture16,     // 16-bit texel of a 256-wide picture, wrapping at its size
};

// Interpolated values at a span's first pixel (fixed point: depth value, 16.16 u, v and ramp
// index; reals: 1/depth, u/depth, v/depth of the perspective fills).
struct SpanStart {
    uint32_t z, u, v, i;
    float iz, uz, vz;
};

// Per-triangle constants: steps per pixel and the tables read.
struct SpanConstants {
    uint32_t dz, du, dv, di;
    float diz, duz, dvz;
    const uint8_t* texture;  // 256 x 256 palette indices
    const uint16_t* table;   // ramp, palette or 256 x 256 shade table
    const uint16_t* picture; // 16-bit texels, rows 256 apart
    uint32_t pictureMask;    // picture size - 1
    uint16_t colour;
};

using SpanRoutine = void (*)(uint16_t* pixels, uint32_t* depths, int32_t count, const SpanStart& start,
                             const SpanConstants& k);

// A real as 32-bit fixed point, rounded to nearest; out-of-range values wrap like the integer
// they round to (so texture coordinates keep their low bits) and NaN gives 0.
inline uint32_t RealToFixed(float value)
{
#if defined(__x86_64__)
    // One instruction, rounding to nearest (ties to even). Reals of 2^55 and more in magnitude
    // are whole multiples of 2^32, and the instruction's answer for NaN and for values beyond
    // 64 bits has zero low bits too, so the low 32 bits are right for every input.
    return static_cast<uint32_t>(_mm_cvtss_si64(_mm_set_ss(value)));
#else
    if (!(value == value)) return 0;
    if (value > 9.0e18f) value = 9.0e18f;
    if (value < -9.0e18f) value = -9.0e18f;
    return static_cast<uint32_t>(static_cast<int64_t>(std::nearbyint(value)));
#endif
}

// Pixels end[n] for n = first .. -1, advancing z, u, v, i by their steps.
template <int Source, int Blend, int Bits, bool Key>
inline void RunPixels(uint16_t* pixelEnd, uint32_t* depthEnd, int32_t n, uint32_t& zRef, uint32_t& uRef,
                      uint32_t& vRef, uint32_t& iRef, uint32_t du, uint32_t dv, const SpanConstants& k)
{
    uint32_t z = zRef, u = uRef, v = vRef, i = iRef;
    const uint32_t dz = k.dz, di = k.di;
    const uint8_t* const texture = k.texture;
    const uint16_t* const table = k.table;
    const uint16_t* const picture = k.picture;
    const uint32_t mask = k.pictureMask;
    const uint16_t colour = k.colour;
    for (; n < 0; ++n) {
        uint32_t texel = 0;
        if constexpr (Source == kSourceTexture || Source == kSourceTextureShaded) {
            texel = texture[((v >> 8) & 0xFF00) | ((u >> 16) & 0xFF)];
        }
        bool draw = z >= depthEnd[n];
        if constexpr (Key) draw = draw && texel != 0;
        if (draw) {
            uint32_t s;
            if constexpr (Source == kSourceFlat) {
                s = colour;
            } else if constexpr (Source == kSourceShaded) {
                s = table[(i >> 16) & 0xFF];
            } else if constexpr (Source == kSourceTexture) {
                s = table[texel];
            } else if constexpr (Source == kSourceTextureShaded) {
                s = table[((i >> 8) & 0xFF00) | texel];
            } else {
                s = picture[(((v >> 16) & mask) << 8) | ((u >> 16) & mask)];
            }
            depthEnd[n] = z;
            if constexpr (Blend == kBlendOpaqu) {
                pixelEnd[n] = static_cast<uint16_t>(s);
            } else {
                pixelEnd[n] = BlendPixel<Blend, Bits>(pixelEnd[n], s);
            }
        }
        z += dz;
        u += du;
        v += dv;
        i += di;
    }
    zRef = z, uRef = u, vRef = v, iRef = i;
}

// A whole span with linear (affine) u and v.
template <int Source, int Blend, int Bits, bool Key>
void AffineSpan(uint16_t* pixels, uint32_t* depths, int32_t count, const SpanStart& s, const SpanConstants& k)
{
    uint32_t z = s.z, u = s.u, v = s.v, i = s.i;
    RunPixels<Source, Blend, Bits, Key>(pixels + count, depths + count, -count, z, u, v, i, k.du, k.dv, k);
}

// Four reals and two doubles side by side (one instruction per operation on x86-64).
typedef float SpanLanes __attribute__((vector_size(16)));
typedef double SpanPair __attribute__((vector_size(16)));

// A whole span cut into runs of 16 pixels: u and v are exact (u/depth over 1/depth) at each
// run's ends and step linearly within it; the last, shorter run uses its own length.
template <int Source, int Blend, int Bits, bool Key>
void PerspectiveSpan(uint16_t* pixels, uint32_t* depths, int32_t count, const SpanStart& s,
                     const SpanConstants& k)
{
    uint16_t* const pixelEnd = pixels + count;
    uint32_t* const depthEnd = depths + count;
    uint32_t z = s.z, i = s.i;
    // lanes: 1/depth, u/depth, v/depth
    SpanLanes at = {s.iz, s.uz, s.vz, 1.0f};
    const SpanLanes step = {k.diz, k.duz, k.dvz, 0.0f};
    const SpanLanes run = step * 16.0f;
    SpanLanes exact = at / at[0];
    uint32_t u = RealToFixed(exact[1]), v = RealToFixed(exact[2]);
    for (int32_t n = -count; n < 0;) {
        const int32_t left = -n;
        int32_t len = 16;
        if (left >= 16) {
            at += run;
        } else {
            len = left;
            at += step * static_cast<float>(len);
        }
        exact = at / at[0];
        const uint32_t uEnd = RealToFixed(exact[1]), vEnd = RealToFixed(exact[2]);
        // (end - start) / len, rounded toward zero: a shift for the full runs; for the last
        // one a division of doubles, exact here since the quotient of two integers below 2^31
        // lies at least 1/16 from the next whole number unless it is whole
        const int32_t uSpan = static_cast<int32_t>(uEnd - u), vSpan = static_cast<int32_t>(vEnd - v);
        uint32_t du, dv;
        if (len == 16) {
            du = static_cast<uint32_t>(uSpan / 16), dv = static_cast<uint32_t>(vSpan / 16);
        } else {
            const SpanPair q = SpanPair{static_cast<double>(uSpan), static_cast<double>(vSpan)} /
                               static_cast<double>(len);
            du = static_cast<uint32_t>(static_cast<int32_t>(q[0]));
            dv = static_cast<uint32_t>(static_cast<int32_t>(q[1]));
        }
        RunPixels<Source, Blend, Bits, Key>(pixelEnd + n + len, depthEnd + n + len, -len, z, u, v, i, du, dv, k);
        u = uEnd, v = vEnd;
        n += len;
    }
}
