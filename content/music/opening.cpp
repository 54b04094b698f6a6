// The opening module: a harbour temple at night. D minor, 120 BPM, a bar every two seconds.
// A pad alone, then a plucked arpeggio with the first credit, the bass with the second, brushed
// drums with the third, the flute with the fourth, a lift, and the main theme with the title;
// a cadence at 58 s; from 60 s a steady groove that the module loops over while part two loads.
#include <string>

#include "music/arrange.h"
#include "music/modules.h"
#include "music/notation.h"
#include "music/synth/instruments.h"

namespace content::music {

namespace {

enum Channel { kLead, kLeadEcho, kArp, kArpEcho, kBell, kPad1, kPad2, kPad3, kBass, kKick, kBrush, kShaker, kChannels };

int Bar(int bar) { return bar * kRowsPerBar; }

constexpr int kBars = 38;
constexpr int kLoadingBar = 30; // 60 s: the loading groove, where the module loops back to

const char kProgression[] =
    "Dm | Dm | "                                      // intro, pad alone
    "Dm | Bb | F | C | "                              // credit 1: arpeggio
    "Dm | Bb | F | C | "                              // credit 2: bass
    "Dm | Bb | Gm | A | "                             // credit 3: drums
    "Dm | Bb | F | C | "                              // credit 4: flute
    "Gm | Bb | C | A | "                              // credit 5: the lift
    "Dm | Bb | F | C | Dm | Bb | Gm A | Dm | "        // title: main theme and cadence
    "Dm | Bb | F | C | Dm | Bb | F | A";              // loading groove

const char kFluteFirst[] = "h A4 q D5 F5 | h. D5 q C5 | h. C5 q A4 | w G4";
const char kFluteLift[] = "q G4 Bb4 D5 G5 | q F5 D5 Bb4 F5 | h. E5 q G5 | h E5 q C#5 E5";
const char kMainTheme[] =
    "q A4 e D5 E5 q F5 e A5 G5 | h F5 q D5 e C5 Bb4 | q. A4 e C5 q F5 e G5 A5 | h G5 q E5 D5 | "
    "q A4 e D5 E5 q F5 e A5 G5 | q F5 e G5 F5 q D5 e C5 D5 | q G5 e F5 D5 q E5 e C#5 E5 | w D5\\";

} // namespace

Score ComposeOpening()
{
    Score s;
    s.title = "Vela: the harbour";
    s.bpm = 120;
    s.channels = {{"flute", ChannelRole::Pitched, 55, 72, 120},        {"flute echo", ChannelRole::Pitched, 55, 72, 200},
                  {"arpeggio", ChannelRole::Pitched, 50, 77, 84},      {"arpeggio echo", ChannelRole::Pitched, 50, 77, 176},
                  {"bell", ChannelRole::Pitched, 62, 86, 150},         {"pad 1", ChannelRole::Pitched, 45, 67, 64},
                  {"pad 2", ChannelRole::Pitched, 45, 67, 128},        {"pad 3", ChannelRole::Pitched, 45, 67, 192},
                  {"bass", ChannelRole::Pitched, 28, 56, 128},         {"kick", ChannelRole::Percussion, 0, 95, 128},
                  {"brush", ChannelRole::Percussion, 0, 95, 104},      {"shaker", ChannelRole::Percussion, 0, 95, 168}};
    s.scale = {2, 4, 5, 7, 9, 10, 0}; // D natural minor
    AppendRows(&s, Bar(kBars), 6);
    StartPattern(&s, 0);
    for (int bar = 2; bar < kBars; bar += 4) StartPattern(&s, Bar(bar));
    s.restartRow = Bar(kLoadingBar);

    const uint8_t pad = AddInstrument(&s, MakeWarmPad("warm pad"));
    const uint8_t pluck = AddInstrument(&s, MakePluck("pluck"));
    const uint8_t bass = AddInstrument(&s, MakeSoftBass("soft bass"));
    const uint8_t bell = AddInstrument(&s, MakeBell("bell"));
    const uint8_t flute = AddInstrument(&s, MakeFluteLead("flute"));
    const uint8_t kick = AddInstrument(&s, MakeKick("soft kick", KickSound{110.0, 50.0, 0.035, 0.25, 0.12, 1.2}));
    const uint8_t brush = AddInstrument(&s, MakeBrush("brush"));
    const uint8_t shaker = AddInstrument(&s, MakeShaker("shaker"));

    const std::vector<ChordSpan> chords = ParseProgression(kProgression, 0);
    AddHarmony(&s, chords);

    // Pads throughout; softer once the band has come in.
    WritePads(&s, {kPad1, kPad2, kPad3}, chords, Bar(kBars), pad, 45, 65, 46);
    for (int ch : {kPad1, kPad2, kPad3}) {
        CellAt(&s, Bar(10), ch).volume = 0x10 + 40;
        CellAt(&s, Bar(30), ch).volume = 0x10 + 36;
    }
    for (int ch : {kPad1, kPad2, kPad3}) WriteVolumeSlide(&s, ch, Bar(29), Bar(30), -12);
    RestrikeAt(&s, {kPad1, kPad2, kPad3}, s.restartRow);

    // The arpeggio from the first credit on, busier under the main theme and the groove.
    WriteArpeggio(&s, kArp, chords, Bar(2), Bar(14), "0 1 2 3 4 3 2 1", 2, 50, 74, pluck, 34, "+.-.+.-.");
    WriteArpeggio(&s, kArp, chords, Bar(14), Bar(22), "0 2 1 3 2 4 3 5", 2, 50, 74, pluck, 32, "+.-.+.-.");
    WriteArpeggio(&s, kArp, chords, Bar(22), Bar(29), "0 2 1 3 2 4 3 5 4 3 2 4 3 2 1 2", 1, 50, 77, pluck, 28, "+-.-+-.-");
    WriteArpeggio(&s, kArp, chords, Bar(29), Bar(30), "0 1 2 3 4 . . . . . . . . . . .", 2, 50, 77, pluck, 28);
    WriteArpeggio(&s, kArp, chords, Bar(30), Bar(kBars), "0 2 1 3 2 4 3 5", 2, 50, 74, pluck, 32, "+.-.+.-.");
    WriteEcho(&s, kArp, kArpEcho, Bar(2), Bar(kBars), 3, 40, chords);

    // A bell on each credit.
    const char* bellNotes[6] = {"A5", "D6", "F5", "A5", "D6", "D6"};
    for (int i = 0; i < 6; ++i) {
        const int row = Bar(2 + 4 * i);
        XmCell& cell = CellAt(&s, row, kBell);
        cell.note = static_cast<uint8_t>(ParseNote(bellNotes[i]) + 1);
        cell.instrument = bell;
        cell.volume = 0x10 + 40;
        KeyOff(&s, kBell, row + kRowsPerBar - 1);
    }

    // The bass from the second credit.
    WriteBassLine(&s, kBass, chords, Bar(6), Bar(10), "R.......R.......", 31, bass, 48);
    WriteBassLine(&s, kBass, chords, Bar(10), Bar(22), "R.....R.R...5...", 31, bass, 48);
    WriteBassLine(&s, kBass, chords, Bar(22), Bar(29), "R.....R.R...5.8.", 31, bass, 50);
    WriteBassLine(&s, kBass, chords, Bar(29), Bar(30), "R...............", 31, bass, 50);
    WriteBassLine(&s, kBass, chords, Bar(30), Bar(kBars), "R.....R.R...5.8.", 31, bass, 48);

    // Brushed drums from the third credit.
    WriteDrums(&s, kKick, Bar(10), "x.......x.......", kick, 44, 4);
    WriteDrums(&s, kBrush, Bar(10), "........x.......", brush, 30, 4);
    WriteDrums(&s, kShaker, Bar(10), "..x...x...x...x.", shaker, 18, 4);
    WriteDrums(&s, kKick, Bar(14), "x.......x.....x.", kick, 46, 7);
    WriteDrums(&s, kBrush, Bar(14), "....x.......x...", brush, 34, 7);
    WriteDrums(&s, kBrush, Bar(21), "....x...x.x.xxxx", brush, 34);
    WriteDrums(&s, kShaker, Bar(14), "o.x.o.x.o.x.o.x.", shaker, 22, 8);
    WriteDrums(&s, kKick, Bar(22), "x.....x.x.......", kick, 50, 7);
    WriteDrums(&s, kBrush, Bar(22), "....x.......x..o", brush, 38, 7);
    WriteDrums(&s, kShaker, Bar(22), "o.x.o.xxo.x.o.xx", shaker, 24, 7);
    WriteDrums(&s, kKick, Bar(29), "x...............", kick, 50);
    WriteDrums(&s, kKick, Bar(30), "x.....x.x.......", kick, 48, 8);
    WriteDrums(&s, kBrush, Bar(30), "....x.......x...", brush, 36, 8);
    WriteDrums(&s, kShaker, Bar(30), "o.x.o.x.o.x.o.x.", shaker, 22, 8);

    // The flute: a first statement, the lift, the main theme; its echo three rows behind.
    LineStyle fluteStyle;
    fluteStyle.instrument = flute;
    fluteStyle.volume = 44;
    WriteLine(&s, kLead, Bar(14), kFluteFirst, fluteStyle);
    fluteStyle.volume = 48;
    WriteLine(&s, kLead, Bar(18), kFluteLift, fluteStyle);
    fluteStyle.volume = 52;
    WriteLine(&s, kLead, Bar(22), kMainTheme, fluteStyle);
    KeyOff(&s, kLead, Bar(30));
    WriteEcho(&s, kLead, kLeadEcho, Bar(14), Bar(30) + 1, 3, 40, chords);

    // Sync marks: the start, a cue on each credit's phrase, a step on every beat of the groove.
    PutMark(&s, 0, kStartMark);
    for (int i = 0; i < 6; ++i) PutMark(&s, Bar(2 + 4 * i), kCueMark);
    for (int row = Bar(kLoadingBar); row < Bar(kBars); row += 4) PutMark(&s, row, kLoadingMark);
    return s;
}

} // namespace content::music
