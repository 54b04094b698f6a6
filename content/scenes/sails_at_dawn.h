// The fifth scene, the finale: the sails at dawn. The ship of the night before sails into
// the sunrise; its great translucent sails fill with the wind as the sky turns from violet to
// rose and gold, the last stars go out, gulls circle, and the camera rises behind the ship
// towards the sun, leading into the closing pictures.
#pragma once

#include "formats/scene_writer.h"
#include "scenes/textures/texture_canvas.h"

namespace content {

// The part plays the scene to this frame (40 s); the last module's length follows from it.
constexpr int32_t kSailsAtDawnLastFrame = 400;

FsfScene BuildSailsAtDawn();

Texture MakeDawnSailTexture();    // SAIL.BMP: sailcloth with seams
Texture MakeDawnWoodTexture();    // DECK.BMP
Texture MakeDawnHullTexture();    // HULL.BMP
Texture MakeDawnMastTexture();    // MAST.BMP
Texture MakeDawnSeaTexture();     // SEA.BMP: the sky's colours on the water, seen by its normals
Texture MakeDawnGlowTexture();    // GLOW.BMP: the glow along the horizon
Texture MakeDawnCloudTexture();   // CLOUD.BMP: long clouds, see-through between
Texture MakeDawnShadowTexture();  // SHADOW.BMP: the sails' soft shadow
Texture MakeDawnSunTexture();     // SUN.BMP: glow sprites

} // namespace content
