#include "scenes/textures/fire_textures.h"

#include "common/noise.h"
#include "common/random.h"
#include "scenes/builders/scene_math.h"

namespace content {
namespace {

Colour Mix(Colour a, Colour b, float t)
{
    auto m = [t](uint8_t x, uint8_t y) {
        return static_cast<uint8_t>(static_cast<float>(x) + (static_cast<float>(y) - static_cast<float>(x)) * t + 0.5f);
    };
    return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}

// The brightness of a flame at (x, y) of a cell (0..1 each, y = 0 at the top) in animation
// phase `phase` (0..1, looping).
double FlameValue(double x, double y, double phase, uint32_t seed, double lean)
{
    const double h = (0.94 - y) / 0.88; // height above the base, 0..1
    if (h <= 0 || h >= 1.05) return 0;
    // Noise that scrolls upward and loops: the lattice repeats every 4 cells vertically and
    // the phase moves it by exactly that much.
    const float nx = static_cast<float>(x * 4.0);
    const float ny = static_cast<float>(y * 4.0 + phase * 4.0);
    const double sway = FractalNoise(nx * 0.5f, ny * 0.5f, 2, 2, 3, 0.5f, seed) - 0.5;
    const double lick = FractalNoise(nx, ny, 4, 4, 3, 0.55f, seed + 17);
    const double width = 0.46 * (1.0 - h) * (0.45 + 1.7 * h) + 0.02;
    const double centre = 0.5 + (sway * 0.55 + lean) * h * h;
    const double across = (x - centre) / width;
    const double a = across < 0 ? -across : across;
    if (a >= 1) return 0;
    double core = (1.0 - a * a);
    core *= core;
    // Tongues break off towards the tip; the base burns steadily.
    const double breakUp = h * h * (1.15 - 1.3 * lick);
    double value = core * (0.75 + 0.5 * lick) - breakUp * 0.6;
    value *= SmoothStep(0.0, 0.12, h);
    return Clamp(value, 0.0, 1.0);
}

uint8_t FireIndex(double value)
{
    // Faint edges become see-through, so colour-keyed flames leave no grey box.
    if (value < 0.07) return 0;
    return RampIndex((value - 0.07) / 0.93 * 1.05);
}

} // namespace

Palette FirePalette(float heat)
{
    const Colour deep = Mix({44, 6, 2}, {70, 20, 6}, heat);
    const Colour red = Mix({150, 26, 4}, {190, 60, 12}, heat);
    const Colour orange = Mix({230, 96, 14}, {250, 140, 40}, heat);
    const Colour amber = Mix({252, 172, 48}, {255, 206, 110}, heat);
    const Colour core = Mix({255, 232, 150}, {255, 246, 214}, heat);
    return RampPalette({{0, {0, 0, 0}}, {1, deep}, {60, red}, {130, orange}, {195, amber}, {245, core}, {255, core}});
}

Texture MakeFlameSheet(uint32_t seed, float heat)
{
    Texture t = BlankTexture();
    t.palette = FirePalette(heat);
    for (int k = 0; k < kFlameCells; ++k) {
        const int cu = (k % 4) * kFlameCellSize, cv = (k / 4) * kFlameCellSize;
        const double phase = static_cast<double>(k) / kFlameCells;
        for (int y = 0; y < kFlameCellSize; ++y) {
            for (int x = 0; x < kFlameCellSize; ++x) {
                const double value = FlameValue((x + 0.5) / kFlameCellSize, (y + 0.5) / kFlameCellSize, phase, seed, 0);
                t.At(cu + x, cv + y) = FireIndex(value);
            }
        }
    }
    return t;
}

Texture MakeFireFrames(int frames, uint32_t seed, float heat)
{
    Texture t = BlankTexture(frames);
    t.palette = FirePalette(heat);
    Random random(seed);
    // Five tongues across the frame, each with its own size, lean and phase offset.
    struct Tongue {
        double centre, width, height, lean, offset;
    };
    Tongue tongues[5];
    for (int i = 0; i < 5; ++i) {
        tongues[i] = {0.12 + 0.19 * i + random.Between(-0.03f, 0.03f), random.Between(0.28f, 0.4f),
                      random.Between(0.6f, 1.0f), random.Between(-0.1f, 0.1f), random.Unit()};
    }
    for (int f = 0; f < frames; ++f) {
        const double phase = static_cast<double>(f) / frames;
        for (int v = 0; v < kTextureSize; ++v) {
            for (int u = 0; u < kTextureSize; ++u) {
                double value = 0;
                for (int i = 0; i < 5; ++i) {
                    const Tongue& g = tongues[i];
                    const double x = (u + 0.5) / kTextureSize;
                    const double lx = (x - g.centre) / g.width + 0.5;
                    const double ly = 1.0 - (1.0 - (v + 0.5) / kTextureSize) / g.height;
                    if (lx <= 0 || lx >= 1 || ly <= 0) continue;
                    double p = phase + g.offset;
                    p -= static_cast<int>(p);
                    value += FlameValue(lx, ly, p, seed + static_cast<uint32_t>(i) * 31u, g.lean);
                }
                // A glowing bed of embers along the bottom.
                const double bed = SmoothStep(0.86, 1.0, (v + 0.5) / kTextureSize) *
                                   (0.55 + 0.45 * TileNoise(static_cast<float>(u), static_cast<float>(v), 16, 2, 0.5f,
                                                           seed + 99 + static_cast<uint32_t>(f)));
                t.At(u, v, f) = FireIndex(Clamp(value + bed * 0.8, 0.0, 1.0));
            }
        }
    }
    return t;
}

Texture MakeFlarePicture(uint32_t seed)
{
    Texture t = BlankTexture();
    t.palette = GreyRampPalette();
    Random random(seed);
    double rays[16];
    for (double& r : rays) r = random.Between(0.6f, 1.0f);
    for (int sprite = 0; sprite < 4; ++sprite) {
        const int ou = (sprite & 1) * 128, ov = (sprite >> 1) * 128;
        for (int y = 0; y < 128; ++y) {
            for (int x = 0; x < 128; ++x) {
                const double dx = (x + 0.5 - 64) / 64, dy = (y + 0.5 - 64) / 64;
                const double r2 = dx * dx + dy * dy, r = SquareRoot(r2);
                // Every sprite fades to 0 before its edge.
                const double fade = 1.0 - SmoothStep(0.8, 0.98, r);
                double value = 0;
                switch (sprite) {
                case 0: {
                    const double glow = SoftSpot(dx, dy, 1.0);
                    value = 0.55 * glow + 0.6 * SoftSpot(dx, dy, 0.28);
                    break;
                }
                case 1: {
                    const double ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
                    const double rayX = SoftSpot(ay * 14.0, 0, 1.0) * (1.0 - ax);
                    const double rayY = SoftSpot(ax * 14.0, 0, 1.0) * (1.0 - ay);
                    value = 0.35 * SoftSpot(dx, dy, 0.7) + 0.8 * SoftSpot(dx, dy, 0.18) + 0.7 * (rayX + rayY);
                    break;
                }
                case 2: {
                    const double ring = (r - 0.66) / 0.08;
                    value = 0.72 * SoftSpot(ring, 0, 1.0) + 0.12 * SoftSpot(dx, dy, 0.9) + 0.4 * SoftSpot(dx, dy, 0.15);
                    // A slight shimmer round the ring.
                    value *= 0.85 + 0.15 * rays[static_cast<int>((dx + 1) * 4 + (dy + 1) * 4) & 15];
                    break;
                }
                default: {
                    const double ay = dy < 0 ? -dy : dy, ax = dx < 0 ? -dx : dx;
                    value = 0.75 * SoftSpot(ay * 9.0, 0, 1.0) * (1.0 - ax) * (1.0 - ax) + 0.7 * SoftSpot(dx, dy, 0.22);
                    break;
                }
                }
                t.At(ou + x, ov + y) = static_cast<uint8_t>(Clamp(value * fade, 0.0, 1.0) * 255.0 + 0.5);
            }
        }
    }
    return t;
}

} // namespace content
