// WAV files of 16-bit integer PCM samples: the 44-byte header (RIFF, "fmt " and "data" chunk
// headers) and the samples, little-endian and interleaved.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr size_t kWavHeaderBytes = 44;
// The most sample bytes a header can count: its sizes are 32-bit, and the RIFF size counts the
// header's last 36 bytes as well.
constexpr uint64_t kLargestWavData = 0xFFFFFFFFull - (kWavHeaderBytes - 8);

// The header of a file of `dataBytes` bytes of samples (counted as kLargestWavData when larger).
std::vector<uint8_t> MakeWavHeader(uint32_t sampleRate, uint16_t channels, uint64_t dataBytes);

// Appends `count` samples (all channels of each frame in turn) as the file stores them.
void AppendWavSamples(std::vector<uint8_t>* out, const int16_t* samples, size_t count);
