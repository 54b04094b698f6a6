// WAV headers and samples: the fields a player reads, where it reads them, for any rate and
// channel count, and a length too large to count held at the largest the header can say.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "formats/byte_order.h"
#include "formats/wav_header.h"

TEST(WavHeader, HoldsTheLayoutAndLengthsPlayersRead)
{
    const std::vector<uint8_t> h = MakeWavHeader(48000, 2, 1000);
    ASSERT_EQ(h.size(), kWavHeaderBytes);
    EXPECT_EQ(std::memcmp(h.data(), "RIFF", 4), 0);
    EXPECT_EQ(ReadLe32(&h[4]), 1036u); // everything after these first 8 bytes
    EXPECT_EQ(std::memcmp(&h[8], "WAVEfmt ", 8), 0);
    EXPECT_EQ(ReadLe32(&h[16]), 16u);
    EXPECT_EQ(ReadLe16(&h[20]), 1);       // integer PCM
    EXPECT_EQ(ReadLe16(&h[22]), 2);       // channels
    EXPECT_EQ(ReadLe32(&h[24]), 48000u);  // frames a second
    EXPECT_EQ(ReadLe32(&h[28]), 192000u); // bytes a second
    EXPECT_EQ(ReadLe16(&h[32]), 4);       // bytes a frame
    EXPECT_EQ(ReadLe16(&h[34]), 16);      // bits a sample
    EXPECT_EQ(std::memcmp(&h[36], "data", 4), 0);
    EXPECT_EQ(ReadLe32(&h[40]), 1000u);

    const std::vector<uint8_t> mono = MakeWavHeader(44100, 1, 0);
    EXPECT_EQ(ReadLe32(&mono[4]), 36u);
    EXPECT_EQ(ReadLe16(&mono[22]), 1);
    EXPECT_EQ(ReadLe32(&mono[28]), 88200u);
    EXPECT_EQ(ReadLe16(&mono[32]), 2);
    EXPECT_EQ(ReadLe32(&mono[40]), 0u);

    // The largest length fills the RIFF size exactly; anything longer is counted as that.
    for (uint64_t bytes : {kLargestWavData, kLargestWavData + 1, uint64_t{1} << 40}) {
        const std::vector<uint8_t> big = MakeWavHeader(44100, 2, bytes);
        EXPECT_EQ(ReadLe32(&big[4]), 0xFFFFFFFFu) << bytes;
        EXPECT_EQ(ReadLe32(&big[40]), kLargestWavData) << bytes;
    }
}

TEST(WavHeader, SamplesAreAppendedLittleEndianInTheirOrder)
{
    const int16_t samples[] = {0, 1, -1, 32767, -32768, 0x1234};
    std::vector<uint8_t> out = {0xAA};
    AppendWavSamples(&out, samples, 6);
    AppendWavSamples(&out, samples + 5, 1);
    const std::vector<uint8_t> expected = {0xAA, 0, 0, 1, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0x80, 0x34, 0x12, 0x34, 0x12};
    EXPECT_EQ(out, expected);
}
