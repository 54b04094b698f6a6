// PNG pictures through libpng: the one writer and the one reader of the whole tree. The writer
// stores 8-bit grey, RGB or RGB with alpha, without interlacing, time or text chunks, so the
// same pixels and settings give the same bytes on every run. The reader takes any PNG and
// gives 8-bit RGB.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "formats/rgb_image.h"

// The channels of each pixel, 8 bits each, in this order; alpha is straight (not premultiplied).
enum class PngChannels { Grey = 1, Rgb = 3, Rgba = 4 };

// Default: zlib's default level, libpng choosing each row's filter; the smallest files.
// Fast: level 1 and the Sub filter on every row, for pictures written one per frame of a capture.
enum class PngCompression { Default, Fast };

// Pixels to write: width * height * channels bytes, rows top to bottom with no padding.
struct PngPixels {
    int width = 0;
    int height = 0;
    PngChannels channels = PngChannels::Rgb;
    const uint8_t* data = nullptr;
};

inline PngPixels PngPixelsOf(const RgbImage& image)
{
    return PngPixels{image.width, image.height, PngChannels::Rgb, image.rgb.data()};
}

// Encodes the picture into an open file from its current position; false when libpng gives up
// (an empty picture, or a write that failed), with part of the picture perhaps written.
bool EncodePng(FILE* file, const PngPixels& pixels, PngCompression compression = PngCompression::Default);

// Writes the picture to a new file at `path`; false with "PATH: cannot create: reason" or
// "PATH: cannot write: reason" in `error`.
bool WritePng(const std::string& path, const PngPixels& pixels, PngCompression compression, std::string* error);
// The same for an RGB image at the default compression.
bool WritePng(const std::string& path, const RgbImage& image, std::string* error);

// Reads any PNG (palette, grey, alpha and 16-bit channels are reduced to 8-bit RGB); false with
// a message naming the file in `error` when it cannot be read, is not a PNG, is damaged, or is
// empty or larger than 16384 pixels on a side.
bool ReadPng(const std::string& path, RgbImage* image, std::string* error);
