#include "pictures/loading.h"

#include <algorithm>
#include <cmath>

#include "common/canvas.h"
#include "common/lettering.h"
#include "common/noise.h"
#include "common/quantise.h"
#include "pictures/emblem.h"
#include "pictures/night_sky.h"

namespace content {
namespace {

constexpr int kWidth = 320, kHeight = 180;

} // namespace

std::vector<uint8_t> MakeLoadingScreen()
{
    Canvas canvas(kWidth, kHeight);
    // Night above, the warm glow of the fire hall rising from below.
    const Rgb top = RgbFromBytes(6, 8, 26), middle = RgbFromBytes(20, 22, 62), ember = RgbFromBytes(120, 44, 22);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const float fy = static_cast<float>(y) / kHeight;
            const float t = std::min(1.0f, fy / 0.7f);
            Rgb c = MixRgb(top, middle, t * t * (3.0f - 2.0f * t));
            const float dx = (static_cast<float>(x) - 150.0f) / 150.0f, dy = (static_cast<float>(y) - 210.0f) / 95.0f;
            const float glow = std::max(0.0f, 1.0f - (dx * dx + dy * dy));
            const float haze = FractalNoise(static_cast<float>(x) / 48.0f, static_cast<float>(y) / 30.0f, 0, 0, 4, 0.5f, 9);
            c = MixRgb(c, ember, glow * glow * (0.75f + 0.5f * haze));
            float* p = canvas.At(x, y);
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
            p[3] = 1.0f;
        }
    }
    std::vector<Star> stars = ScatterStars(kWidth, 120, 140, 0x10AD);
    PaintStars(&canvas, stars, RgbFromBytes(200, 208, 255), 0.55f, false);

    // The Sails, faint, above the name.
    const Constellation sails = SailsConstellation(96.0f, 10.0f, 128.0f, 44.0f);
    Coverage lines(kWidth, kHeight);
    for (const auto& [a, b] : sails.lines) StrokeLine(&lines, sails.stars[a].at, sails.stars[b].at, 0.6f);
    PaintAdd(&canvas, lines, RgbFromBytes(120, 130, 200), 0.45f);
    PaintStars(&canvas, sails.stars, RgbFromBytes(255, 240, 210), 1.0f, false);

    // The name, in sand with a gold glow, and the part's title below it.
    Coverage name(kWidth, kHeight), subtitle(kWidth, kHeight), rule(kWidth, kHeight);
    DrawText(&name, {Typeface::Serif, 54.0f, 16.0f}, "VELA", 160.0f, 109.0f, Align::Centre);
    Coverage glow = name;
    BlurCoverage(&glow, 4);
    PaintAdd(&canvas, glow, RgbFromBytes(200, 140, 60), 0.8f);
    PaintOver(&canvas, name, RgbFromBytes(240, 222, 180));
    StrokeLine(&rule, {96.0f, 121.5f}, {224.0f, 121.5f}, 0.7f);
    DrawText(&subtitle, {Typeface::SerifItalic, 15.0f, 0.4f}, "II \xC2\xB7 the hall of fire", 160.0f, 140.0f, Align::Centre);
    PaintOver(&canvas, rule, RgbFromBytes(200, 160, 96), 0.8f);
    PaintOver(&canvas, subtitle, RgbFromBytes(226, 196, 150));

    // "loading" in spaced capitals beside the corner where the emblem turns (the fire's glow
    // stays left of it, so the emblem is added over night blue).
    Coverage label(kWidth, kHeight);
    const float cx = kWidth - kLoadingFrameSize * 0.5f, cy = kHeight - kLoadingFrameSize * 0.5f;
    DrawText(&label, {Typeface::Serif, 10.0f, 3.0f}, "LOADING", cx - 32.0f, cy + 3.5f, Align::Right);
    PaintOver(&canvas, label, RgbFromBytes(220, 196, 150));

    ImageRgb image = ToImageRgb(canvas);
    DitherForDisplay(&image);
    const IndexedPicture indexed = QuantisePicture(image, 1);
    return EncodeBmp8(indexed.image, indexed.palette);
}

std::vector<uint8_t> MakeLoadingFrame(int frame)
{
    const int size = kLoadingFrameSize;
    Canvas canvas(size, size);
    const float half = static_cast<float>(size) * 0.5f;
    DrawEmblem(&canvas, {half, half}, half - 3.0f, static_cast<double>(frame) / 24.0);
    // A faint halo so the emblem glows where it is added.
    Canvas halo = canvas;
    BlurCanvas(&halo, 2);
    AddCanvas(&canvas, halo, 0.35f);
    return EncodeBmp24(ToImageRgb(canvas));
}

} // namespace content
