// Drawing for the generated pictures: coverage maps (one float per pixel, 0 none .. 1 full)
// that shapes and lettering are drawn into with anti-aliased edges, colour canvases
// (premultiplied red, green, blue, alpha floats) that coverage is painted onto, blurs for glows
// and soft edges, and the conversions to the images that become BMP files.
// Only +, -, *, / and sqrt on floats, in a fixed order, so the results are the same everywhere.
#pragma once

#include <cstddef>
#include <vector>

#include "common/images.h"

namespace content {

struct Point {
    float x = 0, y = 0;
};

// A colour with channels 0..1 (values above 1 are light that saturates on output).
struct Rgb {
    float r = 0, g = 0, b = 0;
};

// 0..255 colour components as a 0..1 colour.
Rgb RgbFromBytes(int r, int g, int b);
Rgb MixRgb(Rgb a, Rgb b, float t);
Rgb ScaleRgb(Rgb c, float k);

struct Coverage {
    int width = 0;
    int height = 0;
    std::vector<float> values;

    Coverage() = default;
    Coverage(int w, int h) : width(w), height(h), values(static_cast<size_t>(w) * h, 0.0f) {}
    float& At(int x, int y) { return values[static_cast<size_t>(y) * width + x]; }
    float At(int x, int y) const { return values[static_cast<size_t>(y) * width + x]; }
};

// Premultiplied colour and alpha: a pixel over black shows (r, g, b).
struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<float> rgba;

    Canvas() = default;
    Canvas(int w, int h) : width(w), height(h), rgba(static_cast<size_t>(w) * h * 4, 0.0f) {}
    float* At(int x, int y) { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
    const float* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

// Shapes. Each one raises the coverage to max(coverage, shape x alpha), so overlapping parts of
// one drawing do not double up. Edges are anti-aliased over about one pixel.
// Polygons fill by the non-zero winding rule, sampled on 5 sub-rows per pixel row with exact
// horizontal coverage.
void FillPolygon(Coverage* target, const std::vector<Point>& points, float alpha = 1.0f);
void FillEllipse(Coverage* target, Point centre, float radiusX, float radiusY, float alpha = 1.0f);
void StrokeLine(Coverage* target, Point from, Point to, float width, float alpha = 1.0f);
void StrokeCircle(Coverage* target, Point centre, float radius, float width, float alpha = 1.0f);
void StrokePolyline(Coverage* target, const std::vector<Point>& points, float width, bool closed,
                    float alpha = 1.0f);

// Three box passes of half-width `radius` (about a Gaussian of that size) in each direction.
// With `wrap` the picture is taken as a tile whose edges meet, so the blur stays seamless.
void BlurCoverage(Coverage* coverage, int radius, bool wrap = false);
void BlurCanvas(Canvas* canvas, int radius, bool wrap = false);

// Paints `colour` where the coverage is, at `opacity`, over what the canvas holds.
void PaintOver(Canvas* canvas, const Coverage& coverage, Rgb colour, float opacity = 1.0f);
// Adds `colour` x coverage x gain as light (the alpha grows by the added brightness).
void PaintAdd(Canvas* canvas, const Coverage& coverage, Rgb colour, float gain = 1.0f);
// Adds another canvas of the same size, times gain, as light.
void AddCanvas(Canvas* canvas, const Canvas& light, float gain = 1.0f);
// Places `source` (premultiplied) over the canvas with its top-left corner at (x, y).
void CompositeOver(Canvas* canvas, const Canvas& source, int x, int y);

// The colour canvas over black, channels rounded to 0..255 and clamped.
ImageRgb ToImageRgb(const Canvas& canvas);
// The coverage x scale rounded to 0..255 and clamped (for grey pictures whose index is the level).
Image8 ToGreyImage(const Coverage& coverage, float scale = 255.0f);
// Rounds v x 255 to 0..255.
int ToByte(float v);

} // namespace content
