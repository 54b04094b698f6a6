#include "scenes/builders/scene_math.h"

#include <cmath>

namespace content {
namespace {

// Taylor series of sine and cosine on [-pi/4, pi/4]: the terms up to x^17 leave an error
// below one unit in the last place of a double.
double SineSeries(double x)
{
    const double x2 = x * x;
    double term = x, sum = x;
    for (int n = 1; n <= 8; ++n) {
        term = -term * x2 / static_cast<double>((2 * n) * (2 * n + 1));
        sum += term;
    }
    return sum;
}

double CosineSeries(double x)
{
    const double x2 = x * x;
    double term = 1.0, sum = 1.0;
    for (int n = 1; n <= 8; ++n) {
        term = -term * x2 / static_cast<double>((2 * n - 1) * (2 * n));
        sum += term;
    }
    return sum;
}

// The quarter turn nearest to x and what is left of x after it.
void ReduceQuarter(double radians, int64_t* quarter, double* rest)
{
    // pi/2 split into a head with few bits and a tail, so that q * head is exact.
    constexpr double kHead = 1.5707963267341256;
    constexpr double kTail = 6.077100506506192e-11;
    const double q = std::nearbyint(radians * (2.0 / kPi));
    *quarter = static_cast<int64_t>(q);
    *rest = (radians - q * kHead) - q * kTail;
}

} // namespace

double Sine(double radians)
{
    int64_t q;
    double r;
    ReduceQuarter(radians, &q, &r);
    switch (q & 3) {
    case 0: return SineSeries(r);
    case 1: return CosineSeries(r);
    case 2: return -SineSeries(r);
    default: return -CosineSeries(r);
    }
}

double Cosine(double radians)
{
    int64_t q;
    double r;
    ReduceQuarter(radians, &q, &r);
    switch (q & 3) {
    case 0: return CosineSeries(r);
    case 1: return -SineSeries(r);
    case 2: return -CosineSeries(r);
    default: return SineSeries(r);
    }
}

double SquareRoot(double v) { return v > 0 ? std::sqrt(v) : 0.0; }

float Snap(double v) { return static_cast<float>(std::nearbyint(v * 1024.0) / 1024.0); }

Vec3 Snap(Vec3 v) { return {Snap(v.x), Snap(v.y), Snap(v.z)}; }

Vec3 V(double x, double y, double z) { return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)}; }

Vec3 CrossProduct(Vec3 a, Vec3 b)
{
    return V(static_cast<double>(a.y) * b.z - static_cast<double>(a.z) * b.y,
             static_cast<double>(a.z) * b.x - static_cast<double>(a.x) * b.z,
             static_cast<double>(a.x) * b.y - static_cast<double>(a.y) * b.x);
}

double DotProduct(Vec3 a, Vec3 b)
{
    return static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y + static_cast<double>(a.z) * b.z;
}

Vec3 Scaled(Vec3 v, double s) { return V(v.x * s, v.y * s, v.z * s); }

Vec3 Lerp(Vec3 a, Vec3 b, double t) { return V(a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t); }

double Distance(Vec3 a, Vec3 b)
{
    const double dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return SquareRoot(dx * dx + dy * dy + dz * dz);
}

Vec3 Unit(Vec3 v)
{
    const double length = SquareRoot(static_cast<double>(v.x) * v.x + static_cast<double>(v.y) * v.y +
                                     static_cast<double>(v.z) * v.z);
    if (length == 0) return {0, 0, 0};
    return V(v.x / length, v.y / length, v.z / length);
}

Vec3 RotateAboutZ(Vec3 v, double radians)
{
    const double c = Cosine(radians), s = Sine(radians);
    return V(v.x * c - v.y * s, v.x * s + v.y * c, v.z);
}

Vec3 RotateAboutX(Vec3 v, double radians)
{
    const double c = Cosine(radians), s = Sine(radians);
    return V(v.x, v.y * c - v.z * s, v.y * s + v.z * c);
}

Vec3 RotateAboutY(Vec3 v, double radians)
{
    const double c = Cosine(radians), s = Sine(radians);
    return V(v.x * c + v.z * s, v.y, -v.x * s + v.z * c);
}

Vec3 OnCircle(double radius, double radians, double z) { return V(radius * Cosine(radians), radius * Sine(radians), z); }

double Clamp(double v, double low, double high) { return v < low ? low : (v > high ? high : v); }

double SmoothStep(double edge0, double edge1, double x)
{
    const double t = Clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

} // namespace content
