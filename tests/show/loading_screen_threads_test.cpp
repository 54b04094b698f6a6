// Part two in real time: the music's own thread draws the loading screen on every beat mark
// while the scene loads (made to take three seconds), and the main thread presents those
// frames as they come; then the end of the scene plays while the marks go on arriving. Runs
// under ThreadSanitizer with the other tests where threads meet.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <filesystem>

#include "formats/pack_writer.h"
#include "display/display_device.h"
#include "display/screen_geometry.h"
#include "display/window.h"
#include "effects/fade_ramp.h"
#include "engine/scene/scene_files.h"
#include "platform/headless.h"
#include "platform/video.h"
#include "platform/xm_test_modules.h"
#include "resources/memory_pool.h"
#include "resources/pack_archive.h"
#include "shell/show_main.h"
#include "show/frame_clock.h"
#include "show/music.h"
#include "support/part_harness.h"
#include "show/part_support.h"
#include "show/parts.h"
#include "show/sequencer_state.h"
#include "support/test_support.h"

namespace {

std::atomic<int> presentsWhileLoading{0};
std::atomic<int> presents{0};
// The longest time between two presents while the scene loaded, in milliseconds.
std::atomic<bool> sceneLoading{false};
std::atomic<int64_t> lastPresentMs{0};
std::atomic<int64_t> longestGapMs{0};
std::atomic<int> presentsDuringSceneLoad{0};

int64_t NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void CountPresent(const VideoSurface&, void*)
{
    presents += 1;
    if (loadingActive.load()) presentsWhileLoading += 1;
    if (sceneLoading.load()) {
        const int64_t now = NowMs();
        longestGapMs = std::max<int64_t>(longestGapMs.load(), now - lastPresentMs.load());
        lastPresentMs = now;
        presentsDuringSceneLoad += 1;
    }
}

// A scene load that takes three seconds, as a large scene on a slow machine would.
int32_t SlowSceneReader(Scene* scene, const char* name)
{
    lastPresentMs = NowMs();
    sceneLoading = true;
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const int32_t loaded = LoadScene(scene, name);
    sceneLoading = false;
    longestGapMs = std::max<int64_t>(longestGapMs.load(), NowMs() - lastPresentMs.load());
    return loaded;
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
    partSceneReader = SlowSceneReader;
    ASSERT_EQ(LoadPart2(), 0) << sequencer.errorMessage;
    partSceneReader = LoadScene;
    EXPECT_EQ(loadingActive.load(), 0);
    EXPECT_GT(presentsWhileLoading.load(), 5) << "the beats' frames reach the screen";
    // While the scene loads, every beat's frame (60 ms apart) reaches the screen as it comes:
    // the load does not hold the presents back.
    EXPECT_GT(presentsDuringSceneLoad.load(), 25);
    EXPECT_LT(longestGapMs.load(), 400) << "the loading screen froze during the load";
    // Nothing drawn for the loading screen is left to be shown later, after its fade.
    const int shown = presents.load();
    PresentPendingFrame();
    EXPECT_EQ(presents.load(), shown);

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
