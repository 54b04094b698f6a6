// The instrument synthesis: its arithmetic against the C library, sample tuning, loops that
// close without a click, every instrument well formed, and the same bytes on every run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "music/modules.h"
#include "music/synth/dsp.h"
#include "music/synth/instruments.h"
#include "music/synth/tone.h"

using namespace content::music;

namespace {

// The frame rate at which a sample tuned (relativeNote, finetune) plays `note` in an XM module
// with linear frequencies.
double PlaybackRate(int note, int relativeNote, int finetune)
{
    return 8363.0 * std::pow(2.0, (note + relativeNote - 48 + finetune / 128.0) / 12.0);
}

std::vector<XmInstrument> EveryInstrument()
{
    return {MakeKick("k", KickSound{}), MakeSnare("s", 190, 0.15, 0.5), MakeBrush("b"), MakeClap("c"), MakeHat("h", 0.05),
            MakeShaker("sh"), MakeCrash("cr", 2.0), MakeSwell("sw", 1.0), MakeTom("t", 40, 0.3), MakeFrameDrum("f"),
            MakeCrackle("cl"), MakeBreath("br"), MakeWarmPad("wp"), MakePluck("p"), MakeSoftBass("sb"), MakeBell("be"),
            MakeFluteLead("fl"), MakeDrone("d"), MakeReed("r"), MakeHollowBass("hb"), MakeSawLead("sl"), MakePulseArp("pa"),
            MakeBrightPad("bp"), MakeChoir("ch"), MakeSawBass("sab")};
}

} // namespace

TEST(MusicSynth, ArithmeticMatchesTheCLibrary)
{
    for (double x = -3.0; x <= 3.0; x += 0.0137) {
        EXPECT_NEAR(content::music::SinTurns(x), std::sin(2.0 * content::music::kPi * x), 1e-10) << x;
        EXPECT_NEAR(Exp2(x * 7.0), std::exp2(x * 7.0), std::exp2(x * 7.0) * 1e-13) << x;
        if (x > 0) {
            EXPECT_NEAR(Log2(x * 1000.0), std::log2(x * 1000.0), 1e-12) << x;
        }
    }
    EXPECT_EQ(SoftClip(10.0), 1.0);
    EXPECT_NEAR(SoftClip(0.01), 0.01, 1e-5);
    // A low-pass state-variable filter passes a slow sine and stops a fast one.
    for (double hz : {100.0, 8000.0}) {
        Svf f = MakeSvf(1000.0, 0.7071, 44100.0);
        double peak = 0.0;
        for (int n = 0; n < 44100; ++n) {
            StepSvf(&f, content::music::SinTurns(hz * n / 44100.0));
            if (n > 4410) peak = std::max(peak, std::fabs(f.low));
        }
        if (hz < 1000.0) {
            EXPECT_NEAR(peak, 1.0, 0.02);
        } else {
            EXPECT_LT(peak, 0.03);
        }
    }
}

TEST(MusicSynth, SamplesPlayAtTheirRootNotes)
{
    int8_t rel = 0, fine = 0;
    TuneSample(8363.0, 48.0, &rel, &fine);
    EXPECT_EQ(rel, 0);
    EXPECT_EQ(fine, 0);
    for (double rate : {22050.0, 32000.0, 44100.0}) {
        for (double root : {28.3, 48.0, 60.0, 71.9}) {
            TuneSample(rate, root, &rel, &fine);
            EXPECT_GE(fine, -64);
            EXPECT_LT(fine, 64);
            // Played on the note nearest its root, the sample runs at its rate (to within the
            // remaining fraction of a semitone, tuned in 1/128 steps).
            const int note = static_cast<int>(std::lround(root));
            const double expected = rate * std::pow(2.0, (note - root) / 12.0);
            EXPECT_NEAR(PlaybackRate(note, rel, fine) / expected, 1.0, 0.0003) << rate << " " << root;
        }
    }
    EXPECT_NEAR(NoteHz(57.0), 440.0, 1e-9);
    EXPECT_NEAR(NoteOfHz(261.6255653), 48.0, 1e-6);
}

TEST(MusicSynth, InstrumentsAreWellFormedAndTheirLoopsCloseWithoutAClick)
{
    for (const XmInstrument& ins : EveryInstrument()) {
        ASSERT_FALSE(ins.samples.empty()) << ins.name;
        EXPECT_TRUE(ins.volumeEnvelope.on) << ins.name << ": a key off must release, not cut";
        for (int n = 0; n < 96; ++n) EXPECT_LT(ins.sampleForNote[n], ins.samples.size()) << ins.name;
        int peak = 0;
        for (const XmSample& s : ins.samples) {
            ASSERT_TRUE(s.sixteenBit) << ins.name;
            ASSERT_FALSE(s.data16.empty()) << ins.name;
            for (int16_t v : s.data16) peak = std::max(peak, std::abs(static_cast<int>(v)));
            if (s.loopType == kXmNoLoop) {
                // One-shots end in silence.
                EXPECT_LT(std::abs(s.data16.back()), 200) << ins.name;
                continue;
            }
            ASSERT_LE(s.loopStart + s.loopLength, s.data16.size()) << ins.name;
            // The step from the loop's last frame back to its first is no bigger than the
            // steps inside the loop.
            int largest = 0;
            for (uint32_t i = s.loopStart + 1; i < s.loopStart + s.loopLength; ++i) {
                largest = std::max(largest, std::abs(s.data16[i] - s.data16[i - 1]));
            }
            const int seam = std::abs(s.data16[s.loopStart] - s.data16[s.loopStart + s.loopLength - 1]);
            EXPECT_LE(seam, largest) << ins.name << " zone root " << static_cast<int>(s.relativeNote);
        }
        EXPECT_GT(peak, 30000) << ins.name;
        EXPECT_LE(peak, 32767) << ins.name;
    }
}
