// Deterministic signal arithmetic for the instrument synthesis: sine, powers of two and
// logarithms built from additions and multiplications only, so every machine computes the same
// samples; a soft clipper; a state-variable filter; white noise from the content generator.
#pragma once

#include <cstdint>

#include "common/random.h"

namespace content::music {

constexpr double kPi = 3.14159265358979323846;

// sin(2 pi x): x in turns, any value.
double SinTurns(double turns);
inline double CosTurns(double turns) { return SinTurns(turns + 0.25); }
// 2^x and e^x.
double Exp2(double x);
inline double ExpE(double x) { return Exp2(x * 1.44269504088896340736); }
// log2(x) for x > 0.
double Log2(double x);
// A smooth limiter: about x for small x, approaching +-1.
double SoftClip(double x);
// An amplitude falling to 1/e after `seconds`.
inline double Decay(double t, double seconds) { return ExpE(-t / seconds); }

// Topology-preserving state-variable filter (one second-order section). Low, band and high
// outputs of one step come from the same state.
struct Svf {
    double g = 0.0;  // tan(pi cutoff / rate)
    double k = 1.0;  // 1 / Q
    double s1 = 0.0, s2 = 0.0;
    double low = 0.0, band = 0.0, high = 0.0;
};

Svf MakeSvf(double cutoffHz, double q, double rate);
// One sample through the filter; read low, band or high afterwards.
void StepSvf(Svf* filter, double input);

// White noise in [-1, 1).
inline double NextNoise(Random* random) { return random->Between(-1.0f, 1.0f); }

} // namespace content::music
