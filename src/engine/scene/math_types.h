// The engine's value types: single-precision vectors, 3x3 rotation matrices with a
// translation, and integer angles of 16384 units to a full turn.
// Axes: x to the right, y forward (the viewing depth axis), z up.
#pragma once

#include <cstdint>

struct Vec3 {
    float x, y, z;
};
static_assert(sizeof(Vec3) == 12, "Vec3 is stored as three 32-bit reals");

// m holds the rows one after the other: row 0 = m[0..2], row 1 = m[3..5], row 2 = m[6..8].
struct Matrix {
    float m[9];
    Vec3 translation;
};

constexpr int32_t kAngleUnitsPerTurn = 16384;
constexpr int32_t kAngleMask = 0x3FFF;
constexpr int32_t kSineTableSize = 20480;  // a full turn plus a quarter, so cosines need no wrap
constexpr int32_t kCosineOffset = 4096;    // cos(a) = sine entry a + 4096
constexpr float kRadiansToAngle = 2607.5945f; // 16384 / (2 pi)

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }

// a x b.
Vec3 Cross(Vec3 a, Vec3 b);
// a . b.
float Dot(Vec3 a, Vec3 b);
// Square root of a . a.
float Length(Vec3 a);
// a / Length(a); a zero vector stays (0, 0, 0) without a division.
Vec3 Normalise(Vec3 a);

// An angle taken modulo a full turn (its low 14 bits).
inline int32_t MaskAngle(int32_t angle) { return angle & kAngleMask; }
// Radians to the nearest whole angle unit (not masked).
int32_t AngleFromRadians(float radians);
// A real angle (a rotation track component) to the nearest whole unit, masked to 14 bits;
// values beyond the 32-bit range and NaN give 0.
int32_t RoundToAngle(float angle);
// The rotation of a rotation track value: each component rounded and masked, then
// MatrixFromAngles.
Matrix MatrixFromRotation(Vec3 angles);
// Entry i of the engine's sine table: sin(i x 2 pi / 16384) as a single-precision real.
// Every table and matrix of the engine takes its sines from here, so they agree bit for bit.
float SineTableEntry(int32_t index);
// Sine and cosine of a masked angle, equal to the sine-table lookups.
float AngleSine(int32_t angle);
float AngleCosine(int32_t angle);

// The identity rotation with a zero translation.
Matrix IdentityMatrix();
// The rotation of three angles (each masked to 14 bits): ax turns about the up axis, az tilts
// about the right axis, ay rolls about the forward axis; equals Rz(-ax) . Rx(az) . Ry(ay).
// The translation is zero.
Matrix MatrixFromAngles(int32_t ax, int32_t ay, int32_t az);
// The rotation part applied to v, plus the translation.
Vec3 Transform(const Matrix& matrix, Vec3 v);
// The rotation part alone applied to v.
Vec3 Rotate(const Matrix& matrix, Vec3 v);
// parent after child: rotations multiplied (parent . child); translation = parent applied to
// the child's translation.
Matrix Compose(const Matrix& parent, const Matrix& child);
// The translation that keeps the pivot q (object space) at node position p: p - M q.
Vec3 PivotTranslation(const Matrix& rotation, Vec3 position, Vec3 pivot);
