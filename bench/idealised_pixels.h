// The benchmarks' yardstick: the per-pixel work of a textured fill with no set-up at all.
#pragma once

#include <cstdint>

// Fills `height` rows of `width` pixels (rows `width` apart): one texel of a 256x256 texture
// through a palette, a 32-bit depth compare and, when nearer, a depth and pixel write. Row y
// starts at texel u = y x 1000 (16.16), v = y, depth zStart.
inline void FillIdealisedRows(uint16_t* colour, uint32_t* depth, int width, int height, const uint8_t* texture,
                              const uint16_t* palette, uint32_t zStart)
{
    for (int y = 0; y < height; ++y) {
        uint16_t* pixels = colour + y * width;
        uint32_t* depths = depth + y * width;
        uint32_t u = static_cast<uint32_t>(y) * 1000, v = static_cast<uint32_t>(y) << 16, z = zStart;
        for (int x = 0; x < width; ++x) {
            const uint32_t texel = texture[((v >> 8) & 0xFF00) | ((u >> 16) & 0xFF)];
            if (z >= depths[x]) {
                depths[x] = z;
                pixels[x] = palette[texel];
            }
            u += 85196, v += 1200, z += 3;
        }
    }
}
