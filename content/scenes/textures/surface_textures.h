// Textures of built surfaces: dressed stone and brick in courses, marble floor tiles, wood
// planks, scratched brass and sailcloth. Each is one tileable 256 x 256 frame whose palette is
// a ramp (or two) from the dark to the lit colour of the material, so the engine's shading
// tables keep its hue at every light level.
#pragma once

#include <cstdint>

#include "scenes/textures/texture_canvas.h"

namespace content {

// Blocks laid in courses with mortar joints; alternate courses are offset by half a block.
struct BlockStyle {
    int courses = 4;         // courses per tile height (a divisor of 256)
    int blocksPerCourse = 2; // blocks per tile width
    float joint = 2.5f;      // joint half-width, texels
    float jitter = 0.2f;     // joint positions move by up to this share of a block
    float toneSpread = 0.25f;
    float grain = 0.45f;     // surface noise weight
    int grainCells = 16;
    Colour stoneDark, stoneLight, jointDark, jointLight;
    uint32_t seed = 1;
};
Texture MakeBlockTexture(const BlockStyle& style);

// Polished stone tiles in a checker of two marbles, with veins and thin grout lines.
struct MarbleStyle {
    int tiles = 2;           // tiles across the texture
    float grout = 1.5f;      // grout half-width, texels
    Colour darkLow, darkHigh, lightLow, lightHigh;
    uint32_t seed = 2;
};
Texture MakeMarbleTexture(const MarbleStyle& style);

// Planks running along u, `planks` across the texture, with grain, gaps and butt joints.
struct WoodStyle {
    int planks = 4;
    Colour dark, light;
    uint32_t seed = 3;
};
Texture MakeWoodTexture(const WoodStyle& style);

// Brushed and scratched metal.
struct MetalStyle {
    Colour dark, light;
    int scratches = 180;
    uint32_t seed = 4;
};
Texture MakeMetalTexture(const MetalStyle& style);

// Sailcloth: woven panels with seams every 64 texels along v.
struct ClothStyle {
    Colour dark, light;
    uint32_t seed = 5;
};
Texture MakeClothTexture(const ClothStyle& style);

} // namespace content
