// The built-in flare picture: four 128x128 glow sprites of different shapes, one per quarter
// of a 256x256 picture of 8-bit intensities, bright at the centre and fading to 0 towards
// the edges of their quarter.
#include <cmath>

#include "engine/engine_state.h"
#include "engine/flare_pictures.h"

namespace {

uint8_t builtInFlare[256 * 256];
bool builtInFlareReady = false;

// Intensity 0..1 of sprite `shape` at (dx, dy) from its centre, in pixels; every shape is
// multiplied by a window that reaches 0 at distance 64, inside the quarter.
float GlowShape(int shape, float dx, float dy)
{
    const float r = std::sqrt(dx * dx + dy * dy) / 64.0f;
    if (r >= 1.0f) return 0.0f;
    const float window = (1.0f - r) * (1.0f - r);
    switch (shape) {
    case 0: // soft round glow
        return window * std::exp(-4.0f * r * r);
    case 1: { // four-pointed star: a core with thin rays along the axes
        const float ax = std::fabs(dx) / 64.0f, ay = std::fabs(dy) / 64.0f;
        const float rays = std::exp(-60.0f * ax * ay - 0.5f * (ax + ay));
        const float core = std::exp(-20.0f * r * r);
        return window * std::fmin(1.0f, 0.7f * rays + core);
    }
    case 2: { // halo: a bright core with a faint ring around it
        const float core = std::exp(-30.0f * r * r);
        const float ring = 0.45f * std::exp(-200.0f * (r - 0.6f) * (r - 0.6f));
        return window * std::fmin(1.0f, core + ring);
    }
    default: { // six-rayed sparkle
        const float angle = std::atan2(dy, dx);
        const float rays = std::pow(std::fabs(std::cos(3.0f * angle)), 24.0f) * std::exp(-3.0f * r);
        const float core = std::exp(-40.0f * r * r);
        return window * std::fmin(1.0f, core + 0.8f * rays);
    }
    }
}

void MakeBuiltInFlare()
{
    for (int quarter = 0; quarter < 4; ++quarter) {
        const int left = (quarter & 1) * 128, top = (quarter >> 1) * 128;
        for (int y = 0; y < 128; ++y) {
            for (int x = 0; x < 128; ++x) {
                const float v = GlowShape(quarter, static_cast<float>(x) - 63.5f, static_cast<float>(y) - 63.5f);
                builtInFlare[(top + y) * 256 + left + x] = static_cast<uint8_t>(std::lround(v * 255.0f));
            }
        }
    }
    builtInFlareReady = true;
}

} // namespace

const uint8_t* BuiltInFlarePicture()
{
    if (!builtInFlareReady) MakeBuiltInFlare();
    return builtInFlare;
}
