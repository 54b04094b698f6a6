// A synthesised sample before it becomes part of an XM instrument: float frames, the rate they
// were made at and the note at which they play back at that rate, and a loop; and the step that
// gathers tones into an XM instrument (note zones, tuning, 16-bit frames, envelopes).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/xm_writer.h"

namespace content::music {

// Notes are XM note indices: 0 is C-0, 48 is C-4 (middle C), 57 is A-4 at 440 Hz.
double NoteHz(double note);
double NoteOfHz(double hz);

struct Tone {
    double rate = 44100.0;  // frames per second when played at rootNote
    double rootNote = 60.0; // the (possibly fractional) note that plays the frames at `rate`
    std::vector<float> frames;
    uint32_t loopStart = 0;
    uint32_t loopLength = 0; // 0: played once
};

// One tone and the highest note it serves; zones are listed from low to high.
struct Zone {
    Tone tone;
    int lastNote = 95;
};

// Volume envelope points as (tick, level 0..64) pairs, with the sustain point held until key off.
struct InstrumentShape {
    std::vector<uint16_t> volumePoints = {0, 64, 1, 64};
    int sustainPoint = 1;    // -1: no sustain, the envelope runs through
    uint16_t fadeout = 1024; // volume lost per tick after key off, of 65536
    uint8_t volume = 64;     // the samples' default volume
    uint8_t panning = 128;
    std::vector<uint16_t> panningPoints; // empty: no panning envelope
    uint8_t vibratoDepth = 0, vibratoRate = 0, vibratoSweep = 0;
};

// The XM instrument: each zone's frames scaled together so the loudest reaches just under full
// scale, stored as 16-bit samples tuned to their root notes.
XmInstrument AssembleInstrument(const std::string& name, const std::vector<Zone>& zones, const InstrumentShape& shape);

// The tuning that makes a sample made at `rate` play at that rate on `rootNote`: whole
// semitones and 1/128 semitones, as XM stores them.
void TuneSample(double rate, double rootNote, int8_t* relativeNote, int8_t* finetune);

} // namespace content::music
