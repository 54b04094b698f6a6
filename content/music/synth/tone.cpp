#include "music/synth/tone.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "music/synth/dsp.h"

namespace content::music {

double NoteHz(double note) { return 440.0 * Exp2((note - 57.0) / 12.0); }
double NoteOfHz(double hz) { return 57.0 + 12.0 * Log2(hz / 440.0); }

void TuneSample(double rate, double rootNote, int8_t* relativeNote, int8_t* finetune)
{
    // A sample with no tuning plays note 48 (C-4) at 8363 frames per second, and a semitone
    // higher multiplies that by 2^(1/12).
    const double semitones = 12.0 * Log2(rate / 8363.0) - (rootNote - 48.0);
    const long steps = std::lround(semitones * 128.0);
    long whole = steps >= 0 ? (steps + 64) / 128 : -((-steps + 63) / 128);
    long fine = steps - whole * 128;
    if (whole < -96 || whole > 95) throw std::runtime_error("sample tuning out of range");
    *relativeNote = static_cast<int8_t>(whole);
    *finetune = static_cast<int8_t>(std::clamp(fine, -128L, 127L));
}

XmInstrument AssembleInstrument(const std::string& name, const std::vector<Zone>& zones, const InstrumentShape& shape)
{
    if (zones.empty() || zones.size() > 16) throw std::runtime_error(name + ": needs 1 to 16 zones");
    float peak = 0.0f;
    for (const Zone& z : zones) {
        if (z.tone.frames.empty()) throw std::runtime_error(name + ": a zone has no frames");
        for (float v : z.tone.frames) peak = std::max(peak, std::fabs(v));
    }
    if (!(peak > 0.0f)) throw std::runtime_error(name + ": silent");
    const double scale = 32000.0 / peak;

    XmInstrument ins;
    ins.name = name;
    int note = 0;
    for (size_t i = 0; i < zones.size(); ++i) {
        const Zone& z = zones[i];
        XmSample s;
        s.name = name;
        s.sixteenBit = true;
        s.data16.reserve(z.tone.frames.size());
        for (float v : z.tone.frames) s.data16.push_back(static_cast<int16_t>(std::lround(v * scale)));
        if (z.tone.loopLength > 0) {
            s.loopType = kXmForwardLoop;
            s.loopStart = z.tone.loopStart;
            s.loopLength = z.tone.loopLength;
        }
        s.volume = shape.volume;
        s.panning = shape.panning;
        TuneSample(z.tone.rate, z.tone.rootNote, &s.relativeNote, &s.finetune);
        ins.samples.push_back(std::move(s));
        const int last = i + 1 == zones.size() ? 95 : std::min(z.lastNote, 95);
        for (; note <= last; ++note) ins.sampleForNote[note] = static_cast<uint8_t>(i);
    }
    ins.volumeEnvelope.on = true;
    ins.volumeEnvelope.points = shape.volumePoints;
    if (shape.sustainPoint >= 0) {
        ins.volumeEnvelope.sustainOn = true;
        ins.volumeEnvelope.sustainPoint = static_cast<uint8_t>(shape.sustainPoint);
    }
    if (!shape.panningPoints.empty()) {
        ins.panningEnvelope.on = true;
        ins.panningEnvelope.points = shape.panningPoints;
    }
    ins.fadeout = shape.fadeout;
    ins.vibratoDepth = shape.vibratoDepth;
    ins.vibratoRate = shape.vibratoRate;
    ins.vibratoSweep = shape.vibratoSweep;
    return ins;
}

} // namespace content::music
