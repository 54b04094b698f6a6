// Pitched instruments, built from harmonic spectra: looped tones for pads, drones, leads and
// basses, plucked and struck tones for arpeggios and bells.
#include <cmath>

#include "music/synth/additive.h"
#include "music/synth/dsp.h"
#include "music/synth/instruments.h"

namespace content::music {

namespace {

constexpr double kRate = 44100.0;

// A slow swell and a long release, for pads and drones.
InstrumentShape PadShape(uint16_t attackTicks, uint16_t fadeout, uint8_t volume)
{
    InstrumentShape s;
    s.volumePoints = {0, 0, attackTicks, 64};
    s.sustainPoint = 1;
    s.fadeout = fadeout;
    s.volume = volume;
    return s;
}

// A quick onset, a dip to a held level, and a release of `fadeout` after key off.
InstrumentShape LeadShape(uint8_t held, uint16_t fadeout)
{
    InstrumentShape s;
    s.volumePoints = {0, 0, 2, 64, 12, held};
    s.sustainPoint = 2;
    s.fadeout = fadeout;
    return s;
}

// Struck and plucked sounds decay by themselves; the envelope only holds.
InstrumentShape StruckShape(uint16_t fadeout)
{
    InstrumentShape s;
    s.volumePoints = {0, 64, 1, 64};
    s.sustainPoint = 1;
    s.fadeout = fadeout;
    return s;
}

} // namespace

XmInstrument MakeWarmPad(const char* name)
{
    auto tone = [](double hz) {
        LoopedToneSpec s;
        s.hz = hz;
        s.cycles = 160;
        s.detunes = {-1, 0, 1};
        s.spectrum = [](int h, double f) { return SawAmplitude(h) * LowPassGain(f, 1500.0, 2) * FormantGain(f, 420.0, 250.0, 0.6); };
        s.seed = 101;
        return MakeLoopedTone(s);
    };
    return AssembleInstrument(name, MakeZones({42, 54, 66}, tone), PadShape(45, 500, 64));
}

XmInstrument MakePluck(const char* name)
{
    auto tone = [](double hz) {
        PluckedToneSpec s;
        s.hz = hz;
        s.seconds = 1.6;
        s.decay = 0.55;
        s.brightDecay = 0.35;
        s.spectrum = [](int h, double f) { return (0.6 * SawAmplitude(h) + 0.5 * PulseAmplitude(h, 0.3)) * LowPassGain(f, 3200.0, 1); };
        s.seed = 103;
        return MakePluckedTone(s);
    };
    return AssembleInstrument(name, MakeZones({48, 60, 72}, tone), StruckShape(900));
}

XmInstrument MakeSoftBass(const char* name)
{
    auto tone = [](double hz) {
        LoopedToneSpec s;
        s.hz = hz;
        s.cycles = 4;
        s.spectrum = [](int h, double) {
            static const double kLevels[6] = {1.0, 0.42, 0.2, 0.09, 0.05, 0.03};
            return h <= 6 ? kLevels[h - 1] : 0.0;
        };
        s.onset = [](int h, double f) { return 0.5 * SawAmplitude(h) * LowPassGain(f, 1400.0, 1); };
        s.onsetDecay = 0.09;
        s.onsetSeconds = 0.8;
        s.seed = 107;
        return MakeLoopedTone(s);
    };
    return AssembleInstrument(name, MakeZones({30, 42}, tone), LeadShape(52, 1400));
}

XmInstrument MakeBell(const char* name)
{
    auto tone = [](double hz) {
        return MakeStruckTone(hz, kRate, 3.5,
                              {{1.0, 1.0, 1.6}, {2.0, 0.55, 1.0}, {2.76, 0.4, 0.7}, {4.07, 0.25, 0.45},
                               {5.43, 0.16, 0.3}, {6.8, 0.1, 0.2}, {0.5, 0.3, 2.0}},
                              0.001);
    };
    return AssembleInstrument(name, MakeZones({66, 78}, tone), StruckShape(300));
}

XmInstrument MakeFluteLead(const char* name)
{
    auto tone = [](double hz) {
        LoopedToneSpec s;
        s.hz = hz;
        s.cycles = 60;
        s.detunes = {0, 1};
        s.spectrum = [](int h, double) {
            static const double kLevels[6] = {1.0, 0.3, 0.2, 0.07, 0.06, 0.03};
            return h <= 6 ? kLevels[h - 1] : 0.0;
        };
        s.onset = [](int h, double f) { return h >= 2 ? 0.25 * SawAmplitude(h) * LowPassGain(f, 5000.0, 1) : 0.0; };
        s.onsetDecay = 0.06;
        s.onsetSeconds = 0.5;
        s.seed = 109;
        return MakeLoopedTone(s);
    };
    InstrumentShape shape = LeadShape(50, 900);
    shape.vibratoDepth = 3;
    shape.vibratoRate = 10;
    shape.vibratoSweep = 40;
    return AssembleInstrument(name, MakeZones({60, 72}, tone), shape);
}

XmInstrument MakeDrone(const char* name)
{
    auto tone = [](double hz) {
        LoopedToneSpec s;
        s.hz = hz;
        s.cycles = 240;
        s.detunes = {-1, 0, 1, 2};
        s.spectrum = [](int h, double f) {
            return (SawAmplitude(h) + 0.5 * SquareAmplitude(h)) * LowPassGain(f, 900.0, 2) * FormantGain(f, 550.0, 200.0, 1.5);
        };
        s.seed = 113;
        return MakeLoopedTone(s);
    };
    return AssembleInstrument(name, MakeZones({28, 40}, tone), PadShape(120, 200, 64));
}

XmInstrument MakeReed(const char* name)
{
    auto tone = [](double hz) {
        LoopedToneSpec s;
        s.hz = hz;
        s.cycles = 50;
        s.detunes = {0, 1};
        s.spectrum = [](int h, double f) {
            const double odd = h % 2 ? 1.0 / h : 0.35 / h;
            return odd * FormantGain(f, 1150.0, 350.0, 2.5) * FormantGain(f, 2700.0, 500.0, 1.2) * LowPassGain(f, 4000.0, 2);
        };
        s.onset = [](int h, double f) { return 0.3 * SawAmplitude(h) * FormantGain(f, 1800.0, 600.0, 2.0); };
        s.onsetDecay = 0.05;
        s.onsetSeconds = 0.4;
        s.seed = 127;
        return MakeLoopedTone(s);
    };
    InstrumentShape shape = LeadShape(54, 700);
    shape.volumePoints = {0, 0, 4, 64, 16, 54};
    shape.vibratoDepth = 4;
    shape.vibratoRate = 12;
    shape.vibratoSweep = 60;
    return AssembleInstrument(name, MakeZones({52, 64, 76}, tone), shape);
}

XmInstrument MakeHollowBass(const char* name)
{
    auto tone = [](double hz) {
        LoopedToneSpec s;
        s.hz = hz;
        s.cycles = 4;
        s.spectrum = [](int h, double f) { return (SquareAmplitude(h) + 0.3 * SawAmplitude(h)) * LowPassGain(f, 600.0, 2); };
        s.onset = [](int h, double f) { return 0.6 * SawAmplitude(h) * LowPassGain(f, 2500.0, 1); };
        s.onsetDecay = 0.07;
        s.onsetSeconds = 0.6;
        s.seed = 131;
        return MakeLoopedTone(s);
    };
    return AssembleInstrument(name, MakeZones({28, 40}, tone), LeadShape(50, 1200));
}

XmInstrument MakeSawLead(const char* name)
{
    auto tone = [](double hz) {
        LoopedToneSpec s;
        s.hz = hz;
        s.cycles = 120;
        s.detunes = {-1, 1};
        s.spectrum = [](int h, double f) { return SawAmplitude(h) * LowPassGain(f, 5000.0, 1); };
        s.onset = [](int h, double f) { return 0.4 * SawAmplitude(h) * LowPassGain(f, 9000.0, 1); };
        s.onsetDecay = 0.08;
        s.onsetSeconds = 0.5;
        s.seed = 137;
        return MakeLoopedTone(s);
    };
    InstrumentShape shape = LeadShape(50, 800);
    shape.vibratoDepth = 2;
    shape.vibratoRate = 14;
    shape.vibratoSweep = 50;
    return AssembleInstrument(name, MakeZones({60, 72, 84}, tone), shape);
}

XmInstrument MakePulseArp(const char* name)
{
    auto tone = [](double hz) {
        PluckedToneSpec s;
        s.hz = hz;
        s.seconds = 0.9;
        s.decay = 0.3;
        s.brightDecay = 0.15;
        s.spectrum = [](int h, double f) { return PulseAmplitude(h, 0.25) * LowPassGain(f, 6000.0, 1); };
        s.seed = 139;
        return MakePluckedTone(s);
    };
    return AssembleInstrument(name, MakeZones({60, 72, 84}, tone), StruckShape(1500));
}

XmInstrument MakeBrightPad(const char* name)
{
    auto tone = [](double hz) {
        LoopedToneSpec s;
        s.hz = hz;
        s.cycles = 200;
        s.detunes = {-2, -1, 0, 1, 2};
        s.spectrum = [](int h, double f) { return SawAmplitude(h) * LowPassGain(f, 3000.0, 2); };
        s.seed = 149;
        return MakeLoopedTone(s);
    };
    return AssembleInstrument(name, MakeZones({48, 60, 72}, tone), PadShape(12, 700, 64));
}

XmInstrument MakeChoir(const char* name)
{
    auto tone = [](double hz) {
        LoopedToneSpec s;
        s.hz = hz;
        s.cycles = 200;
        s.detunes = {-1, 0, 1, 2};
        s.spectrum = [](int h, double f) {
            return SawAmplitude(h) * LowPassGain(f, 3500.0, 2) *
                   (0.3 + 0.7 * (FormantGain(f, 700.0, 130.0, 3.0) + FormantGain(f, 1220.0, 150.0, 2.0) + FormantGain(f, 2600.0, 250.0, 1.0) - 3.0));
        };
        s.seed = 151;
        return MakeLoopedTone(s);
    };
    InstrumentShape shape = PadShape(60, 350, 64);
    shape.vibratoDepth = 2;
    shape.vibratoRate = 8;
    shape.vibratoSweep = 80;
    return AssembleInstrument(name, MakeZones({48, 60, 72}, tone), shape);
}

XmInstrument MakeSawBass(const char* name)
{
    auto tone = [](double hz) {
        LoopedToneSpec s;
        s.hz = hz;
        s.cycles = 4;
        s.spectrum = [](int h, double f) { return SawAmplitude(h) * LowPassGain(f, 700.0, 2); };
        s.onset = [](int h, double f) { return 0.7 * SawAmplitude(h) * LowPassGain(f, 3500.0, 1); };
        s.onsetDecay = 0.06;
        s.onsetSeconds = 0.5;
        s.seed = 157;
        return MakeLoopedTone(s);
    };
    return AssembleInstrument(name, MakeZones({28, 40}, tone), LeadShape(56, 1500));
}

} // namespace content::music
