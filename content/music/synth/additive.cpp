#include "music/synth/additive.h"

#include <algorithm>
#include <cmath>

#include "common/random.h"
#include "music/synth/dsp.h"

namespace content::music {

namespace {

std::vector<double> SineTable(uint32_t length)
{
    std::vector<double> table(length);
    for (uint32_t i = 0; i < length; ++i) table[i] = SinTurns(static_cast<double>(i) / length);
    return table;
}

// A short linear rise and a fall over the last `fadeFrames`.
void ShapeEnds(std::vector<double>* frames, size_t riseFrames, size_t fadeFrames)
{
    const size_t n = frames->size();
    for (size_t i = 0; i < riseFrames && i < n; ++i) (*frames)[i] *= static_cast<double>(i) / riseFrames;
    for (size_t i = 0; i < fadeFrames && i < n; ++i) (*frames)[n - 1 - i] *= static_cast<double>(i) / fadeFrames;
}

// Adds `amplitude` x table[(n x cycles + phase) mod size] for frames [first, last), the
// amplitude multiplied by `fall` after every frame.
void AddTableWave(std::vector<double>* out, size_t first, size_t last, const std::vector<double>& table, uint64_t cycles,
                  uint64_t phase, double amplitude, double fall)
{
    const uint64_t size = table.size();
    const uint64_t step = cycles % size;
    uint64_t index = (first * step + phase) % size;
    double level = amplitude;
    for (size_t n = first; n < last; ++n) {
        (*out)[n] += level * table[index];
        level *= fall;
        index += step;
        if (index >= size) index -= size;
    }
}

std::vector<float> ToFloat(const std::vector<double>& frames)
{
    return std::vector<float>(frames.begin(), frames.end());
}

} // namespace

Tone MakeLoopedTone(const LoopedToneSpec& spec)
{
    const uint32_t period = static_cast<uint32_t>(std::max(2L, std::lround(spec.rate / spec.hz)));
    const double f0 = spec.rate / period;
    const uint32_t loop = period * static_cast<uint32_t>(spec.cycles);
    const uint32_t onsetFrames = static_cast<uint32_t>(std::lround(spec.onsetSeconds * spec.rate));
    const std::vector<double> table = SineTable(loop);
    std::vector<double> out(onsetFrames + loop, 0.0);
    Random random(spec.seed);
    const double voiceGain = 1.0 / std::sqrt(static_cast<double>(spec.detunes.size()));
    for (int detune : spec.detunes) {
        const uint64_t voiceCycles = static_cast<uint64_t>(spec.cycles + detune);
        for (int h = 1;; ++h) {
            const uint64_t cycles = voiceCycles * static_cast<uint64_t>(h);
            const double hz = static_cast<double>(cycles) * spec.rate / loop;
            if (hz > spec.maxHz || hz >= spec.rate * 0.5) break;
            const double a = spec.spectrum(h, hz) * voiceGain;
            const uint64_t phase = random.Below(loop);
            if (std::fabs(a) < 1e-5) continue;
            AddTableWave(&out, 0, out.size(), table, cycles, phase, a, 1.0);
        }
    }
    if (spec.onset && onsetFrames > 0) {
        // The onset's partials sit on whole harmonics of the first voice, so they are whole
        // cycles of the same table.
        const uint64_t baseCycles = static_cast<uint64_t>(spec.cycles + spec.detunes.front());
        for (int h = 1;; ++h) {
            const uint64_t cycles = baseCycles * static_cast<uint64_t>(h);
            const double hz = static_cast<double>(cycles) * spec.rate / loop;
            if (hz > spec.maxHz || hz >= spec.rate * 0.5) break;
            const double a = spec.onset(h, hz);
            if (std::fabs(a) < 1e-5) continue;
            const double fall = ExpE(-1.0 / (spec.onsetDecay / (1.0 + 0.3 * (h - 1)) * spec.rate));
            AddTableWave(&out, 0, onsetFrames, table, cycles, 0, a, fall);
        }
    }
    // A short rise into the onset; a tone that loops from its first frame starts as it is (a
    // rise there would be heard at every pass of the loop) and relies on its envelope.
    if (onsetFrames > 0) ShapeEnds(&out, std::min<size_t>(onsetFrames, static_cast<size_t>(spec.rate * 0.002)), 0);
    Tone tone;
    tone.rate = spec.rate;
    tone.rootNote = NoteOfHz(f0);
    tone.frames = ToFloat(out);
    tone.loopStart = onsetFrames;
    tone.loopLength = loop;
    return tone;
}

Tone MakePluckedTone(const PluckedToneSpec& spec)
{
    const uint32_t period = static_cast<uint32_t>(std::max(2L, std::lround(spec.rate / spec.hz)));
    const double f0 = spec.rate / period;
    const size_t frames = static_cast<size_t>(spec.seconds * spec.rate);
    const std::vector<double> table = SineTable(period);
    std::vector<double> out(frames, 0.0);
    Random random(spec.seed);
    for (int h = 1; h * f0 < std::min(spec.maxHz, spec.rate * 0.5); ++h) {
        const double a = spec.spectrum(h, h * f0);
        const uint32_t phase = random.Below(period);
        if (std::fabs(a) < 1e-5) continue;
        const double seconds = spec.decay / (1.0 + spec.brightDecay * (h - 1));
        const double fall = ExpE(-1.0 / (seconds * spec.rate));
        const size_t audible = std::min<size_t>(frames, static_cast<size_t>(seconds * 14.0 * spec.rate));
        AddTableWave(&out, 0, audible, table, static_cast<uint64_t>(h), phase, a, fall);
    }
    ShapeEnds(&out, static_cast<size_t>(spec.attackSeconds * spec.rate), static_cast<size_t>(spec.rate * 0.02));
    Tone tone;
    tone.rate = spec.rate;
    tone.rootNote = NoteOfHz(f0);
    tone.frames = ToFloat(out);
    return tone;
}

Tone MakeStruckTone(double hz, double rate, double seconds, const std::vector<FreePartial>& partials, double attackSeconds)
{
    const size_t frames = static_cast<size_t>(seconds * rate);
    std::vector<double> out(frames, 0.0);
    for (const FreePartial& p : partials) {
        const double step = hz * p.ratio / rate;
        if (step >= 0.5) continue;
        const double fall = ExpE(-1.0 / (p.decay * rate));
        double level = p.amplitude;
        double phase = 0.0;
        for (size_t n = 0; n < frames && level > 1e-6; ++n, level *= fall) {
            out[n] += level * SinTurns(phase);
            phase += step;
            if (phase >= 1.0) phase -= 1.0;
        }
    }
    ShapeEnds(&out, static_cast<size_t>(attackSeconds * rate), static_cast<size_t>(rate * 0.02));
    Tone tone;
    tone.rate = rate;
    tone.rootNote = NoteOfHz(hz);
    tone.frames = ToFloat(out);
    return tone;
}

double SawAmplitude(int h) { return 1.0 / h; }
double SquareAmplitude(int h) { return h % 2 ? 1.0 / h : 0.0; }
double PulseAmplitude(int h, double duty) { return std::fabs(SinTurns(0.5 * h * duty)) / h; }

double LowPassGain(double hz, double cutoffHz, int order)
{
    const double x = hz / cutoffHz;
    double p = 1.0;
    for (int i = 0; i < 2 * order; ++i) p *= x;
    return 1.0 / std::sqrt(1.0 + p);
}

double FormantGain(double hz, double centreHz, double widthHz, double height)
{
    const double d = (hz - centreHz) / widthHz;
    return 1.0 + height / (1.0 + d * d);
}

std::vector<Zone> MakeZones(const std::vector<int>& rootNotes, const std::function<Tone(double hz)>& makeTone)
{
    std::vector<Zone> zones;
    for (size_t i = 0; i < rootNotes.size(); ++i) {
        Zone z;
        z.tone = makeTone(NoteHz(rootNotes[i]));
        z.lastNote = i + 1 < rootNotes.size() ? (rootNotes[i] + rootNotes[i + 1]) / 2 : 95;
        zones.push_back(std::move(z));
    }
    return zones;
}

} // namespace content::music
