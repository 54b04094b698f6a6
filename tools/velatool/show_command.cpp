// velatool show: the whole show as the makers see it at a glance.
#include <cstdio>
#include <filesystem>
#include <string>

#include "resources/pack_location.h"
#include "velatool/commands.h"
#include "velatool/named_inputs.h"
#include "velatool/options.h"
#include "velatool/output_files.h"
#include "velatool/show_timeline.h"

const char kShowUsage[] =
    "usage: velatool show timeline --out FILE.png [--pack PAK] [--fps N]\n"
    "\n"
    "timeline  plays the whole show in virtual time (as 'vela --fast' does, at N video frames a\n"
    "          second, 1..240, default 10) and draws it against time in one PNG picture: the\n"
    "          parts and part four's sections as coloured bands, the scenes and the pictures\n"
    "          drawn, the modules with their waveform, every sync mark as a tick in the row of\n"
    "          its kind (start, cue, beat, calibration), and the longest frame drawing time of\n"
    "          each column under them, red above a 60 Hz display's 16.7 ms (a dotted line there\n"
    "          when the scale reaches it); time in m:ss along the bottom.\n"
    "          '--out -' writes the PNG to standard output.\n"
    "\n"
    "PAK is the show's pack archive; without --pack, the one vela would play.\n";

namespace {

[[noreturn]] void Usage(const std::string& problem) { throw UsageError{problem}; }

int Timeline(const std::string& named, const std::string& out, int fps)
{
    PackLocation location;
    if (!LocatePack(named.empty() ? nullptr : named.c_str(), RunningProgramPath("velatool"), &location)) {
        throw CommandFailure{location.message};
    }
    if (!location.found) throw CommandFailure{"no VELA.PAK found in " + location.places + "; name one with --pack"};
    const std::string problem = FileProblem(location.path);
    if (!problem.empty()) throw CommandFailure{location.path + ": " + problem};
    // A folder that is not there is told before the show is played, not after.
    const std::filesystem::path folder = std::filesystem::path(out).parent_path();
    std::error_code ignored;
    if (out != "-" && !folder.empty() && !std::filesystem::is_directory(folder, ignored)) {
        throw CommandFailure{out + ": cannot create: no folder " + folder.string()};
    }
    ShowTimeline timeline;
    std::string error;
    if (!RecordShowTimeline(location.path, fps, &timeline, &error)) throw CommandFailure{error};
    if (!WritePngOutput(out, DrawShowTimeline(timeline), &error)) throw CommandFailure{error};
    return 0;
}

} // namespace

int RunShowCommand(int argc, char** argv)
{
    return RunCommand("show", kShowUsage, [&] {
        const CommandLine line = ReadCommandLine(argc, argv, 1, {{"--pack", true}, {"--out", true}, {"--fps", true}});
        const std::vector<std::string>& words = line.words;
        if (words.empty()) Usage("a subcommand is needed");
        if (words[0] != "timeline") Usage("unknown subcommand '" + words[0] + "'");
        if (words.size() != 1) Usage("timeline takes no names, only options");
        if (line.Has("--pack") && line.Value("--pack").empty()) Usage("--pack needs an archive");
        const std::string out = line.Value("--out");
        if (out.empty()) Usage("timeline needs --out FILE.png");
        const int fps = static_cast<int>(WholeNumberValue(line.Value("--fps", "10"), "--fps", 1, 240));
        return Timeline(line.Value("--pack"), out, fps);
    });
}
