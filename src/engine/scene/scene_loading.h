// Internal to scene loading: the state a load assembles and the steps after the chunk walk.
#pragma once

#include <cstdint>

#include "engine/scene/scene_model.h"

struct SceneLoadState {
    Scene scene{};
    uint32_t version = 0; // file version from chunk 0xff
    int32_t error = 0;    // 0 or 7 while the chunks are read
};

// Reference resolution, face normals, morph targets and per-object render preparation.
// 0, or 7 when an allocation failed (the rest of the preparation is then skipped).
int32_t PostProcessScene(SceneLoadState& state);

// Prepares one object for a render mode: camera-texture targets and vertex normals.
// False when an allocation failed.
bool PrepareObjectForMode(Scene& scene, SceneObject& object, int32_t mode);

// Computes an object's unit vertex normals from its face normals, replacing any earlier ones.
// False when the allocation failed.
bool BuildVertexNormals(SceneObject& object);
