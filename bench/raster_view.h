// The 320 x 180 target of the rasteriser benchmarks: colour and depth buffers, a random
// 256x256 texture, palette and shade table, installed as the engine's current view.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "engine/engine_setup.h"
#include "engine/engine_state.h"
#include "engine/raster/rasteriser.h"

struct RasterView {
    static constexpr int kWidth = 320, kHeight = 180;
    std::vector<uint16_t> colour = std::vector<uint16_t>(kWidth * kHeight);
    std::vector<uint32_t> depth = std::vector<uint32_t>(kWidth * kHeight);
    std::vector<uint8_t> texture = std::vector<uint8_t>(65536);
    std::vector<uint16_t> palette = std::vector<uint16_t>(256);
    std::vector<uint16_t> shadeTable = std::vector<uint16_t>(65536);

    // Fills texture, palette and shade table from rng (table entries ANDed with tableMask) and
    // makes this view the engine's target at the given depth, with stamp 0.
    void Install(std::mt19937& rng, uint16_t tableMask, int bitsPerPixel)
    {
        for (auto& t : texture) t = static_cast<uint8_t>(rng());
        for (auto& p : palette) p = static_cast<uint16_t>(rng() & tableMask);
        for (auto& p : shadeTable) p = static_cast<uint16_t>(rng() & tableMask);
        SetViewGeometry(kWidth, kHeight);
        SetViewRows(kWidth, kHeight);
        engine.bitsPerPixel = bitsPerPixel;
        engine.depthBuffer = depth.data();
        engine.frameStamp = 0;
        raster.colourBase = reinterpret_cast<uint8_t*>(colour.data());
    }

    // A new view: the next stamp, clearing depth when it wraps.
    void NextView()
    {
        engine.frameStamp += 0x01000000;
        if (engine.frameStamp == 0) std::memset(depth.data(), 0, depth.size() * 4);
    }
};
