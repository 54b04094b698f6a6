// The night sky that several pictures share: scattered stars with a soft halo, and the stick
// figure of the constellation of the Sails.
#pragma once

#include <cstdint>
#include <vector>

#include "common/canvas.h"

namespace content {

struct Star {
    Point at;
    float brightness; // 0..1
};

// `count` stars scattered over width x height, most of them faint, from `seed`.
std::vector<Star> ScatterStars(int width, int height, int count, uint32_t seed);

// Adds the stars to the canvas as light: a sharp point of `colour` with a small blurred halo for
// the brighter ones. With `wrap` every star is also drawn one tile away in each direction, so a
// tile's edges meet.
void PaintStars(Canvas* canvas, const std::vector<Star>& stars, Rgb colour, float gain, bool wrap);

// The constellation of the Sails fitted into the box (left, top, width, height): its stars (with
// their brightness) and the lines between them as pairs of star indices.
struct Constellation {
    std::vector<Star> stars;
    std::vector<std::pair<int, int>> lines;
};
Constellation SailsConstellation(float left, float top, float width, float height);

} // namespace content
