// Full-view transitions driven by a mask: one byte per view pixel (view order, top row first)
// saying how early that pixel takes part. They work in place on the view (screen.viewHeight
// rows of screen.screenWidth pixels) in the layout of screen.pixelDepth, and read FadeRamp,
// which must have been built for that depth.
//
// For the fades, pixel p with mask byte m at level L uses g = FadeRamp[255 + L - m]: L = 0 makes
// g black everywhere, from L = 510 on g is white everywhere, and in between a pixel ramps over
// 256 levels once L passes m. Levels are limited to 0..512. An effect whose view is null, or
// whose mask or picture holds fewer than one entry per view pixel, changes nothing.
#pragma once

#include <cstdint>
#include <span>

// p = SaturatingAdd(g, p): the view brightens towards white.
void MaskFadeAdd(uint16_t* view, std::span<const uint8_t> mask, int32_t level);

// p = SaturatingSub(p, g): the view darkens towards black.
void MaskFadeSub(uint16_t* view, std::span<const uint8_t> mask, int32_t level);

// p = SaturatingAdd(SaturatingSub(p, g), SaturatingSub(q, NOT g)): the view gives way to the
// view-sized picture `second`.
void MaskCrossFade(uint16_t* view, std::span<const uint8_t> mask, std::span<const uint16_t> second,
                   int32_t level);

// k = L - m limited to 0..255; p = SaturatingAdd(FadeRamp[s + k], p) with s the byte of the
// view-sized grey picture `grey`: nothing shows at L = 0, the whole grey picture once L - m >= 255.
void MaskReveal(uint16_t* view, std::span<const uint8_t> mask, std::span<const uint8_t> grey,
                int32_t level);
