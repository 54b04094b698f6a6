// The text console's built-in font: 256 glyphs of 8x16 pixels in code page 437 order.
#pragma once

#include <cstdint>

extern const uint8_t ConsoleFont[4096];
