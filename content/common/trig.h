// Sine and cosine for content, from plain arithmetic only, so that angles give the same bits on
// every machine and library (the C library's sin and cos may differ in the last place).
#pragma once

namespace content {

inline constexpr double kPi = 3.14159265358979323846;

// sin(2 pi turns): the angle is reduced to [-1/2, 1/2) turns, then a Taylor series to x^23
// (error below 1e-11 over that range).
inline double SinTurns(double turns)
{
    double t = turns - static_cast<double>(static_cast<long long>(turns));
    if (t >= 0.5) t -= 1.0;
    if (t < -0.5) t += 1.0;
    const double x = 2.0 * kPi * t, x2 = x * x;
    double term = x, sum = x;
    for (int n = 1; n <= 11; ++n) {
        term *= -x2 / static_cast<double>((2 * n) * (2 * n + 1));
        sum += term;
    }
    return sum;
}

inline double CosTurns(double turns) { return SinTurns(turns + 0.25); }

} // namespace content
