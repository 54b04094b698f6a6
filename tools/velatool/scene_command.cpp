// velatool scene: not available yet in this build.
#include <cstdio>

#include "velatool/commands.h"

int RunSceneCommand(int, char**)
{
    std::fprintf(stderr, "velatool scene: not available in this build\n");
    return 2;
}
