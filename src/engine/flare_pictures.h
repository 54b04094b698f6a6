// The built-in flare picture.
#pragma once

#include <cstdint>

// The built-in 256x256 flare picture: four 128x128 glow sprites, one per quarter.
const uint8_t* BuiltInFlarePicture();
