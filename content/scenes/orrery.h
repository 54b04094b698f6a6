// The fourth scene: the orrery. Brass rings, arms and spheres turn about a glowing sun above
// a bed of meshing gears; a lens on an arm shows the machine from a camera riding one of its
// moons. It draws over the show's circling star-chart tiles without clearing them, twice per
// frame: the main camera circles close, the second looks down from far above, small and
// turning, so the two views lie over each other like a diagram over the machine.
#pragma once

#include "formats/scene_writer.h"
#include "scenes/textures/texture_canvas.h"

namespace content {

constexpr int32_t kOrreryLastFrame = 300;

FsfScene BuildOrrery();

Texture MakeOrreryBrassTexture();   // BRASS.BMP: scratched brass
Texture MakeOrreryGoldTexture();    // GOLD.BMP: polished gold reflections
Texture MakeOrreryGlassTexture();   // GLASS.BMP: glints on glass, see-through elsewhere
Texture MakeOrreryPlanetTexture();  // PLANET.BMP: banded planet
Texture MakeOrreryFlareTexture();   // SUN.BMP: glow sprites

} // namespace content
