// The fade ramp shared by the mask transitions: black, a grey ramp, then white.
#pragma once

#include <cstdint>

// 768 entries: 0..254 black, 255 + v the grey of v (v = 0..255), 511..767 white (0xFFFF).
extern uint16_t FadeRamp[768];

// Rebuilds FadeRamp for the current pixel depth.
void BuildFadeRamp();
