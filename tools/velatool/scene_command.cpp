// velatool scene: loads an FSF scene with the engine's own loader and prints it whole as
// JSON (dump), or sums it up with the memory the engine set-up takes for it (info). render,
// contact and bench live in scene_render_command.cpp, view in scene_view_command.cpp; loading in
// scene_loading.cpp.
#include <cstdio>
#include <map>
#include <string>

#include "engine/render_modes.h"
#include "engine/scene/scene_files.h"
#include "resources/memory_pool.h"
#include "display/screen_geometry.h"
#include "velatool/commands.h"
#include "velatool/options.h"
#include "velatool/scene_command.h"
#include "velatool/scene_json.h"
#include "velatool/scene_loading.h"

const char kSceneUsage[] =
    "usage: velatool scene dump NAME [--pack PAK]\n"
    "       velatool scene info NAME [--pack PAK] [--depth 15|16]\n"
    "       velatool scene render NAME [--frame F | --frames A:B:STEP] --out FILE.png [--pack PAK]\n"
    "                             [--size WxH] [--depth 15|16] [--camera N] [--overlay N]\n"
    "                             [--fill R,G,B]\n"
    "       velatool scene contact NAME --out FILE.png [--frames A:B:STEP] [--columns N] ...\n"
    "       velatool scene bench NAME [--pack PAK] [--frames N] [--size WxH] [--depth 15|16]\n"
    "       velatool scene view NAME [--pack PAK] [--frame F] [--camera N] [--overlay N] [--fill R,G,B]\n"
    "\n"
    "NAME is the scene's entry name in the archive (backslashes, any case), such as\n"
    "SCENES\\PLAN1\\PLAN1.FSF; without --pack it is the scene file's path, and its textures\n"
    "and flare pictures are looked for in its folder (and its .DAT folder).\n"
    "dump   prints every record of the scene as JSON; references are indexes into their list.\n"
    "info   counts of every record kind, the last frame, the render modes in use, the pool\n"
    "       bytes the loaded scene takes and those the engine set-up takes for it at the show's\n"
    "       view size.\n"
    "render draws scene frames into PNG pictures; contact tiles frames (every 5 seconds unless\n"
    "       told) into one PNG; bench measures how fast the scene draws.\n"
    "       'velatool scene render --help', 'velatool scene contact --help' and\n"
    "       'velatool scene bench --help' tell more.\n"
    "view   plays the scene in a window with a panel, and loads it again whenever its pack\n"
    "       changes on disk ('velatool scene view --help').\n";

namespace {

[[noreturn]] void Usage(const std::string& problem) { throw UsageError{problem}; }

struct Options {
    std::string name, pack;
    int32_t depth = 0;
};

// NAME [--pack PAK] [--depth N], from argv[2] on.
Options ParseOptions(int argc, char** argv, bool allowDepth)
{
    std::vector<OptionRule> rules = {{"--pack", true}};
    if (allowDepth) rules.push_back({"--depth", true});
    const CommandLine line = ReadCommandLine(argc, argv, 2, rules);
    if (line.words.empty()) Usage("a scene name is needed");
    if (line.words.size() > 1) Usage("unexpected argument '" + line.words[1] + "'");
    Options o;
    o.name = line.words[0];
    o.pack = line.Value("--pack");
    if (line.Has("--pack") && o.pack.empty()) Usage("--pack needs an archive");
    if (line.Has("--depth")) o.depth = ChoiceValue(line.Value("--depth"), "--depth", {"15", "16"}) == "15" ? 15 : 16;
    return o;
}

int RunDump(int argc, char** argv)
{
    const Options o = ParseOptions(argc, argv, false);
    Scene scene{};
    LoadSceneForTool(o.name, o.pack, &scene);
    const std::string json = SceneJson(scene);
    std::fwrite(json.data(), 1, json.size(), stdout);
    std::fputc('\n', stdout);
    FinishSceneTool(&scene);
    return 0;
}

int RunInfo(int argc, char** argv)
{
    const Options o = ParseOptions(argc, argv, true);
    const int32_t depth = o.depth ? o.depth : screen.pixelDepth;
    Scene scene{};
    LoadSceneForTool(o.name, o.pack, &scene);
    // The engine is set up first, so that a scene whose pictures fail prints nothing else.
    const int32_t width = screen.screenWidth, height = screen.viewHeight;
    const size_t before = PoolBytesInUse();
    SetUpEngineForTool(o.name, &scene, width, height, depth);
    const size_t engineBytes = PoolBytesInUse() - before;

    int64_t vertices = 0, faces = 0, edges = 0;
    std::map<int32_t, int32_t> modes; // mode number -> objects that can take it
    for (const SceneObject* obj = scene.objects; obj; obj = obj->next) {
        vertices += obj->vertexCount;
        faces += obj->faceCount;
        edges += obj->edgeCount;
        std::map<int32_t, bool> own{{obj->renderMode, true}};
        for (int32_t k = 0; k < obj->modeTrack.count; ++k) own[TruncateToInt(StepReal(obj->modeTrack.keys[k]))] = true;
        for (const auto& entry : own) ++modes[entry.first];
    }
    std::printf("scene: %s\n", o.pack.empty() ? o.name.c_str() : scene.fsfPath);
    std::printf("materials: %d\nlights: %d\nflares: %d\ncameras: %d\nobjects: %d\nevents: %d\n", scene.materialCount,
                scene.lightCount, scene.flareCount, scene.cameraCount, scene.objectCount, scene.eventCount);
    std::printf("vertices: %lld\nfaces: %lld\nedges: %lld\n", static_cast<long long>(vertices),
                static_cast<long long>(faces), static_cast<long long>(edges));
    std::printf("lastFrame: %d\n", scene.lastFrame);
    for (const auto& [mode, count] : modes) {
        const RenderMode* row = RenderModeRow(mode);
        std::printf("renderMode: %d %s (%d object%s)\n", mode, row ? row->name : "(not a mode)", count,
                    count == 1 ? "" : "s");
    }
    std::printf("sceneBytes: %zu\n", before - PoolBytesBeforeScene());
    std::printf("engineSize: %dx%d at %d bits\n", width, height, depth);
    std::printf("engineBytes: %zu\n", engineBytes);
    FinishSceneTool(&scene);
    return 0;
}

} // namespace

int RunSceneCommand(int argc, char** argv)
{
    const std::string sub = argc >= 2 ? argv[1] : "";
    if (sub == "render") return RunSceneRender(argc, argv);
    if (sub == "contact") return RunSceneContact(argc, argv);
    if (sub == "bench") return RunSceneBench(argc, argv);
    if (sub == "view") return RunSceneView(argc, argv);
    const std::string command = sub == "dump" || sub == "info" ? "scene " + sub : "scene";
    return RunCommand(command.c_str(), kSceneUsage, [&] {
        ReadSubcommand(argc, argv);
        if (sub == "dump") return RunDump(argc, argv);
        if (sub == "info") return RunInfo(argc, argv);
        Usage("unknown subcommand '" + sub + "'");
    });
}
