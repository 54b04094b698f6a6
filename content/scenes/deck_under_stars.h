// The third scene: the open deck under the stars. A three-masted ship rolls gently on a dark
// sea under a turning sky; its rigging is drawn as lines, its hull and rails catch a bright
// outline, lanterns burn on deck and aloft, the constellation of the Sails is drawn among the
// stars. The camera flies round the ship, walks the deck, climbs the mast and settles under
// the sky for the greetings, keeping the middle of the view open.
#pragma once

#include "formats/scene_writer.h"
#include "scenes/textures/texture_canvas.h"

namespace content {

constexpr int32_t kDeckUnderStarsLastFrame = 920;

FsfScene BuildDeckUnderStars();

Texture MakeDeckWoodTexture();   // DECK.BMP: planks
Texture MakeDeckHullTexture();   // HULL.BMP: painted strakes with a gilded band
Texture MakeDeckMastTexture();   // MAST.BMP: spars
Texture MakeDeckClothTexture();  // CLOTH.BMP: furled sails
Texture MakeDeckSkyTexture();    // STARS.BMP
Texture MakeDeckSeaTexture();    // SEA.BMP
Texture MakeDeckFoamTexture();   // FOAM.BMP: the wake, with see-through gaps
Texture MakeDeckFlameTexture();  // FLAMES.BMP
Texture MakeDeckGlassTexture();  // GLASS.BMP: glints on lantern glass, see-through elsewhere

} // namespace content
