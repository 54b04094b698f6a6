// Placeholder bodies until the frame pipeline lands: the view is cleared to black.
#include "engine/frame_pipeline.h"

#include <cstring>

void RenderView(float, uint8_t* colourBase, SceneCamera*)
{
    if (!colourBase) return;
    for (int32_t y = 0; y < engine.height; ++y) {
        std::memset(colourBase + engine.colourRows[y], 0, static_cast<size_t>(engine.width) * 2);
    }
}
void RenderScene(float frame, uint8_t* colourBase, SceneCamera* cameraOverride)
{
    RenderView(frame, colourBase, cameraOverride);
}
const NodeTransform* NodeTransformOfObject(SceneObject*) { return nullptr; }
