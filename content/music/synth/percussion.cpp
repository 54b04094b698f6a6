// Drums and noises, made in the time domain: swept sines, filtered noise, metallic squares.
#include <algorithm>
#include <cmath>
#include <vector>

#include "common/random.h"
#include "music/synth/dsp.h"
#include "music/synth/instruments.h"
#include "music/synth/tone.h"

namespace content::music {

namespace {

constexpr double kRate = 44100.0;

size_t Frames(double seconds) { return static_cast<size_t>(seconds * kRate); }

// A one-shot drum tone from float frames: fades the last 10 ms to silence.
Tone DrumTone(std::vector<double> frames, double rootNote = kDrumNote)
{
    const size_t fade = std::min(frames.size(), Frames(0.01));
    for (size_t i = 0; i < fade; ++i) frames[frames.size() - 1 - i] *= static_cast<double>(i) / fade;
    Tone t;
    t.rate = kRate;
    t.rootNote = rootNote;
    t.frames.assign(frames.begin(), frames.end());
    return t;
}

// Drums ring out by themselves: the envelope only holds, and a key off lets them finish.
InstrumentShape DrumShape(uint8_t volume)
{
    InstrumentShape s;
    s.volumePoints = {0, 64, 1, 64};
    s.sustainPoint = 1;
    s.fadeout = 0;
    s.volume = volume;
    return s;
}

XmInstrument OneShot(const char* name, std::vector<double> frames, uint8_t volume = 64)
{
    return AssembleInstrument(name, {Zone{DrumTone(std::move(frames)), 95}}, DrumShape(volume));
}

// Six square waves at unrelated pitches: the metal of hats and cymbals.
double MetalAt(size_t n)
{
    static const double kHz[6] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
    double sum = 0.0;
    for (double hz : kHz) {
        const double turns = static_cast<double>(n) * hz * 1.7 / kRate;
        sum += (turns - std::floor(turns)) < 0.5 ? 1.0 : -1.0;
    }
    return sum / 6.0;
}

// A loop of noise whose end meets its start: the filter runs over the buffer twice and the
// second pass is kept, so the state at the end is the state the start was computed from.
std::vector<double> CircularFilter(const std::vector<double>& input, Svf filter, bool bandPass)
{
    std::vector<double> out(input.size());
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < input.size(); ++i) {
            StepSvf(&filter, input[i]);
            out[i] = bandPass ? filter.band : filter.high;
        }
    }
    return out;
}

} // namespace

XmInstrument MakeKick(const char* name, const KickSound& k)
{
    std::vector<double> out(Frames(0.9));
    Random random(11);
    Svf clickFilter = MakeSvf(3000.0, 0.7, kRate);
    double phase = 0.0;
    for (size_t n = 0; n < out.size(); ++n) {
        const double t = n / kRate;
        const double hz = k.endHz + (k.startHz - k.endHz) * Decay(t, k.sweep);
        phase += hz / kRate;
        const double body = SinTurns(phase) * Decay(t, k.decay);
        StepSvf(&clickFilter, NextNoise(&random));
        const double click = clickFilter.low * Decay(t, 0.004) * k.click;
        out[n] = SoftClip(k.drive * body) + click;
    }
    return OneShot(name, std::move(out));
}

XmInstrument MakeSnare(const char* name, double toneHz, double noiseDecay, double brightness)
{
    std::vector<double> out(Frames(0.6));
    Random random(23);
    Svf noiseFilter = MakeSvf(1800.0 + 3000.0 * brightness, 0.6, kRate);
    for (size_t n = 0; n < out.size(); ++n) {
        const double t = n / kRate;
        const double body = (SinTurns(toneHz * t) + 0.6 * SinTurns(toneHz * 1.78 * t)) * Decay(t, 0.07);
        StepSvf(&noiseFilter, NextNoise(&random));
        const double noise = (noiseFilter.band + 0.5 * noiseFilter.high) * Decay(t, noiseDecay);
        out[n] = 0.6 * body + 1.2 * noise;
    }
    return OneShot(name, std::move(out));
}

XmInstrument MakeBrush(const char* name)
{
    std::vector<double> out(Frames(0.5));
    Random random(31);
    Svf filter = MakeSvf(2600.0, 0.8, kRate);
    for (size_t n = 0; n < out.size(); ++n) {
        const double t = n / kRate;
        const double rise = std::min(1.0, t / 0.025);
        StepSvf(&filter, NextNoise(&random));
        out[n] = (filter.band + 0.3 * filter.high) * rise * Decay(t, 0.14);
    }
    return OneShot(name, std::move(out));
}

XmInstrument MakeClap(const char* name)
{
    std::vector<double> out(Frames(0.45));
    Random random(37);
    Svf filter = MakeSvf(1300.0, 1.2, kRate);
    for (size_t n = 0; n < out.size(); ++n) {
        const double t = n / kRate;
        // Three quick slaps, then the room.
        double env = Decay(t, 0.12) * 0.7;
        for (int i = 0; i < 3; ++i) {
            const double s = t - 0.011 * i;
            if (s >= 0.0) env = std::max(env, Decay(s, 0.006));
        }
        StepSvf(&filter, NextNoise(&random));
        out[n] = filter.band * env;
    }
    return OneShot(name, std::move(out));
}

XmInstrument MakeHat(const char* name, double decay)
{
    std::vector<double> out(Frames(std::min(1.2, decay * 7.0 + 0.05)));
    Random random(41);
    Svf filter = MakeSvf(7500.0, 0.7, kRate);
    for (size_t n = 0; n < out.size(); ++n) {
        const double t = n / kRate;
        StepSvf(&filter, 0.6 * MetalAt(n) + 0.7 * NextNoise(&random));
        out[n] = filter.high * Decay(t, decay) * std::min(1.0, t / 0.0008);
    }
    return OneShot(name, std::move(out));
}

XmInstrument MakeShaker(const char* name)
{
    std::vector<double> out(Frames(0.25));
    Random random(43);
    Svf filter = MakeSvf(6000.0, 0.9, kRate);
    for (size_t n = 0; n < out.size(); ++n) {
        const double t = n / kRate;
        StepSvf(&filter, NextNoise(&random));
        out[n] = filter.high * std::min(1.0, t / 0.012) * Decay(t, 0.05);
    }
    return OneShot(name, std::move(out));
}

namespace {

std::vector<double> CrashFrames(double seconds)
{
    std::vector<double> out(Frames(seconds));
    Random random(47);
    Svf filter = MakeSvf(4200.0, 0.6, kRate);
    for (size_t n = 0; n < out.size(); ++n) {
        const double t = n / kRate;
        StepSvf(&filter, 0.5 * MetalAt(n * 3 / 2) + NextNoise(&random));
        out[n] = filter.high * (0.6 * Decay(t, seconds * 0.35) + 0.4 * Decay(t, 0.12));
    }
    return out;
}

} // namespace

XmInstrument MakeCrash(const char* name, double seconds) { return OneShot(name, CrashFrames(seconds)); }

XmInstrument MakeSwell(const char* name, double seconds)
{
    std::vector<double> out = CrashFrames(seconds);
    std::reverse(out.begin(), out.end());
    // Reversed, the crash rises; shape it so it starts from nothing.
    const size_t rise = Frames(0.1);
    for (size_t i = 0; i < rise && i < out.size(); ++i) out[i] *= static_cast<double>(i) / rise;
    return OneShot(name, std::move(out));
}

XmInstrument MakeTom(const char* name, int rootNote, double decay)
{
    const double hz = NoteHz(rootNote);
    std::vector<double> out(Frames(decay * 4.0));
    Random random(53);
    Svf skin = MakeSvf(900.0, 0.8, kRate);
    double phase = 0.0;
    for (size_t n = 0; n < out.size(); ++n) {
        const double t = n / kRate;
        phase += hz * (1.0 + 0.5 * Decay(t, 0.02)) / kRate;
        const double body = (SinTurns(phase) + 0.25 * SinTurns(phase * 1.5 + 0.1)) * Decay(t, decay);
        StepSvf(&skin, NextNoise(&random));
        out[n] = SoftClip(1.3 * body) + 0.35 * skin.band * Decay(t, 0.03);
    }
    return AssembleInstrument(name, {Zone{DrumTone(std::move(out), rootNote), 95}}, DrumShape(64));
}

XmInstrument MakeFrameDrum(const char* name)
{
    // A wide membrane: a low thump, its inharmonic modes, and the slap of the hand.
    const double hz = 82.0;
    static const double kModes[5][3] = {{1.0, 1.0, 0.45}, {1.59, 0.45, 0.25}, {2.14, 0.3, 0.18}, {2.30, 0.22, 0.15}, {2.65, 0.15, 0.1}};
    std::vector<double> out(Frames(1.3));
    Random random(59);
    Svf slap = MakeSvf(1500.0, 0.9, kRate);
    for (size_t n = 0; n < out.size(); ++n) {
        const double t = n / kRate;
        double body = 0.0;
        for (const auto& m : kModes) body += m[1] * SinTurns(hz * m[0] * t * (1.0 + 0.15 * Decay(t, 0.015))) * Decay(t, m[2]);
        StepSvf(&slap, NextNoise(&random));
        out[n] = SoftClip(1.2 * body) + 0.5 * slap.band * Decay(t, 0.02);
    }
    return AssembleInstrument(name, {Zone{DrumTone(std::move(out), NoteOfHz(hz)), 95}}, DrumShape(64));
}

XmInstrument MakeCrackle(const char* name)
{
    // Sparse pops of random size and colour over a faint hiss, looped over three seconds.
    const size_t length = Frames(3.0);
    std::vector<double> impulses(length, 0.0);
    Random random(61);
    for (size_t n = 0; n < length; ++n) {
        impulses[n] = 0.04 * NextNoise(&random);
        if (random.Below(1000) < 2) {
            const double size = 0.3 + random.Unit();
            const size_t pop = 30 + random.Below(200);
            for (size_t i = 0; i < pop; ++i) {
                impulses[(n + i) % length] += size * NextNoise(&random) * (1.0 - static_cast<double>(i) / pop);
            }
        }
    }
    const std::vector<double> out = CircularFilter(impulses, MakeSvf(2500.0, 0.5, kRate), false);
    Tone t;
    t.rate = kRate;
    t.rootNote = kDrumNote;
    t.frames.assign(out.begin(), out.end());
    t.loopLength = static_cast<uint32_t>(length);
    InstrumentShape shape = DrumShape(64);
    shape.volumePoints = {0, 0, 50, 64};
    shape.fadeout = 300;
    return AssembleInstrument(name, {Zone{std::move(t), 95}}, shape);
}

XmInstrument MakeBreath(const char* name)
{
    // Band-passed noise that swells and sinks twice over a four-second loop.
    const size_t length = Frames(4.0);
    std::vector<double> noise(length);
    Random random(67);
    for (double& v : noise) v = NextNoise(&random);
    const std::vector<double> low = CircularFilter(noise, MakeSvf(700.0, 1.5, kRate), true);
    const std::vector<double> high = CircularFilter(noise, MakeSvf(1900.0, 2.0, kRate), true);
    Tone t;
    t.rate = kRate;
    t.rootNote = kDrumNote;
    t.frames.resize(length);
    for (size_t n = 0; n < length; ++n) {
        const double swell = 0.55 - 0.45 * CosTurns(2.0 * static_cast<double>(n) / length);
        t.frames[n] = static_cast<float>((low[n] + 0.6 * high[n]) * swell);
    }
    t.loopLength = static_cast<uint32_t>(length);
    InstrumentShape shape = DrumShape(64);
    shape.volumePoints = {0, 0, 80, 64};
    shape.fadeout = 200;
    return AssembleInstrument(name, {Zone{std::move(t), 95}}, shape);
}

} // namespace content::music
