// Small XM modules for the sound tests: one looped square-wave instrument, marks and notes
// placed by hand.
#pragma once

#include "formats/xm_writer.h"

// A module of `patternCount` patterns of `rows` rows, played in order once each.
inline XmModule MakeTestModule(int patternCount, uint16_t rows, uint16_t channels = 2, uint16_t speed = 6, uint16_t bpm = 125)
{
    XmModule m;
    m.title = "test module";
    m.channels = channels;
    m.speed = speed;
    m.bpm = bpm;
    for (int p = 0; p < patternCount; ++p) {
        m.patterns.push_back(MakeXmPattern(rows, channels));
        m.orders.push_back(static_cast<uint8_t>(p));
    }
    XmInstrument tone;
    tone.name = "square";
    XmSample s = MakeSquareSample(256, 64, 12000, true);
    s.loopType = kXmForwardLoop;
    s.loopStart = 0;
    s.loopLength = 256;
    tone.samples.push_back(s);
    m.instruments.push_back(tone);
    return m;
}

inline void PutMark(XmModule& m, int pattern, int row, int channel, uint8_t value)
{
    XmCell& c = m.patterns[static_cast<size_t>(pattern)].At(row, channel);
    c.effect = 0x20;
    c.param = value;
}

inline void PutNote(XmModule& m, int pattern, int row, int channel, uint8_t note = 49)
{
    XmCell& c = m.patterns[static_cast<size_t>(pattern)].At(row, channel);
    c.note = note;
    c.instrument = 1;
}

inline void PutEffect(XmModule& m, int pattern, int row, int channel, uint8_t effect, uint8_t param)
{
    XmCell& c = m.patterns[static_cast<size_t>(pattern)].At(row, channel);
    c.effect = effect;
    c.param = param;
}
