// The greetings of part three: fourteen names of the free projects the show is built on, each in
// a small framed treatment (a ring, stars or a banner) in warm colours on black, 24-bit, smaller
// than the view (the part centres them and draws them added, with circling ghosts).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace content {

inline constexpr int kGreetingCount = 14;

// The pack entries, in the order the part shows them.
inline constexpr std::array<const char*, kGreetingCount> kGreetingEntries = {
    "GREETING\\SDL.BMP",      "GREETING\\OPENMPT.BMP", "GREETING\\ZLIB.BMP",     "GREETING\\LIBPNG.BMP",
    "GREETING\\FREETYPE.BMP", "GREETING\\DEBIAN.BMP",  "GREETING\\GCC.BMP",      "GREETING\\CLANG.BMP",
    "GREETING\\CMAKE.BMP",    "GREETING\\NINJA.BMP",   "GREETING\\GTEST.BMP",    "GREETING\\XVFB.BMP",
    "GREETING\\GARAMOND.BMP", "GREETING\\SPARTAN.BMP",
};

// The picture of greeting `index` (0..13).
std::vector<uint8_t> MakeGreeting(int index);

} // namespace content
