// Little-endian numbers in byte buffers, as every file format of the show stores them (pack
// archives, BMP pictures, scene files, XM modules, WAV files). Reading and writing go byte by byte, so
// neither the machine's byte order nor the alignment of the buffer matters.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

inline uint16_t ReadLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

inline uint32_t ReadLe32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

inline int32_t ReadLeI32(const uint8_t* p) { return static_cast<int32_t>(ReadLe32(p)); }
inline float ReadLeF32(const uint8_t* p) { return std::bit_cast<float>(ReadLe32(p)); }

inline void StoreLe16(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

inline void StoreLe32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

inline void AppendLe16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

inline void AppendLe32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline void AppendLeF32(std::vector<uint8_t>& out, float v) { AppendLe32(out, std::bit_cast<uint32_t>(v)); }
