// The second scene: the hall of fire below deck. A long vaulted hall of brick with two rows
// of carved pillars, a torch on each pillar, five braziers down the middle and a great hearth
// at the far end. Out of the dark the torches catch one by one; the camera wanders, circles
// the braziers, rises among the pillars, sweeps through the full fire and settles on a still
// view down the hall to the hearth, which the show dissolves into a painted picture.
#pragma once

#include "formats/scene_writer.h"
#include "scenes/textures/texture_canvas.h"

namespace content {

constexpr int32_t kHallOfFireLastFrame = 1700;

FsfScene BuildHallOfFire();

Texture MakeHallBrickTexture();   // BRICK.BMP
Texture MakeHallPillarTexture();  // PILLAR.BMP: carved bands and flutes
Texture MakeHallFloorTexture();   // FLOOR.BMP: flagstones
Texture MakeHallFlameTexture();   // FLAMES.BMP: torch and brazier flames
Texture MakeHallFireTexture();    // FIRE.BMP: eight frames of the hearth fire
Texture MakeHallShadowTexture();  // SHADOW.BMP: a soft round shadow
Texture MakeHallMetalTexture();   // BRASS.BMP: the emblem's polished brass
Texture MakeHallFlareTexture();   // FLARE.BMP: glow sprites

} // namespace content
