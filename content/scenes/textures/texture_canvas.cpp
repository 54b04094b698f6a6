#include "scenes/textures/texture_canvas.h"

#include "common/noise.h"
#include "scenes/builders/scene_math.h"

namespace content {

Texture BlankTexture(int frames)
{
    Texture t;
    t.frames = frames;
    t.texels.assign(static_cast<size_t>(kTextureSize) * kTextureSize * static_cast<size_t>(frames), 0);
    return t;
}

std::vector<uint8_t> EncodeTexture(const Texture& texture)
{
    const int height = kTextureSize * texture.frames;
    Image8 image(kTextureSize, height);
    for (int row = 0; row < height; ++row) {
        for (int u = 0; u < kTextureSize; ++u) {
            image.At(u, height - 1 - row) = texture.texels[static_cast<size_t>(row) * kTextureSize + static_cast<size_t>(u)];
        }
    }
    return EncodeBmp8(image, texture.palette);
}

float TileNoise(float x, float y, int cells, int octaves, float gain, uint32_t seed)
{
    const float scale = static_cast<float>(cells) / static_cast<float>(kTextureSize);
    return FractalNoise(x * scale, y * scale, cells, cells, octaves, gain, seed);
}

uint8_t RampIndex(double value, int first, int last)
{
    const double v = Clamp(value, 0.0, 1.0);
    return static_cast<uint8_t>(first + static_cast<int>(v * (last - first) + 0.5));
}

Palette RampPalette(const std::vector<PaletteStop>& stops)
{
    Palette p = GradientPalette(stops);
    p.colours[0] = {0, 0, 0};
    return p;
}

Palette TwoRampPalette(Colour darkA, Colour lightA, Colour darkB, Colour lightB)
{
    const Palette a = GradientPalette({{0, darkA}, {255, lightA}});
    const Palette b = GradientPalette({{0, darkB}, {255, lightB}});
    Palette p;
    for (int i = 1; i < 128; ++i) p.colours[static_cast<size_t>(i)] = a.colours[static_cast<size_t>((i - 1) * 255 / 126)];
    for (int i = 128; i < 256; ++i) p.colours[static_cast<size_t>(i)] = b.colours[static_cast<size_t>((i - 128) * 255 / 127)];
    return p;
}

double SoftSpot(double dx, double dy, double radius)
{
    const double d2 = (dx * dx + dy * dy) / (radius * radius);
    if (d2 >= 1.0) return 0.0;
    const double t = 1.0 - d2;
    return t * t;
}

} // namespace content
