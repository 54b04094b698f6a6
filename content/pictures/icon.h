// The desktop icon: the emblem alone on a transparent background.
#pragma once

#include <cstdint>
#include <vector>

namespace content {

// size x size pixels of red, green, blue and straight alpha, top row first.
std::vector<uint8_t> DrawIcon(int size);

} // namespace content
