// The opening scene: a harbour temple at night. Stairs rise from still water to a marble
// platform between two colonnades, lamps burn between the columns, a triple arch closes the
// far end; the camera glides in from the water and through the hall, keeping the middle of
// the view dark and calm for the credits.
#pragma once

#include "formats/scene_writer.h"
#include "scenes/textures/texture_canvas.h"

namespace content {

constexpr int32_t kHarbourTempleLastFrame = 600;

FsfScene BuildHarbourTemple();

// The pictures the scene names, stored beside it.
Texture MakeTempleStoneTexture();  // STONE.BMP: dressed blocks
Texture MakeTempleFloorTexture();  // FLOOR.BMP: marble tiles
Texture MakeTempleColumnTexture(); // COLUMN.BMP: fluted pale stone
Texture MakeTempleWaterTexture();  // WATER.BMP: the moon's path on the water
Texture MakeTempleSkyTexture();    // SKY.BMP: stars over the harbour
Texture MakeTempleFlameTexture();  // FLAMES.BMP: lamp flames
Texture MakeTempleFlareTexture();  // MOON.BMP: the moon's halo and the lighthouse star

} // namespace content
