#include "sequencer/launcher.h"

LauncherChoices launcherChoices;

int32_t RunLauncher(int32_t* fullScreen, int32_t* loop)
{
    *fullScreen = launcherChoices.fullScreen;
    *loop = launcherChoices.loop;
    SetProcessPriority(launcherChoices.priority);
    return 1;
}
