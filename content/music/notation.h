// The note notation the modules are written in, and the writers that put it into a score.
//
// A line is a run of tokens separated by blanks; each takes the current length from the row it
// starts on:
//   w h q e s      length of what follows: whole, half, quarter, eighth, sixteenth (a bar of
//                  4/4 is 16 rows); a trailing dot makes it half as long again (q. = 6 rows)
//   :N             length of N rows
//   D5 F#4 Bb3     a note (letter, optional # or b, octave; C4 is middle C)
//   r              a rest: the sounding note is keyed off
//   _              the note before goes on for one more length
//   |              a bar line: must fall on a bar boundary (a check for the writer)
// Marks on a note: a leading > glides into it from the note before; a trailing ! plays it
// louder, ? softer, ~ with vibrato from its second row, \ fading to a quarter over its length, ' short
// (keyed off halfway).
//
// A drum grid has one character per row: x a hit, X an accent, o a ghost, . nothing; blanks
// and | are for the eye.
//
// A progression names one bar after another, separated by |; a bar with several chords splits
// evenly among them (Dm | Bb C | F/A). Chords: root, then m, 7, m7, 6, m6, sus2, sus4, add9,
// madd9, 5 or dim; /X puts X in the bass.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "music/score.h"

namespace content::music {

constexpr int kRowsPerBar = 16;

// "C4" gives 48, "A4" 57, "Bb2" 34. Throws on anything else.
int ParseNote(const std::string& token);
// The pitch class of a note name without octave ("F#" gives 6).
int ParsePitchClass(const std::string& name);
Chord ParseChord(const std::string& symbol);
// Chord spans from a progression starting at `row`, a bar being `rowsPerBar` rows.
std::vector<ChordSpan> ParseProgression(const std::string& text, int row, int rowsPerBar = kRowsPerBar);

struct LineStyle {
    uint8_t instrument = 1;
    uint8_t volume = 48;
    uint8_t vibrato = 0x34;   // 4xy for notes marked ~
    uint8_t glide = 0x18;     // 3xx speed for notes marked >
    int rowsPerBar = kRowsPerBar;
};

// Writes a line from `row` on; gives the row after its last token.
int WriteLine(Score* score, int channel, int row, const std::string& text, const LineStyle& style);

// Writes a drum grid from `row` on, `times` times over; gives the row after it.
int WriteDrums(Score* score, int channel, int row, const std::string& grid, uint8_t instrument, uint8_t volume,
               int times = 1, int note = 60);

} // namespace content::music
