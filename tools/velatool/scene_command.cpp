// velatool scene: loads an FSF scene with the engine's own loader and prints it whole as
// JSON (dump), or sums it up with the memory the engine set-up takes for it (info). render and
// bench live in scene_render_command.cpp.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "engine/engine_errors.h"
#include "engine/engine_setup.h"
#include "engine/engine_state.h"
#include "engine/render_modes.h"
#include "engine/scene/scene_files.h"
#include "resources/memory_pool.h"
#include "resources/pack_archive.h"
#include "display/screen_geometry.h"
#include "velatool/commands.h"
#include "velatool/named_inputs.h"
#include "velatool/options.h"
#include "velatool/scene_command.h"
#include "velatool/scene_diagnosis.h"

const char kSceneUsage[] =
    "usage: velatool scene dump NAME [--pack PAK]\n"
    "       velatool scene info NAME [--pack PAK] [--depth 15|16]\n"
    "       velatool scene render NAME [--frame F | --frames A:B:STEP] --out FILE.png [--pack PAK]\n"
    "                             [--size WxH] [--depth 15|16] [--camera N] [--overlay N]\n"
    "                             [--fill R,G,B]\n"
    "       velatool scene contact NAME --out FILE.png [--frames A:B:STEP] [--columns N] ...\n"
    "       velatool scene bench NAME [--pack PAK] [--frames N] [--size WxH] [--depth 15|16]\n"
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
    "       'velatool scene bench --help' tell more.\n";

namespace {

constexpr int32_t kToolPoolMegabytes = 64;

// Pool bytes in use just before the last LoadSceneForTool read its scene (the archive's
// directory included), so that info can tell what the scene itself takes.
size_t bytesBeforeScene = 0;

[[noreturn]] void Usage(const std::string& problem) { throw UsageError{problem}; }

// JSON text built up piece by piece.
class Json {
public:
    std::string text;

    void Key(const char* key)
    {
        Comma();
        Quoted(key);
        text += ':';
        fresh_ = true;
    }
    void Open(char bracket)
    {
        Comma();
        text += bracket;
        fresh_ = true;
    }
    void Close(char bracket)
    {
        text += bracket;
        fresh_ = false;
    }
    void Null() { Raw("null"); }
    void Int(int64_t v) { Raw(std::to_string(v)); }
    void Real(float v)
    {
        if (!std::isfinite(v)) return Null();
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(v));
        Raw(buffer);
    }
    void String(const char* s)
    {
        Comma();
        Quoted(s);
    }
    void Index(int32_t index)
    {
        if (index < 0) Null(); else Int(index);
    }
    void Vec(Vec3 v)
    {
        Open('[');
        Real(v.x);
        Real(v.y);
        Real(v.z);
        Close(']');
    }
    void Ints(const int32_t* v, int n)
    {
        Open('[');
        for (int i = 0; i < n; ++i) Int(v[i]);
        Close(']');
    }

private:
    // A string with JSON escapes; texts of scene files are bytes, shown as \u00XX beyond ASCII.
    void Quoted(const char* s)
    {
        text += '"';
        for (const unsigned char* p = reinterpret_cast<const unsigned char*>(s); *p; ++p) {
            if (*p == '"' || *p == '\\') {
                text += '\\';
                text += static_cast<char>(*p);
            } else if (*p < 0x20 || *p >= 0x7f) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", *p);
                text += buffer;
            } else {
                text += static_cast<char>(*p);
            }
        }
        text += '"';
    }
    void Comma()
    {
        if (!fresh_ && !text.empty()) text += ',';
        fresh_ = false;
    }
    void Raw(const std::string& s)
    {
        Comma();
        text += s;
    }
    bool fresh_ = true;
};

void Field(Json& j, const char* key, int64_t v) { j.Key(key); j.Int(v); }
void FieldReal(Json& j, const char* key, float v) { j.Key(key); j.Real(v); }
void FieldText(Json& j, const char* key, const char* v) { j.Key(key); j.String(v); }
void FieldVec(Json& j, const char* key, Vec3 v) { j.Key(key); j.Vec(v); }

void PutKeyTail(Json& j, float tension, float continuity, float bias, float easeTo, float easeFrom)
{
    FieldReal(j, "tension", tension);
    FieldReal(j, "continuity", continuity);
    FieldReal(j, "bias", bias);
    FieldReal(j, "easeTo", easeTo);
    FieldReal(j, "easeFrom", easeFrom);
}

void PutTrack(Json& j, const char* key, const VectorTrack& t)
{
    j.Key(key);
    j.Open('{');
    Field(j, "keyCount", t.keyCount);
    Field(j, "loop", t.loop);
    j.Key("keys");
    j.Open('[');
    for (int32_t i = 0; i < t.keyCount; ++i) {
        const VectorKey& k = t.keys[i];
        j.Open('{');
        FieldReal(j, "frame", k.frame);
        FieldVec(j, "value", k.value);
        FieldVec(j, "inTangent", k.inTangent);
        FieldVec(j, "outTangent", k.outTangent);
        PutKeyTail(j, k.tension, k.continuity, k.bias, k.easeTo, k.easeFrom);
        j.Close('}');
    }
    j.Close(']');
    j.Close('}');
}

void PutTrack(Json& j, const char* key, const ScalarTrack& t)
{
    j.Key(key);
    j.Open('{');
    Field(j, "keyCount", t.keyCount);
    Field(j, "loop", t.loop);
    j.Key("keys");
    j.Open('[');
    for (int32_t i = 0; i < t.keyCount; ++i) {
        const ScalarKey& k = t.keys[i];
        j.Open('{');
        FieldReal(j, "frame", k.frame);
        FieldReal(j, "value", k.value);
        FieldReal(j, "inTangent", k.inTangent);
        FieldReal(j, "outTangent", k.outTangent);
        PutKeyTail(j, k.tension, k.continuity, k.bias, k.easeTo, k.easeFrom);
        j.Close('}');
    }
    j.Close(']');
    j.Close('}');
}

void PutMorphTrack(Json& j, const Scene& s, const MorphTrack& t)
{
    j.Key("morphTrack");
    j.Open('{');
    Field(j, "keyCount", t.keyCount);
    Field(j, "loop", t.loop);
    j.Key("keys");
    j.Open('[');
    for (int32_t i = 0; i < t.keyCount; ++i) {
        const MorphKey& k = t.keys[i];
        j.Open('{');
        FieldReal(j, "frame", k.frame);
        j.Key("value");
        j.Index(RecordIndex(s.objects, k.target));
        FieldReal(j, "inTangent", k.inTangent);
        FieldReal(j, "outTangent", k.outTangent);
        PutKeyTail(j, k.tension, k.continuity, k.bias, k.easeTo, k.easeFrom);
        j.Close('}');
    }
    j.Close(']');
    j.Close('}');
}

enum class StepValue { Real, Unsigned, Mode };

void PutSteps(Json& j, const char* key, const StepList& list, StepValue kind)
{
    j.Key(key);
    j.Open('{');
    Field(j, "count", list.count);
    j.Key("keys");
    j.Open('[');
    for (int32_t i = 0; i < list.count; ++i) {
        const StepKey& k = list.keys[i];
        j.Open('{');
        FieldReal(j, "frame", k.frame);
        j.Key("value");
        if (kind == StepValue::Unsigned) j.Int(k.value); else j.Real(StepReal(k));
        if (kind == StepValue::Mode) {
            const RenderMode* row = RenderModeRow(TruncateToInt(StepReal(k)));
            j.Key("name");
            if (row) j.String(row->name); else j.Null();
        }
        j.Close('}');
    }
    j.Close(']');
    j.Close('}');
}

void PutToggles(Json& j, const char* key, const ToggleList& list)
{
    j.Key(key);
    j.Open('{');
    Field(j, "count", list.count);
    j.Key("frames");
    j.Open('[');
    for (int32_t i = 0; i < list.count; ++i) j.Real(list.frames[i]);
    j.Close(']');
    j.Close('}');
}

void PutMaterial(Json& j, const Material& m)
{
    j.Open('{');
    FieldText(j, "name", m.name);
    j.Key("ambient");
    j.Ints(m.ambient, 3);
    j.Key("diffuse");
    j.Ints(m.diffuse, 3);
    j.Key("specular");
    j.Ints(m.specular, 3);
    Field(j, "shininess", m.shininess);
    FieldReal(j, "highlight", m.highlight);
    FieldReal(j, "textureBase", m.textureBase);
    FieldReal(j, "textureLightGain", m.textureLightGain);
    FieldReal(j, "textureColourMix", m.textureColourMix);
    FieldText(j, "textureName", m.textureName);
    FieldText(j, "secondMapName", m.secondMapName);
    PutSteps(j, "frameTrack", m.frameTrack, StepValue::Real);
    PutTrack(j, "opacityTrack", m.opacityTrack);
    j.Close('}');
}

void PutLight(Json& j, const Scene& s, const SceneLight& l)
{
    j.Open('{');
    FieldText(j, "name", l.name);
    Field(j, "tag", l.tag);
    j.Key("parent");
    j.Index(RecordIndex(s.objects, l.parent));
    PutTrack(j, "positionTrack", l.positionTrack);
    PutTrack(j, "intensityTrack", l.intensityTrack);
    PutTrack(j, "extraTrack", l.extraTrack);
    PutTrack(j, "targetTrack", l.targetTrack);
    j.Close('}');
}

void PutFlare(Json& j, const Scene& s, const SceneFlare& f)
{
    j.Open('{');
    FieldText(j, "name", f.name);
    Field(j, "tag", f.tag);
    FieldReal(j, "size", f.size);
    Field(j, "flag", f.flag);
    FieldText(j, "pictureName", f.pictureName);
    j.Key("parent");
    j.Index(RecordIndex(s.objects, f.parent));
    PutTrack(j, "sizeTrack", f.sizeTrack);
    PutTrack(j, "positionTrack", f.positionTrack);
    PutTrack(j, "colourTrack", f.colourTrack);
    PutToggles(j, "visibilityToggles", f.visibilityToggles);
    j.Close('}');
}

void PutCamera(Json& j, const Scene& s, const SceneCamera& c)
{
    j.Open('{');
    FieldText(j, "name", c.name);
    Field(j, "tag", c.tag);
    j.Key("parent");
    j.Index(RecordIndex(s.objects, c.parent));
    PutTrack(j, "positionTrack", c.positionTrack);
    PutTrack(j, "fovTrack", c.fovTrack);
    PutTrack(j, "rollTrack", c.rollTrack);
    PutTrack(j, "targetTrack", c.targetTrack);
    Field(j, "targetSize", c.targetSize);
    j.Close('}');
}

void PutVecArray(Json& j, const char* key, const Vec3* v, int32_t n)
{
    j.Key(key);
    if (!v) return j.Null();
    j.Open('[');
    for (int32_t i = 0; i < n; ++i) j.Vec(v[i]);
    j.Close(']');
}

void PutObject(Json& j, const Scene& s, const SceneObject& o)
{
    j.Open('{');
    FieldText(j, "name", o.name);
    Field(j, "tag", o.tag);
    Field(j, "renderMode", o.renderMode);
    const RenderMode* row = RenderModeRow(o.renderMode);
    j.Key("renderModeName");
    if (row) j.String(row->name); else j.Null();
    Field(j, "vertexCount", o.vertexCount);
    PutVecArray(j, "vertices", o.vertices, o.vertexCount);
    j.Key("mapping");
    if (o.mapping) {
        j.Open('[');
        for (int32_t i = 0; i < o.vertexCount; ++i) {
            j.Open('[');
            j.Real(o.mapping[2 * i]);
            j.Real(o.mapping[2 * i + 1]);
            j.Close(']');
        }
        j.Close(']');
    } else {
        j.Null();
    }
    PutVecArray(j, "vertexNormals", o.vertexNormals, o.vertexCount);
    Field(j, "faceCount", o.faceCount);
    j.Key("faces");
    j.Open('[');
    for (int32_t i = 0; i < o.faceCount; ++i) {
        const SceneFace& f = o.faces[i];
        j.Open('{');
        j.Key("material");
        j.Index(RecordIndex(s.materials, f.material));
        Field(j, "a", f.a);
        Field(j, "b", f.b);
        Field(j, "c", f.c);
        FieldVec(j, "normal", f.normal);
        j.Close('}');
    }
    j.Close(']');
    FieldVec(j, "boundCentre", o.boundCentre);
    FieldReal(j, "boundRadius", o.boundRadius);
    Field(j, "number", o.number);
    j.Key("parentNumber");
    j.Index(RecordIndex(s.objects, o.parentNumber));
    FieldVec(j, "pivot", o.pivot);
    PutTrack(j, "positionTrack", o.positionTrack);
    PutTrack(j, "rotationTrack", o.rotationTrack);
    PutTrack(j, "scaleTrack", o.scaleTrack);
    PutToggles(j, "hideToggles", o.hideToggles);
    PutMorphTrack(j, s, o.morphTrack);
    PutSteps(j, "modeTrack", o.modeTrack, StepValue::Mode);
    PutToggles(j, "cullToggles", o.cullToggles);
    PutSteps(j, "switchTrack", o.switchTrack, StepValue::Real);
    Field(j, "edgeCount", o.edgeCount);
    j.Key("edges");
    j.Open('[');
    for (int32_t i = 0; i < o.edgeCount; ++i) {
        const SceneEdge& e = o.edges[i];
        j.Open('{');
        Field(j, "vertexA", e.vertexA);
        Field(j, "vertexB", e.vertexB);
        j.Key("faceA");
        j.Index(e.faceA ? static_cast<int32_t>(e.faceA - o.faces) : -1);
        j.Key("faceB");
        j.Index(e.faceB ? static_cast<int32_t>(e.faceB - o.faces) : -1);
        FieldReal(j, "crease", e.crease);
        j.Close('}');
    }
    j.Close(']');
    PutSteps(j, "flagTrack", o.flagTrack, StepValue::Unsigned);
    PutTrack(j, "uvTrack", o.uvTrack);
    PutSteps(j, "targetTrack", o.targetTrack, StepValue::Unsigned);
    j.Close('}');
}

void PutEvent(Json& j, const Scene& s, const SceneEvent& e)
{
    j.Open('{');
    FieldReal(j, "frame", e.frame);
    Field(j, "kind", e.kind);
    if (e.chunkId == 0x701) {
        j.Key("a");
        j.Index(RecordIndex(s.cameras, e.camera));
    } else if (e.chunkId == 0x702) {
        j.Key("a");
        j.Index(RecordIndex(s.lights, e.light));
    } else if (e.kind == kEventFarDistance || e.kind == kEventFog) {
        FieldReal(j, "a", EventReal(e.a));
        if (e.kind == kEventFog) FieldReal(j, "b", EventReal(e.b));
    } else {
        Field(j, "a", static_cast<int32_t>(e.a));
        Field(j, "b", static_cast<int32_t>(e.b));
        Field(j, "c", static_cast<int32_t>(e.c));
    }
    j.Close('}');
}

std::string SceneJson(const Scene& s)
{
    Json j;
    j.Open('{');
    FieldText(j, "fsfPath", s.fsfPath ? s.fsfPath : "");
    FieldText(j, "folderPath", s.folderPath ? s.folderPath : "");
    FieldText(j, "datPath", s.datPath ? s.datPath : "");
    Field(j, "infoA", s.infoA);
    Field(j, "infoB", s.infoB);
    Field(j, "lastFrame", s.lastFrame);
    Field(j, "materialCount", s.materialCount);
    j.Key("materials");
    j.Open('[');
    for (const Material* m = s.materials; m; m = m->next) PutMaterial(j, *m);
    j.Close(']');
    Field(j, "lightCount", s.lightCount);
    j.Key("lights");
    j.Open('[');
    for (const SceneLight* l = s.lights; l; l = l->next) PutLight(j, s, *l);
    j.Close(']');
    Field(j, "flareCount", s.flareCount);
    j.Key("flares");
    j.Open('[');
    for (const SceneFlare* f = s.flares; f; f = f->next) PutFlare(j, s, *f);
    j.Close(']');
    Field(j, "cameraCount", s.cameraCount);
    j.Key("cameras");
    j.Open('[');
    for (const SceneCamera* c = s.cameras; c; c = c->next) PutCamera(j, s, *c);
    j.Close(']');
    Field(j, "objectCount", s.objectCount);
    j.Key("objects");
    j.Open('[');
    for (const SceneObject* o = s.objects; o; o = o->next) PutObject(j, s, *o);
    j.Close(']');
    Field(j, "eventCount", s.eventCount);
    j.Key("events");
    j.Open('[');
    for (int32_t i = 0; i < s.eventCount; ++i) PutEvent(j, s, s.events[i]);
    j.Close(']');
    j.Close('}');
    return j.text;
}

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

} // namespace

void LoadSceneForTool(const std::string& name, const std::string& pack, Scene* scene)
{
    // The pool comes first: the archive's directory is allocated from it.
    if (InitMemoryPool(kToolPoolMegabytes) != 0) throw CommandFailure{"cannot reserve the memory pool"};
    std::string entry = name;
    try {
        // A named archive that cannot be read is a failure of its own, not a silent fall-back
        // to loose files; a path is read from its own folder.
        if (pack.empty()) entry = UseFileFolder(name);
        else OpenArchiveFor(pack, pack);
    } catch (const CommandFailure&) {
        FreeMemoryPool();
        throw;
    }
    bytesBeforeScene = PoolBytesInUse();
    const int32_t result = LoadEngineScene(scene, entry.c_str());
    if (result == kSceneOk) return;
    std::string problem = SceneErrorText(result);
    if (result == kSceneFileError) {
        problem = InputProblem(pack.empty() ? name : entry, pack);
        if (problem.empty()) problem = SceneFileProblem(entry);
    }
    FinishSceneTool(scene);
    throw CommandFailure{name + ": " + problem};
}

void SetUpEngineForTool(const std::string& name, Scene* scene, int32_t width, int32_t height, int32_t depth)
{
    const int32_t result = EngineInit(width, height, depth);
    if (result == kEngineOk) return;
    std::string problem = result == kEnginePictureError ? PictureFailure(*scene, depth) : EngineErrorText(result);
    if (result != kEnginePictureError) {
        problem = "engine set-up at " + std::to_string(width) + "x" + std::to_string(height) + ", " +
                  std::to_string(depth) + " bits: " + problem;
    }
    FinishSceneTool(scene);
    throw CommandFailure{name + ": " + problem};
}

void FinishSceneTool(Scene* scene)
{
    FreeEngineScene(scene);
    ClosePack();
    FreeMemoryPool();
}

namespace {

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
    std::printf("sceneBytes: %zu\n", before - bytesBeforeScene);
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
    const std::string command = sub == "dump" || sub == "info" ? "scene " + sub : "scene";
    return RunCommand(command.c_str(), kSceneUsage, [&] {
        ReadSubcommand(argc, argv);
        if (sub == "dump") return RunDump(argc, argv);
        if (sub == "info") return RunInfo(argc, argv);
        Usage("unknown subcommand '" + sub + "'");
    });
}
