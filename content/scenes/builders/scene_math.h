// Arithmetic for building scenes: sine and cosine computed with plain double steps (no
// library functions, so every machine gets the same bits), vector helpers and rotations, and
// the rounding that fixes every stored number to a grid.
#pragma once

#include <cstdint>

#include "engine/scene/math_types.h"

namespace content {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

// Sine and cosine of an angle in radians.
double Sine(double radians);
double Cosine(double radians);
// Square root (correctly rounded in IEEE arithmetic, so it is the same everywhere).
double SquareRoot(double v);
// Degrees to radians.
constexpr double Radians(double degrees) { return degrees * (kPi / 180.0); }

// Rounds to the nearest multiple of 1/1024, the grid every stored coordinate lies on; last-bit
// differences of the arithmetic before it vanish.
float Snap(double v);
Vec3 Snap(Vec3 v);

Vec3 V(double x, double y, double z);
// The engine's own vector functions live in its library; content has these.
Vec3 CrossProduct(Vec3 a, Vec3 b);
double DotProduct(Vec3 a, Vec3 b);
Vec3 Scaled(Vec3 v, double s);
Vec3 Lerp(Vec3 a, Vec3 b, double t);
double Distance(Vec3 a, Vec3 b);
// A unit vector, or (0, 0, 0) for a zero one.
Vec3 Unit(Vec3 v);

// Rotations by an angle in radians, counter-clockwise seen from the positive end of the axis.
Vec3 RotateAboutZ(Vec3 v, double radians);
Vec3 RotateAboutX(Vec3 v, double radians);
Vec3 RotateAboutY(Vec3 v, double radians);

// A point on a horizontal circle: (r cos a, r sin a, z).
Vec3 OnCircle(double radius, double radians, double z);

// Engine angle units (16384 to a turn) of an angle in degrees.
constexpr float AngleUnits(double degrees) { return static_cast<float>(degrees * (16384.0 / 360.0)); }

// Smooth step 0..1 between edge0 and edge1.
double SmoothStep(double edge0, double edge1, double x);
double Clamp(double v, double low, double high);

} // namespace content
