// Drawing run-length sprites, clipped at any position, into a destination of 16-bit pixels.
//
// (x, y) is where the sprite's top-left pixel goes; either may be negative or beyond the
// destination. Rows above the destination are walked over, transparent runs only move the
// column, and opaque pixels outside the columns 0..width - 1 are skipped. Pixels are combined
// in the sprite's own layout (bits per pixel 16: 5-6-5, otherwise x-5-5-5). An indexed sprite
// takes its colours from its palette, or, for the drawers with a level, from its fade palette of
// that level (see fade_palettes.h) for that one call only.
//
// The destination must be the frame the sprite was made for: a drawer whose destination is null
// or differs in width or height from the sprite's frame size, whose sprite has no run stream, or
// whose indexed sprite lacks the palette it needs, draws nothing. Levels are limited to 0..127.
#pragma once

#include <cstdint>

#include "resources/picture.h"

// `height` rows of `width` pixels, row after row with no gap.
struct DrawTarget {
    uint16_t* pixels;
    int32_t width;
    int32_t height;
};

// d = s.
void DrawSprite(const Sprite& sprite, DrawTarget target, int32_t x, int32_t y);

// d = SaturatingAdd(s, d).
void DrawSpriteAdd(const Sprite& sprite, DrawTarget target, int32_t x, int32_t y);

// Direct colour: d = SaturatingAdd(SaturatingSub(s, grey of level), d); indexed: d =
// SaturatingAdd(fade palette level [index], d). Level 0 adds the sprite as it is (but for low bits).
void DrawSpriteFadeAdd(const Sprite& sprite, DrawTarget target, int32_t x, int32_t y, int32_t level);

// Direct colour: d = SaturatingSub(s, grey of level); indexed: d = fade palette level [index].
// Level 127 takes a direct-colour sprite to black.
void DrawSpriteFade(const Sprite& sprite, DrawTarget target, int32_t x, int32_t y, int32_t level);

// The grey that the direct-colour fades subtract at `level` (0..127) in the layout of `depth`:
// u = level / 2; 5-6-5: red and blue u / 2, green u; x-5-5-5: all three u / 2.
uint16_t FadeGrey(int32_t level, int32_t depth);
