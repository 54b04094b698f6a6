#include "platform/process_priority.h"

#include <sys/resource.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

void SetProcessPriority(ProcessPriority priority)
{
    static const int kNice[] = {-20, -10, 0, 19};
    static const char* const kNames[] = {"realtime", "high", "normal", "low"};
    static bool told = false;
    if (setpriority(PRIO_PROCESS, 0, kNice[priority]) == 0 || told) return;
    // Raising the priority needs rights an ordinary user lacks: the show still plays, at the
    // priority it has, and says so once.
    told = true;
    std::fprintf(stderr, "vela: the %s process priority (nice %d) cannot be applied: %s; playing at the present priority\n",
                 kNames[priority], kNice[priority], std::strerror(errno));
}
