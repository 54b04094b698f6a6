// A headless video service with a fresh display device and window state for each test, and a
// record of every presented frame.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "display/display_device.h"
#include "display/window.h"
#include "platform/headless.h"
#include "platform/video.h"
#include "support/test_support.h"

struct PresentRecord {
    int count = 0;
    std::vector<uint8_t> lastPixels;
    int lastBits = 0;
};

inline void RecordPresent(const VideoSurface& surface, void* context)
{
    auto* record = static_cast<PresentRecord*>(context);
    record->count += 1;
    record->lastBits = surface.bitsPerPixel;
    record->lastPixels.assign(surface.pixels, surface.pixels + static_cast<size_t>(surface.pitch) * surface.height);
}

class HeadlessDisplayTest : public ::testing::Test {
protected:
    void OpenVideo(const VideoModeRules& rules = VideoModeRules{})
    {
        SetHeadless(true);
        ASSERT_TRUE(VideoOpenWindow("Vela", rules));
        VideoSetPresentHook(RecordPresent, &presents);
    }
    void SetUp() override
    {
        UseManualTicks(50000);
        display = DisplayDevice{};
        windowState = WindowState{};
        ClearKeys();
        OpenVideo();
    }
    void TearDown() override
    {
        VideoSetPresentHook(nullptr, nullptr);
        ReleaseDisplay(true);
        VideoCloseWindow();
        UseRealTicks();
    }
    static VideoEvent Key(VideoEventKind kind, int scanCode, int virtualKey = 0, int altDown = 0)
    {
        return VideoEvent{kind, scanCode, 0, virtualKey, altDown};
    }
    static VideoEvent Event(VideoEventKind kind) { return VideoEvent{kind, 0, 0, 0, 0}; }

    PresentRecord presents;
};
