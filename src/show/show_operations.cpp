#include "show/show_operations.h"

#include "display/window.h"
#include "platform/tick_source.h"
#include "show/music.h"
#include "show/parts.h"
#include "show/sequencer_state.h"

ShowOperations DefaultShowOperations()
{
    return ShowOperations{
        {LoadPart1, LoadPart2, LoadPart3, LoadPart4},
        {RunPart1, RunPart2, RunPart3, RunPart4},
        {FreePart1, FreePart2, FreePart3, FreePart4},
        PlayModuleFromPack,
        MusicVolume,
        MusicStop,
        MusicPlaying,
    };
}

ShowOperations showOperations = DefaultShowOperations();
double showSecondsLimit = 0;

namespace {
bool showStarted = false;
uint32_t showStartTicks = 0;
} // namespace

void StartShowTime()
{
    showStarted = true;
    showStartTicks = GetTickCount32();
}

void StopShowTime() { showStarted = false; }

int32_t CheckAbort()
{
    if (KeyDown(1) || CloseRequested()) sequencer.abortRequested = 1;
    if (showSecondsLimit > 0 && showStarted && GetTickCount32() - showStartTicks >= showSecondsLimit * 1000.0) {
        sequencer.abortRequested = 1;
    }
    return sequencer.abortRequested;
}
