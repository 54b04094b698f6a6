#include "music/score_checks.h"

#include <algorithm>

namespace content::music {

namespace {

std::string NoteName(int note)
{
    static const char* kNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    return std::string(kNames[note % 12]) + std::to_string(note / 12);
}

std::string Where(const Score& score, int row, int channel)
{
    return score.title + " row " + std::to_string(row) + " (" + score.channels[static_cast<size_t>(channel)].name + ")";
}

bool Contains(const std::vector<int>& set, int pc) { return std::find(set.begin(), set.end(), pc) != set.end(); }

} // namespace

std::vector<SoundingNote> FindSoundingNotes(const Score& score)
{
    std::vector<SoundingNote> notes;
    const int rows = RowCount(score);
    for (int ch = 0; ch < ChannelCount(score); ++ch) {
        if (score.channels[static_cast<size_t>(ch)].role != ChannelRole::Pitched) continue;
        SoundingNote current;
        bool open = false;
        auto close = [&](int row) {
            if (open) {
                current.endRow = row;
                notes.push_back(current);
            }
            open = false;
        };
        for (int row = 0; row < rows; ++row) {
            const XmCell& c = CellAt(score, row, ch);
            const bool cut = c.note == kKeyOff || c.volume == 0x10 || (c.effect == 0x0E && (c.param >> 4) == 0x0C);
            if (c.note && c.note != kKeyOff && c.effect != 0x03) {
                close(row);
                current = SoundingNote{ch, row, row, c.note - 1};
                open = true;
            } else if (c.note && c.note != kKeyOff && c.effect == 0x03) {
                // A glide: the old note ends here and the new one sounds from here on.
                close(row);
                current = SoundingNote{ch, row, row, c.note - 1};
                open = true;
            } else if (cut) {
                close(row);
            }
        }
        close(rows);
    }
    return notes;
}

std::vector<std::string> FindNotesOutsideHarmony(const Score& score)
{
    std::vector<std::string> faults;
    for (const SoundingNote& n : FindSoundingNotes(score)) {
        const int pc = n.note % 12;
        if (Contains(score.scale, pc)) continue;
        const ChordSpan* span = nullptr;
        for (const ChordSpan& s : score.chords) {
            if (s.row <= n.row) span = &s;
        }
        if (span && Contains(span->chord.tones, pc)) continue;
        faults.push_back(Where(score, n.row, n.channel) + ": " + NoteName(n.note) + " is outside the key and the chord");
    }
    return faults;
}

std::vector<std::string> FindClashes(const Score& score)
{
    std::vector<std::string> faults;
    const std::vector<SoundingNote> notes = FindSoundingNotes(score);
    for (size_t i = 0; i < notes.size(); ++i) {
        for (size_t j = i + 1; j < notes.size(); ++j) {
            const SoundingNote& a = notes[i];
            const SoundingNote& b = notes[j];
            if (a.channel == b.channel) continue;
            const int interval = std::abs(a.note - b.note) % 12;
            if (interval != 1 && interval != 11) continue;
            const int first = std::max(a.row, b.row);
            const int last = std::min(a.endRow, b.endRow);
            // The first beat row inside the overlap.
            int beat = first;
            const int offset = ((beat - score.beatStartRow) % score.rowsPerBeat + score.rowsPerBeat) % score.rowsPerBeat;
            if (offset) beat += score.rowsPerBeat - offset;
            if (beat < last) {
                faults.push_back(Where(score, beat, a.channel) + ": " + NoteName(a.note) + " against " + NoteName(b.note) +
                                 " in " + score.channels[static_cast<size_t>(b.channel)].name);
            }
        }
    }
    return faults;
}

std::vector<std::string> FindNotesOutOfRange(const Score& score)
{
    std::vector<std::string> faults;
    for (const SoundingNote& n : FindSoundingNotes(score)) {
        const ChannelInfo& info = score.channels[static_cast<size_t>(n.channel)];
        if (n.note < info.lowest || n.note > info.highest) {
            faults.push_back(Where(score, n.row, n.channel) + ": " + NoteName(n.note) + " outside " + NoteName(info.lowest) +
                             ".." + NoteName(info.highest));
        }
    }
    return faults;
}

} // namespace content::music
