// velatool module: not available yet in this build.
#include <cstdio>

#include "velatool/commands.h"

int RunModuleCommand(int, char**)
{
    std::fprintf(stderr, "velatool module: not available in this build\n");
    return 2;
}
