// The closing pictures of part four, 8-bit, 320x180, shown one after another, added over black:
// the ship's wake at dawn, the constellation of the Sails, and the end card.
#pragma once

#include <cstdint>
#include <vector>

namespace content {

std::vector<uint8_t> MakeWakeAtDawn();
std::vector<uint8_t> MakeSailsConstellation();
std::vector<uint8_t> MakeEndCard();

} // namespace content
