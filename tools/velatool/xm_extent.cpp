// Walking an XM module's headers by the sizes they give.
#include "velatool/xm_extent.h"

#include <algorithm>
#include <cstring>

#include "formats/byte_order.h"

namespace {

constexpr size_t kSongHeaderStart = 60;  // the song header's size field is counted from here
constexpr size_t kPatternHeaderBytes = 9; // header length, packing type, rows, packed size
constexpr size_t kInstrumentFixedBytes = 29; // header size, name, type, sample count
constexpr size_t kSampleHeaderBytes = 40;
constexpr uint8_t kAdpcmMark = 0xAD; // a sample stored as 4-bit deltas after a 16-byte table

} // namespace

XmExtent MeasureXmModule(const uint8_t* data, size_t size)
{
    XmExtent extent;
    if (size < kSongHeaderStart + 20 || std::memcmp(data, "Extended Module: ", 17) != 0) return extent;
    if (ReadLe16(data + 58) != 0x0104) return extent;
    extent.measured = true;

    // Each part ends at `end`; the first one past the data stops the walk.
    auto reaches = [&](uint64_t end, const std::string& part) {
        if (end <= size) return true;
        extent.complete = false;
        extent.needed = end;
        extent.cutShort = part;
        return false;
    };
    uint64_t at = kSongHeaderStart + uint64_t{ReadLe32(data + kSongHeaderStart)};
    if (!reaches(at, "the song header")) return extent;
    const uint32_t patterns = ReadLe16(data + 70), instruments = ReadLe16(data + 72);

    for (uint32_t p = 0; p < patterns; ++p) {
        const std::string part = "pattern " + std::to_string(p);
        if (!reaches(at + kPatternHeaderBytes, part)) return extent;
        const uint32_t headerLength = std::max<uint32_t>(ReadLe32(data + at), kPatternHeaderBytes);
        const uint16_t packedBytes = ReadLe16(data + at + 7);
        at += uint64_t{headerLength} + packedBytes;
        if (!reaches(at, part)) return extent;
    }

    for (uint32_t i = 0; i < instruments; ++i) {
        const std::string part = "instrument " + std::to_string(i + 1);
        if (!reaches(at + kInstrumentFixedBytes, part)) return extent;
        const uint64_t headerSize = std::max<uint64_t>(ReadLe32(data + at), kInstrumentFixedBytes);
        const uint16_t samples = ReadLe16(data + at + 27);
        at += headerSize;
        if (!reaches(at, part)) return extent;
        if (samples == 0) continue;
        const uint64_t sampleHeaders = at;
        at += uint64_t{samples} * kSampleHeaderBytes;
        if (!reaches(at, "the sample headers of " + part)) return extent;
        for (uint16_t s = 0; s < samples; ++s) {
            const uint8_t* header = data + sampleHeaders + s * kSampleHeaderBytes;
            const uint32_t length = ReadLe32(header);
            at += header[17] == kAdpcmMark ? 16 + (uint64_t{length} + 1) / 2 : length;
        }
        if (!reaches(at, "the samples of " + part)) return extent;
    }
    extent.needed = at;
    return extent;
}
