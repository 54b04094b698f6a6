// Musical checks over a score: notes outside the key and the chord, semitone clashes between
// parts on the beats, notes outside a part's range. Each gives one readable line per fault.
#pragma once

#include <string>
#include <vector>

#include "music/score.h"

namespace content::music {

// A pitched note as it sounds: from its row until the channel's next note, key off or cut.
struct SoundingNote {
    int channel = 0;
    int row = 0;
    int endRow = 0;
    int note = 0; // 0 = C-0
};

std::vector<SoundingNote> FindSoundingNotes(const Score& score);

// Notes whose pitch class is neither in the key nor in the chord sounding where they start.
std::vector<std::string> FindNotesOutsideHarmony(const Score& score);
// Pairs of notes in different channels a semitone apart (or a semitone plus octaves, major
// sevenths included) that sound together on a beat.
std::vector<std::string> FindClashes(const Score& score);
// Notes outside their channel's range.
std::vector<std::string> FindNotesOutOfRange(const Score& score);

} // namespace content::music
