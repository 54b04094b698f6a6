#include "pictures/night_sky.h"

#include <algorithm>

#include "common/random.h"

namespace content {

std::vector<Star> ScatterStars(int width, int height, int count, uint32_t seed)
{
    Random random(seed);
    std::vector<Star> stars;
    for (int i = 0; i < count; ++i) {
        Star s;
        s.at = {random.Between(0.0f, static_cast<float>(width)), random.Between(0.0f, static_cast<float>(height))};
        // Many faint stars, few bright ones.
        const float u = random.Unit();
        s.brightness = 0.15f + 0.85f * u * u * u * u;
        stars.push_back(s);
    }
    return stars;
}

void PaintStars(Canvas* canvas, const std::vector<Star>& stars, Rgb colour, float gain, bool wrap)
{
    Coverage points(canvas->width, canvas->height), halo(canvas->width, canvas->height);
    const float w = static_cast<float>(canvas->width), h = static_cast<float>(canvas->height);
    for (const Star& s : stars) {
        for (int oy = wrap ? -1 : 0; oy <= (wrap ? 1 : 0); ++oy) {
            for (int ox = wrap ? -1 : 0; ox <= (wrap ? 1 : 0); ++ox) {
                const Point at{s.at.x + static_cast<float>(ox) * w, s.at.y + static_cast<float>(oy) * h};
                if (at.x < -8.0f || at.y < -8.0f || at.x > w + 8.0f || at.y > h + 8.0f) continue;
                const float radius = 0.45f + 0.9f * s.brightness;
                FillEllipse(&points, at, radius, radius, s.brightness);
                if (s.brightness > 0.5f) FillEllipse(&halo, at, 2.5f * radius, 2.5f * radius, s.brightness);
                // The brightest get four faint rays.
                if (s.brightness > 0.8f) {
                    const float ray = 5.0f * s.brightness;
                    StrokeLine(&halo, {at.x - ray, at.y}, {at.x + ray, at.y}, 0.6f, 0.8f);
                    StrokeLine(&halo, {at.x, at.y - ray}, {at.x, at.y + ray}, 0.6f, 0.8f);
                }
            }
        }
    }
    BlurCoverage(&halo, 1, wrap);
    PaintAdd(canvas, halo, colour, gain * 0.35f);
    PaintAdd(canvas, points, colour, gain);
}

Constellation SailsConstellation(float left, float top, float width, float height)
{
    // Right ascension (hours) and declination (degrees) of its main stars, with magnitudes.
    struct Catalogued {
        float ra, dec, magnitude;
    };
    static const Catalogued kStars[] = {
        {8.16f, -47.3f, 1.8f},  // 0 gamma
        {8.75f, -54.7f, 1.96f}, // 1 delta
        {9.37f, -55.0f, 2.5f},  // 2 kappa
        {9.95f, -54.6f, 3.5f},  // 3 phi
        {10.78f, -49.4f, 2.7f}, // 4 mu
        {10.25f, -42.1f, 3.8f}, // 5 q
        {9.51f, -40.5f, 3.6f},  // 6 psi
        {9.13f, -43.4f, 2.2f},  // 7 lambda
        {8.67f, -52.9f, 3.6f},  // 8 omicron
    };
    static const std::pair<int, int> kLines[] = {{0, 8}, {8, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 7}, {7, 0}};
    // East to the left: right ascension grows to the left; north up.
    const float raLow = 8.0f, raHigh = 10.95f, decLow = -56.5f, decHigh = -39.0f;
    // One hour of right ascension spans 15 degrees times cos(48 deg), about 10 degrees.
    const float spanX = (raHigh - raLow) * 10.0f, spanY = decHigh - decLow;
    const float scale = std::min(width / spanX, height / spanY);
    const float offsetX = left + (width - spanX * scale) * 0.5f, offsetY = top + (height - spanY * scale) * 0.5f;
    Constellation c;
    for (const Catalogued& s : kStars) {
        const float x = offsetX + (raHigh - s.ra) * 10.0f * scale;
        const float y = offsetY + (decHigh - s.dec) * scale;
        c.stars.push_back({{x, y}, std::min(1.0f, 1.25f - (s.magnitude - 1.8f) * 0.3f)});
    }
    for (const auto& l : kLines) c.lines.push_back(l);
    return c;
}

} // namespace content
