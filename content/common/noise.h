// Value noise for textures and pictures, tileable with any period, and its fractal sum.
// Float steps only (no library functions), so the results are the same on every machine.
#pragma once

#include <cstdint>

namespace content {

// Smooth value noise at (x, y) on a lattice that repeats every periodX x periodY cells
// (a period of 0 does not repeat). Result in [0, 1).
float ValueNoise(float x, float y, int32_t periodX, int32_t periodY, uint32_t seed);

// Sum of `octaves` layers of value noise, each at twice the frequency and `gain` times the
// amplitude of the one before, normalised to [0, 1). The periods double with the frequency,
// so a tile of periodX x periodY cells at the first octave stays seamless.
float FractalNoise(float x, float y, int32_t periodX, int32_t periodY, int octaves, float gain, uint32_t seed);

} // namespace content
