// The drawing benchmark's scene loaded for drawing, for the benchmarks that draw it.
#pragma once

#include <cstdint>

#include "engine/scene/scene_model.h"

// Writes the scene into <temp>/vela-bench-scene, reserves a 64 MiB pool and loads the scene for
// drawing at width x height in `depth` bits. False, with everything released, when a step fails.
bool OpenBenchScene(Scene* scene, int32_t width, int32_t height, int32_t depth);
// Frees the scene and the pool again.
void CloseBenchScene(Scene* scene);
