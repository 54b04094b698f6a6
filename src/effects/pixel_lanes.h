// Eight 16-bit pixels handled as one value, for the full-view effects and the sprite drawers.
// Loads and stores go through memcpy, so any pixel address works.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

typedef uint16_t PixelLanes __attribute__((vector_size(16)));
typedef uint8_t ByteLanes __attribute__((vector_size(8)));

inline constexpr int kLaneCount = 8;

inline PixelLanes LoadLanes(const void* p)
{
    PixelLanes v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void StoreLanes(void* p, PixelLanes v) { std::memcpy(p, &v, sizeof v); }

// Eight bytes widened to eight 16-bit lanes.
inline PixelLanes LoadByteLanes(const uint8_t* p)
{
    ByteLanes b;
    std::memcpy(&b, p, sizeof b);
    return __builtin_convertvector(b, PixelLanes);
}

// Eight entries of `table`, picked by eight byte indices.
inline PixelLanes GatherLanes(const uint16_t* table, const uint8_t* index)
{
    return PixelLanes{table[index[0]], table[index[1]], table[index[2]], table[index[3]],
                      table[index[4]], table[index[5]], table[index[6]], table[index[7]]};
}

inline PixelLanes SplatLanes(uint16_t v) { return PixelLanes{v, v, v, v, v, v, v, v}; }
