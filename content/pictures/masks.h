// The transition masks: one byte per view pixel (320x180, grey palette) saying how early that
// pixel turns in a transition, low values first. Each spreads over the whole 0..255 range so a
// transition uses all of its length.
#pragma once

#include <cstdint>
#include <vector>

namespace content {

std::vector<uint8_t> MakeSandMask();   // fine grain: the picture sparkles in
std::vector<uint8_t> MakeLineMask();   // diagonal lines that sweep across one after another
std::vector<uint8_t> MakeRoundMask();  // from the centre outward, with a ragged edge
std::vector<uint8_t> MakeSimpleMask(); // a soft sweep from left to right

} // namespace content
