// The two stills: the painted last moment of the hall of fire (24-bit, 320x180), which part two
// dissolves into and part three flashes to white, and the star-chart tile (8-bit, 320x180) that
// part four circles in four copies. The tile wraps: its left edge continues its right edge and
// its top edge its bottom one, and it has no pixel of index 0, so each copy covers what is
// beneath it.
#pragma once

#include <cstdint>
#include <vector>

namespace content {

std::vector<uint8_t> MakeHallOfFire();
std::vector<uint8_t> MakeStarChart();

} // namespace content
