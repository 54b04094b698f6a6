// Plain full-view colour effects, in place on the view (screen.viewHeight rows of
// screen.screenWidth pixels, layout of screen.pixelDepth). Components are limited to
// 0..255; a null view is left alone.
#pragma once

#include <cstdint>

// Every pixel becomes the colour (r, g, b).
void FillView(uint16_t* view, int32_t r, int32_t g, int32_t b);

// p = SaturatingAdd(colour (r, g, b), p).
void TintView(uint16_t* view, int32_t r, int32_t g, int32_t b);
