// The browser's loop: the program runs on the page's thread, so waiting means handing control
// back to the browser, and each time it comes back the marks whose sound is heard fire.
#include <emscripten.h>

#include "platform/host_loop.h"
#include "platform/web/page_calls.h"
#include "platform/web/sound_pump.h"

namespace {
double lastYield = 0;

void NoteYield()
{
    lastYield = emscripten_get_now();
    FireDueSoundMarks();
}
} // namespace

bool HostOwnsTheLoop() { return true; }

void SleepOnHost(uint32_t milliseconds)
{
    if (milliseconds == 0) PageYield();
    else PageSleep(static_cast<int>(milliseconds));
    NoteYield();
}

void YieldToHostAfter(uint32_t milliseconds)
{
    if (emscripten_get_now() - lastYield < milliseconds) return;
    PageYield();
    NoteYield();
}
