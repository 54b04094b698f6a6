// The music wrapper: what each sync mark records, start-up without a sound device, playing and
// replacing modules from files, and failures that leave nothing half-released.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/headless.h"
#include "platform/xm_test_modules.h"
#include "resources/pack_archive.h"
#include "show/frame_clock.h"
#include "show/music.h"
#include "support/test_support.h"

namespace {

void ResetCounters()
{
    syncCounters.restartCount = 0;
    syncCounters.cueCount = 0;
    syncCounters.cueTime = 0;
    syncCounters.calibrationCount = 0;
    syncCounters.calibrationTimes[0] = 0;
    syncCounters.calibrationTimes[1] = 0;
    syncCounters.loadingFrame = 0;
}

int drawnFrames[16];
int drawCount = 0;
void RecordDraw(int32_t frame) { drawnFrames[drawCount++ % 16] = frame; }

// Starts the wrapper the way a machine without sound does: the device fails, no box is shown.
std::string InitWithoutDevice()
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SetHeadless(true);
    testing::internal::CaptureStderr();
    EXPECT_EQ(MusicInit(MusicSync), 0);
    return testing::internal::GetCapturedStderr();
}

// Speed 1 at 250 BPM: 10 ms a row. Marks: start at row 0, calibration at rows 2 and 12, cues
// at rows 4 and 6.
std::vector<uint8_t> MarkedModule()
{
    XmModule m = MakeTestModule(1, 64, 2, 1, 250);
    PutMark(m, 0, 0, 0, 255);
    PutMark(m, 0, 2, 1, 3);
    PutMark(m, 0, 4, 0, 1);
    PutMark(m, 0, 6, 1, 1);
    PutMark(m, 0, 12, 0, 3);
    PutNote(m, 0, 0, 1);
    return WriteXm(m);
}

template <typename Condition>
bool WaitFor(Condition condition, int milliseconds = 3000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

} // namespace

TEST(MusicSyncMarks, EachValueRecordsWhatTheShowPolls)
{
    UseManualTicks(100000);
    ClockInit(100);
    ResetCounters();
    loadingActive = 0;
    SetLoadingDraw(RecordDraw);
    drawCount = 0;

    AdvanceManualTicks(2500);
    MusicSync(255);
    EXPECT_EQ(ClockNow(), 0);
    EXPECT_EQ(syncCounters.restartCount.load(), 1);
    AdvanceManualTicks(700);
    MusicSync(255);
    EXPECT_EQ(ClockNow(), 0);
    EXPECT_EQ(syncCounters.restartCount.load(), 2);

    for (int i = 1; i <= 8; ++i) {
        AdvanceManualTicks(100);
        MusicSync(1);
        EXPECT_EQ(syncCounters.cueTime.load(), 10 * i);
    }
    EXPECT_EQ(syncCounters.cueCount.load(), 8); // past the sixth credit

    // Mark 2 draws only while the loading screen is up, but always moves the frame on.
    for (int i = 0; i < 4; ++i) MusicSync(2);
    EXPECT_EQ(drawCount, 0);
    loadingActive = 1;
    for (int i = 0; i < 4; ++i) MusicSync(2);
    loadingActive = 0;
    ASSERT_EQ(drawCount, 4);
    EXPECT_EQ(drawnFrames[0], 4);
    EXPECT_EQ(drawnFrames[1], 5);
    EXPECT_EQ(drawnFrames[2], 0);
    EXPECT_EQ(syncCounters.loadingFrame.load(), 2);

    ClockReset(0);
    AdvanceManualTicks(1000);
    MusicSync(3);
    AdvanceManualTicks(11060);
    MusicSync(3);
    AdvanceManualTicks(500);
    MusicSync(3);
    EXPECT_EQ(syncCounters.calibrationCount.load(), 3);
    EXPECT_EQ(syncCounters.calibrationTimes[0].load(), 100);
    EXPECT_EQ(syncCounters.calibrationTimes[1].load(), 1206);
    EXPECT_FLOAT_EQ(SpeedFactorFromCalibration(syncCounters.calibrationTimes[0], syncCounters.calibrationTimes[1]), 1.0f);

    // Other values change nothing.
    for (uint32_t other : {0u, 4u, 254u, 256u, 0xFFFFFFFFu}) MusicSync(other);
    EXPECT_EQ(syncCounters.restartCount.load(), 2);
    EXPECT_EQ(syncCounters.cueCount.load(), 8);
    EXPECT_EQ(syncCounters.calibrationCount.load(), 3);
    EXPECT_EQ(syncCounters.loadingFrame.load(), 2);
    SetLoadingDraw(nullptr);
    UseRealTicks();
}

TEST(MusicSyncMarks, SpeedFactorIsFiniteWhateverTheCalibrationTimes)
{
    EXPECT_FLOAT_EQ(SpeedFactorFromCalibration(0, 553), 2.0f);
    EXPECT_FLOAT_EQ(SpeedFactorFromCalibration(-100, 1006), 1.0f);
    EXPECT_FLOAT_EQ(SpeedFactorFromCalibration(500, 500), 1.0f);
    EXPECT_FLOAT_EQ(SpeedFactorFromCalibration(900, 10), 1.0f);
    EXPECT_FLOAT_EQ(SpeedFactorFromCalibration(-2147483647 - 1, 2147483647), 1106.0f / 4294967295.0f);
}

TEST(ThreadsMusic, WithoutADeviceTheModulesStillPlayInRealTimeAndReplaceEachOther)
{
    const std::string said = InitWithoutDevice();
    EXPECT_NE(said.find("Sounderror"), std::string::npos);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_EQ(MusicVolume(30), 0); // nothing plays yet: nothing to do
    EXPECT_FALSE(MusicPlaying());

    std::filesystem::path dir = ScratchDir("music-play");
    WriteFileBytes(dir / "MARKED.XM", MarkedModule());
    XmModule startOnly = MakeTestModule(1, 16, 2, 1, 250);
    PutMark(startOnly, 0, 0, 0, 255);
    WriteFileBytes(dir / "START.XM", WriteXm(startOnly));

    ClockInit(100);
    ResetCounters();
    EXPECT_EQ(MusicPlay((dir / "MARKED.XM").string().c_str()), 0);
    EXPECT_TRUE(MusicPlaying());
    EXPECT_EQ(MusicVolume(0), 0);
    ASSERT_TRUE(WaitFor([] { return syncCounters.calibrationCount.load() >= 2; }));
    EXPECT_GE(syncCounters.restartCount.load(), 1);
    EXPECT_GE(syncCounters.cueCount.load(), 2);
    // Rows 2 and 12 lie 100 ms (10 clock units) apart in real time.
    const int32_t span = syncCounters.calibrationTimes[1].load() - syncCounters.calibrationTimes[0].load();
    EXPECT_GE(span, 8);
    EXPECT_LE(span, 30);

    // The next module replaces it; once MusicPlay returns, the old one's marks are gone.
    EXPECT_EQ(MusicPlay((dir / "START.XM").string().c_str()), 0);
    ResetCounters();
    ASSERT_TRUE(WaitFor([] { return syncCounters.restartCount.load() >= 2; }));
    EXPECT_EQ(syncCounters.cueCount.load(), 0);
    EXPECT_EQ(syncCounters.calibrationCount.load(), 0);
    EXPECT_EQ(MusicStop(), 0);
    EXPECT_FALSE(MusicPlaying());
    EXPECT_EQ(MusicStop(), 0);
    MusicClose();
}

TEST(ThreadsMusic, AModuleThatFailsToLoadLeavesNothingBehind)
{
    InitWithoutDevice();
    std::filesystem::path dir = ScratchDir("music-fail");
    WriteFileBytes(dir / "GOOD.XM", MarkedModule());
    WriteFileBytes(dir / "BAD.XM", std::vector<uint8_t>(100, 0));
    ASSERT_EQ(MusicPlay((dir / "GOOD.XM").string().c_str()), 0);

    testing::internal::CaptureStderr();
    EXPECT_EQ(MusicPlay((dir / "BAD.XM").string().c_str()), 1);
    const std::string box = testing::internal::GetCapturedStderr();
    EXPECT_NE(box.find("MIDAS Error!"), std::string::npos);
    EXPECT_NE(box.find("BAD.XM"), std::string::npos);
    // The error closed the library: the old module is stopped and released, not half-kept.
    EXPECT_FALSE(MusicPlaying());
    ResetCounters();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(syncCounters.restartCount.load(), 0);
    EXPECT_EQ(MusicVolume(10), 0);
    EXPECT_EQ(MusicStop(), 0);
    testing::internal::CaptureStderr();
    MusicClose();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(ThreadsMusic, PlayModuleFromPackPlaysThroughATemporaryFileItRemoves)
{
    std::filesystem::path dir = ScratchDir("music-pack");
    std::filesystem::create_directories(dir / "ZIK");
    std::filesystem::create_directories(dir / "tmp");
    WriteFileBytes(dir / "ZIK" / "VELA2.XM", MarkedModule());
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    setenv("TMPDIR", (dir / "tmp").c_str(), 1);
    OpenPack("VELA.PAK");
    // The module is read as a loose file beside a missing archive.
    ASSERT_NE(PackEntrySize("ZIK\\VELA2.XM"), 0u);
    InitWithoutDevice();
    ResetCounters();
    EXPECT_EQ(PlayModuleFromPack("ZIK\\VELA2.XM"), kModulePlays);
    EXPECT_TRUE(MusicPlaying());
    EXPECT_TRUE(WaitFor([] { return syncCounters.calibrationCount.load() >= 1; }));
    EXPECT_TRUE(std::filesystem::is_empty(dir / "tmp"));
    MusicStop();
    MusicClose();
    ClosePack();
    unsetenv("TMPDIR");
    std::filesystem::current_path(previous);
}

TEST(ThreadsMusic, AModuleThatIsMissingOrUnplayableIsToldApartAndStopsTheMusic)
{
    std::filesystem::path dir = ScratchDir("music-missing");
    std::filesystem::create_directories(dir / "ZIK");
    WriteFileBytes(dir / "ZIK" / "VELA3.XM", std::vector<uint8_t>(200, 0x55)); // not a module
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    OpenPack("VELA.PAK");
    InitWithoutDevice();
    testing::internal::CaptureStderr();
    EXPECT_EQ(PlayModuleFromPack("ZIK\\VELA1.XM"), kModuleMissing);
    EXPECT_FALSE(MusicPlaying());
    // The show tells the user; the music says nothing of its own.
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    testing::internal::CaptureStderr();
    EXPECT_EQ(PlayModuleFromPack("ZIK\\VELA3.XM"), kModuleUnplayable);
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(MusicPlaying());
    MusicClose();
    ClosePack();
    std::filesystem::current_path(previous);
}
