// The show's three modules, composed in code: each Compose function gives the score (rows,
// instruments, marks and the harmony the checks read); Make turns it into XM bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "music/score.h"

namespace content::music {

// The opening: D minor, 120 BPM; a start mark, six cue marks on phrase starts, then a loading
// groove with a mark 2 on every beat that the module loops back to.
Score ComposeOpening();
// The hall of fire: E Phrygian; every beat lasts 23 ticks at 125 BPM and each six-bar section
// 553 ticks (11.06 s), so the calibration marks that open every other section lie 1106 clock
// units apart.
Score ComposeHallOfFire();
// The deck under the stars and the voyage's end: F major turning to D minor, 125 BPM.
Score ComposeStarDeck();

std::vector<uint8_t> MakeModuleBytes(const Score& score);

// The sync mark values the show reads.
constexpr uint8_t kStartMark = 255;
constexpr uint8_t kCueMark = 1;
constexpr uint8_t kLoadingMark = 2;
constexpr uint8_t kCalibrationMark = 3;

} // namespace content::music
