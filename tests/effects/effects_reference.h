// Plain per-pixel forms of the effects' formulas, written with the tests and branches exactly as
// stated, to check the branch-free and eight-pixels-at-a-time code against; and a builder of
// run-length sprites from a grid of pixels.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "formats/byte_order.h"
#include "resources/picture.h"

inline uint16_t RefAdd(uint16_t a, uint16_t b, int depth)
{
    const uint32_t m = depth == 16 ? 0x7BEF : 0x3DEF;
    uint32_t s = ((a >> 1) & m) + ((b >> 1) & m);
    if (depth == 16) {
        if (s & 0x8000) s |= 0x7800;
        if (s & 0x400) s |= 0x3E0;
        if (s & 0x10) s |= 0xF;
        return static_cast<uint16_t>((s << 1) | ((a | b) & 0x821));
    }
    if (s & 0x4000) s |= 0x3C00;
    if (s & 0x200) s |= 0x1E0;
    if (s & 0x10) s |= 0xF;
    return static_cast<uint16_t>((s << 1) | ((a | b) & 0x421));
}

inline uint16_t RefSub(uint16_t a, uint16_t b, int depth)
{
    const uint32_t m = depth == 16 ? 0x7BEF : 0x3DEF;
    uint32_t d = (((a >> 1) & m) - ((b >> 1) & m)) & 0xFFFF;
    if (depth == 16) {
        if (d & 0x8000) d &= 0x7FF;
        if (d & 0x400) d &= 0xF81F;
        if (d & 0x10) d &= 0xFFE0;
    } else {
        if (d & 0x4000) d &= 0x3FF;
        if (d & 0x200) d &= 0x7C1F;
        if (d & 0x10) d &= 0x7FE0;
    }
    return static_cast<uint16_t>(d << 1);
}

inline uint16_t RefColour(int r, int g, int b, int depth)
{
    if (depth == 16) return static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
    return static_cast<uint16_t>((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
}

inline std::vector<uint16_t> RandomPixels(std::mt19937& rng, size_t n)
{
    std::vector<uint16_t> v(n);
    for (auto& p : v) p = static_cast<uint16_t>(rng());
    return v;
}

inline std::vector<uint8_t> RandomBytes(std::mt19937& rng, size_t n)
{
    std::vector<uint8_t> v(n);
    for (auto& b : v) b = static_cast<uint8_t>(rng());
    return v;
}

// A sprite over a grid of pixels (indices for indexed sprites, colours otherwise), 0 being
// transparent, encoded into maximal runs the way the sprite maker writes them. The sprite points
// into this object, which must outlive it.
struct TestSprite {
    Sprite sprite{};
    std::vector<uint16_t> grid;
    std::vector<uint8_t> stream;
    std::vector<uint16_t> palette;

    TestSprite(const TestSprite&) = delete;
    TestSprite& operator=(const TestSprite&) = delete;

    TestSprite(int width, int height, std::vector<uint16_t> pixels, int frameWidth, int frameHeight,
               int bits, bool indexed)
        : grid(std::move(pixels)), palette(256)
    {
        auto put16 = [&](uint16_t v) { AppendLe16(stream, v); };
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width;) {
                const bool clear = grid[y * width + x] == 0;
                int end = x + 1;
                while (end < width && (grid[y * width + end] == 0) == clear) ++end;
                put16(clear ? 0 : 1);
                put16(static_cast<uint16_t>(end - x));
                for (int i = x; i < end && !clear; ++i) {
                    if (indexed) stream.push_back(static_cast<uint8_t>(grid[y * width + i]));
                    else put16(grid[y * width + i]);
                }
                x = end;
            }
        }
        sprite = Sprite{width, height, frameWidth, frameHeight, bits, indexed ? 1 : 0,
                        indexed ? palette.data() : nullptr, nullptr, stream.data()};
    }
};
