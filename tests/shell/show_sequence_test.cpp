#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/display_device.h"
#include "display/screen_geometry.h"
#include "display/window.h"
#include "platform/headless.h"
#include "platform/tick_source.h"
#include "platform/video.h"
#include "shell/show_main.h"
#include "shell/launcher.h"
#include "show/music.h"
#include "show/sequencer_state.h"
#include "support/test_support.h"

namespace {

std::vector<std::string> calls;
int escapeAtRun = 0;    // the run step (1..4) that presses Escape, 0 for none
int escapeFromRun = 1;  // ...from this many run steps on
int runsSeen = 0;
int failLoad = 0;

template <int N>
int32_t RecordLoad()
{
    calls.push_back("load" + std::to_string(N));
    if (failLoad == N) {
        sequencer.errorMessage = "Le fichier TRANSIT\\T_ROND.BMP est introuvable";
        return 1;
    }
    return 0;
}

template <int N>
void RecordRun()
{
    calls.push_back("run" + std::to_string(N));
    ++runsSeen;
    if (escapeAtRun == N && runsSeen >= escapeFromRun) {
        VideoInjectEvent(VideoEvent{kVideoEventKeyDown, 1, 0, 0, 0});
        CheckAbort();
    }
}

template <int N>
void RecordFree()
{
    calls.push_back("free" + std::to_string(N));
}

// The module whose start fails (and how), or none.
std::string failingModule;
int32_t moduleFailure = kModuleMissing;
int32_t RecordPlay(const char* name)
{
    calls.push_back(std::string("play ") + name);
    return failingModule == name ? moduleFailure : kModulePlays;
}
int32_t RecordVolume(int32_t v)
{
    calls.push_back("volume " + std::to_string(v));
    return 0;
}
int32_t RecordStop()
{
    calls.push_back("stop");
    return 0;
}

// Whether the calibration module plays: by default it does not, so the wait ends at once.
bool moduleSounds = false;
bool RecordPlaying() { return moduleSounds; }

// A clock that runs 20 ms further at every look, so that long waits pass at once.
uint32_t FastTicks(void* context)
{
    auto* t = static_cast<uint32_t*>(context);
    return *t += 20;
}

std::string Joined()
{
    std::string s;
    for (const auto& c : calls) s += (s.empty() ? "" : ", ") + c;
    return s;
}

class ShowSequenceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetHeadless(true);
        calls.clear();
        escapeAtRun = runsSeen = failLoad = 0;
        escapeFromRun = 1;
        moduleSounds = false;
        failingModule.clear();
        sequencer = SequencerState{};
        display = DisplayDevice{};
        windowState = WindowState{};
        launcherChoices = LauncherChoices{};
        launcherChoices.priority = kPriorityNormal;
        launcherChoices.askUser = 0;
        showOperations = ShowOperations{
            {RecordLoad<1>, RecordLoad<2>, RecordLoad<3>, RecordLoad<4>},
            {RecordRun<1>, RecordRun<2>, RecordRun<3>, RecordRun<4>},
            {RecordFree<1>, RecordFree<2>, RecordFree<3>, RecordFree<4>},
            RecordPlay, RecordVolume, RecordStop, RecordPlaying};
    }
    void TearDown() override { showOperations = DefaultShowOperations(); }

    int Run(std::vector<std::string> words, const VideoModeRules& rules = VideoModeRules{})
    {
        std::vector<char*> argv;
        for (auto& w : words) argv.push_back(w.data());
        return RunApplication(static_cast<int>(argv.size()), argv.data(), rules, DemoMain);
    }
};

const char* const kCalibration = "play ZIK\\VELA2.XM, volume 0, stop";

TEST_F(ShowSequenceTest, OnePassPlaysEveryPartWithItsModule)
{
    ASSERT_EQ(Run({}), 0);
    EXPECT_EQ(Joined(), std::string(kCalibration) +
                            ", load1, play ZIK\\VELA1.XM, volume 64, run1, free1"
                            ", load2, stop, play ZIK\\VELA2.XM, run2, free2"
                            ", load3, stop, play ZIK\\VELA3.XM, run3, free3"
                            ", load4, run4, free4, stop");
    EXPECT_EQ(DemoExitStatus(), 0);
}

TEST_F(ShowSequenceTest, WordB3PlaysPartsThreeAndFourAfterCalibrating)
{
    ASSERT_EQ(Run({"b3"}), 0);
    EXPECT_EQ(Joined(), std::string(kCalibration) +
                            ", play ZIK\\VELA1.XM, volume 64, stop, play ZIK\\VELA2.XM"
                            ", load3, stop, play ZIK\\VELA3.XM, run3, free3, load4, run4, free4, stop");
}

TEST_F(ShowSequenceTest, WordB5StartsAndStopsTheModulesOnlyEvenInLoopMode)
{
    launcherChoices.loop = 1;
    ASSERT_EQ(Run({"b5"}), 0);
    EXPECT_EQ(Joined(), std::string(kCalibration) +
                            ", play ZIK\\VELA1.XM, volume 64, stop, play ZIK\\VELA2.XM"
                            ", stop, play ZIK\\VELA3.XM, stop");
}

TEST_F(ShowSequenceTest, LoopModeRepeatsFromTheStartPartUntilEscape)
{
    launcherChoices.loop = 1;
    escapeAtRun = 3;
    escapeFromRun = 3; // the first pass's run3 and run4 go by; Escape in the second pass's run3
    ASSERT_EQ(Run({"b3"}), 0);
    EXPECT_EQ(sequencer.loopCount, -2);
    EXPECT_EQ(Joined(), std::string(kCalibration) +
                            ", play ZIK\\VELA1.XM, volume 64, stop, play ZIK\\VELA2.XM"
                            ", load3, stop, play ZIK\\VELA3.XM, run3, free3, load4, run4, free4, stop"
                            ", play ZIK\\VELA1.XM, volume 64, stop, play ZIK\\VELA2.XM"
                            ", load3, stop, play ZIK\\VELA3.XM, run3, free3, stop");
    EXPECT_EQ(DemoExitStatus(), 0);
}

TEST_F(ShowSequenceTest, EscapeInPartOneEndsTheShowWithoutAMessage)
{
    escapeAtRun = 1;
    ASSERT_EQ(Run({"b1"}), 0);
    EXPECT_EQ(Joined(), std::string(kCalibration) + ", load1, play ZIK\\VELA1.XM, volume 64, run1, free1, stop");
    EXPECT_EQ(DemoExitStatus(), 0);
}

TEST_F(ShowSequenceTest, EscapeDuringTheCalibrationEndsTheShowAndASilentModuleIsNamed)
{
    // A module that plays without calibration marks: Escape ends the wait and the show.
    moduleSounds = true;
    VideoInjectEvent(VideoEvent{kVideoEventKeyDown, 1, 0, 0, 0});
    ASSERT_EQ(Run({}), 0);
    EXPECT_EQ(Joined(), kCalibration);
    EXPECT_EQ(DemoExitStatus(), 0);

    // Left alone, the wait ends after its time limit with a line naming the module, and the
    // show goes on at the nominal speed.
    calls.clear();
    sequencer = SequencerState{};
    windowState = WindowState{};
    uint32_t ticks = 0;
    SetTickSource(FastTicks, &ticks);
    testing::internal::CaptureStderr();
    ASSERT_EQ(Run({"b4"}), 0);
    const std::string err = testing::internal::GetCapturedStderr();
    SetTickSource(nullptr, nullptr);
    EXPECT_NE(err.find("ZIK\\VELA2.XM gave no calibration marks"), std::string::npos) << err;
    EXPECT_NE(Joined().find("load4, run4, free4"), std::string::npos) << Joined();
    EXPECT_EQ(speedFactor.load(), 1.0f);
}

TEST_F(ShowSequenceTest, AFailedLoadEndsWithItsMessageAndAFailureStatus)
{
    failLoad = 2;
    testing::internal::CaptureStderr();
    ASSERT_EQ(Run({"b2"}), 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Le fichier TRANSIT\\T_ROND.BMP est introuvable"), std::string::npos) << err;
    EXPECT_EQ(DemoExitStatus(), 1);
    EXPECT_EQ(Joined(), std::string(kCalibration) + ", play ZIK\\VELA1.XM, volume 64, load2");
    // The final message is shown in the 640 x 480 desktop window.
    EXPECT_EQ(display.modeWidth, 640);
}

TEST_F(ShowSequenceTest, AModuleThatDoesNotStartEndsTheShowNamingIt)
{
    // The parts wait on their module's marks: without it the show would wait for ever.
    struct Case {
        const char* module;
        int32_t failure;
        const char* words;
        const char* text;
        const char* callsUntilTheEnd;
    };
    const Case cases[] = {
        {"ZIK\\VELA2.XM", kModuleMissing, "b1", "Le module ZIK\\VELA2.XM est introuvable", "play ZIK\\VELA2.XM"},
        {"ZIK\\VELA1.XM", kModuleMissing, "b1", "Le module ZIK\\VELA1.XM est introuvable",
         "play ZIK\\VELA2.XM, volume 0, stop, load1, play ZIK\\VELA1.XM, free1"},
        {"ZIK\\VELA3.XM", kModuleUnplayable, "b3", "Le module ZIK\\VELA3.XM ne peut pas etre joue",
         "play ZIK\\VELA2.XM, volume 0, stop, play ZIK\\VELA1.XM, volume 64, stop, play ZIK\\VELA2.XM, load3, stop, "
         "play ZIK\\VELA3.XM, free3"},
    };
    for (const Case& c : cases) {
        SetUp();
        failingModule = c.module;
        moduleFailure = c.failure;
        testing::internal::CaptureStderr();
        ASSERT_EQ(Run({c.words}), 0);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(c.text), std::string::npos) << c.module << ": " << err;
        EXPECT_EQ(DemoExitStatus(), 1) << c.module;
        EXPECT_EQ(Joined(), c.callsUntilTheEnd) << c.module;
    }
}

TEST_F(ShowSequenceTest, VideoModesFallBackTo15BitsThenTo320x200)
{
    VideoModeRules only555;
    only555.forcedLayout = 15;
    ASSERT_EQ(Run({"b5"}, only555), 0);
    EXPECT_EQ(screen.pixelDepth, 15);
    EXPECT_EQ(screen.viewTop, 30);
    EXPECT_EQ(screen.screenHeight, 240);

    SetUp();
    VideoModeRules no240;
    no240.missingWidth[0] = 320;
    no240.missingHeight[0] = 240;
    no240.missingCount = 1;
    ASSERT_EQ(Run({"b5"}, no240), 0);
    EXPECT_EQ(screen.pixelDepth, 16);
    EXPECT_EQ(screen.viewTop, 10);
    EXPECT_EQ(screen.screenHeight, 200);
}

TEST_F(ShowSequenceTest, NoVideoModeEndsWithTheUnivbeMessageAndPlaysNothing)
{
    VideoModeRules none;
    none.missingWidth[0] = 320;
    none.missingHeight[0] = 240;
    none.missingWidth[1] = 320;
    none.missingHeight[1] = 200;
    none.missingCount = 2;
    testing::internal::CaptureStderr();
    Run({}, none);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Error: Video mode does not exist\ntry with univbe to help detecting 15 or 16 bpp video modes"),
              std::string::npos) << err;
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(DemoExitStatus(), 1);
}

TEST(RunWords, BAndSWordsInAnyOrderLaterOnesWin)
{
    sequencer = SequencerState{};
    char me[] = "Me", s[] = "s300", b[] = "b2", x[] = "x", b4[] = "b4", neg[] = "b-1";
    char* words1[] = {me, s, x, b};
    ReadRunWords(4, words1);
    EXPECT_EQ(sequencer.startPart, 2);
    EXPECT_EQ(sequencer.seekOffset, 300);
    char* words2[] = {me, b, b4};
    ReadRunWords(3, words2);
    EXPECT_EQ(sequencer.startPart, 4);
    char* words3[] = {me, neg};
    ReadRunWords(2, words3);
    EXPECT_EQ(sequencer.startPart, -1);
    char* words4[] = {me};
    ReadRunWords(1, words4);
    EXPECT_EQ(sequencer.startPart, 1);
}

} // namespace
