// The launcher's rules around its dialog: skipped with the command line's choices, the show's
// window hidden while the dialog is up, the chosen priority applied, cancel ending the show
// before anything else opens, and a dialog that cannot open starting a plain show.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/display_device.h"
#include "display/window.h"
#include "platform/headless.h"
#include "shell/show_main.h"
#include "shell/launcher.h"
#include "show/music.h"
#include "show/sequencer_state.h"

namespace {

std::vector<std::string> launcherCalls;
int32_t dialogAnswer = 1;
LauncherDialogChoices dialogSaw;
LauncherDialogChoices dialogGives;

int32_t FakeDialog(LauncherDialogChoices* choices)
{
    launcherCalls.push_back("dialog");
    dialogSaw = *choices;
    if (dialogAnswer == 1) *choices = dialogGives;
    return dialogAnswer;
}

void RecordPriority(ProcessPriority p) { launcherCalls.push_back("priority " + std::to_string(p)); }
void RecordShow(bool shown) { launcherCalls.push_back(shown ? "show" : "hide"); }

std::string JoinedLauncherCalls()
{
    std::string s;
    for (const auto& c : launcherCalls) s += (s.empty() ? "" : ", ") + c;
    return s;
}

int32_t LauncherPlay(const char* name)
{
    launcherCalls.push_back(std::string("play ") + name);
    return kModulePlays;
}
int32_t LauncherVolume(int32_t) { return 0; }
int32_t LauncherStop() { return 0; }
int32_t LoadNothing() { return 0; }
void RunNothing() {}

class LauncherTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        launcherCalls.clear();
        dialogAnswer = 1;
        dialogGives = LauncherDialogChoices{};
        launcherChoices = LauncherChoices{};
        launcherOperations = LauncherOperations{FakeDialog, RecordPriority, RecordShow};
    }
    void TearDown() override
    {
        launcherOperations = DefaultLauncherOperations();
        showOperations = DefaultShowOperations();
        launcherChoices = LauncherChoices{};
    }

    int32_t Run()
    {
        fullScreen = loop = 7;
        return RunLauncher(&fullScreen, &loop);
    }
    int32_t fullScreen = 0, loop = 0;
};

TEST_F(LauncherTest, WithoutTheDialogTheCommandLineChoicesApply)
{
    launcherChoices = LauncherChoices{1, 1, kPriorityLow, 0};
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(fullScreen, 1);
    EXPECT_EQ(loop, 1);
    EXPECT_EQ(JoinedLauncherCalls(), "priority 3, show");
}

TEST_F(LauncherTest, StartAppliesTheChoicesWhileTheWindowWasHidden)
{
    launcherChoices.loop = 1; // the dialog starts from the command line's choices
    dialogGives = LauncherDialogChoices{1, 0, 2};
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(dialogSaw.fullScreen, 0);
    EXPECT_EQ(dialogSaw.loop, 1);
    EXPECT_EQ(dialogSaw.priority, 1);
    EXPECT_EQ(fullScreen, 1);
    EXPECT_EQ(loop, 0);
    EXPECT_EQ(JoinedLauncherCalls(), "hide, dialog, priority 2, show");

    launcherCalls.clear();
    dialogGives = LauncherDialogChoices{0, 1, -1}; // no radio checked: the priority stays
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(loop, 1);
    EXPECT_EQ(JoinedLauncherCalls(), "hide, dialog, show");
}

TEST_F(LauncherTest, CancelLeavesTheWindowHiddenAndThePriorityAlone)
{
    dialogAnswer = 0;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(JoinedLauncherCalls(), "hide, dialog");
}

TEST_F(LauncherTest, ADialogThatCannotOpenStartsInAWindowOnce)
{
    launcherChoices.fullScreen = 1;
    launcherChoices.loop = 1;
    dialogAnswer = -1;
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(fullScreen, 0);
    EXPECT_EQ(loop, 0);
    EXPECT_EQ(JoinedLauncherCalls(), "hide, dialog, show");
}

// The whole start-up, headless: what the launcher's answer lets the show do.
class LauncherShowTest : public LauncherTest {
protected:
    void SetUp() override
    {
        LauncherTest::SetUp();
        SetHeadless(true);
        sequencer = SequencerState{};
        display = DisplayDevice{};
        windowState = WindowState{};
        showOperations = ShowOperations{{LoadNothing, LoadNothing, LoadNothing, LoadNothing},
                                        {RunNothing, RunNothing, RunNothing, RunNothing},
                                        {RunNothing, RunNothing, RunNothing, RunNothing},
                                        LauncherPlay,
                                        LauncherVolume,
                                        LauncherStop,
                                        NothingPlays};
    }
    static bool NothingPlays() { return false; }
    int RunShow()
    {
        char b5[] = "b5";
        char* words[] = {b5};
        return RunApplication(1, words, VideoModeRules{}, DemoMain);
    }
};

TEST_F(LauncherShowTest, CancelEndsTheShowBeforeAnythingElseOpens)
{
    dialogAnswer = 0;
    ASSERT_EQ(RunShow(), 0);
    EXPECT_EQ(JoinedLauncherCalls(), "hide, dialog"); // not even the calibration module
    EXPECT_EQ(DemoExitStatus(), 0);
}

TEST_F(LauncherShowTest, ADialogThatCannotOpenPlaysTheShowOnceInAWindow)
{
    dialogAnswer = -1;
    ASSERT_EQ(RunShow(), 0);
    EXPECT_EQ(sequencer.fullScreen, 0);
    EXPECT_EQ(sequencer.loopCount, 1);
    EXPECT_NE(JoinedLauncherCalls().find("play ZIK\\VELA3.XM"), std::string::npos) << JoinedLauncherCalls();
}

} // namespace
