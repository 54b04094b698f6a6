// velatool scene view: plays a scene in real time in a window, with a panel to pause, step,
// scrub, choose the camera and see what each object is, and reloads the scene whenever its pack
// (or, without one, its scene file) changes on disk. The pack is read from a private copy made
// at each load, so that a pack being rewritten is never read half-written and a pack that fails
// to load can give way to the last good one.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "display/screen_geometry.h"
#include "engine/frame_pipeline.h"
#include "formats/rgb_image.h"
#include "resources/pack_archive.h"
#include "velatool/options.h"
#include "velatool/scene_command.h"
#include "velatool/scene_loading.h"
#include "velatool/scene_viewer_panel.h"
#include "velatool/scene_viewer_state.h"
#include "velatool/scene_viewer_window.h"

namespace {

const char kViewUsage[] =
    "usage: velatool scene view NAME [--pack PAK] [--frame F] [--camera N] [--overlay N]\n"
    "                           [--fill R,G,B]\n"
    "\n"
    "Plays scene NAME (an archive entry name with --pack, else the scene file's path) in a\n"
    "window, in real time (ten scene frames a second) at the show's view size, framed as the\n"
    "show frames it and scaled 4:3 with whole pixels, with a panel beside it.\n"
    "Keys: Space plays or pauses; Left and Right step a frame (with Shift ten); C cycles the\n"
    "camera (the scene's events, then each camera); W shows the wireframe over the picture;\n"
    "Escape or closing the window ends. The panel also scrubs the timeline, draws a second\n"
    "view over the first, fills the view before each frame, hides objects and shows the\n"
    "drawing time.\n"
    "When the pack (or the scene file) changes on disk, the scene is loaded again and stays\n"
    "on the same frame; one that fails to load leaves the last good scene playing and the\n"
    "panel says why. Each load and key is also reported on standard output.\n"
    "  --frame F    the frame to start at (default 0); --camera, --overlay and --fill are as\n"
    "               for 'velatool scene render'.\n"
    "Exit status: 0 ended by the user, 1 no window or the first load failed, 2 usage.\n";

constexpr double kFramesPerSecond = 10.0;         // the show draws scene frame t * 0.1 at t hundredths
constexpr auto kWatchPeriod = std::chrono::milliseconds(250);

[[noreturn]] void Usage(const std::string& problem) { throw UsageError{problem}; }

struct Options {
    std::string name, pack;
    ViewerState start;
};

Options ParseOptions(int argc, char** argv)
{
    const CommandLine line = ReadCommandLine(
        argc, argv, 2, {{"--pack", true}, {"--frame", true}, {"--camera", true}, {"--overlay", true}, {"--fill", true}});
    if (line.words.empty()) Usage("a scene name is needed");
    if (line.words.size() > 1) Usage("unexpected argument '" + line.words[1] + "'");
    Options o;
    o.name = line.words[0];
    o.pack = line.Value("--pack");
    if (line.Has("--pack") && o.pack.empty()) Usage("--pack needs an archive");
    if (line.Has("--frame")) o.start.frame = static_cast<float>(RealNumberValue(line.Value("--frame"), "--frame", 0, 1e7));
    if (line.Has("--camera")) o.start.camera = static_cast<int32_t>(WholeNumberValue(line.Value("--camera"), "--camera", 0, 100000));
    if (line.Has("--overlay"))
        o.start.overlay = static_cast<int32_t>(WholeNumberValue(line.Value("--overlay"), "--overlay", 0, 100000));
    if (line.Has("--fill")) {
        const std::vector<int64_t> rgb = NumberListValue(line.Value("--fill"), 3, ',', "--fill", 0, 255);
        for (int i = 0; i < 3; ++i) o.start.fillColour[i] = static_cast<float>(rgb[static_cast<size_t>(i)]) / 255.0f;
        o.start.fill = true;
    }
    return o;
}

void Report(const std::string& line)
{
    std::printf("view: %s\n", line.c_str());
    std::fflush(stdout);
}

std::string FrameText(float frame)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(frame));
    return text;
}

// The watched file's change stamp: its size and modification time, or zeros when it is gone.
std::array<int64_t, 3> StampOf(const std::string& path)
{
    struct stat st{};
    if (stat(path.c_str(), &st) != 0) return {0, 0, 0};
    return {static_cast<int64_t>(st.st_size), static_cast<int64_t>(st.st_mtim.tv_sec), static_cast<int64_t>(st.st_mtim.tv_nsec)};
}

[[noreturn]] void DamagedMember() { throw CommandFailure{"a member of the pack is damaged (funzip error above)"}; }

// The loaded scene, the copy of the pack it came from and the engine set up for it.
class LoadedScene {
public:
    LoadedScene(std::string name, std::string pack) : name_(std::move(name)), pack_(std::move(pack)) {}
    ~LoadedScene() { Unload(); }
    LoadedScene(const LoadedScene&) = delete;
    LoadedScene& operator=(const LoadedScene&) = delete;

    // Copies the pack and loads the scene from the copy; on failure the message names the pack
    // and the last good copy is loaded again (when there is one). Throws CommandFailure.
    void Load()
    {
        std::string copy;
        if (!pack_.empty()) {
            copy = CopyPath(++copies_);
            std::error_code error;
            std::filesystem::copy_file(pack_, copy, std::filesystem::copy_options::overwrite_existing, error);
            if (error) throw CommandFailure{pack_ + ": " + error.message()};
        }
        Unload();
        try {
            LoadFrom(copy);
        } catch (const CommandFailure& failure) {
            std::string message = failure.message;
            if (!copy.empty()) {
                for (size_t at; (at = message.find(copy)) != std::string::npos;) message.replace(at, copy.size(), pack_);
                std::remove(copy.c_str());
            }
            if (!goodCopy_.empty() || pack_.empty()) {
                try {
                    LoadFrom(goodCopy_);
                } catch (const CommandFailure&) {
                }
            }
            throw CommandFailure{message};
        }
        if (!goodCopy_.empty() && goodCopy_ != copy) std::remove(goodCopy_.c_str());
        goodCopy_ = copy;
    }

    bool loaded() const { return loaded_; }
    Scene& scene() { return scene_; }
    const std::string& watched() const { return pack_.empty() ? name_ : pack_; }

    void Unload()
    {
        if (!loaded_) return;
        FinishSceneTool(&scene_);
        scene_ = Scene{};
        loaded_ = false;
    }

    void RemoveCopies()
    {
        Unload();
        if (!goodCopy_.empty()) std::remove(goodCopy_.c_str());
        goodCopy_.clear();
    }

private:
    static std::string CopyPath(int n)
    {
        return (std::filesystem::temp_directory_path() / ("velatool-view-" + std::to_string(getpid()) + "-" +
                                                         std::to_string(n) + ".pak"))
            .string();
    }

    void LoadFrom(const std::string& copy)
    {
        SetPackFailureHook(DamagedMember);
        try {
            LoadSceneForTool(name_, copy, &scene_);
            SetUpEngineForTool(name_, &scene_, screen.screenWidth, screen.viewHeight, 16);
        } catch (...) {
            SetPackFailureHook(nullptr);
            scene_ = Scene{};
            throw;
        }
        SetPackFailureHook(nullptr);
        loaded_ = true;
    }

    std::string name_, pack_;
    std::string goodCopy_;
    int copies_ = 0;
    Scene scene_{};
    bool loaded_ = false;
};

// Draws the frame the state asks for into the show's 320x240 frame, as RGB.
class FramePainter {
public:
    FramePainter() : view_(ViewPixelCount()), wire_(ViewPixelCount()) {}

    RgbImage Paint(Scene& scene, ViewerState* s)
    {
        const int32_t count = scene.objectCount;
        s->hidden.resize(static_cast<size_t>(std::max(0, count)), 0);
        SceneCamera* camera = s->camera >= 0 ? RecordAt(scene.cameras, s->camera) : nullptr;
        SceneCamera* overlay = s->overlay >= 0 ? RecordAt(scene.cameras, s->overlay) : nullptr;
        if (s->fill) {
            const RgbImage one{1, 1, {Channel(s->fillColour[0]), Channel(s->fillColour[1]), Channel(s->fillColour[2])}};
            std::fill(view_.begin(), view_.end(), PackPixels(one, 16)[0]);
        }
        const auto started = std::chrono::steady_clock::now();
        {
            const HiddenObjects hiding(scene, s->hidden);
            RenderScene(s->frame, reinterpret_cast<uint8_t*>(view_.data()), camera);
            if (overlay) RenderScene(s->frame, reinterpret_cast<uint8_t*>(view_.data()), overlay);
        }
        s->drawMilliseconds = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
        RgbImage picture = UnpackPixels(view_.data(), screen.screenWidth, screen.viewHeight, 16);
        if (s->wireframe) DrawWireframe(scene, s, camera, &picture);
        RgbImage frame{screen.screenWidth, screen.screenHeight, {}};
        frame.rgb.assign(static_cast<size_t>(frame.width) * frame.height * 3, 0);
        std::copy(picture.rgb.begin(), picture.rgb.end(),
                  frame.rgb.begin() + static_cast<std::ptrdiff_t>(screen.viewTop) * frame.width * 3);
        return frame;
    }

private:
    static uint8_t Channel(float value) { return static_cast<uint8_t>(std::clamp(value, 0.0f, 1.0f) * 255.0f + 0.5f); }

    // Takes the hidden objects' geometry away for the length of a drawing.
    class HiddenObjects {
    public:
        HiddenObjects(Scene& scene, const std::vector<char>& hidden)
        {
            size_t index = 0;
            for (SceneObject* object = scene.objects; object && index < hidden.size(); object = object->next, ++index) {
                if (!hidden[index]) continue;
                saved_.push_back({object, object->faceCount, object->edgeCount});
                object->faceCount = 0;
                object->edgeCount = 0;
            }
        }
        ~HiddenObjects()
        {
            for (const Saved& s : saved_) {
                s.object->faceCount = s.faces;
                s.object->edgeCount = s.edges;
            }
        }
        HiddenObjects(const HiddenObjects&) = delete;
        HiddenObjects& operator=(const HiddenObjects&) = delete;

    private:
        struct Saved {
            SceneObject* object;
            int32_t faces, edges;
        };
        std::vector<Saved> saved_;
    };

    // Draws the scene again with every shown object in the wire mode, and lays its lines (what
    // differs from that drawing's background, its most common colour) over the picture.
    void DrawWireframe(Scene& scene, const ViewerState* s, SceneCamera* camera, RgbImage* picture)
    {
        struct Mode {
            SceneObject* object;
            int32_t renderMode, trackCount;
        };
        std::vector<Mode> modes;
        for (SceneObject* object = scene.objects; object; object = object->next) {
            modes.push_back({object, object->renderMode, object->modeTrack.count});
            object->renderMode = 0;
            object->modeTrack.count = 0;
        }
        {
            const HiddenObjects hiding(scene, s->hidden);
            RenderScene(s->frame, reinterpret_cast<uint8_t*>(wire_.data()), camera);
        }
        for (const Mode& m : modes) {
            m.object->renderMode = m.renderMode;
            m.object->modeTrack.count = m.trackCount;
        }
        std::fill(counts_.begin(), counts_.end(), 0);
        for (uint16_t p : wire_) counts_[p] += 1;
        const auto background = static_cast<uint16_t>(std::max_element(counts_.begin(), counts_.end()) - counts_.begin());
        for (size_t i = 0; i < wire_.size(); ++i) {
            if (wire_[i] == background) continue;
            picture->rgb[i * 3] = 80;
            picture->rgb[i * 3 + 1] = 255;
            picture->rgb[i * 3 + 2] = 120;
        }
    }

    std::vector<uint16_t> view_, wire_;
    std::vector<uint32_t> counts_ = std::vector<uint32_t>(65536); // how often each colour is in wire_
};

void StepFrame(ViewerState* s, const Scene& scene, float by)
{
    s->playing = false;
    s->frame = std::clamp(s->frame + by, 0.0f, static_cast<float>(std::max(0, scene.lastFrame)));
    Report("frame " + FrameText(s->frame));
}

void PressKey(const ViewerKeyPress& press, const Scene& scene, ViewerState* s)
{
    switch (press.key) {
    case ViewerKey::Space:
        s->playing = !s->playing;
        Report(std::string(s->playing ? "playing from frame " : "paused at frame ") + FrameText(s->frame));
        break;
    case ViewerKey::Left: StepFrame(s, scene, press.shift ? -10.0f : -1.0f); break;
    case ViewerKey::Right: StepFrame(s, scene, press.shift ? 10.0f : 1.0f); break;
    case ViewerKey::Camera:
        s->camera = s->camera + 1 >= scene.cameraCount ? -1 : s->camera + 1;
        Report(s->camera < 0 ? "camera: the scene's events" : "camera " + std::to_string(s->camera));
        break;
    case ViewerKey::Wireframe:
        s->wireframe = !s->wireframe;
        Report(std::string("wireframe ") + (s->wireframe ? "on" : "off"));
        break;
    case ViewerKey::Escape: break;
    }
}

int View(int argc, char** argv)
{
    const Options o = ParseOptions(argc, argv);
    LoadedScene loaded(o.name, o.pack);
    loaded.Load();
    ViewerState state = o.start;
    const auto describe = [&] {
        const Scene& scene = loaded.scene();
        return o.name + " from " + (o.pack.empty() ? "its folder" : o.pack) + ": " + std::to_string(scene.objectCount) +
               " objects, " + std::to_string(scene.cameraCount) + " cameras, last frame " + std::to_string(scene.lastFrame);
    };
    state.loaded = "loaded " + describe();
    Report(state.loaded);
    for (const auto& [option, camera] : {std::pair{"--camera", state.camera}, std::pair{"--overlay", state.overlay}}) {
        if (camera >= loaded.scene().cameraCount) {
            throw CommandFailure{std::string(option) + " " + std::to_string(camera) + ": " + o.name + " has " +
                                 std::to_string(loaded.scene().cameraCount) + " cameras (numbered from 0)"};
        }
    }

    std::string error;
    const std::string title = "velatool scene view - " + o.name;
    ViewerWindow* window = OpenViewerWindow(title.c_str(), &error);
    if (!window) throw CommandFailure{error};
    FramePainter painter;
    RgbImage frame;
    std::array<int64_t, 3> stamp = StampOf(loaded.watched());
    std::array<int64_t, 3> seen = stamp;
    auto lastWatch = std::chrono::steady_clock::now();
    auto lastTick = lastWatch;
    std::vector<ViewerKeyPress> keys;
    bool open = true;
    while (open) {
        open = PollViewerWindow(window, &keys);
        for (const ViewerKeyPress& press : keys) {
            if (press.key == ViewerKey::Escape) open = false;
            else if (loaded.loaded()) PressKey(press, loaded.scene(), &state);
        }
        const auto now = std::chrono::steady_clock::now();
        const double elapsed = std::chrono::duration<double>(now - lastTick).count();
        lastTick = now;
        if (loaded.loaded() && state.playing) {
            state.frame += static_cast<float>(elapsed * kFramesPerSecond);
            if (state.frame > static_cast<float>(loaded.scene().lastFrame)) state.frame = 0;
        }
        // A change is taken once the file has stood still for a look, so a pack still being
        // written is not read.
        if (now - lastWatch >= kWatchPeriod) {
            lastWatch = now;
            const std::array<int64_t, 3> current = StampOf(loaded.watched());
            if (current != stamp && current == seen) {
                stamp = current;
                try {
                    loaded.Load();
                    state.problem.clear();
                    state.loaded = "reloaded " + describe();
                    Report(state.loaded + " at frame " + FrameText(state.frame));
                    state.frame = std::min(state.frame, static_cast<float>(std::max(0, loaded.scene().lastFrame)));
                    state.camera = std::min(state.camera, loaded.scene().cameraCount - 1);
                    state.overlay = std::min(state.overlay, loaded.scene().cameraCount - 1);
                } catch (const CommandFailure& failure) {
                    state.problem = failure.message;
                    Report("reload failed, the last good scene stays: " + failure.message);
                }
            }
            seen = current;
        }
        if (loaded.loaded()) frame = painter.Paint(loaded.scene(), &state);
        BeginViewerFrame(window);
        DrawViewerPanel(o.name.c_str(), loaded.loaded() ? &loaded.scene() : nullptr, &state);
        EndViewerFrame(window, frame);
    }
    CloseViewerWindow(window);
    loaded.RemoveCopies();
    Report("closed");
    return 0;
}

} // namespace

int RunSceneView(int argc, char** argv) { return RunCommand("scene view", kViewUsage, [&] { return View(argc, argv); }); }
