#include "effects/mask_transitions.h"

#include <algorithm>

#include "effects/fade_ramp.h"
#include "effects/pixel_arithmetic.h"
#include "effects/pixel_lanes.h"
#include "effects/view_geometry.h"

namespace {

constexpr int32_t kMaxLevel = 512;

enum class MaskFade { Add, Sub, Cross };

// g for every mask value at one level: entry m is FadeRamp[255 + level - m].
struct GreyByMask {
    uint16_t g[256];
};

GreyByMask GreysForLevel(int32_t level)
{
    GreyByMask t;
    for (int m = 0; m < 256; ++m) t.g[m] = FadeRamp[255 + level - m];
    return t;
}

template <int Depth, MaskFade Op, class T> inline T FadePixels(T p, T g, T q)
{
    if constexpr (Op == MaskFade::Add) {
        return SaturatingAddLanes<Depth>(g, p);
    } else if constexpr (Op == MaskFade::Sub) {
        return SaturatingSubLanes<Depth>(p, g);
    } else {
        T notG = ~g;
        T a = SaturatingSubLanes<Depth>(q, notG);
        return SaturatingAddLanes<Depth>(SaturatingSubLanes<Depth>(p, g), a);
    }
}

template <int Depth, MaskFade Op>
void RunMaskFade(uint16_t* view, const uint8_t* mask, const uint16_t* second, size_t count,
                 const GreyByMask& t)
{
    size_t i = 0;
    for (; i + kLaneCount <= count; i += kLaneCount) {
        PixelLanes p = LoadLanes(view + i);
        PixelLanes g = GatherLanes(t.g, mask + i);
        PixelLanes q = Op == MaskFade::Cross ? LoadLanes(second + i) : PixelLanes{};
        StoreLanes(view + i, FadePixels<Depth, Op>(p, g, q));
    }
    for (; i < count; ++i) {
        uint16_t q = Op == MaskFade::Cross ? second[i] : 0;
        view[i] = FadePixels<Depth, Op, uint16_t>(view[i], t.g[mask[i]], q);
    }
}

template <int Depth>
void RunMaskReveal(uint16_t* view, const uint8_t* mask, const uint8_t* grey, size_t count,
                   int32_t level)
{
    // k for every mask value; the ramp entry is then FadeRamp[s + k[m]], at most entry 510.
    uint16_t k[256];
    for (int m = 0; m < 256; ++m) k[m] = static_cast<uint16_t>(std::clamp(level - m, 0, 255));
    size_t i = 0;
    for (; i + kLaneCount <= count; i += kLaneCount) {
        PixelLanes idx = LoadByteLanes(grey + i) + GatherLanes(k, mask + i);
        PixelLanes g{FadeRamp[idx[0]], FadeRamp[idx[1]], FadeRamp[idx[2]], FadeRamp[idx[3]],
                     FadeRamp[idx[4]], FadeRamp[idx[5]], FadeRamp[idx[6]], FadeRamp[idx[7]]};
        StoreLanes(view + i, SaturatingAddLanes<Depth>(g, LoadLanes(view + i)));
    }
    for (; i < count; ++i) view[i] = SaturatingAdd<Depth>(FadeRamp[grey[i] + k[mask[i]]], view[i]);
}

template <MaskFade Op>
void ApplyMaskFade(uint16_t* view, std::span<const uint8_t> mask, const uint16_t* second, int32_t level)
{
    size_t count = ViewPixelCount();
    if (!view || count == 0 || mask.data() == nullptr || mask.size() < count) return;
    GreyByMask t = GreysForLevel(std::clamp(level, 0, kMaxLevel));
    if (sequencer.pixelDepth == 16) {
        RunMaskFade<16, Op>(view, mask.data(), second, count, t);
    } else {
        RunMaskFade<15, Op>(view, mask.data(), second, count, t);
    }
}

} // namespace

void MaskFadeAdd(uint16_t* view, std::span<const uint8_t> mask, int32_t level)
{
    ApplyMaskFade<MaskFade::Add>(view, mask, nullptr, level);
}

void MaskFadeSub(uint16_t* view, std::span<const uint8_t> mask, int32_t level)
{
    ApplyMaskFade<MaskFade::Sub>(view, mask, nullptr, level);
}

void MaskCrossFade(uint16_t* view, std::span<const uint8_t> mask, std::span<const uint16_t> second,
                   int32_t level)
{
    if (second.data() == nullptr || second.size() < ViewPixelCount()) return;
    ApplyMaskFade<MaskFade::Cross>(view, mask, second.data(), level);
}

void MaskReveal(uint16_t* view, std::span<const uint8_t> mask, std::span<const uint8_t> grey,
                int32_t level)
{
    size_t count = ViewPixelCount();
    if (!view || count == 0 || mask.data() == nullptr || mask.size() < count) return;
    if (grey.data() == nullptr || grey.size() < count) return;
    level = std::clamp(level, 0, kMaxLevel);
    if (sequencer.pixelDepth == 16) {
        RunMaskReveal<16>(view, mask.data(), grey.data(), count, level);
    } else {
        RunMaskReveal<15>(view, mask.data(), grey.data(), count, level);
    }
}
