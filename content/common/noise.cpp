#include "common/noise.h"

#include "common/random.h"

namespace content {
namespace {

int32_t FloorToInt(float v)
{
    const int32_t i = static_cast<int32_t>(v);
    return (v < static_cast<float>(i)) ? i - 1 : i;
}

int32_t Wrap(int32_t v, int32_t period)
{
    if (period <= 0) return v;
    const int32_t r = v % period;
    return r < 0 ? r + period : r;
}

float Lattice(int32_t x, int32_t y, int32_t px, int32_t py, uint32_t seed)
{
    return static_cast<float>(HashCoordinates(Wrap(x, px), Wrap(y, py), seed) >> 8) * (1.0f / 16777216.0f);
}

float Smooth(float t) { return t * t * (3.0f - 2.0f * t); }

} // namespace

float ValueNoise(float x, float y, int32_t periodX, int32_t periodY, uint32_t seed)
{
    const int32_t ix = FloorToInt(x), iy = FloorToInt(y);
    const float fx = Smooth(x - static_cast<float>(ix)), fy = Smooth(y - static_cast<float>(iy));
    const float a = Lattice(ix, iy, periodX, periodY, seed);
    const float b = Lattice(ix + 1, iy, periodX, periodY, seed);
    const float c = Lattice(ix, iy + 1, periodX, periodY, seed);
    const float d = Lattice(ix + 1, iy + 1, periodX, periodY, seed);
    const float top = a + (b - a) * fx;
    const float bottom = c + (d - c) * fx;
    return top + (bottom - top) * fy;
}

float FractalNoise(float x, float y, int32_t periodX, int32_t periodY, int octaves, float gain, uint32_t seed)
{
    float sum = 0.0f, amplitude = 1.0f, total = 0.0f, scale = 1.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * ValueNoise(x * scale, y * scale, periodX * static_cast<int32_t>(scale),
                                      periodY * static_cast<int32_t>(scale), seed + static_cast<uint32_t>(o) * 101u);
        total += amplitude;
        amplitude *= gain;
        scale *= 2.0f;
    }
    const float v = sum / total;
    return v < 0.999999f ? v : 0.999999f;
}

} // namespace content
