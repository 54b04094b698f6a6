// Fire: flame flip-books (a grid of animation cells in one frame, stepped through by a
// texture-offset track), multi-frame fire for texture-frame animation, and flare pictures
// (four glow sprites in a 256 x 256 picture of intensities).
#pragma once

#include <cstdint>

#include "scenes/textures/texture_canvas.h"

namespace content {

// Fire colours: index 0 black (see-through for colour-keyed modes), then deep red, orange,
// amber and a pale yellow core. `heat` 0..1 moves the whole ramp from red towards white.
Palette FirePalette(float heat);

// 4 x 4 cells of 64 x 64 texels, cell k at (64 (k mod 4), 64 (k div 4)), one flame rising
// and flickering through the 16 cells and back to the first without a jump. The flame's
// base is at the bottom of its cell (high v), its tip towards v = 0 of the cell.
constexpr int kFlameCellSize = 64;
constexpr int kFlameCells = 16;
Texture MakeFlameSheet(uint32_t seed, float heat);

// `frames` frames of a wide fire (a bed of tongues across the frame), looping.
Texture MakeFireFrames(int frames, uint32_t seed, float heat);

// Four 128 x 128 glow sprites: 0 (top left) a soft round glow, 1 (top right) a four-pointed
// star, 2 (bottom left) a ring with a faint core, 3 (bottom right) a long horizontal streak.
// Texel values are intensities; the palette is a grey ramp.
Texture MakeFlarePicture(uint32_t seed);

} // namespace content
