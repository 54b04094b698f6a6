#include "shell/launcher.h"

#include <cstdio>

#include "platform/video.h"

LauncherChoices launcherChoices;

LauncherOperations DefaultLauncherOperations()
{
    return LauncherOperations{ShowLauncherDialog, SetProcessPriority, VideoShowWindow};
}

LauncherOperations launcherOperations = DefaultLauncherOperations();

int32_t RunLauncher(int32_t* fullScreen, int32_t* loop)
{
    const LauncherOperations& op = launcherOperations;
    if (!launcherChoices.askUser) {
        *fullScreen = launcherChoices.fullScreen;
        *loop = launcherChoices.loop;
        op.setPriority(launcherChoices.priority);
        op.showWindow(true);
        return 1;
    }
    op.showWindow(false);
    LauncherDialogChoices dialog;
    dialog.fullScreen = launcherChoices.fullScreen;
    dialog.loop = launcherChoices.loop;
    dialog.priority = static_cast<int32_t>(launcherChoices.priority);
    const int32_t code = op.showDialog(&dialog);
    if (code == 0) {
        *fullScreen = 0;
        *loop = 0;
        return 0;
    }
    if (code != 1) {
        std::fprintf(stderr, "vela: the launcher could not open; playing in a window, once\n");
        *fullScreen = 0;
        *loop = 0;
        op.showWindow(true);
        return -1;
    }
    *fullScreen = dialog.fullScreen ? 1 : 0;
    *loop = dialog.loop ? 1 : 0;
    // The radio buttons are in the order of the priority classes.
    if (dialog.priority >= kPriorityRealtime && dialog.priority <= kPriorityLow) {
        op.setPriority(static_cast<ProcessPriority>(dialog.priority));
    }
    op.showWindow(true);
    return 1;
}
