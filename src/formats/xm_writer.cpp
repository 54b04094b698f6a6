#include "formats/xm_writer.h"
#include "formats/byte_order.h"

#include <algorithm>
#include <cstring>

namespace {

void Put8(std::vector<uint8_t>& out, uint32_t v) { out.push_back(static_cast<uint8_t>(v)); }

void PutText(std::vector<uint8_t>& out, const std::string& text, size_t width, char pad)
{
    for (size_t i = 0; i < width; ++i) out.push_back(static_cast<uint8_t>(i < text.size() ? text[i] : pad));
}

bool CellEmpty(const XmCell& c) { return !c.note && !c.instrument && !c.volume && !c.effect && !c.param; }

// A cell in packed form: a flag byte naming the fields that follow, unless all five follow,
// in which case the plain five bytes are shorter.
void PutCell(std::vector<uint8_t>& out, const XmCell& c)
{
    uint8_t flags = 0x80;
    if (c.note) flags |= 0x01;
    if (c.instrument) flags |= 0x02;
    if (c.volume) flags |= 0x04;
    if (c.effect) flags |= 0x08;
    if (c.param) flags |= 0x10;
    if (flags == 0x9F && c.note < 0x80) {
        Put8(out, c.note);
        Put8(out, c.instrument);
        Put8(out, c.volume);
        Put8(out, c.effect);
        Put8(out, c.param);
        return;
    }
    Put8(out, flags);
    if (flags & 0x01) Put8(out, c.note);
    if (flags & 0x02) Put8(out, c.instrument);
    if (flags & 0x04) Put8(out, c.volume);
    if (flags & 0x08) Put8(out, c.effect);
    if (flags & 0x10) Put8(out, c.param);
}

void PutPattern(std::vector<uint8_t>& out, const XmPattern& pattern, uint16_t channels)
{
    std::vector<uint8_t> data;
    bool empty = true;
    for (int row = 0; row < pattern.rows; ++row) {
        for (int ch = 0; ch < channels; ++ch) {
            XmCell cell;
            size_t at = static_cast<size_t>(row) * pattern.channels + static_cast<size_t>(ch);
            if (ch < pattern.channels && at < pattern.cells.size()) cell = pattern.cells[at];
            if (!CellEmpty(cell)) empty = false;
            PutCell(data, cell);
        }
    }
    // An empty pattern needs no data at all.
    if (empty) data.clear();
    AppendLe32(out, 9);
    Put8(out, 0);
    AppendLe16(out, pattern.rows);
    AppendLe16(out, static_cast<uint32_t>(std::min<size_t>(data.size(), 0xFFFF)));
    out.insert(out.end(), data.begin(), data.begin() + static_cast<long>(std::min<size_t>(data.size(), 0xFFFF)));
}

void PutEnvelopePoints(std::vector<uint8_t>& out, const XmEnvelope& env)
{
    for (size_t i = 0; i < 24; ++i) AppendLe16(out, i < env.points.size() ? env.points[i] : 0);
}

uint8_t EnvelopeType(const XmEnvelope& env)
{
    return static_cast<uint8_t>((env.on ? 1 : 0) | (env.sustainOn ? 2 : 0) | (env.loopOn ? 4 : 0));
}

uint32_t SampleFrames(const XmSample& s) { return static_cast<uint32_t>(s.sixteenBit ? s.data16.size() : s.data8.size()); }

void PutInstrument(std::vector<uint8_t>& out, const XmInstrument& ins)
{
    const uint32_t sampleCount = static_cast<uint32_t>(std::min<size_t>(ins.samples.size(), 16));
    if (sampleCount == 0) {
        AppendLe32(out, 29);
        PutText(out, ins.name, 22, '\0');
        Put8(out, 0);
        AppendLe16(out, 0);
        return;
    }
    const size_t start = out.size();
    AppendLe32(out, 263);
    PutText(out, ins.name, 22, '\0');
    Put8(out, 0);
    AppendLe16(out, sampleCount);
    AppendLe32(out, 40);
    for (int n = 0; n < 96; ++n) Put8(out, std::min<uint32_t>(ins.sampleForNote[n], sampleCount - 1));
    PutEnvelopePoints(out, ins.volumeEnvelope);
    PutEnvelopePoints(out, ins.panningEnvelope);
    Put8(out, static_cast<uint32_t>(std::min<size_t>(ins.volumeEnvelope.points.size() / 2, 12)));
    Put8(out, static_cast<uint32_t>(std::min<size_t>(ins.panningEnvelope.points.size() / 2, 12)));
    Put8(out, ins.volumeEnvelope.sustainPoint);
    Put8(out, ins.volumeEnvelope.loopStart);
    Put8(out, ins.volumeEnvelope.loopEnd);
    Put8(out, ins.panningEnvelope.sustainPoint);
    Put8(out, ins.panningEnvelope.loopStart);
    Put8(out, ins.panningEnvelope.loopEnd);
    Put8(out, EnvelopeType(ins.volumeEnvelope));
    Put8(out, EnvelopeType(ins.panningEnvelope));
    Put8(out, ins.vibratoType);
    Put8(out, ins.vibratoSweep);
    Put8(out, ins.vibratoDepth);
    Put8(out, ins.vibratoRate);
    AppendLe16(out, ins.fadeout);
    out.resize(start + 263, 0); // reserved bytes up to the stated header size

    for (uint32_t i = 0; i < sampleCount; ++i) {
        const XmSample& s = ins.samples[i];
        const uint32_t bytesPerFrame = s.sixteenBit ? 2 : 1;
        const uint32_t frames = SampleFrames(s);
        uint32_t loopStart = std::min(s.loopStart, frames);
        uint32_t loopLength = std::min(s.loopLength, frames - loopStart);
        uint8_t type = s.loopType == kXmNoLoop || loopLength == 0 ? 0 : static_cast<uint8_t>(s.loopType);
        if (s.sixteenBit) type |= 0x10;
        AppendLe32(out, frames * bytesPerFrame);
        AppendLe32(out, loopStart * bytesPerFrame);
        AppendLe32(out, loopLength * bytesPerFrame);
        Put8(out, std::min<uint32_t>(s.volume, 64));
        Put8(out, static_cast<uint8_t>(s.finetune));
        Put8(out, type);
        Put8(out, s.panning);
        Put8(out, static_cast<uint8_t>(s.relativeNote));
        Put8(out, 0);
        PutText(out, s.name, 22, '\0');
    }
    // Sample data, each value stored as the difference from the one before.
    for (uint32_t i = 0; i < sampleCount; ++i) {
        const XmSample& s = ins.samples[i];
        if (s.sixteenBit) {
            int16_t previous = 0;
            for (int16_t v : s.data16) {
                AppendLe16(out, static_cast<uint16_t>(static_cast<uint16_t>(v) - static_cast<uint16_t>(previous)));
                previous = v;
            }
        } else {
            int8_t previous = 0;
            for (int8_t v : s.data8) {
                Put8(out, static_cast<uint8_t>(static_cast<uint8_t>(v) - static_cast<uint8_t>(previous)));
                previous = v;
            }
        }
    }
}

} // namespace

XmPattern MakeXmPattern(uint16_t rows, uint16_t channels)
{
    XmPattern p;
    p.rows = std::clamp<uint16_t>(rows, 1, 256);
    p.channels = channels;
    p.cells.assign(static_cast<size_t>(p.rows) * channels, XmCell{});
    return p;
}

std::vector<uint8_t> WriteXm(const XmModule& module)
{
    const uint16_t channels = std::clamp<uint16_t>(module.channels, 1, 32);
    const size_t orderCount = std::clamp<size_t>(module.orders.size(), 1, 256);
    std::vector<uint8_t> out;
    PutText(out, "Extended Module: ", 17, ' ');
    PutText(out, module.title, 20, '\0');
    Put8(out, 0x1A);
    PutText(out, module.tracker, 20, ' ');
    AppendLe16(out, 0x0104);
    AppendLe32(out, 276);
    AppendLe16(out, static_cast<uint32_t>(orderCount));
    AppendLe16(out, module.restartPosition);
    AppendLe16(out, channels);
    AppendLe16(out, static_cast<uint32_t>(std::min<size_t>(module.patterns.size(), 256)));
    AppendLe16(out, static_cast<uint32_t>(std::min<size_t>(module.instruments.size(), 128)));
    AppendLe16(out, module.linearFrequencies ? 1 : 0);
    AppendLe16(out, module.speed);
    AppendLe16(out, module.bpm);
    for (size_t i = 0; i < 256; ++i) Put8(out, i < module.orders.size() ? module.orders[i] : 0);
    for (size_t i = 0; i < module.patterns.size() && i < 256; ++i) PutPattern(out, module.patterns[i], channels);
    for (size_t i = 0; i < module.instruments.size() && i < 128; ++i) PutInstrument(out, module.instruments[i]);
    return out;
}

XmSample MakeSquareSample(uint32_t frames, uint32_t period, int amplitude, bool sixteenBit)
{
    XmSample s;
    s.sixteenBit = sixteenBit;
    period = std::max<uint32_t>(period, 2);
    for (uint32_t i = 0; i < frames; ++i) {
        int v = (i % period) < period / 2 ? amplitude : -amplitude;
        if (sixteenBit) s.data16.push_back(static_cast<int16_t>(std::clamp(v, -32768, 32767)));
        else s.data8.push_back(static_cast<int8_t>(std::clamp(v, -128, 127)));
    }
    return s;
}
