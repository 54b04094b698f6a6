// The flame scene's module: the hall of fire below deck. E Phrygian over a drone on E; low toms,
// a frame drum, a reed that plays a modal theme and its answer, a fire's crackle and breath.
//
// Time: the tempo is 125 BPM (a tick is 20 ms) and a beat lasts 23 ticks, its four rows 6, 6, 5
// and 6 ticks long; a section is six bars (24 beats) and its last row one tick longer, so every
// section lasts exactly 553 ticks, 11.06 s. Calibration marks open every other section (on its
// second beat) and the next one, so the first two of each three lie 1106 clock units apart; the
// third follows one beat after the second.
//
// Sections: 0-1 embers, 2-5 the hall revealed, 6-8 the drums build, 9 a break, 10-13 full
// fire, 14-15 settling on the last picture, 16 embers again (the module loops to section 1).
#include <algorithm>
#include <string>

#include "music/arrange.h"
#include "music/modules.h"
#include "music/notation.h"
#include "music/synth/instruments.h"

namespace content::music {

namespace {

enum Channel { kReed, kReedEcho, kPad1, kPad2, kPad3, kBass, kDroneLow, kDroneHigh, kFrame, kLowTom, kMidTom, kShaker, kCrackle, kBreath, kChannels };

constexpr int kSections = 17;
constexpr int kBarsPerSection = 6;
constexpr int kRowsPerSection = kBarsPerSection * kRowsPerBar; // 96
constexpr uint8_t kBeatTicks[4] = {6, 6, 5, 6};                // 23 ticks a beat

int Section(int section) { return section * kRowsPerSection; }
int Bar(int section, int bar) { return Section(section) + bar * kRowsPerBar; }

const char kEmbers[] = "Em | Em | Em | Em | Em | Em";
const char kThemeAChords[] = "Em | Em | Am | Am | Em7 | Em";
const char kThemeBChords[] = "C | C | G | G | Am | Em";
const char kBreakChords[] = "Am | Am | C | C | Em | Em";

const char kFirstCall[] = "w r | w r | q. E4 e F4 h G4 | h E4 h r | q. G4 e F4 h E4 | w E4~";
const char kThemeA[] =
    "q. E5 e F5 q G5 q A5 | q. G5 e F5 h E5 | q. A5 e G5 q A5 e C6 B5 | h A5 q G5 e A5 F5 | "
    "q E5 e G5 F5 q E5 e D5 E5 | h. E5~ q r";
const char kThemeB[] =
    "q. G5 e A5 q C6 q G5 | h. C6 q G5 | q. B5 e A5 q G5 q D6 | h B5 q G5 q A5 | "
    "q. C6 e B5 q A5 q E5 | h. E5~ q r";
const char kThemeAHigh[] =
    "q. E5 e F5 q G5 q B5 | q. A5 e G5 h E5~ | q. A5 e B5 q C6 e E6 D6 | h C6 q A5 q E5 | "
    "q B5 e A5 G5 q E5 e D5 E5 | h. E5~ q r";
const char kBreakSolo[] = "w A5~ | h. E5 q >C6 | w G5~ | h E5 h C6 | w B5~ | h. E5~ q r";
const char kLastPhrase[] = "h B5 h G5 | q. A5 e G5 h E5~ | w E5\\ | w r | w r | w r";

// What each section plays: harmony, the reed's line, and how hard the drums go (0 none to 4).
struct SectionPlan {
    const char* chords;
    const char* reed; // null: silent
    int drums;
    bool pads;
    bool bass;
    bool breath;
};

const SectionPlan kPlan[kSections] = {
    {kEmbers, nullptr, 0, false, false, true},      // 0 embers in the dark
    {kEmbers, kFirstCall, 1, false, false, true},   // 1 a first call
    {kThemeAChords, kThemeA, 1, true, false, false}, // 2 the hall revealed
    {kThemeBChords, kThemeB, 2, true, true, false},  // 3
    {kThemeAChords, kThemeA, 2, true, true, false},  // 4
    {kThemeBChords, kThemeB, 2, true, true, false},  // 5
    {kThemeAChords, kThemeA, 3, true, true, false},  // 6 the drums build
    {kThemeBChords, kThemeB, 3, true, true, false},  // 7
    {kThemeAChords, kThemeAHigh, 3, true, true, false}, // 8
    {kBreakChords, kBreakSolo, 0, true, false, true},   // 9 break
    {kThemeAChords, kThemeA, 4, true, true, false},  // 10 full fire
    {kThemeBChords, kThemeB, 4, true, true, false},  // 11
    {kThemeAChords, kThemeAHigh, 4, true, true, false}, // 12
    {kThemeBChords, kThemeB, 4, true, true, false},  // 13
    {kThemeAChords, kThemeA, 1, true, true, false},  // 14 settling
    {kEmbers, kLastPhrase, 1, true, false, true},    // 15
    {kEmbers, nullptr, 0, false, false, true},       // 16 embers again
};

struct Kit {
    uint8_t frame, lowTom, midTom, shaker;
};

void WriteSectionDrums(Score* s, int section, int level, const Kit& kit)
{
    const int row = Section(section);
    switch (level) {
    case 1:
        WriteDrums(s, kFrame, row, "x.......x.......", kit.frame, 34, kBarsPerSection);
        break;
    case 2:
        WriteDrums(s, kFrame, row, "x.....x.x.......", kit.frame, 40, kBarsPerSection);
        WriteDrums(s, kLowTom, row, "...x.....x..x...", kit.lowTom, 30, kBarsPerSection);
        break;
    case 3:
        WriteDrums(s, kFrame, row, "x..x..x.x..x..x.", kit.frame, 44, kBarsPerSection);
        WriteDrums(s, kLowTom, row, "x.....x...x.....", kit.lowTom, 38, kBarsPerSection);
        WriteDrums(s, kMidTom, row, "....x.......x.x.", kit.midTom, 30, kBarsPerSection);
        WriteDrums(s, kShaker, row, "o.x.o.x.o.x.o.x.", kit.shaker, 26, kBarsPerSection);
        break;
    case 4:
        WriteDrums(s, kFrame, row, "X..x..x.X..x..x.", kit.frame, 46, kBarsPerSection);
        WriteDrums(s, kLowTom, row, "x..x..x.x..x.xx.", kit.lowTom, 40, kBarsPerSection);
        WriteDrums(s, kMidTom, row, "..x...x...x.x..x", kit.midTom, 34, kBarsPerSection);
        WriteDrums(s, kShaker, row, "oxxoxoxxoxxoxoxx", kit.shaker, 26, kBarsPerSection);
        break;
    default:
        break;
    }
}

} // namespace

Score ComposeHallOfFire()
{
    Score s;
    s.title = "Vela: hall of fire";
    s.bpm = 125;
    s.channels = {{"reed", ChannelRole::Pitched, 52, 76, 128},        {"reed echo", ChannelRole::Pitched, 52, 76, 70},
                  {"pad 1", ChannelRole::Pitched, 47, 67, 72},        {"pad 2", ChannelRole::Pitched, 47, 67, 128},
                  {"pad 3", ChannelRole::Pitched, 47, 67, 184},       {"bass", ChannelRole::Pitched, 28, 47, 128},
                  {"drone low", ChannelRole::Pitched, 28, 28, 112},   {"drone high", ChannelRole::Pitched, 40, 40, 144},
                  {"frame drum", ChannelRole::Percussion, 0, 95, 128}, {"low tom", ChannelRole::Percussion, 0, 95, 100},
                  {"mid tom", ChannelRole::Percussion, 0, 95, 168},   {"shaker", ChannelRole::Percussion, 0, 95, 168},
                  {"crackle", ChannelRole::Percussion, 0, 95, 160},   {"breath", ChannelRole::Percussion, 0, 95, 96}};
    s.scale = {4, 5, 7, 9, 11, 0, 2}; // E Phrygian
    s.rowsPerBeat = 4;
    for (int section = 0; section < kSections; ++section) {
        const int first = AppendRows(&s, kRowsPerSection, 6);
        for (int r = 0; r < kRowsPerSection; ++r) s.ticks[static_cast<size_t>(first + r)] = kBeatTicks[r % 4];
        s.ticks[static_cast<size_t>(first + kRowsPerSection - 1)] += 1;
        StartPattern(&s, first);
    }
    s.restartRow = Section(1);

    const uint8_t drone = AddInstrument(&s, MakeDrone("drone"));
    const uint8_t reed = AddInstrument(&s, MakeReed("reed"));
    const uint8_t pad = AddInstrument(&s, MakeWarmPad("ember pad"));
    const uint8_t bass = AddInstrument(&s, MakeHollowBass("hollow bass"));
    const Kit kit{AddInstrument(&s, MakeFrameDrum("frame drum")), AddInstrument(&s, MakeTom("low tom", 38, 0.32)),
                  AddInstrument(&s, MakeTom("mid tom", 45, 0.24)), AddInstrument(&s, MakeShaker("shaker"))};
    const uint8_t crackle = AddInstrument(&s, MakeCrackle("crackle"));
    const uint8_t breath = AddInstrument(&s, MakeBreath("breath"));

    std::vector<ChordSpan> chords;
    for (int section = 0; section < kSections; ++section) {
        const std::vector<ChordSpan> spans = ParseProgression(kPlan[section].chords, Section(section));
        chords.insert(chords.end(), spans.begin(), spans.end());
    }
    AddHarmony(&s, chords);

    // The drone on E, in two octaves, from the first row to the last; louder as the hall opens.
    static const int kDroneVolume[kSections] = {30, 40, 40, 40, 40, 40, 42, 42, 42, 44, 42, 42, 42, 42, 40, 38, 34};
    for (int ch : {kDroneLow, kDroneHigh}) {
        XmCell& cell = CellAt(&s, 0, ch);
        cell.note = static_cast<uint8_t>((ch == kDroneLow ? 28 : 40) + 1);
        cell.instrument = drone;
        cell.volume = 0x10 + 20;
        for (int section = 0; section < kSections; ++section) {
            const int v = kDroneVolume[section] - (ch == kDroneHigh ? 8 : 0);
            for (int bar = section == 0 ? 1 : 0; bar < kBarsPerSection; ++bar) {
                const int step = section == 0 ? v * bar / (kBarsPerSection - 1) : v;
                CellAt(&s, Bar(section, bar), ch).volume = static_cast<uint8_t>(0x10 + std::max(step, 20));
            }
        }
    }

    // The fire itself: crackle all through, breath in the quiet sections.
    XmCell& fire = CellAt(&s, 0, kCrackle);
    fire.note = kDrumNote + 1;
    fire.instrument = crackle;
    fire.volume = 0x10 + 40;
    for (int section = 0; section < kSections; ++section) {
        const bool quiet = !kPlan[section].pads || kPlan[section].breath;
        CellAt(&s, Section(section), kCrackle).volume = static_cast<uint8_t>(0x10 + (quiet ? 44 : 30));
        const bool breathHere = kPlan[section].breath;
        const bool breathBefore = section > 0 && kPlan[section - 1].breath;
        if (breathHere && !breathBefore) {
            XmCell& cell = CellAt(&s, Section(section), kBreath);
            cell.note = kDrumNote + 1;
            cell.instrument = breath;
            cell.volume = 0x10 + 40;
        } else if (!breathHere && breathBefore) {
            KeyOff(&s, kBreath, Section(section));
        }
    }
    RestrikeAt(&s, {kBreath}, s.restartRow);

    LineStyle reedStyle;
    reedStyle.instrument = reed;
    reedStyle.volume = 48;
    reedStyle.vibrato = 0x24;
    for (int section = 0; section < kSections; ++section) {
        const SectionPlan& plan = kPlan[section];
        if (plan.pads) {
            const std::vector<ChordSpan> spans = ParseProgression(plan.chords, Section(section));
            // The key offs at the section's end give way to the next section's chords, if any.
            WritePads(&s, {kPad1, kPad2, kPad3}, spans, Section(section + 1), pad, 47, 67,
                      plan.drums >= 3 ? 34 : 40);
        }
        if (plan.bass) {
            const char* rhythm = plan.drums >= 4 ? "R..R..R.R..R..5." : plan.drums >= 3 ? "R..R..R.R......." : "R.......R.......";
            WriteBassLine(&s, kBass, chords, Section(section), Section(section + 1), rhythm, 28, bass, plan.drums >= 3 ? 50 : 44);
            if (section + 1 < kSections && !kPlan[section + 1].bass) KeyOff(&s, kBass, Section(section + 1));
        }
        if (plan.reed) {
            reedStyle.volume = static_cast<uint8_t>(plan.drums >= 4 ? 52 : plan.drums >= 2 ? 48 : 44);
            WriteLine(&s, kReed, Section(section), plan.reed, reedStyle);
        }
        WriteSectionDrums(&s, section, plan.drums, kit);
    }
    // A roll of toms rises through the break's last bar into the full fire.
    WriteDrums(&s, kLowTom, Bar(9, 5), "x...x...x.x.xxxx", kit.lowTom, 30);
    WriteDrums(&s, kMidTom, Bar(9, 5), "..x...x.x.x.xxxx", kit.midTom, 26);
    WriteDrums(&s, kFrame, Bar(9, 5), "x.......x...X...", kit.frame, 40);
    WriteEcho(&s, kReed, kReedEcho, 0, RowCount(s) - 3, 3, 36, chords);

    // Sync marks: the start, then calibration marks on the second beat of every other section
    // and of the section after it, with a third one beat later.
    PutMark(&s, 0, kStartMark);
    for (int section = 0; section < kSections; section += 2) {
        PutMark(&s, Section(section) + 4, kCalibrationMark);
        if (section + 1 < kSections) {
            PutMark(&s, Section(section + 1) + 4, kCalibrationMark);
            PutMark(&s, Section(section + 1) + 8, kCalibrationMark);
        }
    }
    return s;
}

} // namespace content::music
