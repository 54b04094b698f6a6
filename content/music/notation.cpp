#include "music/notation.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <stdexcept>

namespace content::music {

namespace {

std::vector<std::string> Tokens(const std::string& text)
{
    std::vector<std::string> tokens;
    std::istringstream in(text);
    for (std::string t; in >> t;) tokens.push_back(t);
    return tokens;
}

[[noreturn]] void Bad(const std::string& what, const std::string& token)
{
    throw std::invalid_argument("notation: " + what + " '" + token + "'");
}

// Length tokens: w h q e s with an optional dot, or :N.
bool ReadLength(const std::string& t, int* rows)
{
    if (t.size() >= 2 && t[0] == ':') {
        const int n = std::stoi(t.substr(1));
        if (n < 1 || n > 256) Bad("length out of range", t);
        *rows = n;
        return true;
    }
    static const std::string kLetters = "whqes";
    static const int kRows[5] = {16, 8, 4, 2, 1};
    if (t.empty() || t.size() > 2 || kLetters.find(t[0]) == std::string::npos) return false;
    int n = kRows[kLetters.find(t[0])];
    if (t.size() == 2) {
        if (t[1] != '.' || n == 1) return false;
        n += n / 2;
    }
    *rows = n;
    return true;
}

uint8_t VolumeByte(int volume) { return static_cast<uint8_t>(0x10 + std::clamp(volume, 0, 64)); }

} // namespace

int ParsePitchClass(const std::string& name)
{
    static const int kNatural[7] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    if (name.empty() || name[0] < 'A' || name[0] > 'G') Bad("not a note name", name);
    int pc = kNatural[name[0] - 'A'];
    for (size_t i = 1; i < name.size(); ++i) {
        if (name[i] == '#') ++pc;
        else if (name[i] == 'b') --pc;
        else Bad("not a note name", name);
    }
    return (pc + 12) % 12;
}

int ParseNote(const std::string& token)
{
    size_t i = 1;
    while (i < token.size() && (token[i] == '#' || token[i] == 'b')) ++i;
    if (token.empty() || i + 1 != token.size() || !std::isdigit(static_cast<unsigned char>(token[i]))) Bad("not a note", token);
    const int pc = ParsePitchClass(token.substr(0, i));
    int octave = token[i] - '0';
    // B#3 is C4 and Cb4 is B3: the octave follows the letter, so correct across the C line.
    const int letterPc = ParsePitchClass(token.substr(0, 1));
    if (letterPc == 11 && pc == 0) ++octave;
    if (letterPc == 0 && pc == 11) --octave;
    const int note = octave * 12 + pc;
    if (note < 0 || note > 95) Bad("note out of range", token);
    return note;
}

Chord ParseChord(const std::string& symbol)
{
    Chord c;
    c.symbol = symbol;
    std::string body = symbol;
    std::string bass;
    const size_t slash = symbol.find('/');
    if (slash != std::string::npos) {
        body = symbol.substr(0, slash);
        bass = symbol.substr(slash + 1);
    }
    size_t i = 1;
    while (i < body.size() && (body[i] == '#' || body[i] == 'b')) ++i;
    c.root = ParsePitchClass(body.substr(0, i));
    const std::string quality = body.substr(i);
    std::vector<int> steps;
    if (quality.empty()) steps = {0, 4, 7};
    else if (quality == "m") steps = {0, 3, 7};
    else if (quality == "7") steps = {0, 4, 7, 10};
    else if (quality == "m7") steps = {0, 3, 7, 10};
    else if (quality == "6") steps = {0, 4, 7, 9};
    else if (quality == "m6") steps = {0, 3, 7, 9};
    else if (quality == "sus2") steps = {0, 2, 7};
    else if (quality == "sus4") steps = {0, 5, 7};
    else if (quality == "add9") steps = {0, 4, 7, 2};
    else if (quality == "madd9") steps = {0, 3, 7, 2};
    else if (quality == "5") steps = {0, 7};
    else if (quality == "dim") steps = {0, 3, 6};
    else Bad("unknown chord", symbol);
    for (int s : steps) c.tones.push_back((c.root + s) % 12);
    c.bass = bass.empty() ? c.root : ParsePitchClass(bass);
    return c;
}

std::vector<ChordSpan> ParseProgression(const std::string& text, int row, int rowsPerBar)
{
    std::vector<ChordSpan> spans;
    std::vector<std::string> bar;
    auto flush = [&]() {
        if (bar.empty()) return;
        if (rowsPerBar % static_cast<int>(bar.size())) Bad("chords do not split the bar", bar.front());
        const int each = rowsPerBar / static_cast<int>(bar.size());
        for (const std::string& s : bar) {
            spans.push_back(ChordSpan{row, ParseChord(s)});
            row += each;
        }
        bar.clear();
    };
    for (const std::string& t : Tokens(text)) {
        if (t == "|") flush();
        else bar.push_back(t);
    }
    flush();
    return spans;
}

int WriteLine(Score* score, int channel, int row, const std::string& text, const LineStyle& style)
{
    const int start = row;
    int length = 4;
    int lastNoteRow = -1;   // row of the sounding note, for ties
    int lastNoteLength = 0;
    for (const std::string& t : Tokens(text)) {
        int rows = 0;
        if (ReadLength(t, &rows)) {
            length = rows;
            continue;
        }
        if (t == "|") {
            if ((row - start) % style.rowsPerBar) Bad("bar line off the bar at row " + std::to_string(row), t);
            continue;
        }
        if (t == "r") {
            CellAt(score, row, channel).note = kKeyOff;
            lastNoteRow = -1;
            row += length;
            continue;
        }
        if (t == "_") {
            if (lastNoteRow < 0) Bad("tie without a note", t);
            lastNoteLength += length;
            row += length;
            continue;
        }
        std::string name = t;
        const bool glide = !name.empty() && name[0] == '>';
        if (glide) name.erase(0, 1);
        bool vibrato = false, fade = false, shortNote = false;
        int volume = style.volume;
        while (!name.empty() && std::string("!?~\\'").find(name.back()) != std::string::npos) {
            const char m = name.back();
            name.pop_back();
            if (m == '!') volume += 12;
            else if (m == '?') volume -= 18;
            else if (m == '~') vibrato = true;
            else if (m == '\\') fade = true;
            else shortNote = true;
        }
        XmCell& cell = CellAt(score, row, channel);
        cell.note = static_cast<uint8_t>(ParseNote(name) + 1);
        // A glide keeps the sounding sample and its panning: no instrument number.
        cell.instrument = glide ? 0 : style.instrument;
        cell.volume = VolumeByte(volume);
        for (int r = 0; r < length; ++r) {
            XmCell& c = CellAt(score, row + r, channel);
            if (glide && r < 4) {
                c.effect = 0x03;
                c.param = r == 0 ? style.glide : 0;
            } else if (vibrato && r >= 1) {
                c.effect = 0x04;
                c.param = style.vibrato;
            } else if (fade && r >= 1) {
                // Down to a quarter of its volume by the note's end, in fine slides.
                const int drop = (volume * 3 / 4) * r / (length - 1) - (volume * 3 / 4) * (r - 1) / (length - 1);
                if (drop > 0) {
                    c.effect = 0x0E;
                    c.param = static_cast<uint8_t>(0xB0 | std::min(drop, 15));
                }
            }
        }
        if (shortNote) CellAt(score, row + std::max(1, length / 2), channel).note = kKeyOff;
        lastNoteRow = row;
        lastNoteLength = length;
        row += length;
    }
    (void)lastNoteLength;
    return row;
}

int WriteDrums(Score* score, int channel, int row, const std::string& grid, uint8_t instrument, uint8_t volume, int times, int note)
{
    for (int k = 0; k < times; ++k) {
        for (char ch : grid) {
            if (ch == ' ' || ch == '|') continue;
            if (ch != '.') {
                int v = volume;
                if (ch == 'X') v = volume + 14;
                else if (ch == 'o') v = volume / 2;
                else if (ch != 'x') Bad("unknown drum stroke", std::string(1, ch));
                XmCell& cell = CellAt(score, row, channel);
                cell.note = static_cast<uint8_t>(note + 1);
                cell.instrument = instrument;
                cell.volume = VolumeByte(v);
            }
            ++row;
        }
    }
    return row;
}

} // namespace content::music
