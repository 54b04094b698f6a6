#include "formats/wav_header.h"

#include <algorithm>

#include "formats/byte_order.h"

namespace {

void AppendTag(std::vector<uint8_t>& out, const char (&tag)[5]) { out.insert(out.end(), tag, tag + 4); }

} // namespace

std::vector<uint8_t> MakeWavHeader(uint32_t sampleRate, uint16_t channels, uint64_t dataBytes)
{
    const uint32_t counted = static_cast<uint32_t>(std::min(dataBytes, kLargestWavData));
    const uint32_t blockAlign = channels * 2u;
    std::vector<uint8_t> h;
    h.reserve(kWavHeaderBytes);
    AppendTag(h, "RIFF");
    AppendLe32(h, counted + static_cast<uint32_t>(kWavHeaderBytes - 8));
    AppendTag(h, "WAVE");
    AppendTag(h, "fmt ");
    AppendLe32(h, 16);  // the format chunk's size
    AppendLe16(h, 1);   // integer PCM
    AppendLe16(h, channels);
    AppendLe32(h, sampleRate);
    AppendLe32(h, sampleRate * blockAlign);  // bytes a second
    AppendLe16(h, blockAlign);
    AppendLe16(h, 16);  // bits a sample
    AppendTag(h, "data");
    AppendLe32(h, counted);
    return h;
}

void AppendWavSamples(std::vector<uint8_t>* out, const int16_t* samples, size_t count)
{
    const size_t at = out->size();
    out->resize(at + count * 2);
    for (size_t i = 0; i < count; ++i) StoreLe16(out->data() + at + 2 * i, static_cast<uint16_t>(samples[i]));
}
