// Skies, water and reflections: a night sky of stars for domes (u runs round the horizon, v
// from the horizon at 0 up to the zenith at 255), open water, and environment maps, which
// environment-mapped modes look up by the surface normal as the viewer sees it (u from left
// to right, v from down to up, the centre facing the viewer).
#pragma once

#include <cstdint>

#include "scenes/textures/texture_canvas.h"

namespace content {

struct StarSkyStyle {
    Colour horizon, zenith, star;
    int stars = 900;
    float band = 0.5f; // strength of a milky band across the sky
    uint32_t seed = 7;
};
Texture MakeStarSky(const StarSkyStyle& style);

// A polished surface's surroundings: a sky above the horizon line, ground below, a bright
// window of light up and to the left, a rim the same colour all round the edge (normals at a
// right angle to the view).
struct EnvironmentStyle {
    Colour ground, horizon, sky, highlight;
    float highlightSize = 0.35f;
    uint32_t seed = 9;
};
Texture MakeEnvironmentMap(const EnvironmentStyle& style);

// Open water seen from above: dark ripples stretched along u, glints on their crests.
struct RippleStyle {
    Colour deep, crest, glint;
    float glints = 0.5f; // how many crests catch the light, 0..1
    uint32_t seed = 11;
};
Texture MakeRippleTexture(const RippleStyle& style);

} // namespace content
