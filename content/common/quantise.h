// Reduces a colour picture to an 8-bit picture with its own palette, for the show's indexed
// pictures (which fade through palettes built from theirs).
#pragma once

#include "common/images.h"

namespace content {

struct IndexedPicture {
    Image8 image;
    Palette palette;
};

// Median cut over the picture's colours into at most 256 - firstIndex palette entries placed
// from index firstIndex on (entries below it stay black and unused), then each pixel takes its
// nearest entry. Entries are set to levels the display shows exactly (5-6-5). With firstIndex 1 no pixel uses index 0, which the show draws as transparent,
// so the picture covers everything beneath it.
IndexedPicture QuantisePicture(const ImageRgb& picture, int firstIndex);

} // namespace content
