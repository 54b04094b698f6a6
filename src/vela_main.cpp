// vela: the show. Options of our own come first; every other word goes to the show.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "display/window.h"
#include "platform/headless.h"
#include "platform/stop_signals.h"
#include "platform/video.h"
#include "resources/pack_location.h"
#include "sequencer/demo_main.h"
#include "sequencer/frame_timings.h"
#include "sequencer/show_capture.h"
#include "sequencer/launcher.h"
#include "sequencer/music.h"

namespace {

const char kUsage[] =
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
    "\n"
    "  --seconds S        only the first S seconds of the show, from its first part (it ends as\n"
    "                     by Escape), in every mode\n"
    "  --passes N         a looping show ends after N passes\n"
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
    "  --fast             the show in virtual time with nothing written: no window, no sound, as\n"
    "                     fast as it draws (for long runs and checks, with --timings); not with\n"
    "                     --capture or --frames\n"
    "\n"
    "  --help             this text\n"
    "  --version          the program's version\n"
    "\n"
    "keys: Escape stops the show; F1 and F2 set the window to single or double size; F4 or\n"
    "Alt+Enter switch between full screen and window.\n"
    "\n"
    "environment: VELA_TRACE=1 prints the display layer's diagnostic lines.\n";

// A usage error: the one line that says what is wrong, and where the whole usage is.
int UsageError(const char* problem, const char* word)
{
    if (word) std::fprintf(stderr, "vela: %s '%s'\nsee 'vela --help'\n", problem, word);
    else std::fprintf(stderr, "vela: %s\nsee 'vela --help'\n", problem);
    return 2;
}

bool EndsWith(const std::string& text, const char* ending)
{
    const size_t n = std::strlen(ending);
    if (text.size() < n) return false;
    for (size_t i = 0; i < n; ++i) {
        if (std::tolower(static_cast<unsigned char>(text[text.size() - n + i])) != ending[i]) return false;
    }
    return true;
}

// The options that shape a capture or a run in virtual time, checked together: the container
// follows the file's name, and options that contradict each other are refused.
struct CaptureWords {
    bool capture = false;  // --capture FILE
    bool frames = false;   // --frames DIR
    bool fast = false;     // --fast
    bool lossless = false; // --lossless
};

// Empty, or what is wrong. Sets the kind of output from the file's name.
std::string CheckCaptureWords(const CaptureWords& w, CaptureOptions* capture)
{
    if (w.capture && w.frames) return "--capture and --frames write different outputs; give one";
    if (w.fast && (w.capture || w.frames)) return "--fast writes nothing; it cannot go with --capture or --frames";
    if (w.lossless && !w.capture) return w.frames ? "--frames writes lossless pictures already; --lossless goes with --capture"
                                                  : "--lossless goes with --capture";
    if (!w.capture) return "";
    if (EndsWith(capture->path, ".mp4")) {
        if (w.lossless) return "--lossless writes FFV1 and FLAC in Matroska: name a .mkv file, not '" + capture->path + "'";
        capture->kind = MediaKind::Mp4;
    } else if (EndsWith(capture->path, ".mkv")) {
        capture->kind = w.lossless ? MediaKind::Lossless : MediaKind::Matroska;
    } else {
        return "the capture file's name must end in .mp4 (H.264 and AAC) or .mkv (Matroska), not '" + capture->path + "'";
    }
    return "";
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<char*> words;
    VideoModeRules rules;
    std::string packPath;
    bool headless = false;
    bool timings = false;
    bool capturing = false;
    bool fpsGiven = false;
    CaptureWords captureWords;
    CaptureOptions capture;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (a[0] != '-') {
            words.push_back(argv[i]);
            continue;
        }
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (!std::strcmp(a, "--help") || !std::strcmp(a, "-h")) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (!std::strcmp(a, "--version")) {
            std::printf("vela %s\n", VELA_VERSION);
            return 0;
        } else if (!std::strcmp(a, "--window")) {
            launcherChoices.fullScreen = 0;
        } else if (!std::strcmp(a, "--fullscreen")) {
            launcherChoices.fullScreen = 1;
        } else if (!std::strcmp(a, "--loop")) {
            launcherChoices.loop = 1;
        } else if (!std::strcmp(a, "--once")) {
            launcherChoices.loop = 0;
        } else if (!std::strcmp(a, "--no-launcher")) {
            launcherChoices.askUser = 0;
        } else if (!std::strcmp(a, "--no-sound")) {
            MusicForceNoSound(true);
        } else if (!std::strcmp(a, "--headless")) {
            headless = true;
        } else if (!std::strcmp(a, "--timings")) {
            timings = true;
        } else if (!std::strcmp(a, "--fast")) {
            capturing = true;
            captureWords.fast = true;
            capture.write = false;
        } else if (!std::strcmp(a, "--passes")) {
            const char* p = value();
            char* end = nullptr;
            if (!p) return UsageError("missing value for", a);
            const long n = std::strtol(p, &end, 10);
            if (*p == 0 || *end != 0 || n < 1 || n > 1000000) return UsageError("--passes takes a count of 1 or more, not", p);
            passLimit = static_cast<int32_t>(n);
        } else if (!std::strcmp(a, "--pool-mib")) {
            const char* p = value();
            char* end = nullptr;
            if (!p) return UsageError("missing value for", a);
            const long n = std::strtol(p, &end, 10);
            if (*p == 0 || *end != 0 || n < 1 || n > 1024) return UsageError("--pool-mib takes a size of 1 to 1024, not", p);
            poolMebibytes = static_cast<int32_t>(n);
        } else if (!std::strcmp(a, "--lossless")) {
            captureWords.lossless = true;
        } else if (!std::strcmp(a, "--capture") || !std::strcmp(a, "--frames")) {
            const char* p = value();
            if (!p) return UsageError("missing value for", a);
            const bool frames = !std::strcmp(a, "--frames");
            if (frames ? captureWords.frames : captureWords.capture) return UsageError("given twice:", a);
            (frames ? captureWords.frames : captureWords.capture) = true;
            capturing = true;
            capture.path = p;
            capture.kind = frames ? MediaKind::Pictures : MediaKind::Mp4;
        } else if (!std::strcmp(a, "--seconds")) {
            const char* p = value();
            if (!p) return UsageError("missing value for", a);
            char* end = nullptr;
            capture.seconds = std::strtod(p, &end);
            if (*p == 0 || *end != 0 || !(capture.seconds > 0)) return UsageError("--seconds takes a number above 0, not", p);
        } else if (!std::strcmp(a, "--fps") || !std::strcmp(a, "--scale")) {
            const char* p = value();
            if (!p) return UsageError("missing value for", a);
            char* end = nullptr;
            const long n = std::strtol(p, &end, 10);
            if (*p == 0 || *end != 0 || n < 0 || n > 100000) return UsageError("not a whole number:", p);
            (!std::strcmp(a, "--fps") ? capture.framesPerSecond : capture.scale) = static_cast<int>(n);
            fpsGiven = fpsGiven || !std::strcmp(a, "--fps");
        } else if (!std::strcmp(a, "--priority")) {
            const char* p = value();
            if (!p) return UsageError("missing value for", a);
            if (!std::strcmp(p, "realtime")) launcherChoices.priority = kPriorityRealtime;
            else if (!std::strcmp(p, "high")) launcherChoices.priority = kPriorityHigh;
            else if (!std::strcmp(p, "normal")) launcherChoices.priority = kPriorityNormal;
            else if (!std::strcmp(p, "low")) launcherChoices.priority = kPriorityLow;
            else return UsageError("unknown priority", p);
        } else if (!std::strcmp(a, "--pack")) {
            const char* p = value();
            if (!p) return UsageError("missing value for", a);
            packPath = p;
        } else if (!std::strcmp(a, "--depth")) {
            const char* p = value();
            if (!p) return UsageError("missing value for", a);
            if (!std::strcmp(p, "15")) rules.forcedLayout = 15;
            else if (!std::strcmp(p, "16")) rules.forcedLayout = 16;
            else return UsageError("depth must be 15 or 16, not", p);
        } else if (!std::strcmp(a, "--no-mode")) {
            const char* p = value();
            int w = 0, h = 0;
            char rest = 0;
            if (!p) return UsageError("missing value for", a);
            if (std::sscanf(p, "%dx%d%c", &w, &h, &rest) != 2 || w <= 0 || h <= 0) {
                return UsageError("mode size must be WIDTHxHEIGHT, not", p);
            }
            if (rules.missingCount >= 8) return UsageError("too many modes removed at", p);
            rules.missingWidth[rules.missingCount] = w;
            rules.missingHeight[rules.missingCount] = h;
            rules.missingCount += 1;
        } else {
            return UsageError("unknown option", a);
        }
    }
    if (const std::string problem = CheckCaptureWords(captureWords, &capture); !problem.empty()) {
        return UsageError(problem.c_str(), nullptr);
    }
    capture.write = captureWords.capture || captureWords.frames;
    if (capturing) {
        const std::string problem = CheckCaptureOptions(capture);
        if (!problem.empty()) return UsageError(problem.c_str(), nullptr);
        headless = true;
        capture.progress = capture.write;
    } else {
        // In real time --seconds ends the show after that much of it, and headless frames are
        // paced to --fps (60 by default) as a window's are to its display.
        if (fpsGiven && (capture.framesPerSecond < 1 || capture.framesPerSecond > 240)) {
            return UsageError("--fps takes 1..240 frames per second", nullptr);
        }
        showSecondsLimit = capture.seconds;
        VideoSetHeadlessRate(capture.framesPerSecond);
    }
    const char* env = std::getenv("VELA_HEADLESS");
    if (env && !std::strcmp(env, "1")) headless = true;
    SetHeadless(headless);
    if (headless) launcherChoices.askUser = 0;
    PackLocation pack;
    if (!LocatePack(packPath.empty() ? nullptr : packPath.c_str(), RunningProgramPath(argv[0]), &pack)) {
        std::fprintf(stderr, "vela: %s\n", pack.message.c_str());
        return 2;
    }
    // Without an archive the show says where it looked once it knows whether loose files stand in.
    packPath = pack.path;
    demoPackPath = packPath.c_str();
    if (!pack.found) {
        demoPackPlaces = pack.places.c_str();
        demoLooseFolder = pack.workingFolder.c_str();
    }
    // Ctrl+C and SIGTERM end the show as its close button does; the status then says which
    // signal stopped it, as shells expect (130 for SIGINT, 143 for SIGTERM).
    CatchStopSignals();
    if (timings) StartFrameTimings();
    int status = 0;
    if (capturing) {
        status = CaptureShow(capture, static_cast<int>(words.size()), words.data(), rules);
    } else {
        status = RunApplication(static_cast<int>(words.size()), words.data(), rules, DemoMain) != 0 ? 1 : DemoExitStatus();
    }
    if (timings) PrintFrameTimings(stdout);
    if (const int signal = StopSignalCaught()) return 128 + signal;
    return status;
}
