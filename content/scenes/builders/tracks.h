// Key tracks for the scenes: smooth paths through keys (tangents that keep the speed steady
// through each key, eases to start and stop gently), straight and constant tracks, spins, and
// the held keys that step a texture through the cells of a flip-book.
#pragma once

#include <vector>

#include "formats/scene_writer.h"
#include "scenes/builders/mesh.h"

namespace content {

struct PathKey {
    float frame = 0;
    Vec3 value{0, 0, 0};
    float easeTo = 0;   // 0..1: slow down when arriving at this key
    float easeFrom = 0; // 0..1: start slowly when leaving it
};

// A curve through every key (Catmull-Rom tangents scaled for uneven key spacing, so the
// speed does not jump at a key). A looping track's last key must repeat its first; its
// tangents then wrap round.
FsfVectorTrack SmoothVectorTrack(const std::vector<PathKey>& keys, bool loop = false);

struct ScalarPathKey {
    float frame = 0;
    float value = 0;
    float easeTo = 0, easeFrom = 0;
};
FsfScalarTrack SmoothScalarTrack(const std::vector<ScalarPathKey>& keys, bool loop = false);

// Straight segments between the keys (the speed changes at keys).
FsfVectorTrack LinearVectorTrack(const std::vector<PathKey>& keys, bool loop = false);

FsfVectorTrack ConstantVectorTrack(Vec3 value);
FsfScalarTrack ConstantScalarTrack(float value);

// A rotation track turning steadily: `turns` (per axis: heading, roll, pitch, in whole or
// part turns) every `period` frames, looping, from the angles `start` (engine units).
FsfVectorTrack SpinTrack(float period, Vec3 turns, Vec3 start = {0, 0, 0});

// A looping texture offset that holds each offset (u, v in texels) for `hold` frames, in
// order, and repeats the first at the end so that the loop closes.
FsfVectorTrack FlipbookTrack(const std::vector<Uv>& offsets, float hold);

// Step lists.
std::vector<StepKey> StepReals(const std::vector<std::pair<float, float>>& frameValues);

} // namespace content
