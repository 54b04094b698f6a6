// Triangle set-up and edge walking shared by every rasteriser: vertex sort, attribute
// gradients, exact 28.4 edges with the top-left rule, left-edge attribute stepping, and the
// clip of rows and columns to the current view. Internal to the rasterisers.
#pragma once

#include <cstdint>

#include "engine/raster/span_routines.h"

// A vertex as the walker sees it: 1/16-pixel position, 1/depth, then u, v and ramp index
// (16.16 reals; u/depth and v/depth for the perspective fills; 0 when the fill has none).
struct WalkVertex {
    int32_t x16, y16;
    float iz, u, v, i;
};

// Fills one triangle with `routine`; `k` receives the per-pixel steps before the first span.
// `perspective` also interpolates 1/depth, u/depth and v/depth as reals for the spans.
void WalkTriangle(const WalkVertex* vertices, SpanRoutine routine, SpanConstants& k, bool perspective);
