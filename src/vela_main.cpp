// vela: the show. Reads its options, then plays.
#include <cstdio>

#include "command_line/command_line.h"
#include "shell/show_options.h"
#include "shell/show_program.h"

int main(int argc, char** argv)
{
    ShowOptions options;
    try {
        options = ReadShowOptions(argc, argv);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "vela: %s\nsee 'vela --help'\n", e.problem.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(kShowUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("vela %s\n", VELA_VERSION);
        return 0;
    }
    return RunShowProgram(options, argv[0]);
}
