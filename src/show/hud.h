// The HUD: what a maker of the show wants to see while it plays, drawn in the border above and
// below the view (never over the picture) on a copy of each presented frame: the part and
// section, the part's clock, the scene frame and the frame's drawing time above; the last sync
// mark, how long ago it fired, and the music's order and row below. `vela --hud` shows it from
// the start; H switches it on and off.
#pragma once

#include <string>

#include "platform/video.h"

// Makes the HUD the display's frame overlay, shown from now on or not.
void InstallHud(bool shown);

// The two lines for the moment (top and bottom band), at most kHudColumns characters each.
constexpr int kHudColumns = 40;
std::string HudTopLine();
std::string HudBottomLine();

// Draws the lines into the rows of a 15- or 16-bit frame of the screen's size outside the
// view; anything else is left alone.
void DrawHud(VideoSurface* frame);
