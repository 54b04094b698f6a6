// Rasteriser and flare tests: a view of its own (colour and depth rows with guard cells
// around them) installed as the engine's current target.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/engine_setup.h"
#include "engine/engine_state.h"
#include "engine/raster/rasteriser.h"

class TestView {
public:
    static constexpr int32_t kGuard = 64; // cells before and after each buffer
    static constexpr uint16_t kColourGuard = 0xA5A5;
    static constexpr uint32_t kDepthGuard = 0xDEADBEEF;

    TestView(int32_t width, int32_t height, int32_t bitsPerPixel = 16, uint16_t background = 0)
        : width_(width), height_(height),
          colour_(static_cast<size_t>(width * height + 2 * kGuard), kColourGuard),
          depth_(static_cast<size_t>(width * height + 2 * kGuard), kDepthGuard)
    {
        for (int32_t i = 0; i < width * height; ++i) {
            colour_[kGuard + i] = background;
            depth_[kGuard + i] = 0;
        }
        SetViewGeometry(width, height);
        SetViewRows(width, height);
        engine.bitsPerPixel = bitsPerPixel;
        engine.depthBuffer = depth_.data() + kGuard;
        engine.frameStamp = 0x01000000;
        raster.colourBase = reinterpret_cast<uint8_t*>(colour_.data() + kGuard);
        raster.blend = 0;
        raster.colourKey = 0;
    }
    ~TestView()
    {
        engine.depthBuffer = nullptr;
        raster.colourBase = nullptr;
    }

    uint16_t& Pixel(int32_t x, int32_t y) { return colour_[kGuard + y * width_ + x]; }
    uint32_t& Depth(int32_t x, int32_t y) { return depth_[kGuard + y * width_ + x]; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }

    // True when no cell outside the view was written.
    bool GuardsIntact() const
    {
        const size_t n = static_cast<size_t>(width_ * height_);
        for (int32_t i = 0; i < kGuard; ++i) {
            if (colour_[i] != kColourGuard || colour_[kGuard + n + i] != kColourGuard) return false;
            if (depth_[i] != kDepthGuard || depth_[kGuard + n + i] != kDepthGuard) return false;
        }
        return true;
    }

    // Number of pixels whose colour differs from `background`.
    int32_t CountNot(uint16_t background)
    {
        int32_t n = 0;
        for (int32_t y = 0; y < height_; ++y) {
            for (int32_t x = 0; x < width_; ++x) n += Pixel(x, y) != background;
        }
        return n;
    }

private:
    int32_t width_, height_;
    std::vector<uint16_t> colour_;
    std::vector<uint32_t> depth_;
};

inline FlatVertex Flat(int32_t x16, int32_t y16, float invDepth = 0.5f) { return {x16, y16, invDepth}; }
