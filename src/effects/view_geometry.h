// The size of the view the full-view effects work on.
#pragma once

#include <cstddef>

#include "sequencer/state/sequencer_state.h"

// sequencer.viewHeight x sequencer.screenWidth, or 0 when either is not positive.
inline size_t ViewPixelCount()
{
    if (sequencer.viewHeight <= 0 || sequencer.screenWidth <= 0) return 0;
    return static_cast<size_t>(sequencer.viewHeight) * static_cast<size_t>(sequencer.screenWidth);
}
