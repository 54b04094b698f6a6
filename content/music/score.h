// A module as the composer writes it: one long run of rows (no pattern boundaries yet), each
// with its length in ticks, its cells per channel and its sync marks; where patterns begin and
// where the module loops back to; the instruments; and the musical facts the checks read (key,
// chords, what each channel plays). ScoreToModule cuts it into XM patterns and orders.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/xm_writer.h"

namespace content::music {

constexpr uint8_t kKeyOff = 97;

// What a channel carries, for the checks: pitched notes, drums, or nothing that sounds.
enum class ChannelRole { Pitched, Percussion };

struct ChannelInfo {
    std::string name;
    ChannelRole role = ChannelRole::Pitched;
    int lowest = 0;   // note range the part keeps to (XM note indices, 0 = C-0)
    int highest = 95;
    int panning = -1; // 0 (left) .. 255 (right) set with each struck note; -1: the sample's own
};

// A chord as pitch classes (0 = C), with its root and the bass note under it.
struct Chord {
    std::string symbol;
    int root = 0;
    int bass = 0;
    std::vector<int> tones; // pitch classes, root first
};

struct ChordSpan {
    int row = 0; // first row; it lasts until the next span
    Chord chord;
};

struct Score {
    std::string title;
    int bpm = 125;
    std::vector<ChannelInfo> channels;
    std::vector<uint8_t> ticks;                // per row
    std::vector<XmCell> cells;                 // rows x channels
    std::vector<std::vector<uint8_t>> marks;   // per row
    std::vector<int> patternStarts;            // rows where a pattern begins, rising, first 0
    int restartRow = 0;                        // where a pass ends by starting again
    std::vector<XmInstrument> instruments;
    // Musical facts.
    std::vector<int> scale;                    // pitch classes of the key
    std::vector<ChordSpan> chords;
    int rowsPerBeat = 4;
    int beatStartRow = 0;                      // the first row of the first beat
};

int RowCount(const Score& score);
int ChannelCount(const Score& score);
// Adds `rows` rows lasting `ticks` each; gives the first new row.
int AppendRows(Score* score, int rows, uint8_t ticks);
XmCell& CellAt(Score* score, int row, int channel);
const XmCell& CellAt(const Score& score, int row, int channel);
// Adds an instrument; gives its XM number (1-based), as cells name it.
uint8_t AddInstrument(Score* score, XmInstrument instrument);
void StartPattern(Score* score, int row);
void PutMark(Score* score, int row, uint8_t value);
// Ticks from the start of the module to the start of `row`.
int64_t RowTicks(const Score& score, int row);

// The XM module: patterns cut at the pattern starts (identical ones shared), the speed set
// wherever a row's length changes and at the loop-back row, each mark as effect W in a free
// effect column, and a channel's panning (effect 8) beside each note that strikes an instrument
// where the effect column is free. Throws when a row has no free column for what it needs, a pattern would pass
// 256 rows, or the loop-back row starts no pattern.
XmModule ScoreToModule(const Score& score);

} // namespace content::music
