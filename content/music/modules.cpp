#include "music/modules.h"

namespace content::music {

std::vector<uint8_t> MakeModuleBytes(const Score& score) { return WriteXm(ScoreToModule(score)); }

} // namespace content::music
