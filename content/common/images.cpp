#include "common/images.h"

#include <algorithm>

#include "formats/bmp_writer.h"

namespace content {

std::vector<uint8_t> EncodeBmp8(const Image8& image, const Palette& palette)
{
    std::vector<uint8_t> rgb;
    rgb.reserve(768);
    for (const Colour& c : palette.colours) {
        rgb.push_back(c.r);
        rgb.push_back(c.g);
        rgb.push_back(c.b);
    }
    return MakeBmp8(image.width, image.height, image.pixels, rgb);
}

std::vector<uint8_t> EncodeBmp24(const ImageRgb& image) { return MakeBmp24(image.width, image.height, image.rgb); }

void DitherForDisplay(ImageRgb* image)
{
    static const int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    for (int y = 0; y < image->height; ++y) {
        for (int x = 0; x < image->width; ++x) {
            uint8_t* p = &image->rgb[(static_cast<size_t>(y) * image->width + x) * 3];
            for (int c = 0; c < 3; ++c) {
                // The value in display levels (0 .. top), with the dither's threshold in
                // sixteenths of a level, all in integers.
                const int bits = c == 1 ? 6 : 5, top = (1 << bits) - 1;
                const int level = std::min((p[c] * top * 16 + kBayer[y & 3][x & 3] * 255) / (255 * 16), top);
                const int v = level << (8 - bits);
                p[c] = static_cast<uint8_t>(v | v >> bits);
            }
        }
    }
}

Palette GreyRampPalette()
{
    Palette p;
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<uint8_t>(i);
        p.colours[static_cast<size_t>(i)] = {v, v, v};
    }
    return p;
}

Palette GradientPalette(const std::vector<PaletteStop>& stops)
{
    Palette p;
    if (stops.empty()) return p;
    for (int i = 0; i < 256; ++i) {
        size_t s = 0;
        while (s + 1 < stops.size() && stops[s + 1].index <= i) ++s;
        const PaletteStop& a = stops[s];
        const PaletteStop& b = s + 1 < stops.size() ? stops[s + 1] : stops[s];
        const int span = b.index - a.index;
        const int t = span > 0 ? i - a.index : 0;
        auto mix = [&](uint8_t x, uint8_t y) {
            return static_cast<uint8_t>(span > 0 ? (x * (span - t) + y * t + span / 2) / span : x);
        };
        p.colours[static_cast<size_t>(i)] = {mix(a.colour.r, b.colour.r), mix(a.colour.g, b.colour.g),
                                             mix(a.colour.b, b.colour.b)};
    }
    return p;
}

} // namespace content
