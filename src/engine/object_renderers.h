// Object renderers: draw one visible object in one render mode. Each projects every vertex
// into engine.work, decides per face whether it is seen, works out the face's colour source
// and shading, clips faces that are not wholly on screen against the four side planes of the
// view pyramid and hands triangles to the rasterisers. They read the per-object values the
// frame pipeline prepared in `engine` (objectMatrix, eyeInObject, switches, outline mode) and
// `raster` (view, blend, colour key).
#pragma once

#include <cstdint>

#include "engine/render_modes.h"
#include "engine/scene/scene_model.h"

constexpr uint32_t kNotProjected = 0x80000000u; // sx16 of a vertex at or behind the eye

// One vertex of the object being drawn, workRecordSize bytes apart in engine.work. Records of
// 20 bytes end after sy16; 24-byte records add shadeIndex at `extra[0]`; 28-byte records add
// envU, envV at extra[0..1]; 32-byte records add envU, envV, shadeIndex at extra[0..2].
struct ProjectedVertex {
    float cx, depth, cz;  // camera space: right, forward (depth), up
    int32_t sx16, sy16;   // screen position in 1/16 pixel; sx16 = kNotProjected when depth <= 0
    float extra[3];
};

// Draws an object with the renderer of a render-mode row's renderer id.
void RenderObject(RendererId renderer, SceneObject* object);

void RenderWire(SceneObject* object);
void RenderNomapNosha(SceneObject* object);
void RenderNomapShade(SceneObject* object);
void RenderNomapFlaty(SceneObject* object);
void RenderNomapGoura(SceneObject* object);
void RenderNomapFoggy(SceneObject* object);
void RenderTextuNosha(SceneObject* object);
void RenderTextuShade(SceneObject* object);
void RenderTextuFlaty(SceneObject* object);
void RenderTextuGoura(SceneObject* object);
void RenderTextuFoggy(SceneObject* object);
void RenderEnvmaNosha(SceneObject* object);
void RenderEnvmaShade(SceneObject* object);
void RenderEnvmaFlaty(SceneObject* object);
void RenderEnvmaGoura(SceneObject* object);
void RenderEnvmaFoggy(SceneObject* object);

// Draws an object's faces with the camera texture `key` selects (key & 0xFF steps from the
// scene's first camera, wrapping); nothing when that camera has no target this frame.
void RenderTargetObject(SceneObject* object, uint32_t key);
// The outline pass: silhouette and crease edges of the object, drawn with DrawLine3D from
// the records the renderer that ran just before left in engine.work.
void DrawEdges(SceneObject* object, int32_t workRecordSize);
// An anti-aliased line between two projected vertices, cut at depth 1.0 when one end is not
// projected, depth-tested against the depth buffer (never written), brightening or darkening
// the view by engine.lineMode.
void DrawLine3D(const ProjectedVertex* a, const ProjectedVertex* b);
