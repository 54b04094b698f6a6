// Skies, water and reflections: a night sky of stars, a dawn sky with clouds (both for domes: u runs
// round the horizon, v from the horizon at 0 up to the zenith at 255), and environment maps,
// which environment-mapped modes look up by the surface normal as the viewer sees it
// (u from left to right, v from down to up, the centre facing the viewer).
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

struct DawnSkyStyle {
    Colour zenith, high, low, horizon, sun;
    float clouds = 0.6f;
    uint32_t seed = 8;
};
Texture MakeDawnSky(const DawnSkyStyle& style);

// A polished surface's surroundings: a sky above the horizon line, ground below, a bright
// window of light up and to the left, a rim the same colour all round the edge (normals at a
// right angle to the view).
struct EnvironmentStyle {
    Colour ground, horizon, sky, highlight;
    float highlightSize = 0.35f;
    uint32_t seed = 9;
};
Texture MakeEnvironmentMap(const EnvironmentStyle& style);

// Still water at night seen by normals near the view's up axis: a path of broken light down
// the middle (the moon's), dark blue beside it; rows near v = 0 and v = 255 agree, so the
// wrap at a normal straight along the view's up axis does not show.
struct WaterStyle {
    Colour deep, shallow, glint;
    uint32_t seed = 10;
};
Texture MakeWaterMap(const WaterStyle& style);

// Open water seen from above: dark ripples stretched along u, glints on their crests.
struct RippleStyle {
    Colour deep, crest, glint;
    float glints = 0.5f; // how many crests catch the light, 0..1
    uint32_t seed = 11;
};
Texture MakeRippleTexture(const RippleStyle& style);

} // namespace content
