#include "pictures/closing.h"

#include <algorithm>
#include <cmath>

#include "common/canvas.h"
#include "common/lettering.h"
#include "common/noise.h"
#include "common/quantise.h"
#include "common/random.h"
#include "pictures/emblem.h"
#include "pictures/night_sky.h"

namespace content {
namespace {

constexpr int kWidth = 320, kHeight = 180;

std::vector<uint8_t> Encode(const Canvas& canvas)
{
    ImageRgb image = ToImageRgb(canvas);
    DitherForDisplay(&image);
    const IndexedPicture indexed = QuantisePicture(image, 1);
    return EncodeBmp8(indexed.image, indexed.palette);
}

void SetPixel(Canvas* canvas, int x, int y, Rgb c)
{
    float* p = canvas->At(x, y);
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
    p[3] = 1.0f;
}

} // namespace

std::vector<uint8_t> MakeWakeAtDawn()
{
    constexpr float horizon = 84.0f;
    const Point sun{212.0f, horizon};
    Canvas canvas(kWidth, kHeight);
    const Rgb zenith = RgbFromBytes(44, 40, 96), rose = RgbFromBytes(206, 120, 132), gold = RgbFromBytes(250, 206, 150);
    const Rgb seaFar = RgbFromBytes(150, 96, 120), seaNear = RgbFromBytes(30, 30, 74);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const float fx = static_cast<float>(x), fy = static_cast<float>(y);
            Rgb c;
            if (fy < horizon) {
                const float t = fy / horizon; // 0 top .. 1 horizon
                c = t < 0.6f ? MixRgb(zenith, rose, t / 0.6f) : MixRgb(rose, gold, (t - 0.6f) / 0.4f);
                // Long thin clouds lit from below.
                const float cloud = FractalNoise(fx / 70.0f, fy / 5.0f, 0, 0, 4, 0.5f, 0xC10D);
                const float band = std::max(0.0f, cloud - 0.52f) * 3.0f * (1.0f - t) * t * 4.0f;
                c = MixRgb(c, RgbFromBytes(255, 176, 160), std::min(0.8f, band));
            } else {
                const float t = (fy - horizon) / (kHeight - horizon); // 0 horizon .. 1 bottom
                c = MixRgb(seaFar, seaNear, std::sqrt(t));
                // Swell: darker troughs, finer towards the horizon.
                const float swell = FractalNoise(fx / (8.0f + 50.0f * t), (fy - horizon) / (1.0f + 5.0f * t), 0, 0, 3, 0.5f, 0x5EA);
                c = ScaleRgb(c, 0.8f + 0.4f * swell);
                // The sun's path on the water: glints in a column below it.
                const float dx = (fx - sun.x) / (10.0f + 60.0f * t);
                const float path = std::max(0.0f, 1.0f - dx * dx);
                const float glint = FractalNoise(fx / 2.0f, fy / 0.8f, 0, 0, 2, 0.5f, 0x61);
                c = MixRgb(c, gold, path * std::max(0.0f, glint - 0.45f) * 1.8f);
            }
            SetPixel(&canvas, x, y, c);
        }
    }
    // The sun, half risen, with its glow.
    Coverage disc(kWidth, kHeight), glow(kWidth, kHeight);
    FillEllipse(&disc, sun, 11.0f, 11.0f);
    for (int y = 0; y < static_cast<int>(horizon); ++y)
        for (int x = 0; x < kWidth; ++x) {
            const float dx = (static_cast<float>(x) - sun.x) / 90.0f, dy = (static_cast<float>(y) - sun.y) / 50.0f;
            glow.At(x, y) = std::max(0.0f, 1.0f - (dx * dx + dy * dy));
        }
    for (int y = static_cast<int>(horizon); y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) disc.At(x, y) = 0.0f;
    PaintAdd(&canvas, glow, RgbFromBytes(120, 70, 40), 0.6f);
    PaintOver(&canvas, disc, RgbFromBytes(255, 236, 196));

    // The ship, far off against the light, and her wake opening towards us.
    const Point ship{128.0f, horizon + 2.0f};
    Coverage hull(kWidth, kHeight), sails(kWidth, kHeight), foam(kWidth, kHeight);
    FillPolygon(&hull, {{ship.x - 13.0f, ship.y - 3.0f}, {ship.x + 14.0f, ship.y - 3.0f}, {ship.x + 9.0f, ship.y + 1.0f}, {ship.x - 10.0f, ship.y + 1.0f}});
    const float masts[] = {-7.0f, 1.0f, 8.0f};
    const float heights[] = {19.0f, 25.0f, 17.0f};
    for (int m = 0; m < 3; ++m) {
        const float x = ship.x + masts[m], top = ship.y - 3.0f - heights[m];
        StrokeLine(&hull, {x, ship.y - 3.0f}, {x, top}, 0.8f);
        FillPolygon(&sails, {{x - 4.0f, top + 3.0f}, {x + 4.5f, top + 3.0f}, {x + 5.5f, top + heights[m] * 0.45f}, {x - 5.0f, top + heights[m] * 0.45f}});
        FillPolygon(&sails, {{x - 5.5f, top + heights[m] * 0.5f}, {x + 6.0f, top + heights[m] * 0.5f}, {x + 6.5f, ship.y - 5.0f}, {x - 6.0f, ship.y - 5.0f}});
    }
    PaintOver(&canvas, sails, RgbFromBytes(118, 74, 98));
    PaintOver(&canvas, hull, RgbFromBytes(40, 26, 52));
    Random random(0x5111A6E);
    for (int side = -1; side <= 1; side += 2) {
        for (int i = 0; i < 70; ++i) {
            const float t = static_cast<float>(i) / 70.0f; // along the wake, ship .. bottom
            const float y = ship.y + 2.0f + t * t * (kHeight - ship.y);
            const float spread = 4.0f + t * t * 150.0f;
            const float bend = t * t * 18.0f * (0.5f + 0.5f * static_cast<float>(side));
        const float x = ship.x + 1.0f + static_cast<float>(side) * spread - bend + random.Between(-1.0f, 1.0f) * (1.0f + 6.0f * t);
            // The arms break up and fade as they spread.
            const float broken = FractalNoise(t * 9.0f, static_cast<float>(side) * 3.0f, 0, 0, 2, 0.5f, 0x3A4E);
            const float strength = std::min(1.0f, 0.3f + std::max(0.0f, broken * 1.8f - 0.5f)) * (1.0f - 0.4f * t);
            StrokeLine(&foam, {x, y}, {x + static_cast<float>(side) * (2.0f + 10.0f * t), y + 0.5f + t * 2.0f}, 0.5f + 1.2f * t, strength);
        }
    }
    // Churned water down the middle of the wake: a trail of foam right behind the ship that
    // widens and thins out towards us.
    for (int i = 0; i < 260; ++i) {
        const float t = random.Unit();
        const float y = ship.y + 2.0f + t * t * (kHeight - ship.y);
        const float x = ship.x + 1.0f + random.Between(-1.0f, 1.0f) * (1.5f + t * t * 34.0f);
        FillEllipse(&foam, {x, y}, 0.7f + 3.0f * t, 0.4f + 0.6f * t, 0.5f - 0.3f * t);
    }
    BlurCoverage(&foam, 1);
    PaintAdd(&canvas, foam, RgbFromBytes(236, 206, 200), 0.7f);
    return Encode(canvas);
}

std::vector<uint8_t> MakeSailsConstellation()
{
    Canvas canvas(kWidth, kHeight);
    const Rgb night = RgbFromBytes(4, 6, 22), milky = RgbFromBytes(56, 58, 104);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const float fx = static_cast<float>(x), fy = static_cast<float>(y);
            // The Milky Way crosses the Sails: a soft diagonal band of cloud.
            const float across = (fy - 40.0f - fx * 0.35f) / 60.0f;
            const float band = std::max(0.0f, 1.0f - across * across);
            const float cloud = FractalNoise(fx / 30.0f, fy / 24.0f, 0, 0, 5, 0.55f, 0x3117);
            SetPixel(&canvas, x, y, MixRgb(night, milky, band * band * cloud * 1.3f));
        }
    }
    PaintStars(&canvas, ScatterStars(kWidth, kHeight, 420, 0x7E1A), RgbFromBytes(210, 214, 255), 0.6f, false);

    // The figure, large, with a sail sketched through it as an old atlas would.
    const Constellation sails = SailsConstellation(60.0f, 18.0f, 200.0f, 130.0f);
    Coverage figure(kWidth, kHeight), sketch(kWidth, kHeight);
    for (const auto& [a, b] : sails.lines) StrokeLine(&figure, sails.stars[a].at, sails.stars[b].at, 0.9f);
    // A faint circle of the chart around the figure.
    Point middle{0.0f, 0.0f};
    for (const Star& s : sails.stars) middle = {middle.x + s.at.x / 9.0f, middle.y + s.at.y / 9.0f};
    StrokeCircle(&sketch, middle, 92.0f, 0.6f);
    StrokeCircle(&sketch, middle, 96.0f, 0.5f, 0.6f);
    PaintAdd(&canvas, sketch, RgbFromBytes(150, 130, 100), 0.35f);
    PaintAdd(&canvas, figure, RgbFromBytes(170, 180, 240), 0.6f);
    PaintStars(&canvas, sails.stars, RgbFromBytes(255, 240, 210), 1.0f, false);
    Coverage halo(kWidth, kHeight);
    for (const Star& s : sails.stars) FillEllipse(&halo, s.at, 3.0f + 4.0f * s.brightness, 3.0f + 4.0f * s.brightness, s.brightness);
    BlurCoverage(&halo, 3);
    PaintAdd(&canvas, halo, RgbFromBytes(230, 190, 120), 0.5f);

    // The name in the corner, as on a chart.
    Coverage label(kWidth, kHeight), sub(kWidth, kHeight);
    DrawText(&label, {Typeface::Serif, 20.0f, 7.0f}, "VELA", 300.0f, 156.0f, Align::Right);
    DrawText(&sub, {Typeface::SerifItalic, 12.0f, 0.3f}, "the Sails", 300.0f, 170.0f, Align::Right);
    PaintOver(&canvas, label, RgbFromBytes(240, 222, 180));
    PaintOver(&canvas, sub, RgbFromBytes(210, 186, 140));
    return Encode(canvas);
}

std::vector<uint8_t> MakeEndCard()
{
    Canvas canvas(kWidth, kHeight);
    Canvas emblem(kWidth, kHeight);
    DrawEmblem(&emblem, {160.0f, 62.0f}, 38.0f, 0.0);
    Canvas halo = emblem;
    BlurCanvas(&halo, 5);
    AddCanvas(&canvas, halo, 0.45f);
    CompositeOver(&canvas, emblem, 0, 0);

    Coverage name(kWidth, kHeight), line(kWidth, kHeight), rule(kWidth, kHeight);
    const TextStyle title{Typeface::Serif, 30.0f, 11.0f};
    DrawText(&name, title, "VELA", 160.0f, 136.0f, Align::Centre);
    Coverage glow = name;
    BlurCoverage(&glow, 3);
    PaintAdd(&canvas, glow, RgbFromBytes(150, 100, 40), 0.7f);
    PaintOver(&canvas, name, RgbFromBytes(242, 226, 188));
    StrokeLine(&rule, {112.0f, 145.5f}, {208.0f, 145.5f}, 0.7f);
    PaintOver(&canvas, rule, RgbFromBytes(200, 160, 96), 0.8f);
    DrawText(&line, {Typeface::SerifItalic, 13.0f, 0.4f}, "the end of the voyage", 160.0f, 162.0f, Align::Centre);
    PaintOver(&canvas, line, RgbFromBytes(214, 190, 146));
    return Encode(canvas);
}

} // namespace content
