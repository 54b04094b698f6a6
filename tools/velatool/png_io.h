// PNG files for the toolkit: 8-bit RGB in and out, and conversion between RGB and the
// display's packed 15/16-bit pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb; // width * height * 3 bytes, rows top to bottom
};

// Writes the image as an 8-bit RGB PNG to the file, or to standard output for "-"; false with a
// message in `error` on failure (and no file left behind).
bool WritePng(const std::string& path, const RgbImage& image, std::string* error);

// Reads any PNG (palette, grey, alpha and 16-bit channels are reduced to 8-bit RGB).
bool ReadPng(const std::string& path, RgbImage* image, std::string* error);

// Packs each pixel into the 5-6-5 (depth 16) or x-5-5-5 (depth 15) layout, truncating channels.
std::vector<uint16_t> PackPixels(const RgbImage& image, int depth);

// Expands packed pixels to 8-bit channels by bit replication.
RgbImage UnpackPixels(const uint16_t* pixels, int width, int height, int depth);
