#include "formats/byte_order.h"
#include "formats/xm_sync_marks.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {


constexpr size_t kFixedHeader = 60; // signature, title, 0x1A, tracker name, version
constexpr size_t kMinimumSongHeader = 20; // header size field and the eight 16-bit counts

// Scans one pattern's packed cells in data[0, size), clearing marks in place.
void ScanPatternData(uint8_t* data, size_t size, uint16_t pattern, uint32_t channels, std::vector<XmSyncMark>* marks)
{
    size_t at = 0;
    uint32_t cell = 0;
    while (at < size) {
        uint8_t* effect = nullptr;
        uint8_t* param = nullptr;
        const uint8_t first = data[at];
        if (first & 0x80) {
            ++at;
            if (first & 0x01) ++at;
            if (first & 0x02) ++at;
            if (first & 0x04) ++at;
            if ((first & 0x08) && at < size) effect = &data[at];
            if (first & 0x08) ++at;
            if ((first & 0x10) && at < size) param = &data[at];
            if (first & 0x10) ++at;
        } else {
            // Plain cell: note, instrument, volume, effect, parameter.
            if (at + 3 < size) effect = &data[at + 3];
            if (at + 4 < size) param = &data[at + 4];
            at += 5;
        }
        if (effect && *effect == kXmSyncEffect) {
            const uint32_t row = cell / channels;
            uint8_t value = param ? *param : 0;
            *effect = 0;
            if (param) *param = 0;
            if (row < 256) {
                marks->push_back(XmSyncMark{pattern, static_cast<uint16_t>(row), static_cast<uint16_t>(cell % channels), value});
            }
        }
        ++cell;
    }
}

} // namespace

bool FindAndClearSyncMarks(uint8_t* data, size_t size, std::vector<XmSyncMark>* marks, std::string* error)
{
    marks->clear();
    if (size < 17 || std::memcmp(data, "Extended Module: ", 17) != 0) {
        *error = "no \"Extended Module: \" signature";
        return false;
    }
    if (size < kFixedHeader + kMinimumSongHeader) {
        *error = "too short: " + std::to_string(size) + " bytes, where its headers alone take " +
                 std::to_string(kFixedHeader + kMinimumSongHeader);
        return false;
    }
    const uint32_t version = ReadLe16(data + 58);
    const uint32_t headerSize = ReadLe32(data + 60);
    const uint32_t channels = ReadLe16(data + 68);
    const uint32_t patterns = ReadLe16(data + 70);
    if (headerSize < kMinimumSongHeader) {
        *error = "its song header is too short (" + std::to_string(headerSize) + " bytes, at least " +
                 std::to_string(kMinimumSongHeader) + ")";
        return false;
    }
    // Other versions lay their pattern headers out differently; their marks are not looked for.
    if (version != 0x0104 || channels == 0) return true;

    size_t at = kFixedHeader + static_cast<size_t>(headerSize);
    for (uint32_t p = 0; p < patterns; ++p) {
        if (at > size || size - at < 9) break;
        const uint32_t headerLength = ReadLe32(data + at);
        const uint32_t dataSize = ReadLe16(data + at + 7);
        if (headerLength < 9 || headerLength > size - at) break;
        const size_t dataStart = at + headerLength;
        const size_t available = std::min<size_t>(dataSize, size - dataStart);
        ScanPatternData(data + dataStart, available, static_cast<uint16_t>(p), channels, marks);
        if (available < dataSize) break;
        at = dataStart + dataSize;
    }
    std::stable_sort(marks->begin(), marks->end(), [](const XmSyncMark& a, const XmSyncMark& b) {
        if (a.pattern != b.pattern) return a.pattern < b.pattern;
        if (a.row != b.row) return a.row < b.row;
        return a.channel < b.channel;
    });
    return true;
}
