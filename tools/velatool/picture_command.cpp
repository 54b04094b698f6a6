// velatool picture: not available yet in this build.
#include <cstdio>

#include "velatool/commands.h"

int RunPictureCommand(int, char**)
{
    std::fprintf(stderr, "velatool picture: not available in this build\n");
    return 2;
}
