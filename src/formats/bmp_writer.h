// Writes uncompressed BMP files: 8-bit with a palette, or 24-bit; bottom-up lines padded to 4 bytes.
#pragma once

#include <cstdint>
#include <vector>

// `pixels` is width * height palette indices, top row first; `palette` has up to 256 RGB triples.
std::vector<uint8_t> MakeBmp8(int width, int height, const std::vector<uint8_t>& pixels,
                              const std::vector<uint8_t>& paletteRgb);

// `rgb` is width * height * 3 bytes (red, green, blue), top row first.
std::vector<uint8_t> MakeBmp24(int width, int height, const std::vector<uint8_t>& rgb);
