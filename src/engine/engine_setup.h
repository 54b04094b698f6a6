// Engine set-up and release for one scene: output geometry, row tables, field of view, the
// engine's tables and buffers, and which scene they were made for.
#pragma once

#include <cstdint>

#include "engine/scene/scene_model.h"

// The scene EngineInit prepares and EngineRelease releases, null for none. Loading a scene
// does not change it: LoadEngineScene sets it and FreeEngineScene clears it.
void SetEngineScene(Scene* scene);
Scene* EngineScene();

// LoadScene, and the scene becomes the current one when it was read: 0, or 7 with the partly
// built scene. On 1 the current scene stays as it was.
int32_t LoadEngineScene(Scene* scene, const char* name);
// EngineRelease, then FreeScene; `scene` stops being the current one if it was. Safe on an
// empty scene.
void FreeEngineScene(Scene* scene);

// Sets the engine up for the current scene at the given output size and depth: 0 or an
// engine error code. Fails with 4 for a height above 1024 (or a size below 1, or a width
// beyond kMaxViewWidth) and 3 for a depth other than 15 and 16.
int32_t EngineInit(int32_t width, int32_t height, int32_t bitsPerPixel);
// Sets width, height, their reals, the clip bounds (x 16) and the projection centre.
void SetViewGeometry(int32_t width, int32_t height);
// Sets the pitches and row tables of a width x height view of 32-bit depths and 16-bit
// colours, packed row after row; rows from height on point at row 0. Height at most 1024.
void SetViewRows(int32_t width, int32_t height);
// Caches field-of-view angle a (1..4095): its cosine and sine, the focal length for the view's
// width, and the vertical half angle from the view's height.
void SetFieldOfView(int32_t a);
// Releases every material table and flare picture of the current scene and the engine's
// buffers; camera and light become none. Safe when some items were never built.
void EngineRelease();
