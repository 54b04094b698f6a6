// Writes XM modules (format version 0x0104): header and order list, patterns packed cell by
// cell, instruments with 8- or 16-bit delta-coded samples, sample loops and envelopes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One cell of a pattern. note: 0 none, 1..96 C-0..B-7, 97 key off. Effect numbers follow the
// tracker letters: 0x0..0xF, then G = 0x10 ... W = 0x20 (the sync-mark effect).
struct XmCell {
    uint8_t note = 0;
    uint8_t instrument = 0;
    uint8_t volume = 0; // volume column byte (0x10..0x50 sets volume 0..64)
    uint8_t effect = 0;
    uint8_t param = 0;
};

struct XmPattern {
    uint16_t rows = 64;
    uint16_t channels = 0;    // filled in by MakeXmPattern
    std::vector<XmCell> cells; // rows x channels, row by row

    XmCell& At(int row, int channel) { return cells[static_cast<size_t>(row) * channels + static_cast<size_t>(channel)]; }
};

XmPattern MakeXmPattern(uint16_t rows, uint16_t channels);

struct XmEnvelope {
    bool on = false;
    bool sustainOn = false;
    bool loopOn = false;
    uint8_t sustainPoint = 0;
    uint8_t loopStart = 0;
    uint8_t loopEnd = 0;
    std::vector<uint16_t> points; // pairs of (tick, value 0..64), at most 12 pairs
};

enum XmLoopType : uint8_t { kXmNoLoop = 0, kXmForwardLoop = 1, kXmPingPongLoop = 2 };

struct XmSample {
    std::string name;
    bool sixteenBit = false;
    std::vector<int8_t> data8;   // used when sixteenBit is false
    std::vector<int16_t> data16; // used when sixteenBit is true
    XmLoopType loopType = kXmNoLoop;
    uint32_t loopStart = 0;  // in sample frames
    uint32_t loopLength = 0; // in sample frames
    uint8_t volume = 64;
    int8_t finetune = 0;
    uint8_t panning = 128;
    int8_t relativeNote = 0;
};

struct XmInstrument {
    std::string name;
    std::vector<XmSample> samples;
    uint8_t sampleForNote[96] = {}; // index into samples for each note
    XmEnvelope volumeEnvelope;
    XmEnvelope panningEnvelope;
    uint16_t fadeout = 0;
    // Automatic vibrato on every note: waveform (0 sine, 1 square, 2 ramp down, 3 ramp up),
    // ticks until it reaches full depth, depth and speed.
    uint8_t vibratoType = 0;
    uint8_t vibratoSweep = 0;
    uint8_t vibratoDepth = 0;
    uint8_t vibratoRate = 0;
};

struct XmModule {
    std::string title;
    std::string tracker = "Vela authoring";
    uint16_t channels = 4; // 1..32 (even counts are the usual choice)
    uint16_t restartPosition = 0;
    bool linearFrequencies = true;
    uint16_t speed = 6;  // ticks per row
    uint16_t bpm = 125;
    std::vector<uint8_t> orders; // pattern index per order, 1..256 entries
    std::vector<XmPattern> patterns;
    std::vector<XmInstrument> instruments;
};

// The module as XM file bytes. Texts longer than their fields are cut.
std::vector<uint8_t> WriteXm(const XmModule& module);

// A short sample: `frames` frames of a square wave of the given period and amplitude.
XmSample MakeSquareSample(uint32_t frames, uint32_t period, int amplitude, bool sixteenBit);
