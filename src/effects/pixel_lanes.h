// Runs of 16-bit pixels handled as one value: 8 lanes (16 bytes, any x86-64 or SIMD machine)
// or 16 lanes (32 bytes, for code built for AVX2). Loads and stores go through memcpy, so any
// pixel address works. Every helper is forced inline so that it takes on the instruction set
// of the loop it is used in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "effects/lane_width.h"

#if VELA_WIDE_LANES
#include <emmintrin.h>
#endif

// GCC turns the generic forms of a few 32-byte operations into longer sequences, so its wide
// loops state those instructions directly. Clang finds them from the generic forms, and its
// inline assembly cannot take 32-byte operands in helpers that are not built for AVX2
// themselves, so clang takes the generic forms.
#if VELA_WIDE_LANES && !defined(__clang__)
#define VELA_WIDE_ASSEMBLY 1
#else
#define VELA_WIDE_ASSEMBLY 0
#endif

// Vectors are only ever passed between forced-inline helpers, never across a call, so the
// calling-convention notes about wide vectors do not apply.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"

template <int Bytes> struct LaneTypes {
    typedef uint16_t Pixels __attribute__((vector_size(Bytes)));
    typedef int16_t Signed __attribute__((vector_size(Bytes)));
    typedef uint8_t Indices __attribute__((vector_size(Bytes / 2)));
    typedef uint64_t Words __attribute__((vector_size(Bytes)));
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
#if VELA_WIDE_ASSEMBLY
    if constexpr (Bytes == 32) {
        // One widening load; the compiler would otherwise load, split and widen each half.
        Lanes<Bytes> v;
        asm("vpmovzxbw %1, %0" : "=x"(v) : "m"(*reinterpret_cast<const uint8_t(*)[16]>(p)));
        return v;
    }
#endif
    typename LaneTypes<Bytes>::Indices b;
    std::memcpy(&b, p, sizeof b);
    return __builtin_convertvector(b, Lanes<Bytes>);
}

// Four entries of `table` picked by four byte indices, packed into one word, first entry lowest.
[[gnu::always_inline]] inline uint64_t GatherFour(const uint16_t* table, const uint8_t* index)
{
    return uint64_t(table[index[0]]) | uint64_t(table[index[1]]) << 16 | uint64_t(table[index[2]]) << 32 |
           uint64_t(table[index[3]]) << 48;
}

#if VELA_WIDE_LANES
// Eight entries of `table` picked by eight byte indices: one load of the indices, each entry
// loaded straight into its lane. Loads are what limits a gather, so none is spent on an index.
[[gnu::always_inline]] inline Lanes<16> GatherEight(const uint16_t* table, const uint8_t* index)
{
    uint64_t x;
    std::memcpy(&x, index, sizeof x);
    // Two indices per 16-bit piece: its low and high byte are read without a shift.
    const uint32_t p0 = uint32_t(x) & 0xFFFF, p1 = uint32_t(x) >> 16;
    const uint32_t p2 = uint32_t(x >> 32) & 0xFFFF, p3 = uint32_t(x >> 48);
    __m128i v = _mm_cvtsi32_si128(table[p0 & 255]);
    v = _mm_insert_epi16(v, table[p0 >> 8], 1);
    v = _mm_insert_epi16(v, table[p1 & 255], 2);
    v = _mm_insert_epi16(v, table[p1 >> 8], 3);
    v = _mm_insert_epi16(v, table[p2 & 255], 4);
    v = _mm_insert_epi16(v, table[p2 >> 8], 5);
    v = _mm_insert_epi16(v, table[p3 & 255], 6);
    v = _mm_insert_epi16(v, table[p3 >> 8], 7);
    return (Lanes<16>)v;
}
#endif

// Entries of `table` picked by kLaneCount byte indices.
template <int Bytes> [[gnu::always_inline]] inline Lanes<Bytes> GatherLanes(const uint16_t* table, const uint8_t* index)
{
    static_assert(Bytes == 16 || Bytes == 32);
#if VELA_WIDE_LANES
    if constexpr (Bytes == 16) {
        return GatherEight(table, index);
    } else {
        // One insert of the upper half: a vector shuffle would first clear the upper half of each.
        const Lanes<16> low = GatherEight(table, index), high = GatherEight(table, index + 8);
#if VELA_WIDE_ASSEMBLY
        Lanes<32> v;
        asm("vinserti128 $1, %2, %t1, %t0" : "=x"(v) : "x"(low), "x"(high));
        return v;
#else
        return __builtin_shufflevector(low, high, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
#endif
    }
#else
    using Words = typename LaneTypes<Bytes>::Words;
    if constexpr (Bytes == 16) {
        return (Lanes<Bytes>)Words{GatherFour(table, index), GatherFour(table, index + 4)};
    } else {
        return (Lanes<Bytes>)Words{GatherFour(table, index), GatherFour(table, index + 4),
                                   GatherFour(table, index + 8), GatherFour(table, index + 12)};
    }
#endif
}

template <int Bytes> [[gnu::always_inline]] inline Lanes<Bytes> SplatLanes(uint16_t v)
{
    return Lanes<Bytes>{} + v;
}

// Lane-wise (x + y + 1) >> 1 without losing the carry out of 16 bits.
template <class T> [[gnu::always_inline]] inline T AverageLanes(const T& x, const T& y)
{
#if VELA_WIDE_LANES
    if constexpr (sizeof(T) == 16) return (T)_mm_avg_epu16((__m128i)x, (__m128i)y);
#endif
#if VELA_WIDE_ASSEMBLY
    if constexpr (sizeof(T) == 32) {
        T r;
        asm("vpavgw %2, %1, %0" : "=x"(r) : "x"(x), "x"(y));
        return r;
    }
#endif
    return (x >> 1) + (y >> 1) + ((x | y) & 1);
}

// Lane-wise x - y, 0 where y is larger.
template <class T> [[gnu::always_inline]] inline T SubtractClampedLanes(const T& x, const T& y)
{
#if VELA_WIDE_LANES
    if constexpr (sizeof(T) == 16) return (T)_mm_subs_epu16((__m128i)x, (__m128i)y);
#endif
#if VELA_WIDE_ASSEMBLY
    if constexpr (sizeof(T) == 32) {
        T r;
        asm("vpsubusw %2, %1, %0" : "=x"(r) : "x"(x), "x"(y));
        return r;
    }
#endif
    return x > y ? x - y : T{};
}

// The same on each byte of the lanes.
template <class T> [[gnu::always_inline]] inline T SubtractClampedBytes(const T& x, const T& y)
{
#if VELA_WIDE_LANES
    if constexpr (sizeof(T) == 16) return (T)_mm_subs_epu8((__m128i)x, (__m128i)y);
#endif
#if VELA_WIDE_ASSEMBLY
    if constexpr (sizeof(T) == 32) {
        T r;
        asm("vpsubusb %2, %1, %0" : "=x"(r) : "x"(x), "x"(y));
        return r;
    }
#endif
    typedef uint8_t Bytes __attribute__((vector_size(sizeof(T))));
    const Bytes a = (Bytes)x, b = (Bytes)y;
    return (T)(a > b ? a - b : Bytes{});
}

// Lane-wise x * k, kept to 16 bits, in one multiply (the compiler would turn a constant factor
// into several shifts and adds).
template <class T> [[gnu::always_inline]] inline T MultiplyLanes(const T& x, uint16_t k)
{
#if VELA_WIDE_LANES
    if constexpr (sizeof(T) == 16) return (T)_mm_mullo_epi16((__m128i)x, (__m128i)(T{} + k));
#endif
#if VELA_WIDE_ASSEMBLY
    if constexpr (sizeof(T) == 32) {
        const T y = T{} + k;
        T r;
        asm("vpmullw %2, %1, %0" : "=x"(r) : "x"(x), "x"(y));
        return r;
    }
#endif
    return x * k;
}

// Lane-wise and byte-wise unsigned minimum.
template <class T> [[gnu::always_inline]] inline T MinLanes(const T& x, const T& y) { return x < y ? x : y; }

template <class T> [[gnu::always_inline]] inline T MinBytes(const T& x, const T& y)
{
    typedef uint8_t Bytes __attribute__((vector_size(sizeof(T))));
    const Bytes a = (Bytes)x, b = (Bytes)y;
    return (T)(a < b ? a : b);
}

// Each lane limited to lo..hi, the lanes taken as signed values.
template <class T> [[gnu::always_inline]] inline T ClampSigned(const T& v, int16_t lo, int16_t hi)
{
    using S = typename LaneTypes<sizeof(T)>::Signed;
    S s = (S)v;
    s = s < lo ? S{} + lo : s;
    s = s > hi ? S{} + hi : s;
    return (T)s;
}

#pragma GCC diagnostic pop
