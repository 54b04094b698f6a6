#include "pictures/greetings.h"

#include <algorithm>
#include <string>

#include "common/canvas.h"
#include "common/lettering.h"
#include "common/trig.h"

namespace content {
namespace {

// The names as shown, in the order of kGreetingEntries.
const char* const kNames[kGreetingCount] = {"SDL",   "LIBOPENMPT", "ZLIB",  "LIBPNG",     "FREETYPE", "DEBIAN",      "GCC",
                                            "CLANG", "CMAKE",      "NINJA", "GOOGLETEST", "XVFB",     "EB GARAMOND", "LEAGUE SPARTAN"};

constexpr int kHeight = 64;
constexpr float kMiddle = 32.0f;
const TextStyle kName{Typeface::Bold, 24.0f, 2.5f};

const Rgb kPaleGold = RgbFromBytes(255, 226, 150), kAmber = RgbFromBytes(250, 150, 50), kEmber = RgbFromBytes(150, 40, 16);

// A regular star of `points` points, one pointing up.
void DrawStar(Coverage* target, Point c, float outer, float inner, int points)
{
    std::vector<Point> shape;
    for (int i = 0; i < points * 2; ++i) {
        const float r = i % 2 == 0 ? outer : inner;
        const double turns = static_cast<double>(i) / (points * 2);
        shape.push_back({c.x + r * static_cast<float>(SinTurns(turns)), c.y - r * static_cast<float>(CosTurns(turns))});
    }
    FillPolygon(target, shape);
}

// Lettering lit from above: pale gold at the top of the letters, amber at their foot.
void PaintName(Canvas* canvas, const Coverage& letters, float top, float bottom)
{
    Canvas lit(canvas->width, canvas->height);
    for (int y = 0; y < canvas->height; ++y) {
        const float t = std::clamp((static_cast<float>(y) - top) / (bottom - top), 0.0f, 1.0f);
        const Rgb c = MixRgb(kPaleGold, kAmber, t * t);
        for (int x = 0; x < canvas->width; ++x) {
            const float a = std::min(1.0f, letters.At(x, y));
            float* p = lit.At(x, y);
            p[0] = c.r * a;
            p[1] = c.g * a;
            p[2] = c.b * a;
            p[3] = a;
        }
    }
    CompositeOver(canvas, lit, 0, 0);
}

} // namespace

std::vector<uint8_t> MakeGreeting(int index)
{
    const std::string name = kNames[index];
    const float textWidth = MeasureText(kName, name);
    const float capHeight = CapHeight(kName);
    const int frame = index % 3; // ring, stars, banner in turn
    const float margin = frame == 1 ? 34.0f : 24.0f;
    // Rows of a 24-bit picture must be whole 4-byte words for the show's reader: width % 4 == 0.
    const int width = (static_cast<int>(textWidth + 2.0f * margin) + 3) / 4 * 4;
    const float cx = static_cast<float>(width) * 0.5f;
    const float baseline = kMiddle + capHeight * 0.5f;

    Canvas canvas(width, kHeight);
    Coverage letters(width, kHeight), lines(width, kHeight), fill(width, kHeight);
    DrawText(&letters, kName, name, cx, baseline, Align::Centre);
    const float half = textWidth * 0.5f;

    if (frame == 0) {
        // A ring: a flat ellipse around the name, broken behind it, with a spark at each end.
        const float rx = half + 14.0f, ry = 20.0f;
        std::vector<Point> ellipse;
        for (int i = 0; i < 96; ++i) {
            const double t = i / 96.0;
            ellipse.push_back({cx + rx * static_cast<float>(SinTurns(t)), kMiddle - ry * static_cast<float>(CosTurns(t))});
        }
        StrokePolyline(&lines, ellipse, 1.2f, true);
        DrawStar(&fill, {cx - rx, kMiddle}, 6.0f, 1.4f, 4);
        DrawStar(&fill, {cx + rx, kMiddle}, 6.0f, 1.4f, 4);
    } else if (frame == 1) {
        // Stars: a five-pointed star on each side and a rule beneath.
        DrawStar(&fill, {cx - half - 18.0f, kMiddle - 1.0f}, 9.0f, 3.8f, 5);
        DrawStar(&fill, {cx + half + 18.0f, kMiddle - 1.0f}, 9.0f, 3.8f, 5);
        StrokeLine(&lines, {cx - half, baseline + 7.5f}, {cx + half, baseline + 7.5f}, 1.0f);
        StrokeLine(&lines, {cx - half + 10.0f, kMiddle - capHeight * 0.5f - 7.5f},
                   {cx + half - 10.0f, kMiddle - capHeight * 0.5f - 7.5f}, 0.7f, 0.7f);
    } else {
        // A banner: a band with swallow-tailed ends, glowing deep red, edged in amber.
        const float l = cx - half - 14.0f, r = cx + half + 14.0f, t = kMiddle - 14.0f, b = kMiddle + 14.0f;
        const std::vector<Point> band = {{l - 8.0f, t + 4.0f}, {r + 8.0f, t + 4.0f}, {r - 2.0f, kMiddle + 2.0f},
                                         {r + 8.0f, b}, {l - 8.0f, b}, {l + 2.0f, kMiddle + 2.0f}};
        FillPolygon(&fill, band);
        StrokePolyline(&lines, band, 1.0f, true);
    }

    // Glow first, then the frame, then the name.
    Coverage glow(width, kHeight);
    for (size_t i = 0; i < glow.values.size(); ++i)
        glow.values[i] = std::max(letters.values[i], std::max(lines.values[i], frame == 2 ? 0.0f : fill.values[i]));
    BlurCoverage(&glow, 3);
    PaintAdd(&canvas, glow, kEmber, 0.9f);
    if (frame == 2) {
        PaintOver(&canvas, fill, RgbFromBytes(96, 22, 12), 0.85f);
        PaintOver(&canvas, lines, kAmber);
    } else {
        PaintOver(&canvas, fill, kPaleGold);
        PaintOver(&canvas, lines, kAmber, 0.9f);
    }
    PaintName(&canvas, letters, baseline - capHeight, baseline);
    return EncodeBmp24(ToImageRgb(canvas));
}

} // namespace content
