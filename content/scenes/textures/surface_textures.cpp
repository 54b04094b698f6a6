#include "scenes/textures/surface_textures.h"

#include <algorithm>
#include <vector>

#include "common/noise.h"
#include "common/random.h"
#include "scenes/builders/scene_math.h"

namespace content {
namespace {

// Distance from u to the nearest of the sorted cyclic positions, and the index of the span
// that holds u.
void NearestJoint(const std::vector<float>& joints, float u, float* distance, int* span)
{
    *distance = 1e9f;
    *span = static_cast<int>(joints.size()) - 1;
    for (size_t k = 0; k < joints.size(); ++k) {
        float d = u - joints[k];
        if (d < -128) d += 256;
        if (d > 128) d -= 256;
        *distance = std::min(*distance, d < 0 ? -d : d);
    }
    for (size_t k = 0; k < joints.size(); ++k) {
        if (u >= joints[k]) *span = static_cast<int>(k);
    }
}

float Fraction(double v) { return static_cast<float>(v - static_cast<double>(static_cast<int64_t>(v >= 0 ? v : v - 1))); }

} // namespace

Texture MakeBlockTexture(const BlockStyle& s)
{
    Texture t = BlankTexture();
    t.palette = TwoRampPalette(s.stoneDark, s.stoneLight, s.jointDark, s.jointLight);
    Random random(s.seed);
    const int height = kTextureSize / s.courses;
    const float length = static_cast<float>(kTextureSize) / static_cast<float>(s.blocksPerCourse);
    std::vector<std::vector<float>> joints(static_cast<size_t>(s.courses));
    std::vector<std::vector<float>> tones(static_cast<size_t>(s.courses));
    for (int r = 0; r < s.courses; ++r) {
        const float offset = (r & 1) ? length / 2 : 0;
        for (int k = 0; k < s.blocksPerCourse; ++k) {
            float j = offset + length * static_cast<float>(k) + random.Between(-s.jitter, s.jitter) * length;
            while (j < 0) j += 256;
            while (j >= 256) j -= 256;
            joints[static_cast<size_t>(r)].push_back(j);
            tones[static_cast<size_t>(r)].push_back(random.Between(-s.toneSpread, s.toneSpread));
        }
        std::sort(joints[static_cast<size_t>(r)].begin(), joints[static_cast<size_t>(r)].end());
    }
    for (int v = 0; v < kTextureSize; ++v) {
        const int course = v / height;
        const float within = static_cast<float>(v - course * height) + 0.5f;
        for (int u = 0; u < kTextureSize; ++u) {
            float across;
            int span;
            NearestJoint(joints[static_cast<size_t>(course)], static_cast<float>(u) + 0.5f, &across, &span);
            const float fromTop = within, fromBottom = static_cast<float>(height) - within;
            const float edge = std::min({across, fromTop, fromBottom});
            const float grain = TileNoise(static_cast<float>(u), static_cast<float>(v), s.grainCells, 4, 0.55f, s.seed);
            const float fine = TileNoise(static_cast<float>(u), static_cast<float>(v), 64, 2, 0.5f, s.seed + 7);
            if (edge < s.joint) {
                t.At(u, v) = static_cast<uint8_t>(128 + RampIndex(0.25 + 0.5 * fine + 0.2 * (edge / s.joint), 0, 127));
                continue;
            }
            // The block: its own tone, grain, a lit upper arris and a shadowed lower one.
            double value = 0.55 + tones[static_cast<size_t>(course)][static_cast<size_t>(span)] +
                           s.grain * (grain - 0.5) + 0.18 * (fine - 0.5);
            if (fromTop - s.joint < 2.5f) value += 0.12;
            if (fromBottom - s.joint < 2.5f) value -= 0.15;
            if (across - s.joint < 1.5f) value -= 0.06;
            // Pits and worn patches.
            if (fine > 0.82f) value -= 0.2;
            t.At(u, v) = RampIndex(value, 1, 127);
        }
    }
    return t;
}

Texture MakeMarbleTexture(const MarbleStyle& s)
{
    Texture t = BlankTexture();
    t.palette = TwoRampPalette(s.darkLow, s.darkHigh, s.lightLow, s.lightHigh);
    const int tile = kTextureSize / s.tiles;
    for (int v = 0; v < kTextureSize; ++v) {
        for (int u = 0; u < kTextureSize; ++u) {
            const int tu = u / tile, tv = v / tile;
            const bool light = ((tu + tv) & 1) != 0;
            const float lu = static_cast<float>(u - tu * tile) + 0.5f, lv = static_cast<float>(v - tv * tile) + 0.5f;
            const float edge = std::min({lu, lv, static_cast<float>(tile) - lu, static_cast<float>(tile) - lv});
            const float turbulence = TileNoise(static_cast<float>(u), static_cast<float>(v), 4, 5, 0.55f, s.seed);
            const float cloud = TileNoise(static_cast<float>(u), static_cast<float>(v), 8, 4, 0.5f, s.seed + 3);
            // Veins: where a wave of whole cycles across the tile, bent by the turbulence, crosses 0.
            const double phase = kTwoPi * (static_cast<double>(u) + 2.0 * v) / 256.0 + 7.0 * turbulence +
                                 (light ? 1.3 : 0.0);
            const double wave = Sine(phase);
            const double vein = 1.0 - SquareRoot(SquareRoot(wave < 0 ? -wave : wave));
            double value = 0.35 + 0.35 * cloud + (light ? 0.55 : 0.7) * vein;
            if (edge < s.grout) value = 0.05;
            else if (edge < s.grout + 1.5f) value -= 0.1;
            const int first = light ? 128 : 1, last = light ? 255 : 127;
            t.At(u, v) = RampIndex(value, first, last);
        }
    }
    return t;
}

Texture MakeWoodTexture(const WoodStyle& s)
{
    Texture t = BlankTexture();
    t.palette = RampPalette({{0, {0, 0, 0}}, {1, s.dark}, {255, s.light}});
    Random random(s.seed);
    const int width = kTextureSize / s.planks;
    std::vector<float> ends, tones, rings;
    for (int p = 0; p < s.planks; ++p) {
        ends.push_back(random.Between(0, 256));
        tones.push_back(random.Between(-0.12f, 0.12f));
        rings.push_back(random.Between(0, 10));
    }
    for (int v = 0; v < kTextureSize; ++v) {
        const int plank = v / width;
        const float across = static_cast<float>(v - plank * width) + 0.5f;
        for (int u = 0; u < kTextureSize; ++u) {
            // Grain: rings of the log cut lengthwise, waving slowly along the plank.
            const float sway = FractalNoise(static_cast<float>(u) / 64.0f, static_cast<float>(v) / 16.0f, 4, 16, 3, 0.5f,
                                            s.seed + static_cast<uint32_t>(plank));
            const float streak = FractalNoise(static_cast<float>(u) / 32.0f, static_cast<float>(v) / 2.0f, 8, 128, 3,
                                              0.5f, s.seed + 11);
            const double ring = Fraction(across * 0.11 + sway * 3.0 + rings[static_cast<size_t>(plank)]);
            double value = 0.5 + tones[static_cast<size_t>(plank)] + 0.22 * (ring < 0.5 ? ring : 1.0 - ring) * 2.0 - 0.1 +
                           0.3 * (streak - 0.5);
            // Gaps between planks and the butt joint of each.
            if (across < 1.0f || across > static_cast<float>(width) - 1.0f) value = 0.04;
            float d = static_cast<float>(u) - ends[static_cast<size_t>(plank)];
            if (d < 0) d = -d;
            if (d < 1.0f || d > 255.0f) value = 0.08;
            t.At(u, v) = RampIndex(value);
        }
    }
    return t;
}

Texture MakeMetalTexture(const MetalStyle& s)
{
    Texture t = BlankTexture();
    t.palette = RampPalette({{0, {0, 0, 0}}, {1, s.dark}, {255, s.light}});
    std::vector<float> value(static_cast<size_t>(kTextureSize) * kTextureSize);
    for (int v = 0; v < kTextureSize; ++v) {
        for (int u = 0; u < kTextureSize; ++u) {
            const float cloud = TileNoise(static_cast<float>(u), static_cast<float>(v), 4, 4, 0.5f, s.seed);
            const float brush = FractalNoise(static_cast<float>(u) / 64.0f, static_cast<float>(v), 4, 256, 2, 0.5f,
                                             s.seed + 5);
            value[static_cast<size_t>(v) * kTextureSize + static_cast<size_t>(u)] =
                0.5f + 0.25f * (cloud - 0.5f) + 0.18f * (brush - 0.5f);
        }
    }
    // Scratches: short straight strokes, lighter or darker, wrapped round the tile.
    Random random(s.seed + 1);
    for (int i = 0; i < s.scratches; ++i) {
        const float x = random.Between(0, 256), y = random.Between(0, 256);
        const float length = random.Between(8, 60);
        const double angle = random.Between(-0.5f, 0.5f);
        const float dx = static_cast<float>(Cosine(angle)), dy = static_cast<float>(Sine(angle));
        const float shade = random.Unit() < 0.6f ? 0.22f : -0.18f;
        for (float k = 0; k < length; k += 0.5f) {
            const int u = static_cast<int>(x + dx * k) & 255, v = static_cast<int>(y + dy * k) & 255;
            float& cell = value[static_cast<size_t>(v) * kTextureSize + static_cast<size_t>(u)];
            cell = std::clamp(cell + shade * 0.5f, 0.0f, 1.0f);
        }
    }
    for (int v = 0; v < kTextureSize; ++v) {
        for (int u = 0; u < kTextureSize; ++u) t.At(u, v) = RampIndex(value[static_cast<size_t>(v) * kTextureSize + static_cast<size_t>(u)]);
    }
    return t;
}

Texture MakeClothTexture(const ClothStyle& s)
{
    Texture t = BlankTexture();
    t.palette = RampPalette({{0, {0, 0, 0}}, {1, s.dark}, {255, s.light}});
    for (int v = 0; v < kTextureSize; ++v) {
        for (int u = 0; u < kTextureSize; ++u) {
            const float cloud = TileNoise(static_cast<float>(u), static_cast<float>(v), 4, 4, 0.5f, s.seed);
            const float fibre = FractalNoise(static_cast<float>(u) / 2.0f, static_cast<float>(v) / 16.0f, 128, 16, 2,
                                             0.5f, s.seed + 3);
            double value = 0.62 + 0.14 * (cloud - 0.5) + 0.1 * (fibre - 0.5) + (((u ^ v) & 1) ? 0.025 : -0.025);
            // A seam every 64 texels: a doubled fold with stitches along it.
            const int seam = (v + 2) & 63;
            if (seam < 4) value -= seam == 1 || seam == 2 ? 0.22 : 0.1;
            if (seam == 5 && (u & 7) < 3) value -= 0.12;
            t.At(u, v) = RampIndex(value);
        }
    }
    return t;
}

} // namespace content
