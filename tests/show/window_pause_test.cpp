// The window pauses the music and the frame clock while the show is minimised, and resumes
// both when it is in front again.
#include "display/display_fixture.h"
#include "show/frame_clock.h"

namespace {

using WindowTest = HeadlessDisplayTest;

int pauseCalls = 0, resumeCalls = 0;
void CountPause() { ++pauseCalls; }
void CountResume() { ++resumeCalls; }

// The display tests' fixture, under a name of this program's own.
using WindowPauseTest = WindowTest;

TEST_F(WindowPauseTest, MinimisingPausesOnceAndActivationResumesTheClock)
{
    pauseCalls = resumeCalls = 0;
    SetPauseHooks(CountResume, CountPause);
    SetClockHooks(ClockResume, ClockPause);
    SetVideoMode(320, 240, 16, 1, 0);
    ClockInit(100);
    AdvanceManualTicks(1000);
    VideoInjectEvent(Event(kVideoEventMinimized));
    VideoInjectEvent(Event(kVideoEventMinimized));
    PumpMessages();
    EXPECT_EQ(pauseCalls, 1);
    EXPECT_EQ(windowState.paused, 1);
    AdvanceManualTicks(5000);
    // While paused, every tenth pump waits for an event; headless it finds none and goes on.
    for (int i = 0; i < 10; ++i) PumpMessages();
    VideoInjectEvent(Event(kVideoEventActivated));
    PumpMessages();
    EXPECT_EQ(resumeCalls, 1);
    EXPECT_EQ(windowState.paused, 0);
    EXPECT_EQ(ClockNow(), 100);
    SetPauseHooks(nullptr, nullptr);
    SetClockHooks(nullptr, nullptr);
}

} // namespace
