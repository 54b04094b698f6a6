// velatool scene render, contact and bench: set the engine up for a scene at a chosen view
// size and depth, draw frames with RenderScene into a view buffer, and write them as PNG
// pictures (one each, or tiled into a contact sheet) or time them.
#include <algorithm>
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
#include "formats/rgb_image.h"
#include "velatool/options.h"
#include "velatool/output_files.h"
#include "velatool/scene_command.h"
#include "velatool/scene_loading.h"

namespace {

const char kRenderUsage[] =
    "usage: velatool scene render NAME [--frame F | --frames A:B:STEP] --out FILE.png [--pack PAK]\n"
    "                             [--size WxH] [--depth 15|16] [--camera N] [--overlay N]\n"
    "                             [--fill R,G,B]\n"
    "\n"
    "Draws scene NAME (an archive entry name with --pack, else the scene file's path)\n"
    "at scene frame F (a real number, default 0) into a view of W x H pixels (default 320x180,\n"
    "W even, H at most 1024) at 15 or 16 bits (default 16), and writes it as an 8-bit RGB PNG\n"
    "('--out -' writes it to standard output); the 5- and 6-bit channels are widened by\n"
    "repeating their top bits.\n"
    "  --frames A:B:STEP  a series: frames A, A+STEP, ... up to B, written as FILE-00000.png,\n"
    "                     FILE-00001.png, ... (numbered in order; FILE is --out without .png).\n"
    "                     The view is kept from one frame to the next, as in the show.\n"
    "  --camera N         draws through the scene's camera N (0 = first in the file) instead of\n"
    "                     the one the scene's events choose.\n"
    "  --overlay N        draws each frame a second time through camera N, over the first (as\n"
    "                     the show's last part draws its fourth scene).\n"
    "  --fill R,G,B       fills the view with this colour before each frame (0..255 each), to\n"
    "                     stand for what the show draws under a scene that keeps the view.\n"
    "Exit status: 0 done, 1 the scene, its pictures, the engine set-up or a PNG failed, 2 usage.\n";

const char kContactUsage[] =
    "usage: velatool scene contact NAME --out FILE.png [--frames A:B:STEP] [--columns N]\n"
    "                              [--pack PAK] [--size WxH] [--depth 15|16] [--camera N]\n"
    "                              [--overlay N] [--fill R,G,B] [--zoom Z]\n"
    "\n"
    "Draws scene NAME at frames A, A+STEP, ... up to B (default 0 to the scene's lastFrame every\n"
    "50 frames, that is every 5 seconds of the show) and tiles the views into one PNG contact\n"
    "sheet, N tiles to a row (default 4), left to right and top to bottom, with a 2-pixel grey\n"
    "border round every tile. The view is kept from one frame to the next, as in the show.\n"
    "  --zoom Z   shows every view pixel as Z x Z sheet pixels (1..8, default 1), to look at\n"
    "             single frames closely (--frames F:F:1 --zoom 3).\n"
    "--size, --depth, --camera, --overlay and --fill are as for 'velatool scene render'.\n"
    "Exit status: 0 done, 1 the scene, its pictures, the engine set-up or the PNG failed, 2 usage.\n";

const char kBenchUsage[] =
    "usage: velatool scene bench NAME [--pack PAK] [--frames N] [--size WxH] [--depth 15|16]\n"
    "                            [--slowest K] [--overlay N] [--repeat R] [--range A:B]\n"
    "\n"
    "Draws N frames (default 200) of scene NAME spread evenly over the scene's length (frame\n"
    "lastFrame x i / N for i = 0 .. N-1) into a view of W x H pixels (default 320x180) at 15 or\n"
    "16 bits (default 16), after one untimed frame at 0, and prints one line each:\n"
    "  frames per second: ...            frames drawn / total time of the RenderScene calls\n"
    "                                    (the drawing thread's processor time, so that other\n"
    "                                    programs busy on the machine do not count)\n"
    "  mean microseconds per frame: ...\n"
    "  median microseconds per frame: ...\n"
    "  worst microseconds per frame: ...\n"
    "  pixels written per second: ...    (view pixels + camera-texture pixels rendered) per\n"
    "                                    frame, summed, / total time. Every pixel of a view is\n"
    "                                    written at least once per frame (the clear, or the\n"
    "                                    background kept); overdraw is not counted.\n"
    "  --slowest K   then K more lines, the slowest frames first: 'slow frame F: T microseconds'.\n"
    "  --overlay N   each frame is drawn a second time through camera N and both count, as the\n"
    "                show's last part draws its fourth scene.\n"
    "  --range A:B   the N frames are spread over A .. B instead (A + (B - A) x i / N).\n"
    "  --repeat R    each frame is drawn R times (default 1) and its median time is the one\n"
    "                counted, so that a busy machine cannot make one frame look slow.\n"
    "Exit status: 0 done, 1 the scene, its pictures or the engine set-up failed, 2 usage.\n";

constexpr int32_t kDefaultWidth = 320;
constexpr int32_t kDefaultHeight = 180;
constexpr int32_t kDefaultBenchFrames = 200;
constexpr int32_t kMaxSeries = 100000; // five digits in the file names
constexpr int32_t kDefaultContactStep = 50;
constexpr int32_t kDefaultContactColumns = 4;
constexpr int32_t kMaxContactTiles = 4096;
constexpr int32_t kContactBorder = 2;

[[noreturn]] void Usage(const std::string& problem) { throw UsageError{problem}; }
[[noreturn]] void Fail(const std::string& message) { throw CommandFailure{message}; }

struct Options {
    std::string name, pack, out; // empty: not given
    int32_t width = kDefaultWidth, height = kDefaultHeight, depth = 16;
    bool hasFrame = false, hasSeries = false;
    float frame = 0;
    float first = 0, last = 0, step = 1; // --frames A:B:STEP of render
    int32_t camera = -1;
    int32_t overlay = -1; // a camera drawn a second time over each frame
    bool hasFill = false;
    uint8_t fill[3] = {0, 0, 0};
    int32_t columns = kDefaultContactColumns;
    int32_t zoom = 1;
    int32_t benchFrames = kDefaultBenchFrames;
    int32_t slowest = 0;
    int32_t repeat = 1;
    bool hasRange = false;
    float rangeFirst = 0, rangeLast = 0;
};

enum class Command { Render, Contact, Bench };

float ParseReal(const std::string& text, const std::string& what)
{
    return static_cast<float>(RealNumberValue(text, what, -3.4e38, 3.4e38));
}

int32_t ParseInteger(const std::string& text, const std::string& what, long low, long high)
{
    return static_cast<int32_t>(WholeNumberValue(text, what, low, high));
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

void ParseFill(const std::string& text, Options* o)
{
    const std::vector<int64_t> rgb = NumberListValue(text, 3, ',', "--fill", 0, 255);
    for (int i = 0; i < 3; ++i) o->fill[i] = static_cast<uint8_t>(rgb[static_cast<size_t>(i)]);
    o->hasFill = true;
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
Options ParseOptions(int argc, char** argv, Command command)
{
    std::vector<OptionRule> rules = {{"--pack", true}, {"--size", true}, {"--depth", true}, {"--frames", true},
                                     {"--overlay", true}};
    if (command == Command::Render) rules.push_back({"--frame", true});
    if (command != Command::Bench) {
        for (const char* name : {"--out", "--camera", "--fill"}) rules.push_back({name, true});
    }
    if (command == Command::Contact) {
        for (const char* name : {"--columns", "--zoom"}) rules.push_back({name, true});
    }
    if (command == Command::Bench) {
        for (const char* name : {"--repeat", "--slowest", "--range"}) rules.push_back({name, true});
    }
    const CommandLine line = ReadCommandLine(argc, argv, 2, rules);
    if (line.words.empty()) Usage("a scene name is needed");
    if (line.words.size() > 1) Usage("unexpected argument '" + line.words[1] + "'");

    Options o;
    o.name = line.words[0];
    o.pack = line.Value("--pack");
    if (line.Has("--pack") && o.pack.empty()) Usage("--pack needs an archive");
    o.out = line.Value("--out");
    if (line.Has("--size")) ParseSize(line.Value("--size"), &o);
    o.depth = ChoiceValue(line.Value("--depth", "16"), "--depth", {"15", "16"}) == "15" ? 15 : 16;
    if (line.Has("--frames")) {
        if (command == Command::Bench) {
            o.benchFrames = ParseInteger(line.Value("--frames"), "--frames", 1, 1000000);
        } else {
            ParseSeries(line.Value("--frames"), &o);
            o.hasSeries = true;
        }
    }
    if (line.Has("--range")) {
        const std::string range = line.Value("--range");
        const size_t colon = range.find(':');
        if (colon == std::string::npos) Usage("--range is A:B, got '" + range + "'");
        o.rangeFirst = ParseReal(range.substr(0, colon), "--range start");
        o.rangeLast = ParseReal(range.substr(colon + 1), "--range end");
        if (o.rangeLast < o.rangeFirst) Usage("--range " + range + ": the end comes before the start");
        o.hasRange = true;
    }
    if (line.Has("--repeat")) o.repeat = ParseInteger(line.Value("--repeat"), "--repeat", 1, 1000);
    if (line.Has("--slowest")) o.slowest = ParseInteger(line.Value("--slowest"), "--slowest", 0, 1000000);
    if ((o.hasFrame = line.Has("--frame"))) o.frame = ParseReal(line.Value("--frame"), "--frame");
    if (line.Has("--camera")) o.camera = ParseInteger(line.Value("--camera"), "--camera", 0, 0x7FFFFFFF);
    if (line.Has("--overlay")) o.overlay = ParseInteger(line.Value("--overlay"), "--overlay", 0, 0x7FFFFFFF);
    if (line.Has("--fill")) ParseFill(line.Value("--fill"), &o);
    if (line.Has("--columns")) o.columns = ParseInteger(line.Value("--columns"), "--columns", 1, 256);
    if (line.Has("--zoom")) o.zoom = ParseInteger(line.Value("--zoom"), "--zoom", 1, 8);

    if (command != Command::Bench && o.out.empty()) Usage("--out FILE.png is needed");
    if (o.hasFrame && o.hasSeries) Usage("--frame and --frames exclude each other");
    if (command == Command::Render && o.hasSeries && o.out == "-")
        Usage("--frames writes one picture per frame: it needs a file name, not '-'");
    return o;
}

// The loaded scene with the engine set up for it; released on every way out.
class SetUpScene {
public:
    explicit SetUpScene(const Options& o)
    {
        LoadSceneForTool(o.name, o.pack, &scene_);
        SetUpEngineForTool(o.name, &scene_, o.width, o.height, o.depth);
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

// Camera `index` of the scene, or a failure naming the option that asked for it.
SceneCamera* ChosenCamera(Scene& scene, const Options& o, const char* option, int32_t index)
{
    SceneCamera* camera = RecordAt(scene.cameras, index);
    if (!camera) {
        Fail(std::string(option) + " " + std::to_string(index) + ": " + o.name + " has " +
             std::to_string(scene.cameraCount) + " camera" + (scene.cameraCount == 1 ? "" : "s") +
             " (numbered from 0)");
    }
    return camera;
}

// Draws one frame as the options say: the fill, the view, the overlay view.
class FrameDrawer {
public:
    FrameDrawer(SetUpScene& setUp, const Options& o) : setUp_(setUp), o_(o)
    {
        if (o.camera >= 0) camera_ = ChosenCamera(setUp.scene(), o, "--camera", o.camera);
        if (o.overlay >= 0) overlay_ = ChosenCamera(setUp.scene(), o, "--overlay", o.overlay);
        if (o.hasFill) {
            const RgbImage one{1, 1, {o.fill[0], o.fill[1], o.fill[2]}};
            fill_ = PackPixels(one, o.depth)[0];
        }
    }
    void Draw(float frame)
    {
        if (o_.hasFill) std::fill(setUp_.view(), setUp_.view() + static_cast<size_t>(o_.width) * o_.height, fill_);
        RenderScene(frame, setUp_.viewBytes(), camera_);
        if (overlay_) RenderScene(frame, setUp_.viewBytes(), overlay_);
    }
    RgbImage Picture() const { return UnpackPixels(setUp_.view(), o_.width, o_.height, o_.depth); }

private:
    SetUpScene& setUp_;
    const Options& o_;
    SceneCamera* camera_ = nullptr;
    SceneCamera* overlay_ = nullptr;
    uint16_t fill_ = 0;
};

// The frames of a series, A, A + STEP, ... up to B; each computed from the start so that a
// long series does not drift.
std::vector<float> SeriesFrames(float first, float last, float step, int32_t limit)
{
    std::vector<float> frames;
    for (int32_t i = 0; i < limit; ++i) {
        const double frame = static_cast<double>(first) + static_cast<double>(i) * step;
        if (frame > static_cast<double>(last) + 1e-6 * step) break;
        frames.push_back(static_cast<float>(frame));
    }
    return frames;
}

void Save(const std::string& path, const RgbImage& image)
{
    std::string error;
    if (!WritePngOutput(path, image, &error)) Fail(error);
}

int Render(int argc, char** argv)
{
    const Options o = ParseOptions(argc, argv, Command::Render);
    SetUpScene setUp(o);
    FrameDrawer drawer(setUp, o);
    if (!o.hasSeries) {
        drawer.Draw(o.frame);
        Save(o.out, drawer.Picture());
        return 0;
    }
    const std::vector<float> frames = SeriesFrames(o.first, o.last, o.step, kMaxSeries);
    for (size_t i = 0; i < frames.size(); ++i) {
        drawer.Draw(frames[i]);
        Save(SeriesName(o.out, static_cast<int32_t>(i)), drawer.Picture());
    }
    return 0;
}

// Copies `tile` into `sheet` with its top-left corner at (x, y), each pixel as zoom x zoom.
void PlaceTile(RgbImage& sheet, const RgbImage& tile, int x, int y, int zoom)
{
    for (int row = 0; row < tile.height * zoom; ++row) {
        const uint8_t* from = tile.rgb.data() + static_cast<size_t>(row / zoom) * tile.width * 3;
        uint8_t* to = sheet.rgb.data() + (static_cast<size_t>(y + row) * sheet.width + x) * 3;
        for (int column = 0; column < tile.width * zoom; ++column) {
            std::copy(from + (column / zoom) * 3, from + (column / zoom) * 3 + 3, to + static_cast<size_t>(column) * 3);
        }
    }
}

int Contact(int argc, char** argv)
{
    Options o = ParseOptions(argc, argv, Command::Contact);
    SetUpScene setUp(o);
    if (!o.hasSeries) {
        o.first = 0;
        o.last = static_cast<float>(std::max(0, setUp.scene().lastFrame));
        o.step = kDefaultContactStep;
    }
    FrameDrawer drawer(setUp, o);
    const std::vector<float> frames = SeriesFrames(o.first, o.last, o.step, kMaxContactTiles + 1);
    if (frames.size() > static_cast<size_t>(kMaxContactTiles))
        Usage("a contact sheet holds at most " + std::to_string(kMaxContactTiles) + " frames");
    const auto count = static_cast<int32_t>(frames.size());
    const int32_t columns = std::min(o.columns, count);
    const int32_t rows = (count + columns - 1) / columns;
    const int64_t tileWidth = static_cast<int64_t>(o.width) * o.zoom, tileHeight = static_cast<int64_t>(o.height) * o.zoom;
    const int64_t width = columns * (tileWidth + kContactBorder) + kContactBorder;
    const int64_t height = rows * (tileHeight + kContactBorder) + kContactBorder;
    if (width * height > (int64_t{1} << 28)) Usage("the contact sheet would be too large: fewer frames or a smaller --size");
    RgbImage sheet{static_cast<int>(width), static_cast<int>(height),
                   std::vector<uint8_t>(static_cast<size_t>(width * height) * 3, 64)};
    for (int32_t i = 0; i < count; ++i) {
        drawer.Draw(frames[static_cast<size_t>(i)]);
        PlaceTile(sheet, drawer.Picture(), static_cast<int>(kContactBorder + (i % columns) * (tileWidth + kContactBorder)),
                  static_cast<int>(kContactBorder + (i / columns) * (tileHeight + kContactBorder)), o.zoom);
    }
    Save(o.out, sheet);
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
    const Options o = ParseOptions(argc, argv, Command::Bench);
    SetUpScene setUp(o);
    SceneCamera* overlay = o.overlay >= 0 ? ChosenCamera(setUp.scene(), o, "--overlay", o.overlay) : nullptr;
    const float first = o.hasRange ? o.rangeFirst : 0.0f;
    const float length = o.hasRange ? o.rangeLast - o.rangeFirst
                                    : (setUp.scene().lastFrame > 0 ? static_cast<float>(setUp.scene().lastFrame) : 0.0f);
    const int64_t viewPixels = static_cast<int64_t>(o.width) * o.height;

    RenderScene(0, setUp.viewBytes(), nullptr); // untimed: first touches of tables and buffers
    double total = 0, worst = 0;
    int64_t pixels = 0;
    std::vector<double> times;
    std::vector<std::pair<double, float>> slow; // time, frame
    for (int32_t i = 0; i < o.benchFrames; ++i) {
        const float frame = static_cast<float>(first + static_cast<double>(length) * i / o.benchFrames);
        std::vector<double> tries;
        for (int32_t r = 0; r < o.repeat; ++r) {
            const double start = ThreadSeconds();
            RenderScene(frame, setUp.viewBytes(), nullptr);
            if (overlay) RenderScene(frame, setUp.viewBytes(), overlay);
            tries.push_back(ThreadSeconds() - start);
        }
        if (overlay) pixels += viewPixels + CameraTexturePixels(setUp.scene());
        std::sort(tries.begin(), tries.end());
        const double seconds = tries[tries.size() / 2];
        total += seconds;
        times.push_back(seconds);
        slow.push_back({seconds, frame});
        if (seconds > worst) worst = seconds;
        pixels += viewPixels + CameraTexturePixels(setUp.scene());
    }
    std::sort(times.begin(), times.end());
    const size_t half = times.size() / 2;
    const double median = times.size() % 2 ? times[half] : (times[half - 1] + times[half]) / 2;
    // A clock too coarse to see a frame still gives finite figures.
    if (total <= 0) total = 1e-9;
    std::printf("frames per second: %.1f\n", o.benchFrames / total);
    std::printf("mean microseconds per frame: %.2f\n", total * 1e6 / o.benchFrames);
    std::printf("median microseconds per frame: %.2f\n", median * 1e6);
    std::printf("worst microseconds per frame: %.2f\n", worst * 1e6);
    std::printf("pixels written per second: %.0f\n", static_cast<double>(pixels) / total);
    std::stable_sort(slow.begin(), slow.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (size_t i = 0; i < slow.size() && i < static_cast<size_t>(o.slowest); ++i)
        std::printf("slow frame %.2f: %.2f microseconds\n", static_cast<double>(slow[i].second), slow[i].first * 1e6);
    return 0;
}

} // namespace

int RunSceneRender(int argc, char** argv)
{
    return RunCommand("scene render", kRenderUsage, [&] { return Render(argc, argv); });
}

int RunSceneBench(int argc, char** argv)
{
    return RunCommand("scene bench", kBenchUsage, [&] { return Bench(argc, argv); });
}

int RunSceneContact(int argc, char** argv)
{
    return RunCommand("scene contact", kContactUsage, [&] { return Contact(argc, argv); });
}
