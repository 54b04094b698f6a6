// Matrix conventions and keyframe evaluation against hand-computed values.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/scene/key_tracks.h"
#include "engine/scene/math_types.h"

namespace {

void ExpectVec(Vec3 v, float x, float y, float z, float tolerance = 1e-6f)
{
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

VectorKey VKey(float frame, Vec3 value, Vec3 in = {0, 0, 0}, Vec3 out = {0, 0, 0}, float easeTo = 0, float easeFrom = 0)
{
    return VectorKey{frame, value, in, out, 0, 0, 0, easeTo, easeFrom};
}

ScalarKey SKey(float frame, float value, float in = 0, float out = 0, float easeTo = 0, float easeFrom = 0)
{
    return ScalarKey{frame, value, in, out, 0, 0, 0, easeTo, easeFrom};
}

} // namespace

TEST(MathTypes, NormaliseAndCross)
{
    ExpectVec(Normalise({0, 0, 0}), 0, 0, 0);
    ExpectVec(Normalise({3, 0, 4}), 0.6f, 0, 0.8f);
    ExpectVec(Cross({1, 0, 0}, {0, 1, 0}), 0, 0, 1);
    EXPECT_FLOAT_EQ(Length({2, 3, 6}), 7.0f);
    EXPECT_EQ(MaskAngle(-1), 16383);
    EXPECT_EQ(AngleFromRadians(static_cast<float>(M_PI)), 8192);
    EXPECT_EQ(RoundToAngle(16384.6f), 1);
    EXPECT_EQ(RoundToAngle(-0.6f), 16383);
    EXPECT_EQ(RoundToAngle(1e20f), 0);
}

TEST(MathTypes, MatrixFromAnglesConventions)
{
    const Matrix identity = MatrixFromAngles(0, 0, 0);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(identity.m[i], (i % 4 == 0) ? 1.0f : 0.0f) << i;

    // A full turn is no turn, whatever the angle's high bits.
    const Matrix a = MatrixFromAngles(16384 + 1000, -16384 + 200, 300);
    const Matrix b = MatrixFromAngles(1000, 200, 300);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(a.m[i], b.m[i]);

    // A quarter turn of ax about the up axis: (1,0,0) -> (0,-1,0) and (0,1,0) -> (1,0,0).
    const Matrix q = MatrixFromAngles(4096, 0, 0);
    ExpectVec(Rotate(q, {1, 0, 0}), 0, -1, 0);
    ExpectVec(Rotate(q, {0, 1, 0}), 1, 0, 0);
    // az tilts about the right axis: forward goes up.
    ExpectVec(Rotate(MatrixFromAngles(0, 0, 4096), {0, 1, 0}), 0, 0, 1);
    // ay rolls about the forward axis: up tips over to the right.
    ExpectVec(Rotate(MatrixFromAngles(0, 4096, 0), {0, 0, 1}), 1, 0, 0);

    // Rotations stay orthonormal.
    const Matrix r = MatrixFromAngles(1234, 5678, 9012);
    const Vec3 row0{r.m[0], r.m[1], r.m[2]}, row1{r.m[3], r.m[4], r.m[5]}, row2{r.m[6], r.m[7], r.m[8]};
    EXPECT_NEAR(Dot(row0, row1), 0, 1e-6);
    EXPECT_NEAR(Dot(row1, row2), 0, 1e-6);
    EXPECT_NEAR(Length(row2), 1, 1e-6);
}

TEST(MathTypes, ComposeAndPivot)
{
    Matrix parent = MatrixFromAngles(4096, 0, 0);
    parent.translation = {10, 0, 0};
    Matrix child = IdentityMatrix();
    child.translation = {1, 0, 0};
    const Matrix c = Compose(parent, child);
    ExpectVec(c.translation, 10, -1, 0);
    ExpectVec(Transform(c, {0, 1, 0}), 11, -1, 0);

    // The pivot point stays at the node position whatever the rotation.
    const Matrix m = MatrixFromAngles(3000, 700, 111);
    const Vec3 pivot{2, 3, 4}, position{5, 6, 7};
    Matrix placed = m;
    placed.translation = PivotTranslation(m, position, pivot);
    ExpectVec(Transform(placed, pivot), 5, 6, 7, 1e-5f);
}

TEST(KeyTracks, EmptyAndSingleKeyTracks)
{
    VectorTrack empty;
    ExpectVec(EvalVectorTrack(12.0f, empty), 1, 1, 1);
    EXPECT_EQ(EvalScalarTrack(12.0f, ScalarTrack{}), 0.0f);

    VectorKey one = VKey(5, {2, 3, 4});
    VectorTrack single{1, 1, &one};
    ExpectVec(EvalVectorTrack(-100.0f, single), 2, 3, 4);
    ExpectVec(EvalVectorTrack(100.0f, single), 2, 3, 4);
}

TEST(KeyTracks, HermiteWithAndWithoutEase)
{
    // s = 0.5: h1 = h2 = 0.5, h3 = 0.125, h4 = -0.125.
    ScalarKey keys[2] = {SKey(0, 10, 0, 8), SKey(10, 20, 4, 0)};
    ScalarTrack track{2, 0, keys};
    EXPECT_FLOAT_EQ(EvalScalarTrack(5.0f, track), 0.5f * 10 + 0.5f * 20 + 0.125f * 8 - 0.125f * 4);
    // Exactly on keys, and clamped outside them.
    EXPECT_FLOAT_EQ(EvalScalarTrack(0.0f, track), 10.0f);
    EXPECT_FLOAT_EQ(EvalScalarTrack(10.0f, track), 20.0f);
    EXPECT_FLOAT_EQ(EvalScalarTrack(-3.0f, track), 10.0f);
    EXPECT_FLOAT_EQ(EvalScalarTrack(13.0f, track), 20.0f);

    // Full eases: sum 2 normalised to 0.5 + 0.5, k = 1; u = 0.25 gives s = 0.125.
    ScalarKey eased[2] = {SKey(0, 0, 0, 0, 0, 1), SKey(10, 1, 0, 0, 1, 0)};
    ScalarTrack easedTrack{2, 0, eased};
    const float s = 0.125f;
    EXPECT_FLOAT_EQ(EvalScalarTrack(2.5f, easedTrack), 3 * s * s - 2 * s * s * s);
    // Middle section of a partial ease: a = 0.2, b = 0, k = 1/1.8, u = 0.5 -> s = (1 - 0.2) / 1.8.
    ScalarKey partial[2] = {SKey(0, 0, 0, 0, 0, 0.2f), SKey(10, 1, 0, 0, 0, 0)};
    ScalarTrack partialTrack{2, 0, partial};
    const float sp = (1.0f / 1.8f) * (2 * 0.5f - 0.2f);
    EXPECT_NEAR(EvalScalarTrack(5.0f, partialTrack), 3 * sp * sp - 2 * sp * sp * sp, 1e-6);

    // Vector tracks interpolate per component.
    VectorKey vkeys[3] = {VKey(0, {0, 0, 0}), VKey(10, {10, 20, 30}), VKey(20, {0, 0, 0})};
    VectorTrack vtrack{3, 0, vkeys};
    ExpectVec(EvalVectorTrack(15.0f, vtrack), 5, 10, 15);
}

TEST(KeyTracks, LoopingUsesTheRemainderOfTheFrameItself)
{
    ScalarKey keys[2] = {SKey(10, 0), SKey(30, 1)};
    ScalarTrack looped{2, 1, keys};
    ScalarTrack plain{2, 0, keys};
    // fmod(45, 20) + 10 = 15, not fmod(45 - 10, 20) + 10 = 25.
    EXPECT_FLOAT_EQ(EvalScalarTrack(45.0f, looped), EvalScalarTrack(15.0f, plain));
    // A negative frame keeps its sign: fmod(-5, 20) + 10 = 5, before the first key.
    EXPECT_FLOAT_EQ(EvalScalarTrack(-5.0f, looped), 0.0f);
}

TEST(KeyTracks, DegenerateKeysHoldTheEarlierValue)
{
    ScalarKey same[2] = {SKey(10, 3), SKey(10, 7)};
    ScalarTrack track{2, 1, same};
    EXPECT_TRUE(std::isfinite(EvalScalarTrack(10.0f, track)));
    EXPECT_FLOAT_EQ(EvalScalarTrack(10.0f, track), 3.0f);
}

TEST(KeyTracks, MorphTargetsAndWeights)
{
    SceneObject* a = reinterpret_cast<SceneObject*>(0x10);
    SceneObject* b = reinterpret_cast<SceneObject*>(0x20);
    SceneObject* c = reinterpret_cast<SceneObject*>(0x30);
    MorphKey keys[3] = {{0, 0, 0, 0, 0, 0, 0, 0, 0, a}, {10, 0, 0, 0, 0, 0, 0, 0, 0, b}, {20, 0, 0, 0, 0, 0, 0, 0, 0, c}};
    MorphTrack track{3, 0, keys};
    MorphBlend before = EvalMorphTrack(-1.0f, track);
    EXPECT_EQ(before.objectA, a);
    EXPECT_EQ(before.objectB, b);
    EXPECT_EQ(before.weight, 0.0f);
    MorphBlend after = EvalMorphTrack(25.0f, track);
    EXPECT_EQ(after.objectA, b);
    EXPECT_EQ(after.objectB, c);
    EXPECT_EQ(after.weight, 1.0f);
    MorphBlend middle = EvalMorphTrack(15.0f, track);
    EXPECT_EQ(middle.objectA, b);
    EXPECT_EQ(middle.objectB, c);
    EXPECT_FLOAT_EQ(middle.weight, 0.5f);
}

TEST(KeyLists, StepLinearToggleAndUvHold)
{
    StepKey steps[3] = {{5, 1}, {10, 2}, {20, 3}};
    StepList list{3, steps};
    EXPECT_EQ(StepValueAt(list, 4.0f, 99), 99u);
    EXPECT_EQ(StepValueAt(list, 10.0f, 99), 2u);
    EXPECT_EQ(StepValueAt(list, 50.0f, 99), 3u);

    StepKey linear[3] = {{0, RealBits(0)}, {10, RealBits(5)}, {20, RealBits(25)}};
    StepList lin{3, linear};
    EXPECT_EQ(LinearListValue(StepList{}, 3.0f), 0.0f);
    EXPECT_FLOAT_EQ(LinearListValue(lin, -1.0f), 0.0f);
    EXPECT_FLOAT_EQ(LinearListValue(lin, 4.0f), 2.0f);
    EXPECT_FLOAT_EQ(LinearListValue(lin, 15.0f), 15.0f);
    EXPECT_FLOAT_EQ(LinearListValue(lin, 99.0f), 25.0f);

    float frames[3] = {10, 20, 30};
    ToggleList toggles{3, frames};
    EXPECT_TRUE(ToggleStateAt(toggles, 9.0f, true));
    EXPECT_FALSE(ToggleStateAt(toggles, 10.0f, true));
    EXPECT_TRUE(ToggleStateAt(toggles, 25.0f, true));
    EXPECT_FALSE(ToggleStateAt(toggles, 30.0f, true));

    // A hold key (third component exactly 1) is used as it stands until the next key.
    VectorKey uv[2] = {VKey(0, {0.25f, 0.5f, 1.0f}), VKey(10, {1, 1, 0})};
    VectorTrack uvTrack{2, 0, uv};
    ExpectVec(EvalUvTrack(5.0f, uvTrack), 0.25f, 0.5f, 1.0f);
    uv[0].value.z = 0.0f;
    EXPECT_NEAR(EvalUvTrack(5.0f, uvTrack).x, 0.625f, 1e-6);
    ExpectVec(EvalUvTrack(5.0f, VectorTrack{}), 0, 0, 0);
}
