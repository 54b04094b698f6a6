// Part two in real time: the music's own thread draws the loading screen on every beat mark
// while the main thread loads, and the main thread presents those frames; then the end of the
// scene plays while the marks go on arriving. Runs under
// ThreadSanitizer with the other tests where threads meet.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>

#include "authoring/pack_writer.h"
#include "display/display_device.h"
#include "display/screen_geometry.h"
#include "display/window.h"
#include "effects/fade_ramp.h"
#include "platform/headless.h"
#include "platform/video.h"
#include "platform/xm_test_modules.h"
#include "resources/memory_pool.h"
#include "resources/pack_archive.h"
#include "sequencer/demo_main.h"
#include "sequencer/frame_clock.h"
#include "sequencer/music.h"
#include "sequencer/part_harness.h"
#include "sequencer/parts.h"
#include "sequencer/sequencer_state.h"
#include "support/test_support.h"

namespace {

std::atomic<int> presentsWhileLoading{0};
std::atomic<int> presents{0};

void CountPresent(const VideoSurface&, void*)
{
    presents += 1;
    if (loadingActive.load()) presentsWhileLoading += 1;
}

TEST(ThreadsLoadingScreen, BeatMarksDrawOnTheMusicThreadWhileTheMainThreadLoads)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SetHeadless(true);
    display = DisplayDevice{};
    windowState = WindowState{};
    ASSERT_TRUE(VideoOpenWindow("Vela", VideoModeRules{}));
    ASSERT_EQ(SetVideoMode(320, 240, 16, 1, 0), 16);
    screen = ScreenGeometry{};
    BuildFadeRamp();
    ASSERT_EQ(InitMemoryPool(11), 0);
    VideoSetPresentHook(CountPresent, nullptr);

    // The test pictures, and a module with a beat mark on every row (60 ms apart).
    const std::filesystem::path dir = ScratchDir("loading-screen-threads");
    PackBuilder pack;
    for (const auto& [name, bytes] : PartTwoEntries()) AddPackEntry(&pack, name, bytes, PackMethod::Store);
    WriteFileBytes(dir / "VELA.PAK", FinishPack(pack));
    OpenPack((dir / "VELA.PAK").c_str());
    XmModule beats = MakeTestModule(1, 32, 2, 3, 125);
    for (int row = 0; row < 32; ++row) PutMark(beats, 0, row, 1, 2);
    WriteFileBytes(dir / "BEATS.XM", WriteXm(beats));

    testing::internal::CaptureStderr();
    ASSERT_EQ(MusicInit(MusicSync), 0);
    testing::internal::GetCapturedStderr();
    ClockInit(100);
    ASSERT_EQ(MusicPlay((dir / "BEATS.XM").string().c_str()), 0);
    ASSERT_EQ(LoadPart2(), 0) << sequencer.errorMessage;
    EXPECT_EQ(loadingActive.load(), 0);
    EXPECT_GT(presentsWhileLoading.load(), 5) << "the beats' frames reach the screen";

    // Then the scene's last 1.2 seconds and its dissolve into the still picture, in real time,
    // with the music's marks still coming from its thread.
    sequencer.seekOffset = 16900 - 120;
    syncCounters.restartCount = 1;
    ClockReset(0);
    const int before = presents.load();
    RunPart2();
    sequencer.seekOffset = 0;
    EXPECT_GT(presents.load() - before, 20);
    EXPECT_FALSE(sequencer.abortRequested);

    MusicClose();
    FreePart2();
    PoolFree(handedPicture);
    handedPicture = nullptr;
    VideoSetPresentHook(nullptr, nullptr);
    ClosePack();
    FreeMemoryPool();
    ReleaseDisplay(true);
    VideoCloseWindow();
}

} // namespace
