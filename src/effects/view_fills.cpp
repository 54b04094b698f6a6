#include "effects/view_fills.h"

#include <algorithm>

#include "effects/pixel_arithmetic.h"
#include "effects/pixel_lanes.h"
#include "effects/view_geometry.h"

namespace {

uint16_t ViewColour(int32_t r, int32_t g, int32_t b)
{
    auto limit = [](int32_t c) { return static_cast<uint32_t>(std::clamp(c, 0, 255)); };
    return PackColour(limit(r), limit(g), limit(b), sequencer.pixelDepth);
}

template <int Depth> void RunTint(uint16_t* view, size_t count, uint16_t colour)
{
    PixelLanes c = SplatLanes(colour);
    size_t i = 0;
    for (; i + kLaneCount <= count; i += kLaneCount) {
        StoreLanes(view + i, SaturatingAddLanes<Depth>(c, LoadLanes(view + i)));
    }
    for (; i < count; ++i) view[i] = SaturatingAdd<Depth>(colour, view[i]);
}

} // namespace

void FillView(uint16_t* view, int32_t r, int32_t g, int32_t b)
{
    size_t count = ViewPixelCount();
    if (!view || count == 0) return;
    std::fill_n(view, count, ViewColour(r, g, b));
}

void TintView(uint16_t* view, int32_t r, int32_t g, int32_t b)
{
    size_t count = ViewPixelCount();
    if (!view || count == 0) return;
    if (sequencer.pixelDepth == 16) {
        RunTint<16>(view, count, ViewColour(r, g, b));
    } else {
        RunTint<15>(view, count, ViewColour(r, g, b));
    }
}
