// The words of a render mode (how a surface gets its colour, how it is shaded, how it meets
// what is drawn already) and the mode numbers that scene files store.
#pragma once

#include <cstdint>

namespace content {

enum class Map : int32_t { Nomap = 0, Textu = 1, Envma = 2, Textr = 3, Envtr = 4 };
enum class Shade : int32_t { Nosha = 0, Shade = 1, Flaty = 2, Goura = 3, Foggy = 4 };
enum class Blend : int32_t { Opaqu = 0, Trans = 1, Addit = 2, Soust = 3 };

constexpr int32_t kWireMode = 0;

constexpr int32_t RenderMode(Map map, Shade shade, Blend blend)
{
    return 1 + static_cast<int32_t>(map) * 20 + static_cast<int32_t>(shade) * 4 + static_cast<int32_t>(blend);
}

// The flag word of an outline: how lines are drawn, from which fold angle, with what depth
// bias (in 1/4096 units, pulling the lines towards the eye).
enum class Outline : uint32_t {
    FillBrightLines = 1, // faces filled, lines added
    FillDarkLines = 2,   // faces filled, lines subtracted
    BrightLinesOnly = 3, // no faces, lines added
};
constexpr uint32_t OutlineFlags(Outline kind, uint32_t foldDegrees, uint32_t bias)
{
    return (bias << 10) | ((foldDegrees & 255u) << 2) | static_cast<uint32_t>(kind);
}

// The word of a camera-texture step key: camera `cameraSteps` after the first, drawn at
// 256 >> sizeShift pixels square.
constexpr uint32_t CameraTextureWord(uint32_t cameraSteps, uint32_t sizeShift)
{
    return 0x80000000u | ((sizeShift & 7u) << 24) | (cameraSteps & 0xFFu);
}

} // namespace content
