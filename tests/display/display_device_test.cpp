#include "display_fixture.h"

namespace {

using DisplayDeviceTest = HeadlessDisplayTest;

TEST_F(DisplayDeviceTest, NestedDrawingSharesOneFrameAndPresentsOnce)
{
    ASSERT_EQ(SetVideoMode(320, 240, 16, 1, 0), 16);
    ASSERT_EQ(GetVideoError(), 0);
    EXPECT_EQ(display.directDrawing, 1);
    int before = presents.count;
    auto* outer = static_cast<uint16_t*>(BeginDraw());
    auto* inner = static_cast<uint16_t*>(BeginDraw());
    EXPECT_EQ(outer, inner);
    inner[319 + 239 * 320] = 0x1234; // the last pixel: lines follow each other without gaps
    EndDraw();
    EXPECT_EQ(presents.count, before);
    EndDraw();
    EXPECT_EQ(presents.count, before + 1);
    EXPECT_EQ(reinterpret_cast<uint16_t*>(presents.lastPixels.data())[320 * 240 - 1], 0x1234);
}

TEST_F(DisplayDeviceTest, DepthInUseFollowsTheRedMaskOfTheLayoutOffered)
{
    VideoCloseWindow();
    VideoModeRules only555;
    only555.forcedLayout = 15;
    OpenVideo(only555);
    EXPECT_EQ(SetVideoMode(320, 240, 16, 1, 1), 15);
    EXPECT_EQ(GetVideoError(), 0);

    VideoCloseWindow();
    VideoModeRules only565;
    only565.forcedLayout = 16;
    OpenVideo(only565);
    EXPECT_EQ(SetVideoMode(320, 240, 15, 1, 0), 16);
    EXPECT_EQ(GetVideoError(), 0);
}

TEST_F(DisplayDeviceTest, MissingModeLeavesErrorTwoOnceAndNoSurfaces)
{
    VideoCloseWindow();
    VideoModeRules rules;
    rules.missingWidth[0] = 320;
    rules.missingHeight[0] = 240;
    rules.missingCount = 1;
    OpenVideo(rules);
    SetVideoMode(320, 240, 16, 1, 1);
    EXPECT_EQ(GetVideoError(), 2);
    EXPECT_EQ(GetVideoError(), 0);
    EXPECT_EQ(BeginDraw(), nullptr);
    EXPECT_STREQ(VideoErrorText(2), "Error: Video mode does not exist");
    // The next mode starts from nothing.
    EXPECT_EQ(SetVideoMode(320, 200, 16, 1, 1), 16);
    EXPECT_EQ(GetVideoError(), 0);
    EXPECT_NE(BeginDraw(), nullptr);
    EndDraw();
}

TEST_F(DisplayDeviceTest, DesktopWindowAtThirtyTwoBitsCopiesWholeLinesFromTheStagingFrame)
{
    SwitchToDesktopWindow();
    EXPECT_EQ(GetVideoError(), 0);
    EXPECT_EQ(display.bitsPerPixel, 32);
    EXPECT_EQ(display.directDrawing, 0);
    EXPECT_EQ(display.lineWords, 640);
    auto* frame = static_cast<uint32_t*>(BeginDraw());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(static_cast<void*>(frame), static_cast<void*>(display.stagingFrame));
    frame[0] = 0xAABBCCDD;
    frame[640 * 480 - 1] = 0x11223344;
    EndDraw();
    const auto* shown = reinterpret_cast<const uint32_t*>(presents.lastPixels.data());
    EXPECT_EQ(presents.lastBits, 32);
    EXPECT_EQ(shown[0], 0xAABBCCDDu);
    EXPECT_EQ(shown[640 * 480 - 1], 0x11223344u);
}

TEST_F(DisplayDeviceTest, ModeChangeClearsTheFrameAndPresentsIt)
{
    SetVideoMode(320, 240, 16, 1, 0);
    auto* frame = static_cast<uint16_t*>(BeginDraw());
    for (int i = 0; i < 320 * 240; ++i) frame[i] = 0xFFFF;
    EndDraw();
    int before = presents.count;
    SetVideoMode(320, 200, 16, 1, 0);
    EXPECT_GT(presents.count, before);
    frame = static_cast<uint16_t*>(BeginDraw());
    for (int i = 0; i < 320 * 200; ++i) ASSERT_EQ(frame[i], 0) << i;
    EndDraw();
}

} // namespace
