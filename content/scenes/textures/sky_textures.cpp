#include "scenes/textures/sky_textures.h"

#include <algorithm>
#include <vector>

#include "common/noise.h"
#include "common/random.h"
#include "scenes/builders/scene_math.h"

namespace content {
namespace {

// A palette with index 0 black, then the given stops.
Palette Stops(const std::vector<PaletteStop>& stops)
{
    std::vector<PaletteStop> all{{0, {0, 0, 0}}};
    all.insert(all.end(), stops.begin(), stops.end());
    return RampPalette(all);
}

} // namespace

Texture MakeStarSky(const StarSkyStyle& s)
{
    Texture t = BlankTexture();
    // 1..160 the sky from the zenith's dark to the horizon's haze; 160..255 up to starlight.
    t.palette = Stops({{1, s.zenith}, {160, s.horizon}, {255, s.star}});
    std::vector<float> value(static_cast<size_t>(kTextureSize) * kTextureSize);
    for (int v = 0; v < kTextureSize; ++v) {
        const double height = (v + 0.5) / kTextureSize; // 0 horizon, 1 zenith
        for (int u = 0; u < kTextureSize; ++u) {
            const float haze = TileNoise(static_cast<float>(u), static_cast<float>(v), 8, 4, 0.5f, s.seed);
            // The band crosses the sky along a wave of one cycle round the horizon.
            const double bandCentre = 0.45 + 0.25 * Sine(kTwoPi * u / 256.0);
            const double d = (height - bandCentre) / 0.12;
            const double band = s.band * SoftSpot(d, 0, 1.0) * (0.4 + 0.6 * haze);
            const double sky = (1.0 - height) * (1.0 - height) * 0.55 + 0.08 * haze + 0.18 * band;
            value[static_cast<size_t>(v) * kTextureSize + static_cast<size_t>(u)] = static_cast<float>(sky * 160.0 / 255.0);
        }
    }
    Random random(s.seed + 1);
    for (int i = 0; i < s.stars; ++i) {
        const int u = static_cast<int>(random.Below(256));
        // Fewer stars low in the haze.
        const int v = 16 + static_cast<int>(random.Below(240));
        const float brightness = random.Unit();
        const float level = 0.66f + 0.34f * brightness * brightness;
        float& centre = value[static_cast<size_t>(v) * kTextureSize + static_cast<size_t>(u)];
        centre = std::max(centre, level);
        if (brightness > 0.85f) {
            // The brightest get a small cross.
            const int du[4] = {1, -1, 0, 0}, dv[4] = {0, 0, 1, -1};
            for (int k = 0; k < 4; ++k) {
                float& arm = value[static_cast<size_t>((v + dv[k]) & 255) * kTextureSize + static_cast<size_t>((u + du[k]) & 255)];
                arm = std::max(arm, level * 0.8f);
            }
        }
    }
    for (int v = 0; v < kTextureSize; ++v) {
        for (int u = 0; u < kTextureSize; ++u) t.At(u, v) = RampIndex(value[static_cast<size_t>(v) * kTextureSize + static_cast<size_t>(u)]);
    }
    return t;
}

Texture MakeEnvironmentMap(const EnvironmentStyle& s)
{
    Texture t = BlankTexture();
    t.palette = Stops({{1, s.ground}, {110, s.horizon}, {170, s.sky}, {255, s.highlight}});
    for (int v = 0; v < kTextureSize; ++v) {
        for (int u = 0; u < kTextureSize; ++u) {
            const double x = (u + 0.5 - 128) / 128, y = (v + 0.5 - 128) / 128; // y up
            const double r = SquareRoot(x * x + y * y);
            const float cloud = TileNoise(static_cast<float>(u), static_cast<float>(v), 8, 3, 0.5f, s.seed);
            double value;
            if (y < -0.15) {
                value = 0.3 - 0.25 * (-0.15 - y) + 0.08 * cloud;
            } else {
                value = 0.55 + 0.25 * (y + 0.15) + 0.08 * cloud;
                value += 0.6 * SoftSpot(x + 0.35, y - 0.45, s.highlightSize);
            }
            // A bright horizon line, then the rim.
            value += 0.25 * SoftSpot(0, (y + 0.15) * 12.0, 1.0) * (1.0 - r);
            value = value + (0.45 - value) * SmoothStep(0.86, 0.97, r);
            t.At(u, v) = RampIndex(value);
        }
    }
    return t;
}

Texture MakeRippleTexture(const RippleStyle& s)
{
    Texture t = BlankTexture();
    t.palette = Stops({{1, s.deep}, {170, s.crest}, {255, s.glint}});
    for (int v = 0; v < kTextureSize; ++v) {
        for (int u = 0; u < kTextureSize; ++u) {
            // Wavelets four times longer than they are wide.
            const float swell = FractalNoise(static_cast<float>(u) / 32.0f, static_cast<float>(v) / 8.0f, 8, 32, 4, 0.5f,
                                             s.seed);
            const float chop = FractalNoise(static_cast<float>(u) / 16.0f, static_cast<float>(v) / 4.0f, 16, 64, 2, 0.5f,
                                            s.seed + 1);
            double value = 0.25 + 0.45 * (swell - 0.5) + 0.25 * (chop - 0.5);
            const double crest = SmoothStep(0.62, 0.8, 0.6 * swell + 0.4 * chop);
            value += crest * (0.25 + 0.5 * s.glints * SmoothStep(0.6, 0.75, chop));
            t.At(u, v) = RampIndex(value);
        }
    }
    return t;
}

} // namespace content
