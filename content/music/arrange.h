// Parts written from a chord progression: sustained voicings that move as little as they can,
// arpeggios, bass lines; and the helpers around them (echo of a line, volume slides, the
// harmony record the checks read).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "music/score.h"

namespace content::music {

// Records the chords of a passage for the checks (spans must come in order).
void AddHarmony(Score* score, const std::vector<ChordSpan>& spans);

// The chord sounding at `row` among `spans` (the last span that starts at or before it).
const Chord& ChordAt(const std::vector<ChordSpan>& spans, int row);

// One note per voice for a chord, between `lowest` and `highest`, moving as little as possible
// from `previous` (empty: centred in the range). Adjacent voices lie 3 to 9 semitones apart;
// the third (or suspended tone) and the root come first when there are fewer voices than tones.
std::vector<int> VoiceChord(const Chord& chord, int voices, int lowest, int highest, const std::vector<int>& previous);

// Sustained chords on one channel per voice from `spans` until `endRow`, where they are keyed
// off. A voice that keeps its note is not struck again.
void WritePads(Score* score, const std::vector<int>& channels, const std::vector<ChordSpan>& spans, int endRow,
               uint8_t instrument, int lowest, int highest, uint8_t volume);

// An arpeggio over each chord's tones from `lowest` up to `highest`: `pattern` holds indices
// into those tones (0 the lowest) or . for a step left out, one per step of `stepRows`;
// `accents` gives, per step, + for louder, - for softer, anything else plain.
void WriteArpeggio(Score* score, int channel, const std::vector<ChordSpan>& spans, int fromRow, int endRow,
                   const std::string& pattern, int stepRows, int lowest, int highest, uint8_t instrument, uint8_t volume,
                   const std::string& accents = "");

// A bass line: `rhythm` has one character per row of a bar, repeated: R the chord's bass note,
// 5 its fifth above the root, 8 the root an octave up, 3 the third, . hold, - key off, and a
// blank or | for the eye. The bass note is the lowest with its pitch class at or above `lowest`.
void WriteBassLine(Score* score, int channel, const std::vector<ChordSpan>& spans, int fromRow, int endRow,
                   const std::string& rhythm, int lowest, uint8_t instrument, uint8_t volume);

// Copies the notes of `from` between the rows onto `to`, `delay` rows later and at
// `percent` of their volume; an echo still sounding when the chord changes is keyed off there
// unless its note belongs to the new chord.
void WriteEcho(Score* score, int from, int to, int fromRow, int endRow, int delay, int percent,
               const std::vector<ChordSpan>& spans);

// A gradual change of a channel's volume by `change` units (either sign) spread evenly over the
// rows, as fine volume slides (effects EAx and EBx) in free effect columns.
void WriteVolumeSlide(Score* score, int channel, int fromRow, int endRow, int change);

// Strikes again, at `row`, the note each channel holds there, so that a loop landing on `row`
// hears the right notes and not the ones left over from the end of the pass.
void RestrikeAt(Score* score, const std::vector<int>& channels, int row);

// Keys off the channel at `row` (when nothing else is written there).
void KeyOff(Score* score, int channel, int row);

} // namespace content::music
