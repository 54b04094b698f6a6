// Runs of 16-bit pixels handled as one value: 8 lanes (16 bytes, any x86-64 or SIMD machine)
// or 16 lanes (32 bytes, for code built for AVX2). Loads and stores go through memcpy, so any
// pixel address works. Every helper is forced inline so that it takes on the instruction set
// of the loop it is used in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "effects/lane_width.h"

// Vectors are only ever passed between forced-inline helpers, never across a call, so the
// calling-convention notes about wide vectors do not apply.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"

template <int Bytes> struct LaneTypes {
    typedef uint16_t Pixels __attribute__((vector_size(Bytes)));
    typedef int16_t Signed __attribute__((vector_size(Bytes)));
    typedef uint8_t Indices __attribute__((vector_size(Bytes / 2)));
};

// `Bytes` / 2 pixels.
template <int Bytes> using Lanes = typename LaneTypes<Bytes>::Pixels;
template <int Bytes> inline constexpr size_t kLaneCount = Bytes / 2;

template <int Bytes> [[gnu::always_inline]] inline Lanes<Bytes> LoadLanes(const void* p)
{
    Lanes<Bytes> v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <class T> [[gnu::always_inline]] inline void StoreLanes(void* p, const T& v) { std::memcpy(p, &v, sizeof v); }

// kLaneCount bytes widened to 16-bit lanes.
template <int Bytes> [[gnu::always_inline]] inline Lanes<Bytes> LoadByteLanes(const uint8_t* p)
{
    typename LaneTypes<Bytes>::Indices b;
    std::memcpy(&b, p, sizeof b);
    return __builtin_convertvector(b, Lanes<Bytes>);
}

// Entries of `table` picked by kLaneCount byte indices.
template <int Bytes> [[gnu::always_inline]] inline Lanes<Bytes> GatherLanes(const uint16_t* table, const uint8_t* index)
{
    Lanes<Bytes> v{};
    for (size_t k = 0; k < kLaneCount<Bytes>; ++k) v[k] = table[index[k]];
    return v;
}

template <int Bytes> [[gnu::always_inline]] inline Lanes<Bytes> SplatLanes(uint16_t v)
{
    return Lanes<Bytes>{} + v;
}

// Each lane limited to lo..hi, the lanes taken as signed values.
template <class T> [[gnu::always_inline]] inline T ClampSigned(const T& v, int16_t lo, int16_t hi)
{
    typedef int16_t S __attribute__((vector_size(sizeof(T))));
    S s = (S)v;
    s = s < lo ? S{} + lo : s;
    s = s > hi ? S{} + hi : s;
    return (T)s;
}

#pragma GCC diagnostic pop
