// velatool: the toolkit for the show's pack archives, pictures, scenes, effects, modules and the
// whole show.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "velatool/commands.h"

namespace {

struct Subcommand {
    const char* name;
    int (*run)(int argc, char** argv);
    const char* summary;
    const char* usage;
};

const Subcommand kSubcommands[] = {
    {"pak", RunPakCommand, "build, list, verify and unpack pack archives", kPakUsage},
    {"picture", RunPictureCommand, "inspect BMP pictures, convert them to PNG, make contact sheets", kPictureUsage},
    {"scene", RunSceneCommand, "dump, render and measure FSF scene files", kSceneUsage},
    {"effect", RunEffectCommand, "preview the 2D picture effects on PNG views", kEffectUsage},
    {"module", RunModuleCommand, "inspect XM modules, list their sync marks, render them to WAV", kModuleUsage},
    {"show", RunShowCommand, "draw the whole show against time: parts, scenes, music, marks, frame times", kShowUsage},
};

// A subcommand's forms from the top of its help, each on one line ("velatool pak list PAK").
std::vector<std::string> Forms(const char* usage)
{
    std::vector<std::string> forms;
    for (const char* line = usage; *line && *line != '\n';) {
        const char* end = std::strchr(line, '\n');
        if (!end) end = line + std::strlen(line);
        std::string text(line, end);
        if (text.rfind("usage:", 0) == 0) text.erase(0, 6);
        text.erase(0, text.find_first_not_of(' '));
        if (forms.empty() || text.rfind("velatool ", 0) == 0) forms.push_back(text);
        else forms.back() += " " + text;
        line = *end ? end + 1 : end;
    }
    return forms;
}

// The synopsis gives every form of every subcommand, so that the manual page made from this
// text lists them all.
void PrintUsage()
{
    std::printf("Usage: velatool COMMAND [ARGS...]\n");
    for (const Subcommand& c : kSubcommands) {
        for (const std::string& form : Forms(c.usage)) std::printf("  or:  %s\n", form.c_str());
    }
    std::printf("\nCommands:\n");
    for (const Subcommand& c : kSubcommands) std::printf("  %-8s %s\n", c.name, c.summary);
    std::printf("\n'velatool COMMAND --help' describes a command and its options.\n"
                "\nOptions:\n  --help     this text\n  --version  the program's version\n");
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
