#include "music/synth/dsp.h"

#include <cmath>

namespace content::music {

double SinTurns(double turns)
{
    // Reduce to [-0.5, 0.5) turns, then to [-0.25, 0.25] by symmetry, where the odd Taylor
    // series to x^15 is accurate to about 1e-12.
    double x = turns - std::floor(turns + 0.5);
    if (x > 0.25) x = 0.5 - x;
    else if (x < -0.25) x = -0.5 - x;
    const double r = 2.0 * kPi * x;
    const double r2 = r * r;
    double term = r, sum = r;
    for (int n = 1; n <= 7; ++n) {
        term *= -r2 / ((2.0 * n) * (2.0 * n + 1.0));
        sum += term;
    }
    return sum;
}

double Exp2(double x)
{
    if (x < -1000.0) return 0.0;
    const double whole = std::floor(x);
    const double y = (x - whole) * 0.69314718055994530942; // in [0, ln 2)
    double term = 1.0, sum = 1.0;
    for (int n = 1; n <= 16; ++n) {
        term *= y / n;
        sum += term;
    }
    return std::ldexp(sum, static_cast<int>(whole));
}

double Log2(double x)
{
    int exponent = 0;
    const double m = std::frexp(x, &exponent) * 2.0; // x = m * 2^(exponent - 1), m in [1, 2)
    const double z = (m - 1.0) / (m + 1.0);           // ln m = 2 atanh z, |z| < 1/3
    const double z2 = z * z;
    double power = z, sum = 0.0;
    for (int n = 0; n < 24; ++n) {
        sum += power / (2.0 * n + 1.0);
        power *= z2;
    }
    return (exponent - 1) + 2.0 * sum * 1.44269504088896340736;
}

double SoftClip(double x)
{
    if (x > 3.0) return 1.0;
    if (x < -3.0) return -1.0;
    // A rational fit of tanh that meets +-1 with zero slope at +-3.
    return x * (27.0 + x * x) / (27.0 + 9.0 * x * x);
}

namespace {

double TanOfCutoff(double cutoffHz, double rate)
{
    double turns = cutoffHz / rate;
    if (turns > 0.49) turns = 0.49;
    if (turns < 1e-6) turns = 1e-6;
    return SinTurns(turns / 2.0) / CosTurns(turns / 2.0);
}

} // namespace

Svf MakeSvf(double cutoffHz, double q, double rate)
{
    Svf f;
    f.g = TanOfCutoff(cutoffHz, rate);
    f.k = 1.0 / q;
    return f;
}


void StepSvf(Svf* f, double input)
{
    const double a1 = 1.0 / (1.0 + f->g * (f->g + f->k));
    const double v3 = input - f->s2;
    const double v1 = a1 * f->s1 + f->g * a1 * v3;
    const double v2 = f->s2 + f->g * v1;
    f->s1 = 2.0 * v1 - f->s1;
    f->s2 = 2.0 * v2 - f->s2;
    f->low = v2;
    f->band = v1;
    f->high = input - f->k * v1 - v2;
}

} // namespace content::music
