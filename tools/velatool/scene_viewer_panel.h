// The scene viewer's panel in Dear ImGui: play and pause, frame steps, the timeline, camera,
// overlay, fill, wireframe, the objects with their render modes and a box to hide each, the
// drawing time and the last reload's outcome. Called between BeginViewerFrame and
// EndViewerFrame.
#pragma once

#include "engine/scene/scene_model.h"
#include "velatool/scene_viewer_state.h"

// Draws the panel for `scene` (null while none is loaded) and applies what the user did to it.
void DrawViewerPanel(const char* sceneName, const Scene* scene, ViewerState* state);
