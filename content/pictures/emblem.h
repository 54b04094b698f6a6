// The show's emblem: a sail inside an eight-pointed star, as on a compass rose. One drawing at
// any size, for the loading screen and its turning animation, the end card and the desktop icon.
#pragma once

#include "common/canvas.h"

namespace content {

// Draws the emblem over the canvas, centred at `centre`, the star's long points reaching
// `radius` pixels. The star is turned clockwise by `turn` (in whole turns; it looks the same
// every quarter turn), the sail in its medallion stays upright.
void DrawEmblem(Canvas* canvas, Point centre, float radius, float turn);

} // namespace content
