// velatool: the toolkit for the show's pack archives, pictures, scenes, effects and modules.
#include <cstdio>
#include <cstring>
#include <string>

#include "velatool/commands.h"

namespace {

struct Subcommand {
    const char* name;
    int (*run)(int argc, char** argv);
    const char* summary;
};

const Subcommand kSubcommands[] = {
    {"pak", RunPakCommand, "build, list, verify and unpack pack archives"},
    {"picture", RunPictureCommand, "inspect BMP pictures, convert them to PNG, make contact sheets"},
    {"scene", RunSceneCommand, "dump, render and measure FSF scene files"},
    {"effect", RunEffectCommand, "preview the 2D picture effects on PNG views"},
    {"module", RunModuleCommand, "inspect XM modules, list their sync marks, render them to WAV"},
};

void PrintUsage()
{
    std::printf("usage: velatool COMMAND [ARGS...]\n\ncommands:\n");
    for (const Subcommand& c : kSubcommands) std::printf("  %-8s %s\n", c.name, c.summary);
    std::printf("\n'velatool COMMAND --help' describes a command.\n"
                "options:\n  --help     this text\n  --version  the program's version\n");
}

// A bad command line: the problem on one line, then where the help is.
int BadCommandLine(const std::string& problem)
{
    std::fprintf(stderr, "velatool: %s\nsee 'velatool --help'\n", problem.c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return BadCommandLine("a command is needed");
    if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
        PrintUsage();
        return 0;
    }
    if (!std::strcmp(argv[1], "--version")) {
        std::printf("velatool %s\n", VELA_VERSION);
        return 0;
    }
    for (const Subcommand& c : kSubcommands) {
        if (!std::strcmp(argv[1], c.name)) return c.run(argc - 1, argv + 1);
    }
    return BadCommandLine(std::string("unknown command '") + argv[1] + "'");
}
