// How long an XM module says it is: its song header, then each pattern's header and packed
// data, then each instrument's header, sample headers and sample data, all by the sizes the
// module itself gives. A file shorter than that has lost its end; players read what is left
// without a word, so the toolkit checks before it trusts what they say about it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct XmExtent {
    bool measured = false; // false: not an XM module of version 1.04, whose layout this follows
    bool complete = true;  // the file holds everything the headers call for
    uint64_t needed = 0;   // bytes called for; when incomplete, up to the end of the first part
                           // that is cut short (later parts cannot be sized without it)
    std::string cutShort;  // that part: "the song header", "pattern 3", "the samples of instrument 2"
};

XmExtent MeasureXmModule(const uint8_t* data, size_t size);
