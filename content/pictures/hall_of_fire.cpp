#include <algorithm>
#include <cmath>

#include "common/canvas.h"
#include "common/noise.h"
#include "common/random.h"
#include "common/trig.h"
#include "pictures/stills.h"

namespace content {
namespace {

constexpr int kWidth = 320, kHeight = 180;
constexpr float kHorizon = 72.0f;
constexpr Point kBrazier{160.0f, 122.0f}; // centre of the bowl's rim

// A flame: a tongue rising from `base`, `height` tall and `width` wide, its sides wavering with
// noise. Drawn in three layers: a wide red body, an orange heart, a pale yellow core.
void PaintFlame(Canvas* canvas, Point base, float width, float height, uint32_t seed, float gain)
{
    struct Layer {
        float scale;
        Rgb colour;
        float strength;
    };
    const Layer layers[] = {{1.0f, RgbFromBytes(190, 52, 18), 0.9f},
                            {0.68f, RgbFromBytes(250, 140, 40), 0.9f},
                            {0.36f, RgbFromBytes(255, 226, 150), 0.85f}};
    for (const Layer& layer : layers) {
        Coverage tongue(kWidth, kHeight);
        std::vector<Point> left, right;
        const float h = height * (0.55f + 0.45f * layer.scale), w = width * layer.scale;
        for (int i = 0; i <= 16; ++i) {
            const float t = static_cast<float>(i) / 16.0f; // 0 base .. 1 tip
            // Round at the base, tapering to a point, leaning with the draught.
            const float bulge = t < 0.25f ? std::sqrt(t / 0.25f) : 1.0f - (t - 0.25f) / 0.75f;
            const float sway = (FractalNoise(t * 3.0f, static_cast<float>(seed % 97), 0, 0, 2, 0.5f, seed) - 0.5f) * w * 1.6f * t;
            const float half = w * 0.5f * bulge;
            const float y = base.y - h * t;
            left.push_back({base.x + sway - half, y});
            right.push_back({base.x + sway + half, y});
        }
        std::vector<Point> outline = left;
        outline.insert(outline.end(), right.rbegin(), right.rend());
        FillPolygon(&tongue, outline);
        BlurCoverage(&tongue, 1);
        PaintAdd(canvas, tongue, layer.colour, layer.strength * gain);
    }
}

// A round glow of light around a point.
void PaintGlow(Canvas* canvas, Point at, float radius, Rgb colour, float gain)
{
    Coverage glow(kWidth, kHeight);
    const int x0 = std::max(0, static_cast<int>(at.x - radius)), x1 = std::min(kWidth - 1, static_cast<int>(at.x + radius));
    const int y0 = std::max(0, static_cast<int>(at.y - radius)), y1 = std::min(kHeight - 1, static_cast<int>(at.y + radius));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const float dx = (static_cast<float>(x) - at.x) / radius, dy = (static_cast<float>(y) - at.y) / radius;
            const float f = std::max(0.0f, 1.0f - (dx * dx + dy * dy));
            glow.At(x, y) = f * f * f;
        }
    }
    PaintAdd(canvas, glow, colour, gain);
}

// One pillar at depth z (1 nearest): a dark carved shaft lit on the side that faces the fire.
void PaintPillar(Canvas* canvas, float side, float z)
{
    const float cx = 160.0f + side * 150.0f / z, half = 13.0f / z;
    const float bottom = kHorizon + 96.0f / z, top = kHorizon - 150.0f / z;
    const Rgb stone = RgbFromBytes(40, 22, 20), lit = RgbFromBytes(200, 96, 40);
    for (int y = std::max(0, static_cast<int>(top)); y < std::min(kHeight, static_cast<int>(bottom)); ++y) {
        for (int x = static_cast<int>(cx - half); x <= static_cast<int>(cx + half); ++x) {
            if (x < 0 || x >= kWidth) continue;
            // u: -1 on the side away from the fire, +1 on the side facing it.
            const float u = (static_cast<float>(x) + 0.5f - cx) / half * -side;
            const float flute = 0.85f + 0.15f * std::fabs(static_cast<float>(SinTurns(static_cast<double>(x) * z * 0.27)));
            const float light = std::max(0.0f, u) * std::max(0.0f, u) * (1.2f - std::fabs(static_cast<float>(y) - kBrazier.y) / 160.0f);
            const float grain = FractalNoise(static_cast<float>(x) / 3.0f, static_cast<float>(y) / 9.0f, 0, 0, 2, 0.5f, 61);
            // The edge that faces the fire catches a bright rim of light.
            const float rim = u > 0.7f ? (u - 0.7f) / 0.3f : 0.0f;
            Rgb c = MixRgb(stone, lit, std::min(1.0f, (light * 1.6f + rim * 0.8f) / z));
            c = ScaleRgb(c, flute * (0.8f + 0.35f * grain) / (0.6f + 0.4f * z));
            float* p = canvas->At(x, y);
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
        }
    }
    // Capital and base: wider slabs.
    Coverage slabs(kWidth, kHeight);
    FillPolygon(&slabs, {{cx - half * 1.4f, bottom - 6.0f / z}, {cx + half * 1.4f, bottom - 6.0f / z},
                         {cx + half * 1.4f, bottom}, {cx - half * 1.4f, bottom}});
    PaintOver(canvas, slabs, ScaleRgb(RgbFromBytes(70, 34, 24), 1.0f / (0.6f + 0.4f * z)));
}

} // namespace

std::vector<uint8_t> MakeHallOfFire()
{
    Canvas canvas(kWidth, kHeight);
    // The back of the hall: dark stone courses, warmer towards the fire; the floor below.
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const float fx = static_cast<float>(x), fy = static_cast<float>(y);
            Rgb c;
            if (fy < kHorizon + 20.0f) {
                const bool joint = (y % 9 == 0) || ((x + (y / 9) * 13) % 26 == 0);
                const float n = FractalNoise(fx / 12.0f, fy / 6.0f, 0, 0, 3, 0.5f, 21);
                c = ScaleRgb(RgbFromBytes(48, 22, 18), (joint ? 0.55f : 1.0f) * (0.6f + 0.6f * n));
            } else {
                // Floor tiles converging on the fire, polished enough to reflect it.
                const float depth = (fy - kHorizon) / (kHeight - kHorizon);
                const float u = (fx - 160.0f) / (fy - kHorizon + 1.0f);
                const bool joint = std::fabs(u * 2.0f - std::floor(u * 2.0f + 0.5f)) < 0.04f / depth;
                const float n = FractalNoise(fx / 10.0f, fy / 4.0f, 0, 0, 3, 0.5f, 22);
                c = ScaleRgb(RgbFromBytes(36, 18, 16), (joint ? 0.6f : 1.0f) * (0.7f + 0.5f * n) * (0.6f + 0.6f * depth));
            }
            float* p = canvas.At(x, y);
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
            p[3] = 1.0f;
        }
    }
    // Warm light over the whole hall from the fire, fading with distance.
    PaintGlow(&canvas, {kBrazier.x, kBrazier.y - 30.0f}, 200.0f, RgbFromBytes(150, 56, 20), 0.7f);

    // Pillars, far to near, each with a torch on its inner face.
    const float depths[] = {3.2f, 2.0f, 1.25f};
    for (float z : depths) {
        for (float side : {-1.0f, 1.0f}) {
            PaintPillar(&canvas, side, z);
            const Point torch{160.0f + side * (150.0f / z - 17.0f / z), kHorizon - 20.0f / z};
            PaintGlow(&canvas, torch, 40.0f / z, RgbFromBytes(255, 120, 40), 0.5f);
            Coverage bracket(kWidth, kHeight);
            StrokeLine(&bracket, {torch.x, torch.y + 2.0f / z}, {torch.x + side * 6.0f / z, torch.y + 12.0f / z}, 3.0f / z);
            PaintOver(&canvas, bracket, RgbFromBytes(30, 16, 12));
            PaintFlame(&canvas, torch, 9.0f / z, 28.0f / z, static_cast<uint32_t>(z * 10.0f + side * 3.0f + 50.0f), 1.0f);
        }
    }

    // The brazier: a bronze bowl on a stand, the great fire above it.
    Coverage bowl(kWidth, kHeight), stand(kWidth, kHeight);
    std::vector<Point> bowlShape;
    for (int i = 0; i <= 20; ++i) {
        const float t = static_cast<float>(i) / 20.0f;
        const float x = kBrazier.x - 34.0f + 68.0f * t;
        const float sag = 1.0f - (2.0f * t - 1.0f) * (2.0f * t - 1.0f);
        bowlShape.push_back({x, kBrazier.y + 18.0f * sag});
    }
    FillPolygon(&bowl, bowlShape);
    FillPolygon(&stand, {{kBrazier.x - 5.0f, kBrazier.y + 14.0f}, {kBrazier.x + 5.0f, kBrazier.y + 14.0f},
                         {kBrazier.x + 16.0f, kBrazier.y + 44.0f}, {kBrazier.x - 16.0f, kBrazier.y + 44.0f}});
    PaintOver(&canvas, stand, RgbFromBytes(44, 24, 14));
    PaintOver(&canvas, bowl, RgbFromBytes(92, 52, 22));
    // The bowl's belly: lit near the rim by the fire above, darker below.
    Coverage belly(kWidth, kHeight);
    for (int y = static_cast<int>(kBrazier.y); y < static_cast<int>(kBrazier.y + 19.0f); ++y)
        for (int x = static_cast<int>(kBrazier.x - 35.0f); x <= static_cast<int>(kBrazier.x + 35.0f); ++x)
            belly.At(x, y) = bowl.At(x, y) * std::max(0.0f, 1.0f - (static_cast<float>(y) - kBrazier.y) / 10.0f);
    PaintAdd(&canvas, belly, RgbFromBytes(170, 90, 30), 0.8f);
    Coverage rim(kWidth, kHeight);
    StrokeLine(&rim, {kBrazier.x - 35.0f, kBrazier.y}, {kBrazier.x + 35.0f, kBrazier.y}, 2.2f);
    PaintOver(&canvas, rim, RgbFromBytes(214, 150, 70));

    PaintGlow(&canvas, {kBrazier.x, kBrazier.y - 34.0f}, 110.0f, RgbFromBytes(255, 110, 30), 0.55f);
    Random random(0xF1AE);
    for (int i = 0; i < 9; ++i) {
        const float x = kBrazier.x - 26.0f + 52.0f * (static_cast<float>(i) + random.Unit()) / 9.0f;
        const float centre = 1.0f - std::fabs(x - kBrazier.x) / 34.0f;
        PaintFlame(&canvas, {x, kBrazier.y + 1.0f}, 16.0f + 8.0f * centre, 30.0f + 62.0f * centre * random.Between(0.7f, 1.0f),
                   1000u + static_cast<uint32_t>(i), 0.55f);
    }
    // The fire's reflection on the floor: soft vertical streaks below the bowl.
    Coverage reflection(kWidth, kHeight);
    for (int y = static_cast<int>(kBrazier.y + 46.0f); y < kHeight; ++y) {
        for (int x = 110; x < 210; ++x) {
            const float dx = (static_cast<float>(x) - kBrazier.x) / 44.0f;
            const float ripple = FractalNoise(static_cast<float>(x) / 2.0f, static_cast<float>(y) / 1.5f, 0, 0, 2, 0.5f, 81);
            reflection.At(x, y) = std::max(0.0f, 1.0f - dx * dx) * (0.4f + 0.6f * ripple);
        }
    }
    PaintAdd(&canvas, reflection, RgbFromBytes(200, 80, 24), 0.45f);
    // Sparks rising from the fire.
    Coverage sparks(kWidth, kHeight);
    for (int i = 0; i < 40; ++i) {
        const float rise = random.Unit();
        const float x = kBrazier.x + random.Between(-1.0f, 1.0f) * (14.0f + 36.0f * rise);
        const float y = kBrazier.y - 50.0f - rise * 64.0f;
        FillEllipse(&sparks, {x, y}, 0.6f, 0.9f, 1.0f - 0.8f * rise);
    }
    PaintAdd(&canvas, sparks, RgbFromBytes(255, 190, 90), 1.0f);

    // Darken the corners so the eye rests on the fire.
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const float dx = (static_cast<float>(x) - 160.0f) / 200.0f, dy = (static_cast<float>(y) - 95.0f) / 130.0f;
            const float k = std::max(0.25f, 1.0f - (dx * dx + dy * dy));
            float* p = canvas.At(x, y);
            for (int c = 0; c < 3; ++c) p[c] *= k;
        }
    }
    ImageRgb image = ToImageRgb(canvas);
    DitherForDisplay(&image);
    return EncodeBmp24(image);
}

} // namespace content
