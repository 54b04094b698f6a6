// The loading screen of part two: the title picture (8-bit, 320x180, no pixel of index 0, so it
// covers the view wholly each time it is drawn) and the six frames of the turning emblem drawn
// added at its bottom-right corner (24-bit, black around the emblem).
#pragma once

#include <cstdint>
#include <vector>

namespace content {

// Side of a square animation frame, in pixels.
inline constexpr int kLoadingFrameSize = 48;
// The corner where the frames are drawn stays dark in the title picture.
std::vector<uint8_t> MakeLoadingScreen();
// Frame 0..5: the star a twenty-fourth of a turn further each frame, so six frames make a
// quarter turn and the loop closes.
std::vector<uint8_t> MakeLoadingFrame(int frame);

} // namespace content
