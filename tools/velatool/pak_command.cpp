// velatool pak: not available yet in this build.
#include <cstdio>

#include "velatool/commands.h"

int RunPakCommand(int, char**)
{
    std::fprintf(stderr, "velatool pak: not available in this build\n");
    return 2;
}
