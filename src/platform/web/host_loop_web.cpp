// The browser's loop: the program runs on the page's thread, so waiting means handing control
// back to the browser, and each time it comes back the marks whose sound is heard fire.
#include "platform/host_loop.h"
#include "platform/web/page_calls.h"
#include "platform/web/sound_pump.h"

bool HostOwnsTheLoop() { return true; }

void SleepOnHost(uint32_t milliseconds)
{
    if (milliseconds == 0) PageYield();
    else PageSleep(static_cast<int>(milliseconds));
    FireDueSoundMarks();
}
