// The 128 fade palettes of an indexed sprite, kept in the sprite's extra buffer: palette k
// (256 pixels in the sprite's layout) at byte offset k x 512, 65536 bytes in all. Palette 0 is
// tinted by the start colour, palette 63 by the middle colour and palette 127 by the end colour,
// with straight steps in between. They are released with the sprite.
#pragma once

#include <cstdint>

#include "resources/picture.h"

inline constexpr int32_t kFadePaletteCount = 128;

// Builds the palettes from the palette of `picture`, the 8-bit picture the sprite was made from.
// (r0, g0, b0) is the end colour, (r1, g1, b1) the middle, (r2, g2, b2) the start; components
// are limited to 0..255. A sprite that has its palettes already gets them rebuilt in place.
// 1 success, 0 when memory runs out or an argument is null.
int32_t MakeFadePalettes(const Picture* picture, Sprite* sprite, int32_t r0, int32_t g0, int32_t b0,
                         int32_t r1, int32_t g1, int32_t b1, int32_t r2, int32_t g2, int32_t b2);

// Palette `level` (0..127) of a sprite with fade palettes, or null when it has none.
const uint16_t* FadePalette(const Sprite& sprite, int32_t level);
