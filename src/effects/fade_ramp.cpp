#include "effects/fade_ramp.h"

#include <array>
#include <cstring>

#include "effects/pixel_arithmetic.h"
#include "display/screen_geometry.h"
#include "formats/pixel_format.h"

uint16_t FadeRamp[768];

namespace {

template <int Depth> constexpr std::array<uint16_t, 768> MakeRamp()
{
    std::array<uint16_t, 768> ramp{};
    for (int i = 255; i <= 510; ++i) {
        const uint32_t v = static_cast<uint32_t>(i - 255);
        ramp[i] = PackColour<Depth>(v, v, v);
    }
    for (int i = 511; i < 768; ++i) ramp[i] = 0xFFFF;
    return ramp;
}

constexpr std::array<uint16_t, 768> kRamp16 = MakeRamp<16>();
constexpr std::array<uint16_t, 768> kRamp15 = MakeRamp<15>();

const std::array<uint16_t, 768>& RampFor(int32_t depth) { return depth == 16 ? kRamp16 : kRamp15; }

} // namespace

void BuildFadeRamp() { std::memcpy(FadeRamp, RampFor(screen.pixelDepth).data(), sizeof FadeRamp); }

bool FadeRampIsBuiltFor(int32_t depth)
{
    return std::memcmp(FadeRamp, RampFor(depth).data(), sizeof FadeRamp) == 0;
}
