#include "common/canvas.h"

#include <algorithm>
#include <cmath>

namespace content {
namespace {

float Clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

void Raise(Coverage* target, int x, int y, float value)
{
    float& c = target->At(x, y);
    if (value > c) c = value;
}

// The pixels whose centres lie within `margin` of the box, clipped to the target.
struct PixelBox {
    int x0, y0, x1, y1; // inclusive
    bool empty;
};

PixelBox BoxAround(const Coverage& t, float left, float top, float right, float bottom)
{
    PixelBox b;
    b.x0 = std::max(0, static_cast<int>(std::floor(left)));
    b.y0 = std::max(0, static_cast<int>(std::floor(top)));
    b.x1 = std::min(t.width - 1, static_cast<int>(std::floor(right)));
    b.y1 = std::min(t.height - 1, static_cast<int>(std::floor(bottom)));
    b.empty = b.x0 > b.x1 || b.y0 > b.y1;
    return b;
}

float DistanceToSegment(float px, float py, Point a, Point b)
{
    const float dx = b.x - a.x, dy = b.y - a.y;
    const float length2 = dx * dx + dy * dy;
    float t = length2 > 0.0f ? ((px - a.x) * dx + (py - a.y) * dy) / length2 : 0.0f;
    t = Clamp01(t);
    const float ex = px - (a.x + t * dx), ey = py - (a.y + t * dy);
    return std::sqrt(ex * ex + ey * ey);
}

// One box pass of half-width r along a line of n values spaced `stride` apart.
void BoxPass(float* line, int n, size_t stride, int r, bool wrap, std::vector<float>* scratch)
{
    scratch->resize(static_cast<size_t>(n));
    auto get = [&](int i) -> float {
        if (wrap) {
            i %= n;
            if (i < 0) i += n;
        } else {
            i = std::clamp(i, 0, n - 1);
        }
        return line[static_cast<size_t>(i) * stride];
    };
    float sum = 0.0f;
    for (int i = -r; i <= r; ++i) sum += get(i);
    const float scale = 1.0f / static_cast<float>(2 * r + 1);
    for (int i = 0; i < n; ++i) {
        (*scratch)[static_cast<size_t>(i)] = sum * scale;
        sum += get(i + r + 1) - get(i - r);
    }
    for (int i = 0; i < n; ++i) line[static_cast<size_t>(i) * stride] = (*scratch)[static_cast<size_t>(i)];
}

void BlurPlanes(float* data, int width, int height, int planes, int radius, bool wrap)
{
    if (radius <= 0) return;
    std::vector<float> scratch;
    for (int pass = 0; pass < 3; ++pass) {
        for (int p = 0; p < planes; ++p) {
            for (int y = 0; y < height; ++y)
                BoxPass(data + static_cast<size_t>(y) * width * planes + p, width, static_cast<size_t>(planes), radius,
                        wrap, &scratch);
            for (int x = 0; x < width; ++x)
                BoxPass(data + static_cast<size_t>(x) * planes + p, height, static_cast<size_t>(width) * planes,
                        radius, wrap, &scratch);
        }
    }
}

} // namespace

Rgb RgbFromBytes(int r, int g, int b)
{
    return {static_cast<float>(r) / 255.0f, static_cast<float>(g) / 255.0f, static_cast<float>(b) / 255.0f};
}

Rgb MixRgb(Rgb a, Rgb b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

Rgb ScaleRgb(Rgb c, float k) { return {c.r * k, c.g * k, c.b * k}; }

void FillPolygon(Coverage* target, const std::vector<Point>& points, float alpha)
{
    if (points.size() < 3) return;
    float left = points[0].x, right = left, top = points[0].y, bottom = top;
    for (const Point& p : points) {
        left = std::min(left, p.x);
        right = std::max(right, p.x);
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    const PixelBox box = BoxAround(*target, left, top, right, bottom);
    if (box.empty) return;
    constexpr int kSubRows = 5;
    const int span = box.x1 - box.x0 + 1;
    std::vector<float> row(static_cast<size_t>(span));
    struct Crossing {
        float x;
        int winding;
    };
    std::vector<Crossing> crossings;
    for (int y = box.y0; y <= box.y1; ++y) {
        std::fill(row.begin(), row.end(), 0.0f);
        for (int s = 0; s < kSubRows; ++s) {
            const float sy = static_cast<float>(y) + (static_cast<float>(s) + 0.5f) / kSubRows;
            crossings.clear();
            for (size_t i = 0; i < points.size(); ++i) {
                const Point a = points[i], b = points[(i + 1) % points.size()];
                if ((a.y <= sy && b.y > sy) || (b.y <= sy && a.y > sy)) {
                    const float x = a.x + (sy - a.y) * (b.x - a.x) / (b.y - a.y);
                    crossings.push_back({x, b.y > a.y ? 1 : -1});
                }
            }
            std::sort(crossings.begin(), crossings.end(),
                      [](const Crossing& p, const Crossing& q) { return p.x < q.x; });
            int winding = 0;
            for (size_t i = 0; i + 1 < crossings.size(); ++i) {
                winding += crossings[i].winding;
                if (winding == 0) continue;
                const float xa = std::max(crossings[i].x, static_cast<float>(box.x0));
                const float xb = std::min(crossings[i + 1].x, static_cast<float>(box.x1 + 1));
                if (xb <= xa) continue;
                for (int px = static_cast<int>(std::floor(xa)); px <= box.x1 && static_cast<float>(px) < xb; ++px) {
                    const float overlap =
                        std::min(xb, static_cast<float>(px + 1)) - std::max(xa, static_cast<float>(px));
                    if (overlap > 0.0f) row[static_cast<size_t>(px - box.x0)] += overlap / kSubRows;
                }
            }
        }
        for (int x = box.x0; x <= box.x1; ++x) Raise(target, x, y, Clamp01(row[static_cast<size_t>(x - box.x0)]) * alpha);
    }
}

void FillEllipse(Coverage* target, Point centre, float radiusX, float radiusY, float alpha)
{
    const PixelBox box = BoxAround(*target, centre.x - radiusX - 1.0f, centre.y - radiusY - 1.0f,
                                   centre.x + radiusX + 1.0f, centre.y + radiusY + 1.0f);
    if (box.empty || radiusX <= 0.0f || radiusY <= 0.0f) return;
    const float small = std::min(radiusX, radiusY);
    for (int y = box.y0; y <= box.y1; ++y) {
        for (int x = box.x0; x <= box.x1; ++x) {
            const float dx = (static_cast<float>(x) + 0.5f - centre.x) / radiusX;
            const float dy = (static_cast<float>(y) + 0.5f - centre.y) / radiusY;
            // Distance to the edge in pixels, measured along the smaller radius.
            const float d = (std::sqrt(dx * dx + dy * dy) - 1.0f) * small;
            Raise(target, x, y, Clamp01(0.5f - d) * alpha);
        }
    }
}

void StrokeLine(Coverage* target, Point from, Point to, float width, float alpha)
{
    const float half = width * 0.5f;
    const PixelBox box = BoxAround(*target, std::min(from.x, to.x) - half - 1.0f, std::min(from.y, to.y) - half - 1.0f,
                                   std::max(from.x, to.x) + half + 1.0f, std::max(from.y, to.y) + half + 1.0f);
    if (box.empty) return;
    // Lines thinner than a pixel keep their full width of coverage and fade instead.
    const float drawn = std::max(half, 0.5f), strength = std::min(1.0f, width);
    for (int y = box.y0; y <= box.y1; ++y) {
        for (int x = box.x0; x <= box.x1; ++x) {
            const float d = DistanceToSegment(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f, from, to);
            Raise(target, x, y, Clamp01(drawn + 0.5f - d) * strength * alpha);
        }
    }
}

void StrokeCircle(Coverage* target, Point centre, float radius, float width, float alpha)
{
    const float half = width * 0.5f, outer = radius + half + 1.0f;
    const PixelBox box = BoxAround(*target, centre.x - outer, centre.y - outer, centre.x + outer, centre.y + outer);
    if (box.empty) return;
    const float drawn = std::max(half, 0.5f), strength = std::min(1.0f, width);
    for (int y = box.y0; y <= box.y1; ++y) {
        for (int x = box.x0; x <= box.x1; ++x) {
            const float dx = static_cast<float>(x) + 0.5f - centre.x, dy = static_cast<float>(y) + 0.5f - centre.y;
            const float d = std::fabs(std::sqrt(dx * dx + dy * dy) - radius);
            Raise(target, x, y, Clamp01(drawn + 0.5f - d) * strength * alpha);
        }
    }
}

void StrokePolyline(Coverage* target, const std::vector<Point>& points, float width, bool closed, float alpha)
{
    for (size_t i = 0; i + 1 < points.size(); ++i) StrokeLine(target, points[i], points[i + 1], width, alpha);
    if (closed && points.size() > 2) StrokeLine(target, points.back(), points.front(), width, alpha);
}

void BlurCoverage(Coverage* coverage, int radius, bool wrap)
{
    BlurPlanes(coverage->values.data(), coverage->width, coverage->height, 1, radius, wrap);
}

void BlurCanvas(Canvas* canvas, int radius, bool wrap)
{
    BlurPlanes(canvas->rgba.data(), canvas->width, canvas->height, 4, radius, wrap);
}

void PaintOver(Canvas* canvas, const Coverage& coverage, Rgb colour, float opacity)
{
    for (size_t i = 0; i < coverage.values.size(); ++i) {
        const float a = Clamp01(coverage.values[i]) * opacity;
        if (a <= 0.0f) continue;
        float* p = &canvas->rgba[i * 4];
        const float keep = 1.0f - a;
        p[0] = colour.r * a + p[0] * keep;
        p[1] = colour.g * a + p[1] * keep;
        p[2] = colour.b * a + p[2] * keep;
        p[3] = a + p[3] * keep;
    }
}

void PaintAdd(Canvas* canvas, const Coverage& coverage, Rgb colour, float gain)
{
    for (size_t i = 0; i < coverage.values.size(); ++i) {
        const float a = coverage.values[i] * gain;
        if (a <= 0.0f) continue;
        float* p = &canvas->rgba[i * 4];
        p[0] += colour.r * a;
        p[1] += colour.g * a;
        p[2] += colour.b * a;
        p[3] = std::min(1.0f, p[3] + std::max(colour.r, std::max(colour.g, colour.b)) * a);
    }
}

void AddCanvas(Canvas* canvas, const Canvas& light, float gain)
{
    for (size_t i = 0; i < canvas->rgba.size(); i += 4) {
        float* p = &canvas->rgba[i];
        const float* q = &light.rgba[i];
        p[0] += q[0] * gain;
        p[1] += q[1] * gain;
        p[2] += q[2] * gain;
        p[3] = std::min(1.0f, p[3] + q[3] * gain);
    }
}

void CompositeOver(Canvas* canvas, const Canvas& source, int x, int y)
{
    for (int sy = 0; sy < source.height; ++sy) {
        const int ty = y + sy;
        if (ty < 0 || ty >= canvas->height) continue;
        for (int sx = 0; sx < source.width; ++sx) {
            const int tx = x + sx;
            if (tx < 0 || tx >= canvas->width) continue;
            const float* s = source.At(sx, sy);
            float* p = canvas->At(tx, ty);
            const float keep = 1.0f - Clamp01(s[3]);
            for (int c = 0; c < 4; ++c) p[c] = s[c] + p[c] * keep;
        }
    }
}

int ToByte(float v)
{
    const float scaled = v * 255.0f + 0.5f;
    if (!(scaled > 0.0f)) return 0;
    return scaled >= 255.0f ? 255 : static_cast<int>(scaled);
}

ImageRgb ToImageRgb(const Canvas& canvas)
{
    ImageRgb image(canvas.width, canvas.height);
    for (size_t i = 0, n = static_cast<size_t>(canvas.width) * canvas.height; i < n; ++i) {
        for (int c = 0; c < 3; ++c) image.rgb[i * 3 + c] = static_cast<uint8_t>(ToByte(canvas.rgba[i * 4 + c]));
    }
    return image;
}

Image8 ToGreyImage(const Coverage& coverage, float scale)
{
    Image8 image(coverage.width, coverage.height);
    for (size_t i = 0; i < coverage.values.size(); ++i)
        image.pixels[i] = static_cast<uint8_t>(ToByte(coverage.values[i] * scale / 255.0f));
    return image;
}

} // namespace content
