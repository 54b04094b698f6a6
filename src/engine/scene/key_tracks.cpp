// Evaluation of keyframe tracks and key lists.
#include "engine/scene/key_tracks.h"

#include <cmath>

namespace {

// Segment index and eased curve parameter of a frame inside the key span.
struct Segment {
    int32_t index;
    float s;
    bool hold; // the two keys have no positive frame difference: hold the earlier key
};

template <class Key>
Segment FindSegment(float t, const Key* keys, int32_t n)
{
    int32_t i = 0;
    while (i < n - 2 && !(t <= keys[i + 1].frame)) ++i;
    const float span = keys[i + 1].frame - keys[i].frame;
    if (!(span > 0.0f)) return {i, 0.0f, true};
    const float u = (t - keys[i].frame) / span;
    float a = keys[i].easeFrom;
    float b = keys[i + 1].easeTo;
    float s = u;
    if (a + b != 0.0f && u != 0.0f && u != 1.0f) {
        const float sum = a + b;
        if (sum > 1.0f) {
            a = a / sum;
            b = b / sum;
        }
        const float k = 1.0f / (2.0f - a - b);
        if (u < a) {
            s = (k / a) * u * u;
        } else if (u < 1.0f - b) {
            s = k * (2.0f * u - a);
        } else {
            s = 1.0f - (k / b) * (1.0f - u) * (1.0f - u);
        }
    }
    return {i, s, false};
}

struct Hermite {
    float h1, h2, h3, h4;
};

Hermite HermiteBasis(float s)
{
    const float s2 = s * s;
    const float s3 = s2 * s;
    return {2.0f * s3 - 3.0f * s2 + 1.0f, 3.0f * s2 - 2.0f * s3, s3 - 2.0f * s2 + s, s3 - s2};
}

template <class Key>
float TrackFrame(float t, const KeyTrack<Key>& track)
{
    const int32_t n = track.keyCount;
    if (track.loop) return LoopFrame(t, track.keys[0].frame, track.keys[n - 1].frame);
    return t;
}

} // namespace

float LoopFrame(float frame, float firstFrame, float lastFrame)
{
    const float span = lastFrame - firstFrame;
    if (span == 0.0f || !std::isfinite(span)) return frame;
    return std::fmod(frame, span) + firstFrame;
}

Vec3 EvalVectorTrack(float frame, const VectorTrack& track)
{
    const int32_t n = track.keyCount;
    const VectorKey* k = track.keys;
    if (n <= 0 || !k) return {1.0f, 1.0f, 1.0f};
    if (n == 1) return k[0].value;
    const float t = TrackFrame(frame, track);
    if (t < k[0].frame) return k[0].value;
    if (t > k[n - 1].frame) return k[n - 1].value;
    const Segment seg = FindSegment(t, k, n);
    const VectorKey& p = k[seg.index];
    const VectorKey& q = k[seg.index + 1];
    if (seg.hold) return p.value;
    const Hermite h = HermiteBasis(seg.s);
    return {h.h1 * p.value.x + h.h2 * q.value.x + h.h3 * p.outTangent.x + h.h4 * q.inTangent.x,
            h.h1 * p.value.y + h.h2 * q.value.y + h.h3 * p.outTangent.y + h.h4 * q.inTangent.y,
            h.h1 * p.value.z + h.h2 * q.value.z + h.h3 * p.outTangent.z + h.h4 * q.inTangent.z};
}

float EvalScalarTrack(float frame, const ScalarTrack& track)
{
    const int32_t n = track.keyCount;
    const ScalarKey* k = track.keys;
    if (n <= 0 || !k) return 0.0f;
    if (n == 1) return k[0].value;
    const float t = TrackFrame(frame, track);
    if (t < k[0].frame) return k[0].value;
    if (t > k[n - 1].frame) return k[n - 1].value;
    const Segment seg = FindSegment(t, k, n);
    const ScalarKey& p = k[seg.index];
    const ScalarKey& q = k[seg.index + 1];
    if (seg.hold) return p.value;
    const Hermite h = HermiteBasis(seg.s);
    return h.h1 * p.value + h.h2 * q.value + h.h3 * p.outTangent + h.h4 * q.inTangent;
}

MorphBlend EvalMorphTrack(float frame, const MorphTrack& track)
{
    const int32_t n = track.keyCount;
    const MorphKey* k = track.keys;
    if (n <= 0 || !k) return {nullptr, nullptr, 0.0f};
    if (n == 1) return {k[0].target, k[0].target, 0.0f};
    const float t = TrackFrame(frame, track);
    if (t < k[0].frame) return {k[0].target, k[1].target, 0.0f};
    if (t > k[n - 1].frame) return {k[n - 2].target, k[n - 1].target, 1.0f};
    const Segment seg = FindSegment(t, k, n);
    const MorphKey& p = k[seg.index];
    const MorphKey& q = k[seg.index + 1];
    if (seg.hold) return {p.target, q.target, 0.0f};
    const Hermite h = HermiteBasis(seg.s);
    return {p.target, q.target, h.h2 + h.h3 * p.outTangent + h.h4 * q.inTangent};
}

int32_t StepKeyInEffect(const StepList& list, float frame)
{
    int32_t passed = -1;
    for (int32_t i = 0; i < list.count && list.keys[i].frame <= frame; ++i) passed = i;
    return passed;
}

uint32_t StepValueAt(const StepList& list, float frame, uint32_t fallback)
{
    const int32_t i = StepKeyInEffect(list, frame);
    return i < 0 ? fallback : list.keys[i].value;
}

float LinearListValue(const StepList& list, float frame)
{
    const int32_t n = list.count;
    const StepKey* k = list.keys;
    if (n <= 0 || !k) return 0.0f;
    if (n == 1 || frame <= k[0].frame) return StepReal(k[0]);
    if (frame >= k[n - 1].frame) return StepReal(k[n - 1]);
    int32_t j = 0;
    while (j < n && k[j].frame <= frame) ++j;
    if (j <= 0 || j >= n) return StepReal(k[n - 1]);
    const float v0 = StepReal(k[j - 1]);
    const float v1 = StepReal(k[j]);
    return v0 + (frame - k[j - 1].frame) * (v1 - v0) / (k[j].frame - k[j - 1].frame);
}

bool ToggleStateAt(const ToggleList& list, float frame, bool initial)
{
    bool state = initial;
    for (int32_t i = 0; i < list.count && list.frames[i] <= frame; ++i) state = !state;
    return state;
}

Vec3 EvalUvTrack(float frame, const VectorTrack& track)
{
    const int32_t n = track.keyCount;
    const VectorKey* k = track.keys;
    if (n <= 0 || !k) return {0.0f, 0.0f, 0.0f};
    float search = frame;
    if (track.loop && n > 1) search = LoopFrame(frame, k[0].frame, k[n - 1].frame);
    int32_t inEffect = 0;
    for (int32_t i = 0; i < n && k[i].frame <= search; ++i) inEffect = i;
    if (k[inEffect].value.z == 1.0f) return {k[inEffect].value.x, k[inEffect].value.y, 1.0f};
    return EvalVectorTrack(frame, track);
}
