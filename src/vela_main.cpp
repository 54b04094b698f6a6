// vela: the show. Reads its options, then plays.
#include <cstdio>
#include <cstdlib>

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
    const int status = RunShowProgram(options, argv[0]);
#ifdef __EMSCRIPTEN__
    // In a page main returns to the browser long before the show ends; ending the program this
    // way hands its status to the page.
    std::exit(status);
#endif
    return status;
}
