#include "effects/view_fills.h"

#include <algorithm>

#include "effects/pixel_arithmetic.h"
#include "effects/pixel_lanes.h"
#include "display/screen_geometry.h"
#include "formats/pixel_format.h"

#pragma GCC diagnostic ignored "-Wpsabi" // wide lanes only meet inside forced-inline code

namespace {

uint16_t ViewColour(int32_t r, int32_t g, int32_t b)
{
    auto limit = [](int32_t c) { return static_cast<uint32_t>(std::clamp(c, 0, 255)); };
    return PackColour(limit(r), limit(g), limit(b), screen.pixelDepth);
}

template <int N> [[gnu::always_inline]] inline void FillPixels(uint16_t* view, size_t count, uint16_t colour)
{
    const Lanes<N> lanes = SplatLanes<N>(colour);
    size_t i = 0;
    for (; i + kLaneCount<N> <= count; i += kLaneCount<N>) StoreLanes(view + i, lanes);
    for (; i < count; ++i) view[i] = colour;
}

template <int N, int Depth> [[gnu::always_inline]] inline void TintPixels(uint16_t* view, size_t count, uint16_t colour)
{
    const Lanes<N> c = SplatLanes<N>(colour);
    size_t i = 0;
    for (; i + kLaneCount<N> <= count; i += kLaneCount<N>) {
        StoreLanes(view + i, SaturatingAddLanes<Depth>(c, LoadLanes<N>(view + i)));
    }
    for (; i < count; ++i) view[i] = SaturatingAdd<Depth>(colour, view[i]);
}

template <int N> [[gnu::always_inline]] inline void Fill(uint16_t* view, size_t count, uint16_t colour, bool tint)
{
    if (!tint) FillPixels<N>(view, count, colour);
    else if (screen.pixelDepth == 16) TintPixels<N, 16>(view, count, colour);
    else TintPixels<N, 15>(view, count, colour);
}

void FillNarrow(uint16_t* view, size_t count, uint16_t colour, bool tint) { Fill<16>(view, count, colour, tint); }

#if VELA_WIDE_LANES
VELA_WIDE_TARGET void FillWide(uint16_t* view, size_t count, uint16_t colour, bool tint)
{
    Fill<32>(view, count, colour, tint);
}
#endif

void FillOrTint(uint16_t* view, int32_t r, int32_t g, int32_t b, bool tint)
{
    const size_t count = ViewPixelCount();
    if (!view || count == 0) return;
#if VELA_WIDE_LANES
    if (UseWideLanes()) return FillWide(view, count, ViewColour(r, g, b), tint);
#endif
    FillNarrow(view, count, ViewColour(r, g, b), tint);
}

} // namespace

void FillView(uint16_t* view, int32_t r, int32_t g, int32_t b) { FillOrTint(view, r, g, b, false); }

void TintView(uint16_t* view, int32_t r, int32_t g, int32_t b) { FillOrTint(view, r, g, b, true); }
