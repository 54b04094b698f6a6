// The third module: the deck under the stars, the orrery, the sails at dawn and the end of the
// voyage. F major, 125 BPM (a bar is 1.92 s), turning to D minor for the sails and the ending.
//
// It opens with a pickup of seven slow rows (1.40 s) under the white flash, so that bar 39, the
// festive peak, starts when the first greeting does (75 s into part three, whose clock starts
// 1.28 s after the module). Bars, from the pickup on:
//   0-7 intro: pads and arpeggio        8-15 build: bass, kick, hats
//   16-31 main: snare and the saw lead  32-38 break, then a rising roll
//   39-46 festive peak (the greetings)  47 the flash to white
//   48-63 the orrery: half time, wider  64-83 the sails: calm, open, D minor
//   84-95 the ending: a choir that the show fades; the module loops back to bar 84.
#include <algorithm>
#include <iterator>
#include <string>

#include "music/arrange.h"
#include "music/modules.h"
#include "music/notation.h"
#include "music/synth/instruments.h"

namespace content::music {

namespace {

enum Channel { kLead, kLeadEcho, kArp, kPad1, kPad2, kPad3, kBass, kKick, kSnare, kHat, kCymbal, kChoir1, kChoir2, kCounter, kChannels };

constexpr int kPickupRows = 7;
constexpr uint8_t kPickupTicks = 10; // 7 x 10 ticks = 1.40 s
constexpr int kBars = 96;
constexpr int kEndingBar = 84;

int Bar(int bar) { return kPickupRows + bar * kRowsPerBar; }

const char kProgression[] =
    // intro 0-7
    "F | C | Dm | Bb | F | C | Dm | Bb | "
    // build 8-15
    "F | C | Dm | Bb | F | C | Bb | C | "
    // main A 16-23, main B 24-31
    "F | C | Dm | Bb | F | C | Bb | C | "
    "Dm | Bb | F | C | Dm | Bb | Gm | C | "
    // break 32-35, rise 36-38
    "Bb | C | Dm | Dm | Bb | C | C | "
    // festive peak 39-46, flash 47
    "F | C | Dm | Bb | F | C | Bb | C | F | "
    // orrery 48-63
    "Bb | F/A | Gm | C | Bb | F/A | Gm | C | Dm | Bb | F | C | Bb | C | F | F | "
    // sails 64-83
    "Dm | Bb | F | C | Dm | Bb | F | C | Dm | Bb | F | C | Dm | Bb | Gm | A | Dm | Bb | F | C | "
    // ending 84-95
    "Dm | Bb | Gm | Dm | Dm | Bb | Gm | A | Dm | Dm | Dm | Dm";

const char kMelodyA[] =
    "q. A5 e G5 q F5 q C5 | q. E5 e F5 q G5 q C6 | q. A5 e G5 q F5 e D5 F5 | q. F5 e G5 q F5 q D5 | "
    "q. A5 e Bb5 q C6 q A5 | q. G5 e A5 q G5 q E5 | q. F5 e G5 q D5 q F5 | h. G5~ q E5";
const char kMelodyB[] =
    "q D6 e C6 A5 q F5 q A5 | q. Bb5 e A5 q F5 q D5 | q C6 e A5 C6 q F6 q C6 | h. G5~ q C6 | "
    "q D6 e C6 A5 q F5 e G5 A5 | q Bb5 e D6 C6 q Bb5 q F5 | q. G5 e A5 q Bb5 q D6 | w C6~";
const char kOrreryLine[] =
    "h D6 h C6 | h C6 h A5 | h Bb5 h D6 | h. C6 q G5 | h D6 h C6 | h C6 h A5 | h Bb5 h G5 | w G5~ | "
    "h A5 h F5 | h F5 h D6 | h C6 h A5 | h. G5 q E5 | h F5 h D6 | h. E5 q C6 | w A5~ | h A5 h r";
const char kSailsLine[] =
    "w r | w r | w r | w r | w A5~ | h. F5 q D5 | w C5~ | h E5 h G5 | w A5~ | h. Bb5 q F5 | w A5~ | h. G5 q E5 | "
    "h F5 h A5 | h D6 h Bb5 | h. G5 q Bb5 | w A5~ | w A5~ | h. F5 q D5 | w C5~ | h. E5 q r";

} // namespace

Score ComposeStarDeck()
{
    Score s;
    s.title = "Vela: the star deck";
    s.bpm = 125;
    s.channels = {{"saw lead", ChannelRole::Pitched, 57, 77, 128},  {"lead echo", ChannelRole::Pitched, 57, 77, 190},
                  {"arpeggio", ChannelRole::Pitched, 53, 81, 80},   {"pad 1", ChannelRole::Pitched, 48, 70, 64},
                  {"pad 2", ChannelRole::Pitched, 48, 70, 128},     {"pad 3", ChannelRole::Pitched, 48, 70, 192},
                  {"bass", ChannelRole::Pitched, 28, 52, 128},      {"kick", ChannelRole::Percussion, 0, 95, 128},
                  {"snare", ChannelRole::Percussion, 0, 95, 120},   {"hats", ChannelRole::Percussion, 0, 95, 168},
                  {"cymbal", ChannelRole::Percussion, 0, 95, 96},   {"choir 1", ChannelRole::Pitched, 50, 72, 96},
                  {"choir 2", ChannelRole::Pitched, 50, 72, 160},   {"counter", ChannelRole::Pitched, 60, 84, 150}};
    s.scale = {5, 7, 9, 10, 0, 2, 4}; // F major, D minor at the end
    AppendRows(&s, kPickupRows, kPickupTicks);
    AppendRows(&s, kBars * kRowsPerBar, 6);
    s.beatStartRow = kPickupRows;
    StartPattern(&s, 0);
    for (int bar = 0; bar < kBars; bar += 4) StartPattern(&s, Bar(bar));
    s.restartRow = Bar(kEndingBar);

    const uint8_t padSound = AddInstrument(&s, MakeBrightPad("star pad"));
    const uint8_t arpSound = AddInstrument(&s, MakePulseArp("pulse arp"));
    const uint8_t bassSound = AddInstrument(&s, MakeSawBass("saw bass"));
    const uint8_t leadSound = AddInstrument(&s, MakeSawLead("saw lead"));
    const uint8_t choirSound = AddInstrument(&s, MakeChoir("choir"));
    const uint8_t kick = AddInstrument(&s, MakeKick("kick", KickSound{160.0, 46.0, 0.028, 0.32, 0.35, 1.8}));
    const uint8_t snare = AddInstrument(&s, MakeSnare("snare", 190.0, 0.16, 0.7));
    const uint8_t clap = AddInstrument(&s, MakeClap("clap"));
    const uint8_t closedHat = AddInstrument(&s, MakeHat("closed hat", 0.035));
    const uint8_t openHat = AddInstrument(&s, MakeHat("open hat", 0.22));
    const uint8_t crash = AddInstrument(&s, MakeCrash("crash", 2.5));
    const uint8_t swell = AddInstrument(&s, MakeSwell("swell", 1.4));
    const uint8_t bell = AddInstrument(&s, MakeBell("bell"));

    const std::vector<ChordSpan> chords = ParseProgression(kProgression, Bar(0));
    AddHarmony(&s, chords);

    // The pickup: a swell into the first bar.
    {
        XmCell& cell = CellAt(&s, 0, kCymbal);
        cell.note = kDrumNote + 1;
        cell.instrument = swell;
        cell.volume = 0x10 + 44;
    }

    // Pads: everywhere but the ending, where the choir takes over.
    WritePads(&s, {kPad1, kPad2, kPad3}, chords, Bar(kEndingBar), padSound, 48, 70, 40);
    for (int ch : {kPad1, kPad2, kPad3}) {
        for (auto [bar, volume] : {std::pair{16, 32}, {32, 38}, {39, 30}, {48, 34}, {64, 36}}) {
            XmCell& cell = CellAt(&s, Bar(bar), ch);
            cell.volume = static_cast<uint8_t>(0x10 + volume);
        }
    }

    // Arpeggio: from the start, busier in the main parts, playful over the orrery, slow for the sails.
    WriteArpeggio(&s, kArp, chords, Bar(0), Bar(16), "0 1 2 3 4 3 2 1", 2, 53, 77, arpSound, 30, "+.-.+.-.");
    WriteArpeggio(&s, kArp, chords, Bar(16), Bar(32), "0 2 4 2 1 3 5 3", 2, 53, 79, arpSound, 30, "+.-.+.-.");
    WriteArpeggio(&s, kArp, chords, Bar(32), Bar(39), "0 1 2 3 4 5 4 3 2 3 4 5 6 5 4 3", 1, 53, 81, arpSound, 28, "+-.-");
    WriteArpeggio(&s, kArp, chords, Bar(39), Bar(47), "0 2 4 2 1 3 5 3", 2, 53, 79, arpSound, 28, "+.-.+.-.");
    WriteArpeggio(&s, kArp, chords, Bar(48), Bar(64), "0 2 1 3 2 4 3 5 4 6 5 3 2 4 1 3", 1, 53, 81, arpSound, 30, "+-.-");
    WriteArpeggio(&s, kArp, chords, Bar(64), Bar(84), "0 2 4 5 4 2 . .", 2, 53, 77, arpSound, 26, "+.-.+.-.");
    KeyOff(&s, kArp, Bar(84));

    // Bass from the build on.
    WriteBassLine(&s, kBass, chords, Bar(8), Bar(16), "R.......R.....R.", 29, bassSound, 46);
    WriteBassLine(&s, kBass, chords, Bar(16), Bar(32), "R.R.R.R.R.R.R.5.", 29, bassSound, 48);
    WriteBassLine(&s, kBass, chords, Bar(32), Bar(36), "R...............", 29, bassSound, 42);
    WriteBassLine(&s, kBass, chords, Bar(36), Bar(39), "R.R.R.R.R.R.R.R.", 29, bassSound, 46);
    WriteBassLine(&s, kBass, chords, Bar(39), Bar(47), "R.R.R.R.R.R.R.58", 29, bassSound, 50);
    WriteBassLine(&s, kBass, chords, Bar(47), Bar(48), "R...............", 29, bassSound, 48);
    WriteBassLine(&s, kBass, chords, Bar(48), Bar(64), "R.....R.....5...", 29, bassSound, 46);
    WriteBassLine(&s, kBass, chords, Bar(64), Bar(84), "R...............", 29, bassSound, 40);
    WriteBassLine(&s, kBass, chords, Bar(84), Bar(kBars), "R...............", 29, bassSound, 34);

    // Drums.
    WriteDrums(&s, kHat, Bar(4), "..x...x...x...x.", closedHat, 24, 4);
    WriteDrums(&s, kKick, Bar(8), "x...x...x...x...", kick, 48, 8);
    WriteDrums(&s, kHat, Bar(8), "..x...x...x...x.", openHat, 26, 8);
    WriteDrums(&s, kKick, Bar(16), "x...x...x...x...", kick, 52, 16);
    WriteDrums(&s, kSnare, Bar(16), "....x.......x...", clap, 44, 16);
    WriteDrums(&s, kHat, Bar(16), "x.o.x.o.x.o.x.oo", closedHat, 30, 16);
    WriteDrums(&s, kSnare, Bar(31), "....x.......x.xx", snare, 42);
    WriteDrums(&s, kKick, Bar(36), "x...x...x...x...", kick, 46, 2);
    WriteDrums(&s, kSnare, Bar(36), "x...x...x.x.x.x.", snare, 30);
    WriteDrums(&s, kSnare, Bar(37), "x.x.x.x.xxxxxxxx", snare, 34);
    WriteDrums(&s, kKick, Bar(38), "x.x.x.x.x.x.x.x.", kick, 48);
    WriteDrums(&s, kSnare, Bar(38), "xxxxxxxxxxxxXXXX", snare, 38);
    WriteDrums(&s, kKick, Bar(39), "x...x...x...x...", kick, 54, 8);
    WriteDrums(&s, kSnare, Bar(39), "....x.......x...", snare, 46, 7);
    WriteDrums(&s, kSnare, Bar(46), "....x.......x.xx", snare, 46);
    WriteDrums(&s, kHat, Bar(39), "x.x.x.x.x.x.x.x.", closedHat, 30, 8);
    WriteDrums(&s, kKick, Bar(47), "x...............", kick, 54);
    WriteDrums(&s, kKick, Bar(48), "x.......x.....x.", kick, 48, 16);
    WriteDrums(&s, kSnare, Bar(48), "........x.......", snare, 40, 16);
    WriteDrums(&s, kHat, Bar(48), "x.x.x.x.x.x.x.x.", closedHat, 24, 16);
    WriteDrums(&s, kHat, Bar(64), "..x...x...x...x.", closedHat, 18, 8);
    for (int bar : {16, 39, 47, 48, 64}) {
        XmCell& cell = CellAt(&s, Bar(bar), kCymbal);
        cell.note = kDrumNote + 1;
        cell.instrument = crash;
        cell.volume = 0x10 + (bar == 64 ? 30 : 40);
    }
    {
        XmCell& cell = CellAt(&s, Bar(38) + 9, kCymbal); // a swell ending on the peak
        cell.note = kDrumNote + 1;
        cell.instrument = swell;
        cell.volume = 0x10 + 40;
    }

    // The saw lead and its echo.
    LineStyle lead;
    lead.instrument = leadSound;
    lead.volume = 40;
    WriteLine(&s, kLead, Bar(16), kMelodyA, lead);
    WriteLine(&s, kLead, Bar(24), kMelodyB, lead);
    KeyOff(&s, kLead, Bar(32));
    lead.volume = 44;
    WriteLine(&s, kLead, Bar(39), kMelodyA, lead);
    KeyOff(&s, kLead, Bar(47));
    lead.volume = 34;
    WriteLine(&s, kLead, Bar(48), kOrreryLine, lead);
    lead.volume = 30;
    WriteLine(&s, kLead, Bar(64), kSailsLine, lead);
    KeyOff(&s, kLead, Bar(84));
    WriteEcho(&s, kLead, kLeadEcho, Bar(16), Bar(84) + 1, 3, 38, chords);

    // Bells answer the melody over the peak and ring over the orrery.
    LineStyle bells;
    bells.instrument = bell;
    bells.volume = 32;
    WriteLine(&s, kCounter, Bar(39), "w r | w r | w r | w r | h r q C6 A6 | h G6 q E6 C6 | h D6 q F6 D6 | h E6 q G6 C6", bells);
    WriteLine(&s, kCounter, Bar(48),
              "q F6 D6 Bb5 D6 | q C6 F6 A6 F6 | q G6 D6 Bb5 G6 | q E6 C6 G6 E6 | q F6 D6 Bb5 D6 | q C6 F6 A6 F6 | q G6 D6 Bb5 G6 | h E6 h r",
              bells);
    KeyOff(&s, kCounter, Bar(56));

    // The choir: with the sails, then alone with a low pad for the ending, fading a little.
    const std::vector<ChordSpan> late(chords.begin() + static_cast<long>(std::distance(
                                          chords.begin(), std::find_if(chords.begin(), chords.end(),
                                                                       [](const ChordSpan& c) { return c.row >= Bar(72); }))),
                                      chords.end());
    WritePads(&s, {kChoir1, kChoir2}, late, Bar(kBars), choirSound, 50, 70, 40);
    RestrikeAt(&s, {kChoir1, kChoir2}, s.restartRow);
    for (int ch : {kChoir1, kChoir2}) {
        CellAt(&s, Bar(kEndingBar), ch).volume = 0x10 + 44;
        WriteVolumeSlide(&s, ch, Bar(88), Bar(kBars), -20);
    }
    WriteVolumeSlide(&s, kBass, Bar(90), Bar(kBars), -14);

    PutMark(&s, 0, kStartMark);
    return s;
}

} // namespace content::music
