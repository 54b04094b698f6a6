// Placeholder bodies until the object renderers land: nothing is drawn.
#include "engine/object_renderers.h"

void RenderObject(RendererId, SceneObject*) {}
void RenderWire(SceneObject*) {}
void RenderNomapNosha(SceneObject*) {}
void RenderNomapShade(SceneObject*) {}
void RenderNomapFlaty(SceneObject*) {}
void RenderNomapGoura(SceneObject*) {}
void RenderNomapFoggy(SceneObject*) {}
void RenderTextuNosha(SceneObject*) {}
void RenderTextuShade(SceneObject*) {}
void RenderTextuFlaty(SceneObject*) {}
void RenderTextuGoura(SceneObject*) {}
void RenderTextuFoggy(SceneObject*) {}
void RenderEnvmaNosha(SceneObject*) {}
void RenderEnvmaShade(SceneObject*) {}
void RenderEnvmaFlaty(SceneObject*) {}
void RenderEnvmaGoura(SceneObject*) {}
void RenderEnvmaFoggy(SceneObject*) {}
void RenderTargetObject(SceneObject*, uint32_t) {}
void DrawEdges(SceneObject*, int32_t) {}
void DrawLine3D(const ProjectedVertex*, const ProjectedVertex*) {}
