#include "effects/fade_ramp.h"

#include "effects/pixel_arithmetic.h"
#include "sequencer/state/sequencer_state.h"

uint16_t FadeRamp[768];

void BuildFadeRamp()
{
    for (int i = 0; i < 768; ++i) FadeRamp[i] = 0;
    for (int i = 255; i <= 510; ++i) {
        uint32_t v = static_cast<uint32_t>(i - 255);
        FadeRamp[i] = PackColour(v, v, v, sequencer.pixelDepth);
    }
    for (int i = 511; i < 768; ++i) FadeRamp[i] = 0xFFFF;
}
