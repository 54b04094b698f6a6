// The ship of the last two scenes: a three-master with its deck at z = 0 from the stern
// (y = -140) to the bow (y = 165), 76 wide amidships, the waterline 14 below the deck and
// bulwarks 6 above it. Its hull, deck and spars are shared; each scene rigs and dresses it.
#pragma once

#include "scenes/builders/mesh.h"

namespace content {

constexpr float kShipStern = -140;
constexpr float kShipBow = 165;
constexpr float kShipWaterline = -14;
constexpr float kShipBulwark = 6;
constexpr float kShipMastY[3] = {-62, 18, 92};
constexpr float kShipMastHeight[3] = {150, 195, 170};
// Yards on each mast, from the lowest: height as a share of the mast and half length.
constexpr int kShipYards = 3;
float ShipYardHeight(int mast, int yard);
float ShipYardHalfLength(int mast, int yard);

// Half the ship's width at station y.
double ShipHalfBeam(double y);

// The hull's sides from below the waterline up to the bulwark's top, outside and (above the
// deck) inside, and the flat transom at the stern. Texture: strakes along u, v down the side
// at 8 texels a unit.
Mesh MakeShipHull();
// The deck inside the bulwarks, planks along the ship.
Mesh MakeShipDeck();
// A tapering mast with its yards (the mast's foot at the origin), grain along the spars.
Mesh MakeShipMast(int mast);
// The rigging: shrouds from each masthead to both rails and stays forward to the next mast
// and the bowsprit, as solid cords of `thickness` (two thin strips crossed along each rope, so
// it shows from every side), to be lit and coloured like the rest of the ship.
Mesh MakeShipRopes(float thickness);
// The bowsprit, its foot at the bow.
Mesh MakeShipBowsprit();

} // namespace content
