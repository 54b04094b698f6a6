// The fade ramp shared by the mask transitions: black, a grey ramp, then white.
#pragma once

#include <cstdint>

// 768 entries: 0..254 black, 255 + v the grey of v (v = 0..255), 511..767 white (0xFFFF).
extern uint16_t FadeRamp[768];

// Rebuilds FadeRamp for the current pixel depth.
void BuildFadeRamp();

// True when FadeRamp holds exactly what BuildFadeRamp makes for `depth` (16, or 15 for any
// other value), so that its entries may be computed instead of looked up.
bool FadeRampIsBuiltFor(int32_t depth);
