// velatool scene render and scene bench: set the engine up for a scene at a chosen view size
// and depth, draw frames with RenderScene into a view buffer, and either write them as PNG
// pictures or time them.
#include <cctype>
#include <cerrno>
#include <ctime>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/engine_errors.h"
#include "engine/engine_setup.h"
#include "engine/engine_state.h"
#include "engine/frame_pipeline.h"
#include "engine/scene/scene_files.h"
#include "velatool/png_io.h"
#include "velatool/scene_command.h"

namespace {

const char kRenderUsage[] =
    "usage: velatool scene render NAME [--frame F | --frames A:B:STEP] --out FILE.png [--pack PAK]\n"
    "                             [--size WxH] [--depth 15|16] [--camera N]\n"
    "\n"
    "Draws scene NAME (an archive entry name with --pack, else a file below the current folder)\n"
    "at scene frame F (a real number, default 0) into a view of W x H pixels (default 320x180,\n"
    "W even, H at most 1024) at 15 or 16 bits (default 16), and writes it as an 8-bit RGB PNG;\n"
    "the 5- and 6-bit channels are widened by repeating their top bits.\n"
    "  --frames A:B:STEP  a series: frames A, A+STEP, ... up to B, written as FILE-00000.png,\n"
    "                     FILE-00001.png, ... (numbered in order; FILE is --out without .png).\n"
    "                     The view is kept from one frame to the next, as in the show.\n"
    "  --camera N         draws through the scene's camera N (0 = first in the file) instead of\n"
    "                     the one the scene's events choose.\n"
    "Exit status: 0 done, 1 the scene, its pictures, the engine set-up or a PNG failed, 2 usage.\n";

const char kBenchUsage[] =
    "usage: velatool scene bench NAME [--pack PAK] [--frames N] [--size WxH] [--depth 15|16]\n"
    "\n"
    "Draws N frames (default 200) of scene NAME spread evenly over the scene's length (frame\n"
    "lastFrame x i / N for i = 0 .. N-1) into a view of W x H pixels (default 320x180) at 15 or\n"
    "16 bits (default 16), after one untimed frame at 0, and prints one line each:\n"
    "  frames per second: ...            frames drawn / total time of the RenderScene calls\n"
    "                                    (the drawing thread's processor time, so that other\n"
    "                                    programs busy on the machine do not count)\n"
    "  mean microseconds per frame: ...\n"
    "  worst microseconds per frame: ...\n"
    "  pixels written per second: ...    (view pixels + camera-texture pixels rendered) per\n"
    "                                    frame, summed, / total time. Every pixel of a view is\n"
    "                                    written at least once per frame (the clear, or the\n"
    "                                    background kept); overdraw is not counted.\n"
    "Exit status: 0 done, 1 the scene, its pictures or the engine set-up failed, 2 usage.\n";

constexpr int32_t kDefaultWidth = 320;
constexpr int32_t kDefaultHeight = 180;
constexpr int32_t kDefaultBenchFrames = 200;
constexpr int32_t kMaxSeries = 100000; // five digits in the file names

// A message for the user and the exit status it ends with.
struct Failure {
    int status;
    std::string message;
};

[[noreturn]] void Usage(const std::string& message) { throw Failure{2, message}; }
[[noreturn]] void Fail(const std::string& message) { throw Failure{1, message}; }

struct Options {
    std::string name, pack, out; // empty: not given
    int32_t width = kDefaultWidth, height = kDefaultHeight, depth = 16;
    bool hasFrame = false, hasSeries = false;
    float frame = 0;
    float first = 0, last = 0, step = 1; // --frames A:B:STEP of render
    int32_t camera = -1;
    int32_t benchFrames = kDefaultBenchFrames;
};

float ParseReal(const std::string& text, const std::string& what)
{
    char* end = nullptr;
    errno = 0;
    const float v = std::strtof(text.c_str(), &end);
    if (text.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(v))
        Usage(what + ": '" + text + "' is not a number");
    return v;
}

int32_t ParseInteger(const std::string& text, const std::string& what, long low, long high)
{
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE) Usage(what + ": '" + text + "' is not a whole number");
    if (v < low || v > high)
        Usage(what + ": " + text + " is outside " + std::to_string(low) + " .. " + std::to_string(high));
    return static_cast<int32_t>(v);
}

void ParseSize(const std::string& text, Options* o)
{
    const size_t x = text.find_first_of("xX");
    if (x == std::string::npos) Usage("--size is WxH, got '" + text + "'");
    o->width = ParseInteger(text.substr(0, x), "--size width", 1, kMaxViewWidth);
    o->height = ParseInteger(text.substr(x + 1), "--size height", 1, kMaxViewRows);
    // The view is cleared two pixels at a time, so an odd width would leave a column stale.
    if (o->width % 2) Usage("--size " + text + ": the width must be even");
}

void ParseSeries(const std::string& text, Options* o)
{
    const size_t c1 = text.find(':');
    const size_t c2 = c1 == std::string::npos ? c1 : text.find(':', c1 + 1);
    if (c2 == std::string::npos || text.find(':', c2 + 1) != std::string::npos)
        Usage("--frames is A:B:STEP, got '" + text + "'");
    o->first = ParseReal(text.substr(0, c1), "--frames start");
    o->last = ParseReal(text.substr(c1 + 1, c2 - c1 - 1), "--frames end");
    o->step = ParseReal(text.substr(c2 + 1), "--frames step");
    if (!(o->step > 0)) Usage("--frames " + text + ": the step must be above 0");
    if (o->last < o->first) Usage("--frames " + text + ": the end comes before the start");
    if ((static_cast<double>(o->last) - o->first) / o->step >= kMaxSeries)
        Usage("--frames " + text + ": more than " + std::to_string(kMaxSeries) + " pictures");
}

// argv[0] "scene", argv[1] the subcommand, then NAME and the options.
Options ParseOptions(int argc, char** argv, bool render)
{
    Options o;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) Usage(a + " needs a value");
            return argv[++i];
        };
        if (a == "--pack") {
            o.pack = value();
        } else if (a == "--size") {
            ParseSize(value(), &o);
        } else if (a == "--depth") {
            const std::string d = value();
            if (d != "15" && d != "16") Usage("--depth must be 15 or 16, got '" + d + "'");
            o.depth = d == "15" ? 15 : 16;
        } else if (a == "--frames" && render) {
            ParseSeries(value(), &o);
            o.hasSeries = true;
        } else if (a == "--frames") {
            o.benchFrames = ParseInteger(value(), "--frames", 1, 1000000);
        } else if (a == "--frame" && render) {
            o.frame = ParseReal(value(), "--frame");
            o.hasFrame = true;
        } else if (a == "--out" && render) {
            o.out = value();
        } else if (a == "--camera" && render) {
            o.camera = ParseInteger(value(), "--camera", 0, 0x7FFFFFFF);
        } else if (a.size() > 1 && a[0] == '-') {
            Usage("unknown option '" + a + "'");
        } else if (!o.name.empty()) {
            Usage("unexpected argument '" + a + "'");
        } else {
            o.name = a;
        }
    }
    if (o.name.empty()) Usage("a scene name is needed");
    if (render && o.out.empty()) Usage("--out FILE.png is needed");
    if (o.hasFrame && o.hasSeries) Usage("--frame and --frames exclude each other");
    return o;
}

// The loaded scene with the engine set up for it; released on every way out.
class SetUpScene {
public:
    SetUpScene(const char* command, const Options& o)
    {
        const int status =
            LoadSceneForTool(command, o.name.c_str(), o.pack.empty() ? nullptr : o.pack.c_str(), &scene_);
        if (status >= 0) throw Failure{status, ""}; // the message is out already
        const int32_t result = EngineInit(o.width, o.height, o.depth);
        if (result != kEngineOk) {
            // No destructor runs for a constructor that throws: release here.
            FinishSceneTool(&scene_);
            Fail(o.name + ": engine set-up at " + std::to_string(o.width) + "x" +
                 std::to_string(o.height) + ", " + std::to_string(o.depth) + " bits: " + EngineErrorText(result));
        }
        view_.assign(static_cast<size_t>(o.width) * static_cast<size_t>(o.height), 0);
    }
    ~SetUpScene() { FinishSceneTool(&scene_); }
    SetUpScene(const SetUpScene&) = delete;
    SetUpScene& operator=(const SetUpScene&) = delete;

    Scene& scene() { return scene_; }
    uint16_t* view() { return view_.data(); }
    uint8_t* viewBytes() { return reinterpret_cast<uint8_t*>(view_.data()); }

private:
    Scene scene_{};
    std::vector<uint16_t> view_;
};

// FILE.png -> FILE-00042.png (the extension is matched without case; without one, appended).
std::string SeriesName(const std::string& out, int32_t index)
{
    std::string base = out;
    if (base.size() >= 4) {
        std::string tail = base.substr(base.size() - 4);
        for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (tail == ".png") base.resize(base.size() - 4);
    }
    char number[16];
    std::snprintf(number, sizeof number, "-%05d.png", index);
    return base + number;
}

int Render(int argc, char** argv)
{
    const Options o = ParseOptions(argc, argv, true);
    SetUpScene setUp("render", o);
    SceneCamera* camera = nullptr;
    if (o.camera >= 0) {
        camera = RecordAt(setUp.scene().cameras, o.camera);
        if (!camera) {
            Fail("--camera " + std::to_string(o.camera) + ": " + o.name + " has " +
                 std::to_string(setUp.scene().cameraCount) + " camera" + (setUp.scene().cameraCount == 1 ? "" : "s") +
                 " (numbered from 0)");
        }
    }
    auto draw = [&](float frame, const std::string& path) {
        RenderScene(frame, setUp.viewBytes(), camera);
        std::string error;
        if (!WritePng(path, UnpackPixels(setUp.view(), o.width, o.height, o.depth), &error)) Fail(error);
    };
    if (!o.hasSeries) {
        draw(o.frame, o.out);
        return 0;
    }
    // Frames are computed from the start each time so that a long series does not drift.
    for (int32_t i = 0; i < kMaxSeries; ++i) {
        const double frame = static_cast<double>(o.first) + static_cast<double>(i) * o.step;
        if (frame > static_cast<double>(o.last) + 1e-6 * o.step) break;
        draw(static_cast<float>(frame), SeriesName(o.out, i));
    }
    return 0;
}

// Processor time used by the calling thread, in seconds.
double ThreadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Pixels written by the last RenderScene besides the main view: its camera textures.
int64_t CameraTexturePixels(const Scene& scene)
{
    int64_t pixels = 0;
    for (const SceneCamera* c = scene.cameras; c; c = c->next) {
        if (c->active && c->targetSize > 0) pixels += static_cast<int64_t>(c->targetSize) * c->targetSize;
    }
    return pixels;
}

int Bench(int argc, char** argv)
{
    const Options o = ParseOptions(argc, argv, false);
    SetUpScene setUp("bench", o);
    const float length = setUp.scene().lastFrame > 0 ? static_cast<float>(setUp.scene().lastFrame) : 0.0f;
    const int64_t viewPixels = static_cast<int64_t>(o.width) * o.height;

    RenderScene(0, setUp.viewBytes(), nullptr); // untimed: first touches of tables and buffers
    double total = 0, worst = 0;
    int64_t pixels = 0;
    for (int32_t i = 0; i < o.benchFrames; ++i) {
        const float frame = static_cast<float>(static_cast<double>(length) * i / o.benchFrames);
        const double start = ThreadSeconds();
        RenderScene(frame, setUp.viewBytes(), nullptr);
        const double seconds = ThreadSeconds() - start;
        total += seconds;
        if (seconds > worst) worst = seconds;
        pixels += viewPixels + CameraTexturePixels(setUp.scene());
    }
    // A clock too coarse to see a frame still gives finite figures.
    if (total <= 0) total = 1e-9;
    std::printf("frames per second: %.1f\n", o.benchFrames / total);
    std::printf("mean microseconds per frame: %.2f\n", total * 1e6 / o.benchFrames);
    std::printf("worst microseconds per frame: %.2f\n", worst * 1e6);
    std::printf("pixels written per second: %.0f\n", static_cast<double>(pixels) / total);
    return 0;
}

bool WantsHelp(int argc, char** argv)
{
    for (int i = 2; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) return true;
    }
    return false;
}

int RunGuarded(int argc, char** argv, const char* command, const char* usage, int (*run)(int, char**))
{
    if (WantsHelp(argc, argv)) {
        std::fputs(usage, stdout);
        return 0;
    }
    try {
        return run(argc, argv);
    } catch (const Failure& f) {
        if (!f.message.empty()) std::fprintf(stderr, "velatool scene %s: %s\n", command, f.message.c_str());
        if (f.status == 2) std::fputs(usage, stderr);
        return f.status;
    }
}

} // namespace

int RunSceneRender(int argc, char** argv) { return RunGuarded(argc, argv, "render", kRenderUsage, Render); }

int RunSceneBench(int argc, char** argv) { return RunGuarded(argc, argv, "bench", kBenchUsage, Bench); }
