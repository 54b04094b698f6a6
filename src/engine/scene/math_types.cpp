// Vector and matrix operations of the engine, in single precision.
#include "engine/scene/math_types.h"

#include <cmath>

Vec3 Cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

float Length(Vec3 a) { return std::sqrt(Dot(a, a)); }

Vec3 Normalise(Vec3 a)
{
    float length = Length(a);
    if (length == 0.0f) return {0.0f, 0.0f, 0.0f};
    return {a.x / length, a.y / length, a.z / length};
}

int32_t AngleFromRadians(float radians)
{
    return static_cast<int32_t>(std::lround(radians * kRadiansToAngle));
}

int32_t RoundToAngle(float angle)
{
    if (!(angle > -2147483648.0f && angle < 2147483648.0f)) return 0;
    return MaskAngle(static_cast<int32_t>(std::lround(angle)));
}

Matrix MatrixFromRotation(Vec3 angles)
{
    return MatrixFromAngles(RoundToAngle(angles.x), RoundToAngle(angles.y), RoundToAngle(angles.z));
}

float SineTableEntry(int32_t index)
{
    // Computed in double and rounded once, so that the value does not depend on the
    // library's single-precision sine.
    return static_cast<float>(std::sin(static_cast<double>(index) * 2.0 * M_PI / 16384.0));
}

float AngleSine(int32_t angle) { return SineTableEntry(MaskAngle(angle)); }

float AngleCosine(int32_t angle) { return SineTableEntry(MaskAngle(angle) + kCosineOffset); }

Matrix IdentityMatrix()
{
    return Matrix{{1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 0.0f}};
}

Matrix MatrixFromAngles(int32_t ax, int32_t ay, int32_t az)
{
    const float sX = AngleSine(ax), cX = AngleCosine(ax);
    const float sY = AngleSine(ay), cY = AngleCosine(ay);
    const float sZ = AngleSine(az), cZ = AngleCosine(az);
    Matrix r;
    r.m[0] = cX * cY + sX * sY * sZ;
    r.m[1] = sX * cZ;
    r.m[2] = cX * sY - sX * cY * sZ;
    r.m[3] = cX * sY * sZ - sX * cY;
    r.m[4] = cX * cZ;
    r.m[5] = -sX * sY - cX * cY * sZ;
    r.m[6] = -sY * cZ;
    r.m[7] = sZ;
    r.m[8] = cY * cZ;
    r.translation = {0.0f, 0.0f, 0.0f};
    return r;
}

Vec3 Rotate(const Matrix& a, Vec3 v)
{
    return {a.m[0] * v.x + a.m[1] * v.y + a.m[2] * v.z,
            a.m[3] * v.x + a.m[4] * v.y + a.m[5] * v.z,
            a.m[6] * v.x + a.m[7] * v.y + a.m[8] * v.z};
}

Vec3 Transform(const Matrix& a, Vec3 v) { return Rotate(a, v) + a.translation; }

Matrix Compose(const Matrix& parent, const Matrix& child)
{
    Matrix r;
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            r.m[row * 3 + col] = parent.m[row * 3 + 0] * child.m[0 + col] +
                                 parent.m[row * 3 + 1] * child.m[3 + col] +
                                 parent.m[row * 3 + 2] * child.m[6 + col];
        }
    }
    r.translation = Transform(parent, child.translation);
    return r;
}

Vec3 PivotTranslation(const Matrix& rotation, Vec3 position, Vec3 pivot)
{
    return position - Rotate(rotation, pivot);
}
