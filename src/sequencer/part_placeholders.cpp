// Stand-in parts until their scripts exist: nothing to load, and a run step that shows the
// part's number for 2 seconds of frame clock while answering Escape and the window keys.
#include <cstdio>

#include "display/console.h"
#include "display/display_device.h"
#include "display/screen_geometry.h"
#include "platform/tick_source.h"
#include "sequencer/demo_main.h"
#include "sequencer/frame_clock.h"
#include "sequencer/parts.h"
#include "sequencer/sequencer_state.h"

namespace {

void ShowPartNumber(int part)
{
    ClockReset(0);
    while (ClockNow() < 200) {
        uint16_t* frame = static_cast<uint16_t*>(BeginDraw());
        if (frame) {
            uint16_t* view = ViewOfFrame(frame);
            for (int i = 0; i < screen.viewHeight * screen.screenWidth; ++i) view[i] = 0;
            ConsoleSetCursor(screen.screenWidth / 2 - 24, screen.viewTop + screen.viewHeight / 2 - 8);
            ConsolePrint("Part %d", part);
            EndDraw();
        }
        if (CheckAbort()) return;
        SleepMilliseconds(10);
    }
}

} // namespace

DesyncCounter partThreeDesync;

int32_t LoadPart3() { return 0; }
void RunPart3() { ShowPartNumber(3); }
void FreePart3() {}
int32_t LoadPart4() { return 0; }
void RunPart4() { ShowPartNumber(4); }
void FreePart4() {}
