// In virtual time a sync mark's effect lands in the video frame that holds the mark's sample
// (or, when the mark falls inside a frame's time, the next): the loading screen's corner
// animation, drawn on each beat mark, changes there and nowhere else.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <vector>

#include "formats/pack_writer.h"
#include "display/display_device.h"
#include "display/screen_geometry.h"
#include "display/window.h"
#include "effects/fade_ramp.h"
#include "platform/headless.h"
#include "platform/video.h"
#include "platform/xm_test_modules.h"
#include "resources/memory_pool.h"
#include "resources/pack_archive.h"
#include "show/frame_clock.h"
#include "show/music.h"
#include "support/part_harness.h"
#include "show/parts.h"
#include "show/sequencer_state.h"
#include "shell/virtual_time.h"
#include "support/test_support.h"

namespace {

constexpr int kFps = 25;
std::vector<double> markSeconds;     // when each beat mark fired
std::vector<uint16_t> cornerOfFrame; // the corner pixel of every video frame

void RecordMark(uint32_t value)
{
    if (value == 2 && loadingActive.load()) markSeconds.push_back(VirtualSeconds());
    MusicSync(value);
}

void RecordCapturedFrame(int64_t, const VideoSurface& frame, void*)
{
    const auto* pixels = reinterpret_cast<const uint16_t*>(frame.pixels);
    cornerOfFrame.push_back(frame.width == 320 ? pixels[(30 + 172) * 320 + 312] : 0);
}

TEST(CaptureSync, ABeatMarksEffectIsInTheVideoFrameOfItsSample)
{
    SetHeadless(true);
    display = DisplayDevice{};
    windowState = WindowState{};
    markSeconds.clear();
    cornerOfFrame.clear();
    VirtualTimeSink sink;
    sink.picture = RecordCapturedFrame;
    StartVirtualTime(kFps, sink);
    ASSERT_TRUE(VideoOpenWindow("Vela", VideoModeRules{}));
    ASSERT_EQ(SetVideoMode(320, 240, 16, 1, 0), 16);
    screen = ScreenGeometry{};
    BuildFadeRamp();
    ASSERT_EQ(InitMemoryPool(11), 0);
    const std::filesystem::path dir = ScratchDir("capture-sync");
    PackBuilder pack;
    for (const auto& [name, bytes] : PartTwoEntries()) AddPackEntry(&pack, name, bytes, PackMethod::Store);
    WriteFileBytes(dir / "VELA.PAK", FinishPack(pack));
    OpenPack((dir / "VELA.PAK").c_str());
    // A beat mark every other row: 240 ms apart, six video frames.
    XmModule beats = MakeTestModule(1, 32, 2, 6, 125);
    for (int row = 1; row < 32; row += 2) PutMark(beats, 0, row, 1, 2);
    WriteFileBytes(dir / "BEATS.XM", WriteXm(beats));
    ASSERT_EQ(MusicInit(RecordMark), 0);
    ClockInit(100);
    ASSERT_EQ(MusicPlay((dir / "BEATS.XM").string().c_str()), 0);

    syncCounters.loadingFrame = 0;
    ASSERT_EQ(LoadPart2(), 0) << sequencer.errorMessage;
    MusicClose();
    FinishVirtualTime();

    ASSERT_GE(markSeconds.size(), 3u);
    // Before the first beat mark the loading picture has faded in and stands still.
    size_t change = static_cast<size_t>(std::floor(markSeconds.front() * kFps + 1e-6)) - 1;
    for (double s : markSeconds) {
        // The frame whose time holds the mark's moment; its effect shows there or in the next.
        const size_t holding = static_cast<size_t>(std::floor(s * kFps + 1e-6));
        do ++change;
        while (change < cornerOfFrame.size() && cornerOfFrame[change] == cornerOfFrame[change - 1]);
        ASSERT_LT(change, cornerOfFrame.size()) << "mark at " << s << " s never shows";
        EXPECT_GE(change, holding) << "mark at " << s << " s shows early";
        EXPECT_LE(change, holding + 1) << "mark at " << s << " s shows late";
    }

    FreePart2();
    PoolFree(handedPicture);
    handedPicture = nullptr;
    ClosePack();
    FreeMemoryPool();
    ReleaseDisplay(true);
    VideoCloseWindow();
}

} // namespace
