#include "display_fixture.h"

namespace {

using WindowTest = HeadlessDisplayTest;

TEST_F(WindowTest, KeysLandAtTheirScanCodesAndTheSixSpecialKeysAtFixedIndexes)
{
    VideoInjectEvent(Key(kVideoEventKeyDown, 0x01));
    EXPECT_TRUE(KeyDown(1));
    EXPECT_FALSE(KeyDown(300));
    EXPECT_FALSE(KeyDown(-1));
    VideoInjectEvent(Key(kVideoEventKeyUp, 0x01));
    EXPECT_FALSE(KeyDown(1));

    VideoInjectEvent(Key(kVideoEventKeyDown, 0x4B, kVirtualKeyLeft));
    VideoInjectEvent(Key(kVideoEventKeyDown, 0x53, kVirtualKeyDelete));
    VideoInjectEvent(Key(kVideoEventKeyDown, 0x0E, kVirtualKeyBackspace));
    PumpMessages();
    EXPECT_EQ(KeyState[0xCB], 1);
    EXPECT_EQ(KeyState[0xD3], 1);
    EXPECT_EQ(KeyState[0x0E], 1);
    EXPECT_EQ(KeyState[0x4B], 0);
    VideoInjectEvent(Key(kVideoEventKeyUp, 0x4B, kVirtualKeyLeft));
    PumpMessages();
    EXPECT_EQ(KeyState[0xCB], 0);
}

TEST_F(WindowTest, ATapWhosePressAndReleaseArriveTogetherCountsOnce)
{
    VideoInjectEvent(Key(kVideoEventKeyDown, 0x01));
    VideoInjectEvent(Key(kVideoEventKeyUp, 0x01));
    EXPECT_TRUE(KeyDown(1));
    EXPECT_FALSE(KeyDown(1));
    VideoInjectEvent(Key(kVideoEventKeyDown, 0x39));
    VideoInjectEvent(Key(kVideoEventKeyUp, 0x39));
    EXPECT_TRUE(AnyKeyDown());
    EXPECT_FALSE(AnyKeyDown());
}

TEST_F(WindowTest, OtherKeysClearControlAndNumLockAndHonourThePrefix)
{
    KeyState[0x1D] = 1;
    KeyState[0x45] = 1;
    VideoInjectEvent(Key(kVideoEventKeyDown, 0x1E)); // A
    PumpMessages();
    EXPECT_EQ(KeyState[0x1D], 0);
    EXPECT_EQ(KeyState[0x45], 0);
    EXPECT_TRUE(AnyKeyDown());
    // A key-up of 0xE0 arms the prefix: the next key-up clears code + 128.
    KeyState[0x1E + 128] = 1;
    VideoInjectEvent(Key(kVideoEventKeyUp, 0xE0));
    VideoInjectEvent(Key(kVideoEventKeyUp, 0x1E));
    PumpMessages();
    EXPECT_EQ(KeyState[0x1E + 128], 0);
    EXPECT_EQ(KeyState[0x1E], 1);
    ClearKeys();
    EXPECT_FALSE(AnyKeyDown());
}

TEST_F(WindowTest, CloseRequestCountsOnlyWhileFreshAndIsConsumed)
{
    VideoInjectEvent(Event(kVideoEventClose));
    PumpMessages();
    AdvanceManualTicks(999);
    EXPECT_TRUE(CloseRequested());
    EXPECT_FALSE(CloseRequested());

    VideoInjectEvent(Event(kVideoEventClose));
    PumpMessages();
    AdvanceManualTicks(1000);
    EXPECT_FALSE(CloseRequested());
}

TEST_F(WindowTest, F1AndF2SizeTheWindowButNotFullScreen)
{
    SetVideoMode(320, 240, 16, 1, 0);
    int w = 0, h = 0;
    VideoInjectEvent(Key(kVideoEventKeyDown, 0x3C, kVirtualKeyF2));
    PumpMessages();
    VideoGetClientSize(&w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    VideoInjectEvent(Key(kVideoEventKeyDown, 0x3B, kVirtualKeyF1));
    PumpMessages();
    VideoGetClientSize(&w, &h);
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 240);

    SetVideoMode(320, 240, 16, 1, 1);
    int fw = 0, fh = 0;
    VideoGetClientSize(&fw, &fh);
    VideoInjectEvent(Key(kVideoEventKeyDown, 0x3C, kVirtualKeyF2));
    PumpMessages();
    VideoGetClientSize(&w, &h);
    EXPECT_EQ(w, fw);
    EXPECT_EQ(h, fh);
}

TEST_F(WindowTest, F4AndAltEnterToggleFullScreenWithABlackFrame)
{
    SetVideoMode(320, 240, 16, 1, 0);
    auto* frame = static_cast<uint16_t*>(BeginDraw());
    frame[100] = 0xFFFF;
    EndDraw();
    VideoInjectEvent(Key(kVideoEventKeyDown, 0x3E, kVirtualKeyF4));
    PumpMessages();
    EXPECT_EQ(display.fullScreen, 1);
    EXPECT_TRUE(VideoIsFullScreen());
    frame = static_cast<uint16_t*>(BeginDraw());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame[100], 0);
    EndDraw();
    EXPECT_EQ(display.bitsPerPixel, 16);
    VideoInjectEvent(Key(kVideoEventKeyDown, 0x1C, kVirtualKeyReturn, 1));
    PumpMessages();
    EXPECT_EQ(display.fullScreen, 0);
    // Enter without Alt is only a key.
    VideoInjectEvent(Key(kVideoEventKeyDown, 0x1C, kVirtualKeyReturn, 0));
    PumpMessages();
    EXPECT_EQ(display.fullScreen, 0);
}

TEST_F(WindowTest, ALostPresentationTargetIsRestoredAndTheFrameShownAgain)
{
    SetVideoMode(320, 240, 16, 1, 0);
    int before = presents.count;
    VideoInjectEvent(Event(kVideoEventSurfaceLost));
    PumpMessages();
    EXPECT_EQ(presents.count, before + 1);
    EXPECT_EQ(windowState.paused, 0);
}

} // namespace
