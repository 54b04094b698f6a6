// Pictures as 8-bit RGB bytes, and their conversion to and from the frame's packed 15/16-bit
// pixels (formats/pixel_format.h).
#pragma once

#include <cstdint>
#include <vector>

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb; // width * height * 3 bytes, rows top to bottom
};

// Packs each pixel into the 5-6-5 (depth 16) or x-5-5-5 (depth 15) layout, truncating channels.
std::vector<uint16_t> PackPixels(const RgbImage& image, int depth);

// Expands packed pixels to 8-bit channels by bit replication.
RgbImage UnpackPixels(const uint16_t* pixels, int width, int height, int depth);
