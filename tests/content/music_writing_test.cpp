// The tools the modules are written with: the note notation, chords and their voicing, the parts
// written from a progression, the cutting of a score into XM patterns, and the musical checks.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>

#include "music/arrange.h"
#include "music/notation.h"
#include "music/score_checks.h"

using namespace content::music;

namespace {

Score MakeScore(int channels, int rows)
{
    Score s;
    s.title = "test";
    for (int c = 0; c < channels; ++c) s.channels.push_back(ChannelInfo{"ch" + std::to_string(c), ChannelRole::Pitched, 0, 95});
    AppendRows(&s, rows, 6);
    StartPattern(&s, 0);
    return s;
}

int NoteAt(const Score& s, int row, int channel) { return CellAt(s, row, channel).note; }

} // namespace

TEST(MusicNotation, NotesChordsAndProgressions)
{
    EXPECT_EQ(ParseNote("C4"), 48);
    EXPECT_EQ(ParseNote("A4"), 57);
    EXPECT_EQ(ParseNote("Bb2"), 34);
    EXPECT_EQ(ParseNote("B#3"), 48); // spelled across the C line, same key as C4
    EXPECT_EQ(ParseNote("Cb4"), 47);
    for (const char* bad : {"H4", "C", "C44", "C#x", "", "c4", "B9"}) EXPECT_THROW(ParseNote(bad), std::invalid_argument) << bad;

    const Chord dm = ParseChord("Dm");
    EXPECT_EQ(dm.tones, (std::vector<int>{2, 5, 9}));
    EXPECT_EQ(dm.bass, 2);
    const Chord slash = ParseChord("F/A");
    EXPECT_EQ(slash.root, 5);
    EXPECT_EQ(slash.bass, 9);
    EXPECT_EQ(ParseChord("Em7").tones, (std::vector<int>{4, 7, 11, 2}));
    EXPECT_THROW(ParseChord("Cmaj13"), std::invalid_argument);

    const std::vector<ChordSpan> spans = ParseProgression("Dm | Bb C | F", 7);
    ASSERT_EQ(spans.size(), 4u);
    EXPECT_EQ(spans[1].row, 23);
    EXPECT_EQ(spans[2].row, 31);
    EXPECT_EQ(spans[3].row, 39);
    EXPECT_EQ(ChordAt(spans, 30).symbol, "Bb");
    EXPECT_THROW(ParseProgression("C F G", 0), std::invalid_argument); // three chords cannot split 16 rows
}

TEST(MusicNotation, LinesAndDrums)
{
    Score s = MakeScore(2, 48);
    LineStyle style;
    style.instrument = 3;
    style.volume = 40;
    const int end = WriteLine(&s, 0, 0, "q. C5 e D5! h E5' | q F5 _ h r | h >G5 q A5~ A5\\", style);
    EXPECT_EQ(end, 48);
    EXPECT_EQ(NoteAt(s, 0, 0), ParseNote("C5") + 1);
    EXPECT_EQ(NoteAt(s, 6, 0), ParseNote("D5") + 1);
    EXPECT_EQ(CellAt(s, 6, 0).volume, 0x10 + 52);
    EXPECT_EQ(NoteAt(s, 12, 0), kKeyOff); // E5 is short: keyed off halfway through its 8 rows
    EXPECT_EQ(NoteAt(s, 20, 0), 0);       // the tie strikes nothing
    EXPECT_EQ(NoteAt(s, 24, 0), kKeyOff); // the rest
    // The glide keeps the sounding sample: no instrument, tone portamento on its first rows.
    EXPECT_EQ(NoteAt(s, 32, 0), ParseNote("G5") + 1);
    EXPECT_EQ(CellAt(s, 32, 0).instrument, 0);
    EXPECT_EQ(CellAt(s, 32, 0).effect, 0x03);
    EXPECT_EQ(CellAt(s, 41, 0).effect, 0x04); // vibrato from the second row
    EXPECT_EQ(CellAt(s, 40, 0).effect, 0);
    EXPECT_EQ(CellAt(s, 45, 0).effect, 0x0E); // fading in fine slides: 30 units over 3 rows
    EXPECT_EQ(CellAt(s, 45, 0).param, 0xBA);
    EXPECT_EQ(CellAt(s, 47, 0).param, 0xBA);
    EXPECT_THROW(WriteLine(&s, 0, 0, "q C5 | D5", style), std::invalid_argument); // bar line off the bar

    EXPECT_EQ(WriteDrums(&s, 1, 0, "X.x. o...", 5, 40, 2), 16);
    EXPECT_EQ(CellAt(s, 0, 1).volume, 0x10 + 54);
    EXPECT_EQ(CellAt(s, 2, 1).volume, 0x10 + 40);
    EXPECT_EQ(CellAt(s, 12, 1).volume, 0x10 + 20);
    EXPECT_EQ(NoteAt(s, 1, 1), 0);
    EXPECT_THROW(WriteDrums(&s, 1, 0, "x?", 5, 40), std::invalid_argument);
}

TEST(MusicArrangement, VoicingsHoldTheChordAndMoveLittle)
{
    for (const char* symbol : {"C", "Am", "Dm", "Bb", "G7", "Esus4", "F/A"}) {
        const Chord chord = ParseChord(symbol);
        const std::vector<int> v = VoiceChord(chord, 3, 48, 70, {});
        ASSERT_EQ(v.size(), 3u);
        std::set<int> classes;
        for (size_t i = 0; i < v.size(); ++i) {
            EXPECT_GE(v[i], 48);
            EXPECT_LE(v[i], 70);
            classes.insert(v[i] % 12);
            if (i) {
                EXPECT_GE(v[i] - v[i - 1], 3) << symbol;
                EXPECT_LE(v[i] - v[i - 1], 9) << symbol;
            }
        }
        EXPECT_TRUE(classes.count(chord.tones[0]) && classes.count(chord.tones[1])) << symbol << ": root and third";
    }
    // C to Am: the common tones stay, one voice moves a tone.
    const std::vector<int> c = VoiceChord(ParseChord("C"), 3, 48, 70, {});
    const std::vector<int> am = VoiceChord(ParseChord("Am"), 3, 48, 70, c);
    int moved = 0;
    for (size_t i = 0; i < 3; ++i) moved += std::abs(am[i] - c[i]);
    EXPECT_LE(moved, 2);
    EXPECT_THROW(VoiceChord(ParseChord("C"), 3, 60, 62, {}), std::runtime_error);
}

TEST(MusicArrangement, PadsArpeggiosBassAndEcho)
{
    Score s = MakeScore(6, 64);
    const std::vector<ChordSpan> chords = ParseProgression("C | Am | F | G", 0);
    WritePads(&s, {0, 1, 2}, chords, 48, 1, 48, 70, 40);
    // A voice holding its note across a change is not struck again; all are keyed off at the end.
    int struck = 0;
    for (int ch = 0; ch < 3; ++ch) struck += NoteAt(s, 16, ch) != 0;
    EXPECT_EQ(struck, 1);
    for (int ch = 0; ch < 3; ++ch) EXPECT_EQ(NoteAt(s, 48, ch), kKeyOff);

    WriteArpeggio(&s, 3, chords, 0, 32, "0 1 2 .", 4, 60, 72, 2, 30, "+-");
    EXPECT_EQ(NoteAt(s, 0, 3), ParseNote("C5") + 1);
    EXPECT_EQ(NoteAt(s, 4, 3), ParseNote("E5") + 1);
    EXPECT_EQ(CellAt(s, 0, 3).volume, 0x10 + 38);
    EXPECT_EQ(CellAt(s, 4, 3).volume, 0x10 + 20);
    EXPECT_EQ(NoteAt(s, 12, 3), 0);
    EXPECT_EQ(NoteAt(s, 16, 3), ParseNote("C5") + 1); // A minor from C5: C E A

    WriteBassLine(&s, 4, chords, 0, 64, "R...5...8...-...", 31, 3, 50);
    EXPECT_EQ(NoteAt(s, 0, 4), ParseNote("C3") + 1);
    EXPECT_EQ(NoteAt(s, 4, 4), ParseNote("G3") + 1);
    EXPECT_EQ(NoteAt(s, 8, 4), ParseNote("C4") + 1);
    EXPECT_EQ(NoteAt(s, 12, 4), kKeyOff);
    EXPECT_EQ(NoteAt(s, 48, 4), ParseNote("G2") + 1);

    // A slide spreads its change over the rows in fine steps, leaving busy columns alone.
    CellAt(&s, 2, 5).effect = 0x04;
    WriteVolumeSlide(&s, 5, 0, 8, -12);
    int change = 0;
    for (int row = 0; row < 8; ++row) {
        const XmCell& c = CellAt(s, row, 5);
        if (c.effect == 0x0E) change += (c.param >> 4) == 0xA ? (c.param & 15) : -(c.param & 15);
    }
    EXPECT_EQ(change, -12 + 2) << "the two units due on the busy row are skipped";

    // The echo drops a note that arrives under a chord it does not belong to.
    Score e = MakeScore(2, 32);
    LineStyle style;
    WriteLine(&e, 0, 0, "h. E5 q B4 | w A4", style);
    WriteEcho(&e, 0, 1, 0, 32, 2, 50, ParseProgression("C | Am", 0));
    EXPECT_EQ(NoteAt(e, 2, 1), ParseNote("E5") + 1);
    EXPECT_EQ(CellAt(e, 2, 1).volume, 0x10 + 24);
    EXPECT_EQ(NoteAt(e, 14, 1), ParseNote("B4") + 1); // still under C
    EXPECT_EQ(NoteAt(e, 16, 1), kKeyOff);              // B is not in A minor
    EXPECT_EQ(NoteAt(e, 18, 1), ParseNote("A4") + 1);
}

TEST(MusicScoreToModule, SpeedsMarksPatternsAndTheLoop)
{
    Score s = MakeScore(2, 40);
    s.ticks[5] = 7;
    s.ticks[6] = 7;
    StartPattern(&s, 8);
    StartPattern(&s, 16);
    StartPattern(&s, 24);
    s.restartRow = 16;
    CellAt(&s, 3, 0).note = 49;
    CellAt(&s, 3, 0).instrument = 1;
    CellAt(&s, 3, 1).effect = 0x04;
    CellAt(&s, 3, 1).param = 0x11;
    PutMark(&s, 3, 2);
    PutMark(&s, 5, 255);
    const XmModule m = ScoreToModule(s);
    // Rows 0-7, 8-15 (empty), 16-23 (empty, but the loop row sets the speed), 24-39.
    ASSERT_EQ(m.orders.size(), 4u);
    EXPECT_EQ(m.restartPosition, 2);
    const XmPattern& first = m.patterns[m.orders[0]];
    EXPECT_EQ(first.cells[5 * 2 + 1].effect, 0x0F); // the speed changes to 7 on row 5...
    EXPECT_EQ(first.cells[5 * 2 + 1].param, 7);
    EXPECT_EQ(first.cells[5 * 2 + 0].effect, 0x20); // ...so the mark takes the next free column
    EXPECT_EQ(first.cells[5 * 2 + 0].param, 255);
    EXPECT_EQ(first.cells[7 * 2 + 1].param, 6);     // and back to 6 on row 7
    EXPECT_EQ(first.cells[3 * 2 + 0].effect, 0x20); // the busy column is left alone
    EXPECT_EQ(first.cells[3 * 2 + 1].effect, 0x04);
    EXPECT_EQ(m.patterns[m.orders[2]].cells[1].effect, 0x0F);
    // Two identical empty patterns would be shared; the loop row's speed makes 16-23 differ.
    EXPECT_NE(m.orders[1], m.orders[2]);
    Score twins = MakeScore(1, 48);
    StartPattern(&twins, 16);
    StartPattern(&twins, 32);
    const XmModule shared = ScoreToModule(twins);
    EXPECT_EQ(shared.patterns.size(), 2u);
    EXPECT_EQ(shared.orders, (std::vector<uint8_t>{0, 1, 1}));

    s.restartRow = 17;
    EXPECT_THROW(ScoreToModule(s), std::runtime_error);
    s.restartRow = 0;
    for (int c = 0; c < 2; ++c) CellAt(&s, 9, c).effect = 0x0A;
    PutMark(&s, 9, 1);
    EXPECT_THROW(ScoreToModule(s), std::runtime_error); // no free column for the mark
}

TEST(MusicChecks, FindClashesOffKeyNotesAndRange)
{
    Score s = MakeScore(3, 32);
    s.scale = {0, 2, 4, 5, 7, 9, 11};
    s.channels[2].lowest = 48;
    s.channels[2].highest = 60;
    AddHarmony(&s, ParseProgression("C | A", 0));
    LineStyle style;
    WriteLine(&s, 0, 0, "w C5 | w C#5", style);    // C# belongs to A major: allowed
    WriteLine(&s, 1, 0, "q E4 e F4 G4 h B4 | w E4", style); // F passes between beats; B on beat 3 clashes with C
    WriteLine(&s, 2, 0, "h D#4 h C5 | w A4", style); // D# fits neither; clashes with E4; in range
    const std::vector<std::string> outside = FindNotesOutsideHarmony(s);
    ASSERT_EQ(outside.size(), 1u);
    EXPECT_NE(outside[0].find("D#4"), std::string::npos);
    const std::vector<std::string> clashes = FindClashes(s);
    EXPECT_EQ(std::set<std::string>(clashes.begin(), clashes.end()),
              (std::set<std::string>{"test row 0 (ch1): E4 against D#4 in ch2", "test row 8 (ch0): C5 against B4 in ch1",
                                     "test row 8 (ch1): B4 against C5 in ch2"}));
    EXPECT_TRUE(FindNotesOutOfRange(s).empty());
    s.channels[2].highest = 57;
    EXPECT_EQ(FindNotesOutOfRange(s).size(), 1u);
}
