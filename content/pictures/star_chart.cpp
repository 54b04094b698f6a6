#include "common/canvas.h"
#include "common/noise.h"
#include "common/quantise.h"
#include "common/random.h"
#include "pictures/night_sky.h"
#include "pictures/stills.h"

namespace content {
namespace {

constexpr int kWidth = 320, kHeight = 180;

// A line drawn in all nine tile positions, so it continues across the edges.
void StrokeWrapped(Coverage* target, Point a, Point b, float width, float alpha)
{
    for (int oy = -1; oy <= 1; ++oy) {
        for (int ox = -1; ox <= 1; ++ox) {
            const Point d{static_cast<float>(ox * kWidth), static_cast<float>(oy * kHeight)};
            StrokeLine(target, {a.x + d.x, a.y + d.y}, {b.x + d.x, b.y + d.y}, width, alpha);
        }
    }
}

// A small invented figure of 4..6 stars around `centre`, as a chart draws its constellations.
Constellation Figure(Point centre, Random* random)
{
    Constellation c;
    const int count = 4 + static_cast<int>(random->Below(3));
    Point at = centre;
    for (int i = 0; i < count; ++i) {
        c.stars.push_back({at, 0.55f + 0.45f * random->Unit()});
        if (i > 0) c.lines.push_back({i - 1, i});
        at = {at.x + random->Between(-26.0f, 26.0f), at.y + random->Between(-18.0f, 18.0f)};
    }
    // Some figures close a loop, some branch.
    if (count > 4 && random->Below(2)) c.lines.push_back({count - 1, 1});
    return c;
}

} // namespace

std::vector<uint8_t> MakeStarChart()
{
    Canvas canvas(kWidth, kHeight);
    // Deep blue with a faint drift of nebula; periodic noise (8 x 5 cells) so the tile wraps.
    const Rgb deep = RgbFromBytes(10, 16, 54), cloud = RgbFromBytes(46, 44, 110);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const float n = FractalNoise(static_cast<float>(x) / 40.0f, static_cast<float>(y) / 36.0f, 8, 5, 4, 0.5f, 0xF0D);
            const float band = n * n;
            const Rgb c = MixRgb(deep, cloud, band);
            float* p = canvas.At(x, y);
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
            p[3] = 1.0f;
        }
    }

    // The chart's grid: hour lines every 40 columns, declination lines every 45 rows, dashed.
    Coverage grid(kWidth, kHeight);
    for (int i = 0; i < 8; ++i) {
        const float x = static_cast<float>(i * 40) + 20.5f;
        for (int d = 0; d < kHeight; d += 6) StrokeWrapped(&grid, {x, static_cast<float>(d)}, {x, static_cast<float>(d) + 3.0f}, 0.6f, 1.0f);
    }
    for (int i = 0; i < 4; ++i) {
        const float y = static_cast<float>(i * 45) + 22.5f;
        for (int d = 0; d < kWidth; d += 6) StrokeWrapped(&grid, {static_cast<float>(d), y}, {static_cast<float>(d) + 3.0f, y}, 0.6f, 1.0f);
    }
    PaintAdd(&canvas, grid, RgbFromBytes(70, 90, 170), 0.45f);

    // Figures: the Sails in the middle and invented ones around it.
    std::vector<Constellation> figures = {SailsConstellation(110.0f, 50.0f, 100.0f, 80.0f)};
    Random random(0xC4A27);
    const Point places[] = {{30, 30}, {250, 24}, {40, 140}, {260, 130}, {170, 160}, {300, 80}, {120, 8}};
    for (const Point& p : places) figures.push_back(Figure(p, &random));
    Coverage lines(kWidth, kHeight);
    std::vector<Star> figureStars;
    for (const Constellation& c : figures) {
        for (const auto& [a, b] : c.lines) StrokeWrapped(&lines, c.stars[a].at, c.stars[b].at, 0.8f, 1.0f);
        // Stars a little beyond the tile come back on its other side (drawn wrapped below).
        figureStars.insert(figureStars.end(), c.stars.begin(), c.stars.end());
    }
    PaintAdd(&canvas, lines, RgbFromBytes(150, 170, 230), 0.5f);

    PaintStars(&canvas, ScatterStars(kWidth, kHeight, 260, 0x57A2), RgbFromBytes(210, 220, 255), 0.7f, true);
    PaintStars(&canvas, figureStars, RgbFromBytes(255, 236, 190), 1.0f, true);

    ImageRgb image = ToImageRgb(canvas);
    DitherForDisplay(&image);
    const IndexedPicture indexed = QuantisePicture(image, 1);
    return EncodeBmp8(indexed.image, indexed.palette);
}

} // namespace content
