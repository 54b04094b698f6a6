// Keyframe tracks: Hermite spline tracks with stored tangents and ease values (vector, scalar
// and morph tracks), and the three plain key lists of a scene (step, linear and toggle lists).
// Every evaluation is in single precision and keeps no state between calls.
#pragma once

#include <bit>
#include <cstdint>

#include "engine/scene/math_types.h"

struct SceneObject;

// 60 bytes, the layout of a vector key in scene files.
struct VectorKey {
    float frame;
    Vec3 value;
    Vec3 inTangent;
    Vec3 outTangent;
    float tension, continuity, bias; // authoring values, carried but never read
    float easeTo;                    // ease when arriving at this key, 0..1
    float easeFrom;                  // ease when leaving this key, 0..1
};
static_assert(sizeof(VectorKey) == 60, "vector keys are 60 bytes in scene files");

// 36 bytes, the layout of a scalar key in scene files.
struct ScalarKey {
    float frame;
    float value;
    float inTangent, outTangent;
    float tension, continuity, bias;
    float easeTo, easeFrom;
};
static_assert(sizeof(ScalarKey) == 36, "scalar keys are 36 bytes in scene files");

// A scalar key whose value names a morph target. `storedValue` is the object reference as the
// file holds it; `target` is the object it resolves to after loading (null: none).
struct MorphKey {
    float frame;
    uint32_t storedValue;
    float inTangent, outTangent;
    float tension, continuity, bias;
    float easeTo, easeFrom;
    SceneObject* target;
};

// 8 bytes: a frame and a 32-bit value whose meaning (real or integer) the owning field gives.
struct StepKey {
    float frame;
    uint32_t value;
};
static_assert(sizeof(StepKey) == 8, "step keys are 8 bytes in scene files");

inline float StepReal(const StepKey& key) { return std::bit_cast<float>(key.value); }
inline uint32_t RealBits(float value) { return std::bit_cast<uint32_t>(value); }

// A spline track: keys sorted by increasing frame; `loop` non-zero repeats the key span.
template <class Key>
struct KeyTrack {
    int32_t keyCount = 0;
    int32_t loop = 0;
    Key* keys = nullptr;
};
using VectorTrack = KeyTrack<VectorKey>;
using ScalarTrack = KeyTrack<ScalarKey>;
using MorphTrack = KeyTrack<MorphKey>;

// Step keys in time order (render-mode changes, switches, flags, texture animation).
struct StepList {
    int32_t count = 0;
    StepKey* keys = nullptr;
};

// Frames in time order; each one passed flips its owner's flag.
struct ToggleList {
    int32_t count = 0;
    float* frames = nullptr;
};

// The two morph targets around a frame and the blend weight of `objectB` (0 = all objectA).
struct MorphBlend {
    SceneObject* objectA;
    SceneObject* objectB;
    float weight;
};

// Value of a vector track at `frame`; an empty track yields (1, 1, 1).
Vec3 EvalVectorTrack(float frame, const VectorTrack& track);
// Value of a scalar track at `frame`; an empty track yields 0.
float EvalScalarTrack(float frame, const ScalarTrack& track);
// Morph targets and weight at `frame`, for tracks of two or more keys (fewer: both targets
// are the only key's, or none, with weight 0).
MorphBlend EvalMorphTrack(float frame, const MorphTrack& track);

// The frame a looping track of n keys actually shows: fmod(frame, last - first) + first,
// the remainder of the frame itself with its sign. Unchanged when the key span is empty.
float LoopFrame(float frame, float firstFrame, float lastFrame);

// Index of the last key of a step list whose frame is <= `frame`, or -1 when none has passed.
int32_t StepKeyInEffect(const StepList& list, float frame);
// The value of the last key passed, or `fallback` when none has.
uint32_t StepValueAt(const StepList& list, float frame, uint32_t fallback);
// A linear list of real values read at `frame` (0 for an empty list).
float LinearListValue(const StepList& list, float frame);
// The owner's flag after the toggles passed by `frame`, starting from `initial`.
bool ToggleStateAt(const ToggleList& list, float frame, bool initial);
// Texture scrolling at `frame`: when the key in effect has a third component of exactly 1,
// its first two components as they stand; otherwise the evaluated track. An empty track
// yields (0, 0, 0).
Vec3 EvalUvTrack(float frame, const VectorTrack& track);
