// A small deterministic random number generator for content: the same seed gives the same
// numbers on every run and machine (no clock, no library generator whose sequence may vary).
#pragma once

#include <cstdint>

namespace content {

// SplitMix64: one 64-bit state, every output a full mix of it.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}

    uint64_t Next()
    {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. n - 1 (n > 0).
    uint32_t Below(uint32_t n) { return static_cast<uint32_t>((Next() >> 32) * n >> 32); }
    // [0, 1) with 24 bits, exactly representable as a float.
    float Unit() { return static_cast<float>(Next() >> 40) * (1.0f / 16777216.0f); }
    // [low, high).
    float Between(float low, float high) { return low + (high - low) * Unit(); }

private:
    uint64_t state_;
};

// A hash of integer coordinates and a seed, for noise lattices: the same inputs give the same
// 32 bits everywhere.
inline uint32_t HashCoordinates(int32_t x, int32_t y, uint32_t seed)
{
    uint32_t h = seed * 0x27D4EB2Du ^ static_cast<uint32_t>(x) * 0x85EBCA6Bu ^ static_cast<uint32_t>(y) * 0xC2B2AE35u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

} // namespace content
