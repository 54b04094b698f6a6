#include "pictures/masks.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "common/images.h"
#include "common/noise.h"
#include "common/random.h"

namespace content {
namespace {

constexpr int kWidth = 320, kHeight = 180;

// Turns per-pixel keys into mask values by rank: the lowest key gets 0, the highest 255, and
// every value is used about equally often, so the transition moves at an even pace.
Image8 RankToMask(const std::vector<float>& keys)
{
    std::vector<uint32_t> order(keys.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return keys[a] != keys[b] ? keys[a] < keys[b] : a < b; });
    Image8 mask(kWidth, kHeight);
    for (size_t rank = 0; rank < order.size(); ++rank)
        mask.pixels[order[rank]] = static_cast<uint8_t>(rank * 256 / order.size());
    return mask;
}

// Stretches keys linearly so the smallest becomes 0 and the largest 255.
Image8 StretchToMask(const std::vector<float>& keys)
{
    const auto [low, high] = std::minmax_element(keys.begin(), keys.end());
    const float range = *high - *low;
    Image8 mask(kWidth, kHeight);
    for (size_t i = 0; i < keys.size(); ++i) {
        const float v = (keys[i] - *low) / range * 255.0f + 0.5f;
        mask.pixels[i] = static_cast<uint8_t>(std::min(255.0f, v));
    }
    return mask;
}

std::vector<uint8_t> Encode(const Image8& mask) { return EncodeBmp8(mask, GreyRampPalette()); }

} // namespace

std::vector<uint8_t> MakeSandMask()
{
    // Mostly independent grains, with a faint drift of larger patches so the sparkle gathers
    // into drifts of sand rather than pure static.
    Random random(0x5AB1E);
    std::vector<float> keys(static_cast<size_t>(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const float drift = FractalNoise(static_cast<float>(x) / 40.0f, static_cast<float>(y) / 40.0f, 0, 0, 3, 0.5f, 77);
            keys[static_cast<size_t>(y) * kWidth + x] = random.Unit() * 0.75f + drift * 0.25f;
        }
    }
    return Encode(RankToMask(keys));
}

std::vector<uint8_t> MakeLineMask()
{
    // Diagonal bands 6 pixels wide, going down to the right; each band sweeps along its length
    // from the top left, and starts a little after the band before it.
    std::vector<float> keys(static_cast<size_t>(kWidth) * kHeight);
    Random random(0x11C4E);
    std::vector<float> lag(128);
    for (float& l : lag) l = random.Unit();
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const float across = static_cast<float>(x) - static_cast<float>(y) * 0.6f + 120.0f; // 0 .. 440
            const float along = static_cast<float>(x) + static_cast<float>(y) * 1.6f;          // 0 .. 607
            const int band = static_cast<int>(across / 6.0f);
            const float bandStart = static_cast<float>(band) * 0.012f + lag[static_cast<size_t>(band) & 127] * 0.25f;
            keys[static_cast<size_t>(y) * kWidth + x] = bandStart + along / 607.0f;
        }
    }
    return Encode(RankToMask(keys));
}

std::vector<uint8_t> MakeRoundMask()
{
    // Distance from the centre (corners last), pushed in and out by noise that depends on the
    // direction and a little on the distance, so the growing disc has a ragged, living edge.
    std::vector<float> keys(static_cast<size_t>(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const float dx = static_cast<float>(x) + 0.5f - 160.0f, dy = static_cast<float>(y) + 0.5f - 90.0f;
            const float d = std::sqrt(dx * dx + dy * dy);
            const float ux = d > 0.0f ? dx / d : 0.0f, uy = d > 0.0f ? dy / d : 0.0f;
            const float rough = FractalNoise(ux * 1.8f + 8.0f + d / 70.0f, uy * 1.8f + 8.0f, 0, 0, 3, 0.5f, 31);
            const float grain = FractalNoise(static_cast<float>(x) / 3.0f, static_cast<float>(y) / 3.0f, 0, 0, 2, 0.5f, 32);
            // The ragged edge grows with the disc, so the centre opens as a point, not a burst.
            const float reach = d < 60.0f ? d / 60.0f : 1.0f;
            keys[static_cast<size_t>(y) * kWidth + x] = d + ((rough - 0.5f) * 34.0f + (grain - 0.5f) * 8.0f) * reach;
        }
    }
    return Encode(StretchToMask(keys));
}

std::vector<uint8_t> MakeSimpleMask()
{
    // Left to right, the front gently bowed and wavering so it reads as a soft wipe.
    std::vector<float> keys(static_cast<size_t>(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const float fy = (static_cast<float>(y) - 90.0f) / 90.0f;
            const float waver = FractalNoise(static_cast<float>(y) / 24.0f, 3.0f, 0, 0, 3, 0.5f, 45);
            keys[static_cast<size_t>(y) * kWidth + x] = static_cast<float>(x) + fy * fy * 18.0f + waver * 14.0f;
        }
    }
    return Encode(StretchToMask(keys));
}

} // namespace content
