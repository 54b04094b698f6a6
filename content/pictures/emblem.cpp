#include "pictures/emblem.h"

#include <vector>

#include "common/trig.h"

namespace content {
namespace {

Point Polar(Point centre, float radius, double turns)
{
    // Turn 0 points up; turns go clockwise on screen (y grows downwards).
    return {centre.x + radius * static_cast<float>(SinTurns(turns)), centre.y - radius * static_cast<float>(CosTurns(turns))};
}

Point Quadratic(Point a, Point control, Point b, float t)
{
    const float u = 1.0f - t;
    return {u * u * a.x + 2.0f * u * t * control.x + t * t * b.x, u * u * a.y + 2.0f * u * t * control.y + t * t * b.y};
}

// A curved edge from a to b bowing through `control`, appended without its first point.
void AppendCurve(std::vector<Point>* points, Point a, Point control, Point b)
{
    for (int i = 1; i <= 12; ++i) points->push_back(Quadratic(a, control, b, static_cast<float>(i) / 12.0f));
}

} // namespace

void DrawEmblem(Canvas* canvas, Point centre, float radius, float turn)
{
    const int w = canvas->width, h = canvas->height;
    const Rgb lightGold = RgbFromBytes(240, 206, 120), darkGold = RgbFromBytes(168, 116, 48);
    const Rgb midnight = RgbFromBytes(18, 22, 58), sand = RgbFromBytes(242, 228, 192), sandShade = RgbFromBytes(196, 170, 128);

    // The star: each point a kite of a lit and a shaded half, long points on the quarters,
    // short ones between them.
    Coverage lit(w, h), shaded(w, h);
    for (int k = 0; k < 8; ++k) {
        const bool longPoint = k % 2 == 0;
        const double a = turn + k / 8.0;
        const float reach = longPoint ? radius : radius * 0.70f;
        const float waist = radius * (longPoint ? 0.30f : 0.24f);
        const Point tip = Polar(centre, reach, a);
        const Point left = Polar(centre, waist, a - 1.0 / 16.0), right = Polar(centre, waist, a + 1.0 / 16.0);
        FillPolygon(&lit, {centre, left, tip});
        FillPolygon(&shaded, {centre, tip, right});
    }
    PaintOver(canvas, shaded, darkGold);
    PaintOver(canvas, lit, lightGold);

    // The medallion: a night-blue disc in a gold ring.
    const float disc = radius * 0.45f;
    Coverage medallion(w, h), ring(w, h);
    FillEllipse(&medallion, centre, disc, disc);
    PaintOver(canvas, medallion, midnight);
    StrokeCircle(&ring, centre, disc, radius * 0.05f + 0.4f);
    PaintOver(canvas, ring, lightGold);

    // The sail: a mainsail bellied to the right of the mast, a jib before it, a small hull.
    const float s = disc;
    auto at = [&](float x, float y) { return Point{centre.x + x * s, centre.y + y * s}; };
    std::vector<Point> main = {at(0.06f, -0.70f)};
    AppendCurve(&main, at(0.06f, -0.70f), at(0.62f, -0.18f), at(0.50f, 0.34f));
    main.push_back(at(0.06f, 0.34f));
    Coverage sail(w, h), jibSail(w, h), hull(w, h), mast(w, h);
    FillPolygon(&sail, main);
    FillPolygon(&jibSail, {at(-0.06f, -0.56f), at(-0.06f, 0.34f), at(-0.46f, 0.34f)});
    PaintOver(canvas, jibSail, sandShade);
    PaintOver(canvas, sail, sand);
    StrokeLine(&mast, at(0.0f, -0.80f), at(0.0f, 0.40f), s * 0.07f);
    PaintOver(canvas, mast, lightGold);
    std::vector<Point> keel = {at(-0.62f, 0.44f), at(0.66f, 0.44f)};
    AppendCurve(&keel, at(0.66f, 0.44f), at(0.36f, 0.70f), at(0.02f, 0.66f));
    AppendCurve(&keel, at(0.02f, 0.66f), at(-0.40f, 0.66f), at(-0.62f, 0.44f));
    FillPolygon(&hull, keel);
    PaintOver(canvas, hull, lightGold);
}

} // namespace content
