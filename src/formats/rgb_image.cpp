#include "formats/rgb_image.h"

#include <cstddef>

#include "formats/pixel_format.h"

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
        const uint32_t c = UnpackColour(pixels[i], depth);
        uint8_t* o = &image.rgb[i * 3];
        o[0] = static_cast<uint8_t>(c >> 16);
        o[1] = static_cast<uint8_t>(c >> 8);
        o[2] = static_cast<uint8_t>(c);
    }
    return image;
}
