#include "scenes/builders/tracks.h"

#include "scenes/builders/scene_math.h"

namespace content {
namespace {

// Tangents of key i for a curve through values at frames, as (in, out), scaled to the
// lengths of the segments before and after the key.
template <class T, class Sub, class Mul>
void CatmullRomTangents(const std::vector<float>& frames, const std::vector<T>& values, bool loop, size_t i,
                        T* in, T* out, Sub sub, Mul mul)
{
    const size_t n = values.size();
    const bool first = i == 0, last = i + 1 == n;
    if ((first || last) && !(loop && n > 2)) {
        // Open ends: the tangent of the chord to the neighbour.
        const T chord = first ? sub(values[1], values[0]) : sub(values[n - 1], values[n - 2]);
        *in = chord;
        *out = chord;
        return;
    }
    // In a loop the last key repeats the first: the neighbours wrap past it.
    const size_t before = first ? n - 2 : i - 1;
    const size_t after = last ? 1 : i + 1;
    const double spanBefore = first ? frames[n - 1] - frames[n - 2] : frames[i] - frames[i - 1];
    const double spanAfter = last ? frames[1] - frames[0] : frames[i + 1] - frames[i];
    const T half = mul(sub(values[after], values[before]), 0.5);
    *in = mul(half, 2.0 * spanBefore / (spanBefore + spanAfter));
    *out = mul(half, 2.0 * spanAfter / (spanBefore + spanAfter));
}

Vec3 SubVec(Vec3 a, Vec3 b) { return a - b; }
Vec3 MulVec(Vec3 a, double s) { return Scaled(a, s); }
float SubReal(float a, float b) { return a - b; }
float MulReal(float a, double s) { return static_cast<float>(a * s); }

} // namespace

FsfVectorTrack SmoothVectorTrack(const std::vector<PathKey>& keys, bool loop)
{
    FsfVectorTrack track;
    track.loop = loop ? 1 : 0;
    std::vector<float> frames;
    std::vector<Vec3> values;
    for (const PathKey& k : keys) {
        frames.push_back(k.frame);
        values.push_back(k.value);
    }
    for (size_t i = 0; i < keys.size(); ++i) {
        Vec3 in{0, 0, 0}, out{0, 0, 0};
        if (keys.size() > 1) CatmullRomTangents(frames, values, loop, i, &in, &out, SubVec, MulVec);
        track.keys.push_back(
            MakeVectorKey(keys[i].frame, Snap(keys[i].value), Snap(in), Snap(out), keys[i].easeTo, keys[i].easeFrom));
    }
    return track;
}

FsfScalarTrack SmoothScalarTrack(const std::vector<ScalarPathKey>& keys, bool loop)
{
    FsfScalarTrack track;
    track.loop = loop ? 1 : 0;
    std::vector<float> frames, values;
    for (const ScalarPathKey& k : keys) {
        frames.push_back(k.frame);
        values.push_back(k.value);
    }
    for (size_t i = 0; i < keys.size(); ++i) {
        float in = 0, out = 0;
        if (keys.size() > 1) CatmullRomTangents(frames, values, loop, i, &in, &out, SubReal, MulReal);
        track.keys.push_back(
            MakeScalarKey(keys[i].frame, Snap(keys[i].value), Snap(in), Snap(out), keys[i].easeTo, keys[i].easeFrom));
    }
    return track;
}

FsfVectorTrack LinearVectorTrack(const std::vector<PathKey>& keys, bool loop)
{
    FsfVectorTrack track;
    track.loop = loop ? 1 : 0;
    for (size_t i = 0; i < keys.size(); ++i) {
        const Vec3 in = i > 0 ? keys[i].value - keys[i - 1].value : Vec3{0, 0, 0};
        const Vec3 out = i + 1 < keys.size() ? keys[i + 1].value - keys[i].value : Vec3{0, 0, 0};
        track.keys.push_back(MakeVectorKey(keys[i].frame, Snap(keys[i].value), Snap(in), Snap(out), keys[i].easeTo,
                                           keys[i].easeFrom));
    }
    return track;
}

FsfVectorTrack ConstantVectorTrack(Vec3 value) { return FsfVectorTrack{0, {MakeVectorKey(0, Snap(value))}}; }

FsfScalarTrack ConstantScalarTrack(float value) { return FsfScalarTrack{0, {MakeScalarKey(0, Snap(value))}}; }

FsfVectorTrack SpinTrack(float period, Vec3 turns, Vec3 start)
{
    const Vec3 end = start + Scaled(turns, 16384.0);
    return LinearVectorTrack({{0, start}, {period, end}}, true);
}

FsfVectorTrack FlipbookTrack(const std::vector<Uv>& offsets, float hold)
{
    FsfVectorTrack track;
    track.loop = 1;
    for (size_t i = 0; i <= offsets.size(); ++i) {
        const Uv o = offsets[i % offsets.size()];
        // A third component of exactly 1 holds the offset until the next key.
        track.keys.push_back(MakeVectorKey(hold * static_cast<float>(i), {o.u, o.v, 1.0f}));
    }
    return track;
}

std::vector<StepKey> StepReals(const std::vector<std::pair<float, float>>& frameValues)
{
    std::vector<StepKey> keys;
    for (const auto& [frame, value] : frameValues) keys.push_back(MakeStepReal(frame, value));
    return keys;
}

} // namespace content
