// Pictures as content makes them: 8-bit indexed and 24-bit RGB images with their BMP encoding,
// and the palettes the show's 8-bit pictures and textures use.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace content {

struct Colour {
    uint8_t r = 0, g = 0, b = 0;
};

// 256 colours.
struct Palette {
    std::array<Colour, 256> colours{};
};

// One byte per pixel (a palette index or a grey level), rows top to bottom.
struct Image8 {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;

    Image8() = default;
    Image8(int w, int h, uint8_t fill = 0) : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}
    uint8_t& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    uint8_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Three bytes per pixel (red, green, blue), rows top to bottom.
struct ImageRgb {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    ImageRgb() = default;
    ImageRgb(int w, int h, Colour fill = {}) : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3)
    {
        for (size_t i = 0; i < rgb.size(); i += 3) {
            rgb[i] = fill.r;
            rgb[i + 1] = fill.g;
            rgb[i + 2] = fill.b;
        }
    }
    Colour At(int x, int y) const
    {
        const size_t i = (static_cast<size_t>(y) * width + x) * 3;
        return {rgb[i], rgb[i + 1], rgb[i + 2]};
    }
    void Set(int x, int y, Colour c)
    {
        const size_t i = (static_cast<size_t>(y) * width + x) * 3;
        rgb[i] = c.r;
        rgb[i + 1] = c.g;
        rgb[i + 2] = c.b;
    }
};

// The BMP files the show reads: uncompressed, bottom-up, 8-bit with the palette or 24-bit.
std::vector<uint8_t> EncodeBmp8(const Image8& image, const Palette& palette);
std::vector<uint8_t> EncodeBmp24(const ImageRgb& image);

// Moves every colour onto the display's 5-6-5 levels (red and blue in steps of 8, green in
// steps of 4) with a 4x4 ordered dither, so that gradients show as fine patterns rather than
// bands once the show drops the low bits. Black stays black. Each level is stored with its bits
// repeated (248 -> 255), as the display shows it.
void DitherForDisplay(ImageRgb* image);

// Index i is the grey i (0 black .. 255 white).
Palette GreyRampPalette();
// Straight steps between colour stops placed at the given indices (the first stop at 0, the
// last at 255, indices rising).
struct PaletteStop {
    int index;
    Colour colour;
};
Palette GradientPalette(const std::vector<PaletteStop>& stops);

} // namespace content
