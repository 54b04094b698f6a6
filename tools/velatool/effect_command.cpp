// velatool effect: not available yet in this build.
#include <cstdio>

#include "velatool/commands.h"

int RunEffectCommand(int, char**)
{
    std::fprintf(stderr, "velatool effect: not available in this build\n");
    return 2;
}
