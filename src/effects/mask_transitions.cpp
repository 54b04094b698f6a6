#include "effects/mask_transitions.h"

#include <algorithm>
#include <type_traits>

#include "effects/fade_ramp.h"
#include "effects/pixel_arithmetic.h"
#include "effects/pixel_lanes.h"
#include "display/screen_geometry.h"
#include "formats/pixel_format.h"

#pragma GCC diagnostic ignored "-Wpsabi" // wide lanes only meet inside forced-inline code

namespace {

constexpr int32_t kMaxLevel = 512;

enum class MaskOp { FadeAdd, FadeSub, CrossFade, Reveal };

// What one call needs. `table` holds, for each mask value m, FadeRamp[255 + level - m] (fades)
// or level - m limited to 0..255 (reveal); `computed` says that FadeRamp is the standard ramp,
// so that its entries may be computed in the lanes instead of looked up.
struct MaskCall {
    uint16_t* view;
    const uint8_t* mask;
    const uint16_t* second;
    const uint8_t* grey;
    size_t count;
    int32_t level;
    bool computed;
    uint16_t table[256];
};

// The grey of v (0..255) in each lane: the five top bits of v in every 5-bit channel (one
// multiply places them), and in 5-6-5 the six top bits in green.
template <int Depth, class T> [[gnu::always_inline]] inline T GreyLanes(const T& v)
{
    if constexpr (Depth == 16) return MultiplyLanes(T(v >> 3), 0x0801) | ((v << 3) & 0x07E0);
    else return MultiplyLanes(T(v >> 3), 0x0421);
}

// The channels of the grey of v without their low bits, in place, from one multiply: the five
// top bits of v placed in every channel (they never overlap, so the multiply adds nothing across
// them). The bits outside kHigh are left as they fall.
template <int Depth, class T> [[gnu::always_inline]] inline T HighGreyLanes(const T& v)
{
    return MultiplyLanes(T(v >> 3), Depth == 16 ? 0x0841 : 0x0421);
}

// The cross-fade of p towards q for ramp entry g, of which only the bits in kHigh are read. In
// every channel the halved value of g and that of NOT g add up to the channel's largest value, so
// the channel of SaturatingSub(p, g) plus that of SaturatingSub(q, NOT g) never exceeds it: the
// final SaturatingAdd never saturates, and with both low bits clear it is a plain sum. Each
// difference is the halved subtraction with its borrows cascading, every channel that borrowed
// cleared.
template <int Depth, class T> [[gnu::always_inline]] inline T CrossFadeLanes(const T& p, const T& g, const T& q)
{
    using L = PixelFormat<Depth>;
    constexpr uint16_t flip = (L::kRedBlueSpare | L::kGreenSpare) ^ 0x8000;
    const T highGOrLow = g | uint16_t(~L::kHigh);   // NOT (NOT g AND kHigh)
    const T notHighG = highGOrLow ^ L::kHigh;        // NOT (g AND kHigh)
    const T kept = AverageLanes(T(p & L::kHigh), notHighG) ^ flip;
    const T taken = AverageLanes(T(q & L::kHigh), highGOrLow) ^ flip;
    const T spareRedBlue = T{} + L::kRedBlueSpare, spareGreen = T{} + L::kGreenSpare;
    const T redBlue = SubtractClampedBytes(T(kept & L::kRedBlue), spareRedBlue) +
                      SubtractClampedBytes(T(taken & L::kRedBlue), spareRedBlue);
    const T green = SubtractClampedLanes(T(kept & L::kGreen), spareGreen) +
                    SubtractClampedLanes(T(taken & L::kGreen), spareGreen);
    const T sum = redBlue | green;
    return sum + sum;
}

// The effect on one pixel p (q: the second picture's pixel), given the ramp entry g.
template <int Depth, MaskOp Op, class T> [[gnu::always_inline]] inline T MaskPixels(const T& p, const T& g, const T& q)
{
    if constexpr (Op == MaskOp::FadeAdd || Op == MaskOp::Reveal) {
        return SaturatingAddLanes<Depth>(g, p);
    } else if constexpr (Op == MaskOp::FadeSub) {
        return SaturatingSubLanes<Depth>(p, g);
    } else if constexpr (std::is_same_v<T, uint16_t>) {
        const T notG = ~g;
        return SaturatingAddLanes<Depth>(SaturatingSubLanes<Depth>(p, g), SaturatingSubLanes<Depth>(q, notG));
    } else {
        return CrossFadeLanes<Depth>(p, g, q);
    }
}

// The loop works on local copies of the call's pointers and values, which stores into the view
// cannot change, so they stay in registers.
template <int N, int Depth, MaskOp Op, bool Computed> [[gnu::always_inline]] inline void RunMask(const MaskCall& c)
{
    uint16_t* const view = c.view;
    const uint8_t* const mask = c.mask;
    const uint16_t* const second = c.second;
    const uint8_t* const grey = c.grey;
    const uint16_t* const table = c.table;
    const size_t count = c.count;
    const Lanes<N> level = SplatLanes<N>(static_cast<uint16_t>(c.level));
    const Lanes<N> top = SplatLanes<N>(255);
    size_t i = 0;
    for (; i + kLaneCount<N> <= count; i += kLaneCount<N>) {
        // g: the ramp entry the pixel's mask value (and, for the reveal, its grey value) selects.
        Lanes<N> g{};
        if constexpr (!Computed && Op != MaskOp::Reveal) {
            g = GatherLanes<N>(table, mask + i);
        } else if constexpr (!Computed) {
            const Lanes<N> index = LoadByteLanes<N>(grey + i) + GatherLanes<N>(table, mask + i);
            for (size_t k = 0; k < kLaneCount<N>; ++k) g[k] = FadeRamp[index[k]];
        } else {
            // Entry 255 + v of the standard ramp: black for v < 0, the grey of v, white (whose
            // extra top bit in x-5-5-5 no effect reads) for v > 255.
            Lanes<N> v = MinLanes(SubtractClampedLanes(level, LoadByteLanes<N>(mask + i)), top);
            // The reveal reads entry s + v from the start: the grey of s + v - 255, or black.
            if constexpr (Op == MaskOp::Reveal) v = SubtractClampedLanes(Lanes<N>(LoadByteLanes<N>(grey + i) + v), top);
            if constexpr (Op == MaskOp::CrossFade) {
                StoreLanes(view + i, CrossFadeLanes<Depth>(LoadLanes<N>(view + i), HighGreyLanes<Depth>(v),
                                                           LoadLanes<N>(second + i)));
                continue;
            }
            g = GreyLanes<Depth>(v);
        }
        const Lanes<N> p = LoadLanes<N>(view + i);
        const Lanes<N> q = Op == MaskOp::CrossFade ? LoadLanes<N>(second + i) : Lanes<N>{};
        StoreLanes(view + i, MaskPixels<Depth, Op>(p, g, q));
    }
    for (; i < count; ++i) {
        const uint16_t q = Op == MaskOp::CrossFade ? second[i] : 0;
        const uint16_t g = Op == MaskOp::Reveal ? FadeRamp[grey[i] + table[mask[i]]] : table[mask[i]];
        view[i] = MaskPixels<Depth, Op, uint16_t>(view[i], g, q);
    }
}

template <int N, int Depth, MaskOp Op> [[gnu::always_inline]] inline void RunMask(const MaskCall& c)
{
    if (c.computed) RunMask<N, Depth, Op, true>(c);
    else RunMask<N, Depth, Op, false>(c);
}

template <int N, MaskOp Op> [[gnu::always_inline]] inline void RunMask(const MaskCall& c)
{
    if (screen.pixelDepth == 16) RunMask<N, 16, Op>(c);
    else RunMask<N, 15, Op>(c);
}

template <MaskOp Op> void RunMaskNarrow(const MaskCall& c) { RunMask<16, Op>(c); }

#if VELA_WIDE_LANES
template <MaskOp Op> VELA_WIDE_TARGET void RunMaskWide(const MaskCall& c) { RunMask<32, Op>(c); }
#endif

template <MaskOp Op>
void ApplyMask(uint16_t* view, std::span<const uint8_t> mask, const uint16_t* second, const uint8_t* grey,
               int32_t level)
{
    MaskCall c;
    c.count = ViewPixelCount();
    if (!view || c.count == 0 || mask.data() == nullptr || mask.size() < c.count) return;
    c.view = view, c.mask = mask.data(), c.second = second, c.grey = grey;
    c.level = std::clamp(level, 0, kMaxLevel);
    c.computed = FadeRampIsBuiltFor(screen.pixelDepth);
    for (int m = 0; m < 256; ++m) {
        c.table[m] = Op == MaskOp::Reveal ? static_cast<uint16_t>(std::clamp(c.level - m, 0, 255))
                                          : FadeRamp[255 + c.level - m];
    }
#if VELA_WIDE_LANES
    if (UseWideLanes()) return RunMaskWide<Op>(c);
#endif
    RunMaskNarrow<Op>(c);
}

} // namespace

void MaskFadeAdd(uint16_t* view, std::span<const uint8_t> mask, int32_t level)
{
    ApplyMask<MaskOp::FadeAdd>(view, mask, nullptr, nullptr, level);
}

void MaskFadeSub(uint16_t* view, std::span<const uint8_t> mask, int32_t level)
{
    ApplyMask<MaskOp::FadeSub>(view, mask, nullptr, nullptr, level);
}

void MaskCrossFade(uint16_t* view, std::span<const uint8_t> mask, std::span<const uint16_t> second,
                   int32_t level)
{
    if (second.data() == nullptr || second.size() < ViewPixelCount()) return;
    ApplyMask<MaskOp::CrossFade>(view, mask, second.data(), nullptr, level);
}

void MaskReveal(uint16_t* view, std::span<const uint8_t> mask, std::span<const uint8_t> grey,
                int32_t level)
{
    if (grey.data() == nullptr || grey.size() < ViewPixelCount()) return;
    ApplyMask<MaskOp::Reveal>(view, mask, nullptr, grey.data(), level);
}
