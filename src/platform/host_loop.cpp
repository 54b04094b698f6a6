// The desktop's loop: the program owns it, so sleeping is the system's.
#include "platform/host_loop.h"

#include <time.h>

bool HostOwnsTheLoop() { return false; }

void SleepOnHost(uint32_t milliseconds)
{
    timespec ts{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    nanosleep(&ts, nullptr);
}
