// Loading and releasing FSF scene files, and the scene error table.
#pragma once

#include <cstdint>

#include "engine/scene/scene_model.h"

enum SceneErrorCode : int32_t {
    kSceneOk = 0,
    kSceneFileError = 1,   // missing, unreadable or malformed file
    kSceneMemoryError = 7, // an allocation failed; the partly built scene is handed back
};
constexpr int32_t kSceneErrorCount = 12;

// Reads the FSF file `name` (an archive path such as "SCENES\Plan_1\PLAN1.FSF") into `scene`:
// 0, 1 or 7. On 1 nothing stays allocated and `scene` is left as it was; on 7 the partly
// built scene is handed back for FreeScene. The engine's state is left alone: the engine's
// LoadEngineScene also makes the scene the one it sets up.
int32_t LoadScene(Scene* scene, const char* name);

// Releases everything the load built, and any table or picture the engine's set-up still has
// hung on a material or flare, and empties the lists. Safe on an empty scene.
void FreeScene(Scene* scene);

// Returns the drawing tables and texture frames hung on a material to the pool and clears
// them (and the frame count). Safe when none were built.
void FreeMaterialTables(Material* material);

// Message of a scene error code; codes outside the table give the text of code 1.
const char* SceneErrorText(int32_t code);

// The first object named exactly `name`, or null.
SceneObject* FindSceneObject(const Scene& scene, const char* name);

// Resolves a stored object reference: -1 is none; before file version 0x610 the value is an
// object number (the first object carrying it); from 0x610 on the low 24 bits are the number
// and the high 8 bits, a signed count k, pick the (k+1)-th object carrying it.
SceneObject* ResolveObjectReference(SceneObject* objects, uint32_t value, uint32_t version);

// Float to integer by truncation, with values outside the 32-bit range (and NaN) giving
// INT32_MIN instead of undefined behaviour.
int32_t TruncateToInt(float value);
