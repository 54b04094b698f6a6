// What a looping show leaves behind pass after pass: the memory pool's level at the start and
// end of every pass, and the two flame re-phasing counters at its end (the whole-show tests and
// `vela --timings` read them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

void NotePassStart();
void NotePassEnd();
const std::vector<size_t>& PoolAtPassStarts();
const std::vector<size_t>& PoolAtPassEnds();
// The process's resident memory at the end of each pass, in bytes (0 where it cannot be read).
const std::vector<size_t>& ResidentAtPassEnds();
// Parts two's and three's flame re-phasing counters at the end of each pass.
const std::vector<std::pair<int32_t, int32_t>>& FlamePhasesAtPassEnds();
