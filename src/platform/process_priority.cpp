#include "platform/process_priority.h"

#include <sys/resource.h>

void SetProcessPriority(ProcessPriority priority)
{
    static const int kNice[] = {-20, -10, 0, 19};
    setpriority(PRIO_PROCESS, 0, kNice[priority]);
}
