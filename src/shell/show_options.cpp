#include "shell/show_options.h"

#include <cctype>
#include <cstring>

#include "command_line/command_line.h"
#include "command_line/option_values.h"

const char kShowUsage[] =
    "usage: vela [OPTIONS] [WORDS...]\n"
    "\n"
    "Plays the show from its pack archive.\n"
    "\n"
    "words:\n"
    "  bN                 start at part N (1..4; 5 and above play no part)\n"
    "  sN                 move part two's clock ahead by N hundredths of a second\n"
    "\n"
    "options:\n"
    "  --window           play in a window (default)\n"
    "  --fullscreen       play full screen (the desktop's resolution, the picture kept 4:3)\n"
    "  --once             play the show once (default)\n"
    "  --loop             play the show again and again until Escape\n"
    "  --priority P       process priority: realtime, high (default), normal or low\n"
    "  --no-launcher      start at once, without the launcher dialog, with the choices above\n"
    "                     (window, once, high priority unless they say otherwise); without it\n"
    "                     the dialog asks, starting from those choices\n"
    "  --no-sound         play the music silently; its sync marks still drive the show\n"
    "  --pack PATH        the pack archive (default: VELA.PAK in the working folder, else the\n"
    "                     installed one in ../share/vela beside the program's folder, else the\n"
    "                     build's content/VELA.PAK or the one beside the program)\n"
    "  --headless         no window and no display server: frames are drawn but not shown, and\n"
    "                     a final message goes to standard error (implies --no-launcher)\n"
    "  --depth 15|16      the display offers only that pixel layout: a 16-bit request comes\n"
    "                     back as 15 with --depth 15, and the other way round\n"
    "  --no-mode WxH      the display has no mode of that size (may be given up to 8 times),\n"
    "                     to try the fallback from 320x240 to 320x200\n"
    "  --pool-mib N       a memory pool of N MiB instead of 11 (a testing aid: a small pool makes\n"
    "                     the parts' loads run out of memory)\n"
    "  --timings          at the end, per part: frames, median, 99th percentile and worst frame\n"
    "                     drawing time (the scene and the effects) and the pool's high-water mark,\n"
    "                     then a line per pass\n"
    "  --hud              show the HUD in the border above and below the picture: the part and\n"
    "                     section, the part's clock, the scene frame and the frame's drawing\n"
    "                     time; the last sync mark, how long ago it fired, and the music's order\n"
    "                     and row (H shows or hides it while the show plays)\n"
    "\n"
    "  --seconds S        only the first S seconds of the show, from its first part (it ends as\n"
    "                     by Escape), in every mode\n"
    "  --passes N         a looping show ends after N passes\n"
    "  --at TIME          start at that moment of the whole show, as m:ss or seconds (1:23.5,\n"
    "                     83.5): what comes before plays unseen and unheard in virtual time at\n"
    "                     --fps frames a second, as --fast plays it, then the show goes on in\n"
    "                     real time with its music at the same place (no launcher dialog);\n"
    "                     with --frame-hashes FILE, the frames up to the moment go to FILE;\n"
    "                     --seconds still counts from the show's first part, and --timings\n"
    "                     measures the frames drawn in real time only\n"
    "\n"
    "capture (no window, no sound device; faster than the show plays, the same bytes each time;\n"
    "the start-up does not wait for the music's speed to be measured, as it is exact):\n"
    "  --capture FILE     the show with its music: FILE.mp4 holds H.264 and AAC; FILE.mkv holds\n"
    "                     H.264 and AAC, or with --lossless FFV1 and FLAC, in Matroska\n"
    "  --frames DIR       the show as numbered PNG pictures and audio.wav in DIR instead\n"
    "  --fps N            video frames per second, 1..240 (default 60); playing headless in\n"
    "                     real time, the frames drawn per second\n"
    "  --scale K          each pixel becomes K x K pixels, 1..6 (default 3: 960x720)\n"
    "  --lossless         FFV1 video and FLAC audio (with a .mkv name)\n"
    "  --fast             the show in virtual time with no video written: no window, no sound,\n"
    "                     as fast as it draws (for long runs and checks, with --timings or\n"
    "                     --frame-hashes); not with --capture or --frames\n"
    "  --frame-hashes FILE\n"
    "                     with --fast, --capture or --frames, FILE gets a line per video frame\n"
    "                     (its number, the part playing, the show's seconds and a hash of its\n"
    "                     pixels) and a hash of each part's sound: two runs that drew and played\n"
    "                     the same give the same list\n"
    "\n"
    "  --help             this text\n"
    "  --version          the program's version\n"
    "\n"
    "keys: Escape stops the show; F1 and F2 set the window to single or double size; F4 or\n"
    "Alt+Enter switch between full screen and window; H shows or hides the HUD.\n"
    "\n"
    "environment: VELA_TRACE=1 prints the display layer's diagnostic lines.\n";

namespace {

bool EndsWith(const std::string& text, const char* ending)
{
    const size_t n = std::strlen(ending);
    if (text.size() < n) return false;
    for (size_t i = 0; i < n; ++i) {
        if (std::tolower(static_cast<unsigned char>(text[text.size() - n + i])) != ending[i]) return false;
    }
    return true;
}

// The capture's output and its container, checked together: the container follows the file's
// name, and options that contradict each other are refused. A frame-hash list goes with any of
// the runs in virtual time.
void ChooseCaptureOutput(const CommandLine& line, ShowOptions* o)
{
    const bool capture = line.Has("--capture"), frames = line.Has("--frames"), fast = line.Has("--fast");
    const bool lossless = line.Has("--lossless");
    if (line.Values("--capture").size() > 1 || line.Values("--frames").size() > 1) {
        throw UsageError{"one output at a time: --capture or --frames is given twice"};
    }
    if (capture && frames) throw UsageError{"--capture and --frames write different outputs; give one"};
    if (fast && (capture || frames)) throw UsageError{"--fast writes nothing; it cannot go with --capture or --frames"};
    if (lossless && !capture) {
        throw UsageError{frames ? "--frames writes lossless pictures already; --lossless goes with --capture"
                                : "--lossless goes with --capture"};
    }
    o->capturing = capture || frames || fast;
    if (line.Has("--frame-hashes")) {
        if (line.Values("--frame-hashes").size() > 1) {
            throw UsageError{"one frame-hash list at a time: --frame-hashes is given twice"};
        }
        if (!o->capturing && !line.Has("--at")) {
            throw UsageError{"--frame-hashes needs the show in virtual time: add --fast, --capture, --frames or --at"};
        }
        o->capture.frameHashPath = line.Value("--frame-hashes");
        if (o->capture.frameHashPath.empty()) throw UsageError{"--frame-hashes needs a file to write"};
    }
    o->capture.write = capture || frames;
    if (frames) {
        o->capture.path = line.Value("--frames");
        o->capture.kind = MediaKind::Pictures;
    } else if (capture) {
        o->capture.path = line.Value("--capture");
        if (EndsWith(o->capture.path, ".mp4")) {
            if (lossless) {
                throw UsageError{"--lossless writes FFV1 and FLAC in Matroska: name a .mkv file, not '" + o->capture.path + "'"};
            }
            o->capture.kind = MediaKind::Mp4;
        } else if (EndsWith(o->capture.path, ".mkv")) {
            o->capture.kind = lossless ? MediaKind::Lossless : MediaKind::Matroska;
        } else {
            throw UsageError{"the capture file's name must end in .mp4 (H.264 and AAC) or .mkv (Matroska), not '" +
                             o->capture.path + "'"};
        }
    }
}

} // namespace

ShowOptions ReadShowOptions(int argc, char** argv)
{
    ShowOptions o;
    CommandLine line;
    try {
        line = ReadCommandLine(argc, argv, 1,
                               {{"--window", false},    {"--fullscreen", false}, {"--once", false},
                                {"--loop", false},      {"--priority", true},    {"--no-launcher", false},
                                {"--no-sound", false},  {"--pack", true},        {"--headless", false},
                                {"--depth", true},      {"--no-mode", true},     {"--pool-mib", true},
                                {"--timings", false},   {"--capture", true},     {"--frames", true},
                                {"--fps", true},        {"--scale", true},       {"--lossless", false},
                                {"--seconds", true},    {"--fast", false},       {"--passes", true},
                                {"--frame-hashes", true}, {"--at", true},      {"--hud", false},      {"--version", false}});
    } catch (const HelpRequested&) {
        o.help = true;
        return o;
    }
    o.words = line.words;
    // Later choices win over earlier ones, as they are met.
    for (const auto& [name, value] : line.given) {
        if (name == "--window") o.launcher.fullScreen = 0;
        else if (name == "--fullscreen") o.launcher.fullScreen = 1;
        else if (name == "--loop") o.launcher.loop = 1;
        else if (name == "--once") o.launcher.loop = 0;
        else if (name == "--priority") {
            const std::string p = ChoiceValue(value, "--priority", {"realtime", "high", "normal", "low"});
            o.launcher.priority = p == "realtime" ? kPriorityRealtime
                                  : p == "high"   ? kPriorityHigh
                                  : p == "normal" ? kPriorityNormal
                                                  : kPriorityLow;
        } else if (name == "--no-mode") {
            const std::vector<int64_t> size = NumberListValue(value, 2, 'x', "--no-mode (WIDTHxHEIGHT)", 1, 65535);
            if (o.rules.missingCount >= 8) throw UsageError{"--no-mode may be given up to 8 times"};
            o.rules.missingWidth[o.rules.missingCount] = static_cast<int>(size[0]);
            o.rules.missingHeight[o.rules.missingCount] = static_cast<int>(size[1]);
            o.rules.missingCount += 1;
        }
    }
    o.version = line.Has("--version");
    o.launcher.askUser = line.Has("--no-launcher") ? 0 : 1;
    o.noSound = line.Has("--no-sound");
    o.headless = line.Has("--headless");
    o.timings = line.Has("--timings");
    o.hud = line.Has("--hud");
    o.packPath = line.Value("--pack");
    if (line.Has("--depth")) o.rules.forcedLayout = ChoiceValue(line.Value("--depth"), "--depth", {"15", "16"}) == "15" ? 15 : 16;
    if (line.Has("--pool-mib")) {
        o.poolMebibytes = static_cast<int32_t>(WholeNumberValue(line.Value("--pool-mib"), "--pool-mib takes a size of 1 to 1024", 1, 1024));
    }
    if (line.Has("--passes")) {
        o.passes = static_cast<int32_t>(WholeNumberValue(line.Value("--passes"), "--passes takes a count of 1 or more", 1, 1000000));
    }
    if (line.Has("--seconds")) o.seconds = RealNumberValue(line.Value("--seconds"), "--seconds", 0.001, 1e9);
    ChooseCaptureOutput(line, &o);
    if (line.Has("--fps")) o.capture.framesPerSecond = static_cast<int>(WholeNumberValue(line.Value("--fps"), "--fps", 0, 100000));
    if (line.Has("--scale")) o.capture.scale = static_cast<int>(WholeNumberValue(line.Value("--scale"), "--scale", 0, 100000));
    o.capture.seconds = o.seconds;
    if (o.capturing) {
        const std::string problem = CheckCaptureOptions(o.capture);
        if (!problem.empty()) throw UsageError{problem};
        o.headless = true;
        o.capture.progress = o.capture.write;
    } else if (line.Has("--fps")) {
        if (o.capture.framesPerSecond < 1 || o.capture.framesPerSecond > 240) throw UsageError{"--fps takes 1..240 frames per second"};
        o.headlessRate = o.capture.framesPerSecond;
    }
    if (line.Has("--at")) {
        if (o.capturing) throw UsageError{"--at plays the show in real time from a moment; it cannot go with --fast, --capture or --frames"};
        const std::string text = line.Value("--at");
        if (!ReadShowMoment(text, &o.moment.seconds) || o.moment.seconds > 24 * 3600) {
            throw UsageError{"--at takes a moment of the show as m:ss or seconds (1:23.5 or 83.5), not '" + text + "'"};
        }
        o.fromMoment = true;
        o.moment.framesPerSecond = o.capture.framesPerSecond;
        o.moment.frameHashPath = o.capture.frameHashPath;
        o.moment.timings = o.timings;
        o.launcher.askUser = 0;
    }
    // Headless there is nobody to answer a dialog.
    if (o.headless) o.launcher.askUser = 0;
    return o;
}
