#include "effects/fade_ramp.h"

#include "sequencer/state/sequencer_state.h"

uint16_t FadeRamp[768];

void BuildFadeRamp()
{
    for (int i = 0; i < 768; ++i) FadeRamp[i] = 0;
    for (int i = 255; i <= 510; ++i) {
        unsigned v = static_cast<unsigned>(i - 255);
        FadeRamp[i] = sequencer.pixelDepth == 16 ? static_cast<uint16_t>((v >> 3) << 11 | (v >> 2) << 5 | (v >> 3))
                                                 : static_cast<uint16_t>((v >> 3) << 10 | (v >> 3) << 5 | (v >> 3));
    }
    for (int i = 511; i < 768; ++i) FadeRamp[i] = 0xFFFF;
}
