#include "effects/fade_palettes.h"

#include <algorithm>

#include "effects/pixel_arithmetic.h"
#include "resources/memory_pool.h"
#include "formats/pixel_format.h"

namespace {

constexpr uint32_t kPaletteBytes = 256 * sizeof(uint16_t);

int32_t Component(int32_t c) { return std::clamp(c, 0, 255); }

// The weight of one channel in palette k: 63 x start at k = 0, 63 x middle at k = 63 and
// 63 x end at k = 127.
int32_t Weight(int32_t k, int32_t start, int32_t middle, int32_t end)
{
    return k < 64 ? start * (63 - k) + middle * k : middle * (127 - k) + end * (k - 64);
}

int32_t Scale(int32_t weight, int32_t c) { return ((weight / 63) * c) / 255; }

} // namespace

int32_t MakeFadePalettes(const Picture* picture, Sprite* sprite, int32_t r0, int32_t g0, int32_t b0,
                         int32_t r1, int32_t g1, int32_t b1, int32_t r2, int32_t g2, int32_t b2)
{
    if (!picture || !sprite) return 0;
    if (!sprite->extra) {
        sprite->extra = PoolAlloc(kFadePaletteCount * kPaletteBytes, 4);
        if (!sprite->extra) return 0;
    }
    const int32_t end[3] = {Component(r0), Component(g0), Component(b0)};
    const int32_t middle[3] = {Component(r1), Component(g1), Component(b1)};
    const int32_t start[3] = {Component(r2), Component(g2), Component(b2)};
    uint16_t* palettes = static_cast<uint16_t*>(sprite->extra);
    for (int32_t k = 0; k < kFadePaletteCount; ++k) {
        int32_t w[3];
        for (int c = 0; c < 3; ++c) w[c] = Weight(k, start[c], middle[c], end[c]);
        uint16_t* palette = palettes + k * 256;
        for (int i = 0; i < 256; ++i) {
            const uint8_t* entry = picture->palette + i * 4; // blue, green, red, reserved
            palette[i] = PackColour(static_cast<uint32_t>(Scale(w[0], entry[2])),
                                    static_cast<uint32_t>(Scale(w[1], entry[1])),
                                    static_cast<uint32_t>(Scale(w[2], entry[0])), sprite->bitsPerPixel);
        }
    }
    return 1;
}

const uint16_t* FadePalette(const Sprite& sprite, int32_t level)
{
    if (!sprite.extra) return nullptr;
    return static_cast<const uint16_t*>(sprite.extra) + std::clamp(level, 0, kFadePaletteCount - 1) * 256;
}
