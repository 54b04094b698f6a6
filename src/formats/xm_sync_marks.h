// Sync marks in XM pattern data: effect W (0x20) with the mark's value as its parameter, in any
// channel. They are read from the file itself and removed before the player sees the module,
// since players give the unknown effect a sound of their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct XmSyncMark {
    uint16_t pattern;
    uint16_t row;
    uint16_t channel;
    uint8_t value;
};

constexpr uint8_t kXmSyncEffect = 0x20;

// Finds every sync mark of the XM file in `data` and clears its effect and parameter bytes in
// place. Marks come sorted by pattern, row and channel. Pattern data cut short by the end of the
// file is scanned as far as it goes. False (with `error` set) when the bytes are not an XM module.
bool FindAndClearSyncMarks(uint8_t* data, size_t size, std::vector<XmSyncMark>* marks, std::string* error);
