#include "generator/content_options.h"

#include <algorithm>
#include <cctype>
#include <thread>

#include "command_line/command_line.h"
#include "command_line/option_values.h"

const char kContentUsage[] =
    "usage: vela-content --out OUT.PAK [--dir DIR] [--only NAME]... [--jobs N]\n"
    "       vela-content --icon OUT.png\n"
    "       vela-content --list\n"
    "\n"
    "Makes the show's pictures, scenes and modules from source and packs them.\n"
    "\n"
    "  --out OUT.PAK  the archive to write (written whole, then moved into place)\n"
    "  --dir DIR      also write each entry as a loose file below DIR (folders from the\n"
    "                 backslashes), to look at\n"
    "  --only NAME    make only this entry (any case; may be given again); with --out the\n"
    "                 archive then holds just those\n"
    "  --jobs N       threads making entries (default: the processor count)\n"
    "  --icon OUT.png the desktop icon: the emblem, 256x256, on a transparent background\n"
    "  --list         print every entry name of the manifest\n"
    "  --help, --version\n";

namespace {

std::string Upper(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

ContentOptions ReadContentOptions(int argc, char** argv)
{
    ContentOptions o;
    try {
        const CommandLine line = ReadCommandLine(argc, argv, 1,
                                                 {{"--out", true},
                                                  {"--dir", true},
                                                  {"--only", true},
                                                  {"--jobs", true},
                                                  {"--icon", true},
                                                  {"--list", false},
                                                  {"--version", false}});
        if (!line.words.empty()) throw UsageError{"unexpected word '" + line.words.front() + "'"};
        o.out = line.Value("--out");
        o.dir = line.Value("--dir");
        o.icon = line.Value("--icon");
        for (const std::string& name : line.Values("--only")) o.only.insert(Upper(name));
        o.jobs = std::max(1u, std::thread::hardware_concurrency());
        if (line.Has("--jobs")) o.jobs = static_cast<unsigned>(WholeNumberValue(line.Value("--jobs"), "--jobs", 1, 64));
        o.list = line.Has("--list");
        o.version = line.Has("--version");
    } catch (const HelpRequested&) {
        o.help = true;
        return o;
    }
    if (!o.version && !o.list && o.out.empty() && o.dir.empty() && o.icon.empty()) {
        throw UsageError{"nothing to write: give --out, --dir or --icon"};
    }
    return o;
}
