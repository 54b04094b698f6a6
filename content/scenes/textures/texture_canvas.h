// What every procedural texture is made of: an 8-bit picture 256 texels wide (one or more
// 256-row frames) with its palette, tileable noise over it, palettes of colour ramps, and
// conversion of brightness fields to palette indices.
#pragma once

#include <cstdint>
#include <vector>

#include "common/images.h"

namespace content {

constexpr int kTextureSize = 256;

// Texels in the order the engine reads them: frame by frame, row v = 0 first. The engine takes
// a picture's rows in file order, and BMP files store the bottom row first, so texel row 0 is
// the picture's bottom row; EncodeTexture turns the rows over accordingly.
struct Texture {
    int frames = 1;
    std::vector<uint8_t> texels; // 256 x 256 x frames
    Palette palette;

    uint8_t& At(int u, int v, int frame = 0)
    {
        return texels[(static_cast<size_t>(frame) * kTextureSize + static_cast<size_t>(v & 255)) * kTextureSize +
                      static_cast<size_t>(u & 255)];
    }
    uint8_t At(int u, int v, int frame = 0) const
    {
        return texels[(static_cast<size_t>(frame) * kTextureSize + static_cast<size_t>(v & 255)) * kTextureSize +
                      static_cast<size_t>(u & 255)];
    }
};

// 256 x (256 x frames) texels of index 0.
Texture BlankTexture(int frames = 1);
// The BMP file: 256 wide, 256 x frames high, 8 bits with the palette.
std::vector<uint8_t> EncodeTexture(const Texture& texture);

// Fractal noise at texel (x, y) of a 256-texel tile, with `cells` lattice cells across the
// tile at the first octave: seamless across the tile's edges. Result in [0, 1).
float TileNoise(float x, float y, int cells, int octaves, float gain, uint32_t seed);

// A brightness 0..1 to an index of the ramp that fills indices first..last.
uint8_t RampIndex(double value, int first = 1, int last = 255);

// A palette of colour stops (GradientPalette) whose index 0 is black: with colour-keyed
// modes index 0 is see-through, so a texture keeps 0 for its holes alone.
Palette RampPalette(const std::vector<PaletteStop>& stops);

// Two ramps in one palette: indices 1..127 and 128..255 (a material and its joints).
Palette TwoRampPalette(Colour darkA, Colour lightA, Colour darkB, Colour lightB);

// A soft round spot: 1 at the centre falling to 0 at `radius` (smooth, no library calls).
double SoftSpot(double dx, double dy, double radius);

} // namespace content
