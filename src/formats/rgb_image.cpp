#include "formats/rgb_image.h"

#include <cstddef>

#include "formats/pixel_format.h"

namespace {

uint8_t Expand5(unsigned v) { return static_cast<uint8_t>((v << 3) | (v >> 2)); }
uint8_t Expand6(unsigned v) { return static_cast<uint8_t>((v << 2) | (v >> 4)); }

} // namespace

std::vector<uint16_t> PackPixels(const RgbImage& image, int depth)
{
    std::vector<uint16_t> out(static_cast<size_t>(image.width) * image.height);
    for (size_t i = 0; i < out.size(); ++i) {
        out[i] = PackColour(image.rgb[i * 3], image.rgb[i * 3 + 1], image.rgb[i * 3 + 2], depth);
    }
    return out;
}

RgbImage UnpackPixels(const uint16_t* pixels, int width, int height, int depth)
{
    RgbImage image;
    image.width = width;
    image.height = height;
    image.rgb.resize(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
        unsigned p = pixels[i];
        uint8_t* o = &image.rgb[i * 3];
        if (depth == 16) {
            o[0] = Expand5(p >> 11 & 31);
            o[1] = Expand6(p >> 5 & 63);
        } else {
            o[0] = Expand5(p >> 10 & 31);
            o[1] = Expand5(p >> 5 & 31);
        }
        o[2] = Expand5(p & 31);
    }
    return image;
}
