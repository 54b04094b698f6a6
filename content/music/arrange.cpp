#include "music/arrange.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <stdexcept>

namespace content::music {

namespace {

uint8_t VolumeByte(int volume) { return static_cast<uint8_t>(0x10 + std::clamp(volume, 0, 64)); }

bool HasTone(const Chord& chord, int note)
{
    return std::find(chord.tones.begin(), chord.tones.end(), note % 12) != chord.tones.end();
}

// The chord tones a voicing of `voices` notes must hold, most needed first.
std::vector<int> RequiredTones(const Chord& chord, int voices)
{
    std::vector<int> order;
    if (chord.tones.size() > 1) order.push_back(chord.tones[1]); // third or suspension
    order.push_back(chord.tones[0]);
    if (chord.tones.size() > 3) order.push_back(chord.tones[3]);
    if (chord.tones.size() > 2) order.push_back(chord.tones[2]);
    order.resize(std::min<size_t>(order.size(), static_cast<size_t>(voices)));
    return order;
}

void Search(const std::vector<int>& pitches, size_t from, int voices, std::vector<int>* current,
            const std::vector<int>& required, const std::vector<int>& previous, int centre, long* bestCost,
            std::vector<int>* best)
{
    if (static_cast<int>(current->size()) == voices) {
        for (int pc : required) {
            if (std::none_of(current->begin(), current->end(), [pc](int n) { return n % 12 == pc; })) return;
        }
        long cost = 0;
        if (previous.size() == current->size()) {
            for (size_t i = 0; i < current->size(); ++i) cost += std::labs((*current)[i] - previous[i]) * 10;
        } else {
            long sum = 0;
            for (int n : *current) sum += n;
            cost = std::labs(sum - static_cast<long>(centre) * voices) * 10;
        }
        // Prefer voicings with distinct pitch classes, then the lower ones.
        for (size_t i = 0; i < current->size(); ++i) {
            for (size_t j = i + 1; j < current->size(); ++j) {
                if ((*current)[i] % 12 == (*current)[j] % 12) cost += 25;
            }
        }
        if (cost < *bestCost) {
            *bestCost = cost;
            *best = *current;
        }
        return;
    }
    for (size_t i = from; i < pitches.size(); ++i) {
        if (!current->empty()) {
            const int gap = pitches[i] - current->back();
            if (gap < 3) continue;
            if (gap > 9) break;
        }
        current->push_back(pitches[i]);
        Search(pitches, i + 1, voices, current, required, previous, centre, bestCost, best);
        current->pop_back();
    }
}

} // namespace

void AddHarmony(Score* score, const std::vector<ChordSpan>& spans)
{
    for (const ChordSpan& s : spans) {
        if (!score->chords.empty() && score->chords.back().row >= s.row) throw std::logic_error(score->title + ": harmony out of order");
        score->chords.push_back(s);
    }
}

const Chord& ChordAt(const std::vector<ChordSpan>& spans, int row)
{
    if (spans.empty() || spans.front().row > row) throw std::logic_error("no chord at row " + std::to_string(row));
    size_t i = 0;
    while (i + 1 < spans.size() && spans[i + 1].row <= row) ++i;
    return spans[i].chord;
}

std::vector<int> VoiceChord(const Chord& chord, int voices, int lowest, int highest, const std::vector<int>& previous)
{
    std::vector<int> pitches;
    for (int n = lowest; n <= highest; ++n) {
        if (HasTone(chord, n)) pitches.push_back(n);
    }
    std::vector<int> current, best;
    long bestCost = std::numeric_limits<long>::max();
    Search(pitches, 0, voices, &current, RequiredTones(chord, voices), previous, (lowest + highest) / 2, &bestCost, &best);
    if (best.empty()) throw std::runtime_error("no voicing of " + chord.symbol + " in the range");
    return best;
}

void WritePads(Score* score, const std::vector<int>& channels, const std::vector<ChordSpan>& spans, int endRow,
               uint8_t instrument, int lowest, int highest, uint8_t volume)
{
    std::vector<int> previous;
    for (size_t i = 0; i < spans.size() && spans[i].row < endRow; ++i) {
        const std::vector<int> voicing =
            VoiceChord(spans[i].chord, static_cast<int>(channels.size()), lowest, highest, previous);
        for (size_t v = 0; v < channels.size(); ++v) {
            if (!previous.empty() && previous[v] == voicing[v]) continue;
            XmCell& cell = CellAt(score, spans[i].row, channels[v]);
            cell.note = static_cast<uint8_t>(voicing[v] + 1);
            cell.instrument = instrument;
            cell.volume = VolumeByte(volume);
        }
        previous = voicing;
    }
    if (endRow < RowCount(*score)) {
        for (int ch : channels) KeyOff(score, ch, endRow);
    }
}

void WriteArpeggio(Score* score, int channel, const std::vector<ChordSpan>& spans, int fromRow, int endRow,
                   const std::string& pattern, int stepRows, int lowest, int highest, uint8_t instrument, uint8_t volume,
                   const std::string& accents)
{
    std::vector<std::string> steps;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != ' ') steps.push_back(std::string(1, pattern[i]));
    }
    if (steps.empty()) throw std::invalid_argument("empty arpeggio pattern");
    int step = 0;
    for (int row = fromRow; row < endRow; row += stepRows, ++step) {
        const std::string& s = steps[static_cast<size_t>(step) % steps.size()];
        if (s == ".") continue;
        const Chord& chord = ChordAt(spans, row);
        std::vector<int> tones;
        for (int n = lowest; n <= highest; ++n) {
            if (HasTone(chord, n)) tones.push_back(n);
        }
        const int index = s[0] - '0';
        if (index < 0 || index > 9 || tones.empty()) throw std::invalid_argument("bad arpeggio step " + s);
        int v = volume;
        if (!accents.empty()) {
            const char a = accents[static_cast<size_t>(step) % accents.size()];
            if (a == '+') v += 8;
            else if (a == '-') v -= 10;
        }
        XmCell& cell = CellAt(score, row, channel);
        cell.note = static_cast<uint8_t>(tones[static_cast<size_t>(index) % tones.size()] + 1);
        cell.instrument = instrument;
        cell.volume = VolumeByte(v);
    }
}

void WriteBassLine(Score* score, int channel, const std::vector<ChordSpan>& spans, int fromRow, int endRow,
                   const std::string& rhythm, int lowest, uint8_t instrument, uint8_t volume)
{
    std::string steps;
    for (char c : rhythm) {
        if (c != ' ' && c != '|') steps.push_back(c);
    }
    if (steps.empty()) throw std::invalid_argument("empty bass rhythm");
    for (int row = fromRow; row < endRow; ++row) {
        const char s = steps[static_cast<size_t>(row - fromRow) % steps.size()];
        if (s == '.') continue;
        if (s == '-') {
            KeyOff(score, channel, row);
            continue;
        }
        const Chord& chord = ChordAt(spans, row);
        const int rootNote = lowest + ((chord.root - lowest) % 12 + 12) % 12;
        int note = 0;
        if (s == 'R') note = lowest + ((chord.bass - lowest) % 12 + 12) % 12;
        else if (s == '5') note = rootNote + (chord.tones.size() > 2 ? (chord.tones[2] - chord.root + 12) % 12 : 7);
        else if (s == '8') note = rootNote + 12;
        else if (s == '3') note = rootNote + (chord.tones[1] - chord.root + 12) % 12;
        else throw std::invalid_argument(std::string("bad bass step ") + s);
        XmCell& cell = CellAt(score, row, channel);
        cell.note = static_cast<uint8_t>(note + 1);
        cell.instrument = instrument;
        cell.volume = VolumeByte(volume);
    }
}

void WriteEcho(Score* score, int from, int to, int fromRow, int endRow, int delay, int percent,
               const std::vector<ChordSpan>& spans)
{
    int sounding = -1;
    for (int row = fromRow; row < endRow; ++row) {
        const int target = row + delay;
        if (target >= RowCount(*score)) break;
        const XmCell& source = CellAt(*score, row, from);
        XmCell& cell = CellAt(score, target, to);
        const Chord& there = ChordAt(spans, target);
        const bool newChord = &there != &ChordAt(spans, row);
        if (source.note == kKeyOff) {
            cell.note = kKeyOff;
            sounding = -1;
        } else if (source.note && newChord && !HasTone(there, source.note - 1)) {
            // The note belonged to the chord before: its echo would clash with this one.
            cell.note = kKeyOff;
            sounding = -1;
        } else if (source.note) {
            cell.note = source.note;
            cell.instrument = source.instrument;
            const int v = source.volume >= 0x10 && source.volume <= 0x50 ? source.volume - 0x10 : 48;
            cell.volume = VolumeByte(v * percent / 100);
            sounding = source.note - 1;
        } else if (sounding >= 0 && &there != &ChordAt(spans, target - 1) && !HasTone(there, sounding)) {
            cell.note = kKeyOff;
            sounding = -1;
        }
    }
}

void WriteVolumeSlide(Score* score, int channel, int fromRow, int endRow, int change)
{
    const int rows = endRow - fromRow;
    if (rows <= 0) return;
    auto reached = [&](int i) { return static_cast<int>(std::lround(static_cast<double>(change) * i / rows)); };
    for (int i = 0; i < rows; ++i) {
        int step = reached(i + 1) - reached(i);
        XmCell& cell = CellAt(score, fromRow + i, channel);
        if (step == 0 || cell.effect || cell.param) continue;
        step = std::clamp(step, -15, 15);
        cell.effect = 0x0E;
        cell.param = static_cast<uint8_t>(step > 0 ? 0xA0 | step : 0xB0 | -step);
    }
}

void RestrikeAt(Score* score, const std::vector<int>& channels, int row)
{
    for (int ch : channels) {
        if (CellAt(*score, row, ch).note) continue;
        for (int r = row - 1; r >= 0; --r) {
            const XmCell& held = CellAt(*score, r, ch);
            if (held.note == kKeyOff) break;
            if (held.note) {
                XmCell& cell = CellAt(score, row, ch);
                cell.note = held.note;
                cell.instrument = held.instrument;
                if (!cell.volume) cell.volume = held.volume;
                break;
            }
        }
    }
}

void KeyOff(Score* score, int channel, int row)
{
    XmCell& cell = CellAt(score, row, channel);
    if (!cell.note) cell.note = kKeyOff;
}

} // namespace content::music
