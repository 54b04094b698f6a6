// Tones built from sums of sine partials read from one table, so loops close exactly and the
// partials stay below a chosen frequency (no aliasing in the samples themselves).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "music/synth/tone.h"

namespace content::music {

// The amplitude of harmonic `harmonic` (1 = fundamental) found at `hz`.
using Spectrum = std::function<double(int harmonic, double hz)>;

// A sustained tone for a looped sample. The fundamental is rate / period with a whole period,
// and each voice runs a whole number of cycles more or less per loop than the others, so that
// the voices beat slowly and the loop of `period` x `cycles` frames closes without a seam.
struct LoopedToneSpec {
    double hz = 261.63;      // wanted fundamental; the nearest whole period is used
    double rate = 44100.0;
    int cycles = 100;        // periods of the fundamental per loop
    std::vector<int> detunes = {0}; // per voice: extra cycles per loop
    Spectrum spectrum;
    double maxHz = 12000.0;  // partials above are left out
    // An optional onset before the loop: partials at whole harmonics that die away.
    Spectrum onset;
    double onsetDecay = 0.05; // seconds for the fundamental's onset to fall to 1/e; higher partials faster
    double onsetSeconds = 0.0; // frames before the loop start
    uint64_t seed = 1;        // for the partials' starting phases
};

Tone MakeLoopedTone(const LoopedToneSpec& spec);

// A plucked or struck harmonic tone, played once: each harmonic starts with the spectrum's
// amplitude and decays, the higher ones faster, with a short fade at the end.
struct PluckedToneSpec {
    double hz = 261.63;
    double rate = 44100.0;
    double seconds = 1.0;
    Spectrum spectrum;
    double decay = 0.4;          // seconds for the fundamental to fall to 1/e
    double brightDecay = 0.25;   // how much faster each harmonic decays than the one below
    double maxHz = 12000.0;
    double attackSeconds = 0.002;
    uint64_t seed = 1;
};

Tone MakePluckedTone(const PluckedToneSpec& spec);

// Partials at free ratios of a fundamental (bells, membranes), played once.
struct FreePartial {
    double ratio;
    double amplitude;
    double decay; // seconds to 1/e
};
Tone MakeStruckTone(double hz, double rate, double seconds, const std::vector<FreePartial>& partials, double attackSeconds);

// Spectra: a sawtooth (1/h), a square (odd harmonics 1/h), a pulse of the given duty cycle.
double SawAmplitude(int harmonic);
double SquareAmplitude(int harmonic);
double PulseAmplitude(int harmonic, double duty);
// A gentle low-pass curve: 1 well below `cutoffHz`, falling by `order` x 6 dB per octave above.
double LowPassGain(double hz, double cutoffHz, int order);
// A resonance bump (formant) of the given centre, width and height above 1.
double FormantGain(double hz, double centreHz, double widthHz, double height);

// Tones for one instrument at several root notes (one per zone), each serving notes up to the
// next zone's root minus half the spacing.
std::vector<Zone> MakeZones(const std::vector<int>& rootNotes, const std::function<Tone(double hz)>& makeTone);

} // namespace content::music
