// The five scenes as the show plays them: each loads from the generated pack into the show's
// memory pool, sets the engine up at both depths and draws; the objects the parts look for
// are there; the lengths meet the parts' timing; nothing lets the clear colour through where
// the scene is meant to be closed; the scene of part four keeps what is under it; together
// the scenes use every render mode word and feature of the engine.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "engine/engine_errors.h"
#include "engine/engine_setup.h"
#include "engine/engine_state.h"
#include "engine/frame_pipeline.h"
#include "engine/render_modes.h"
#include "engine/scene/math_types.h"
#include "engine/scene/scene_files.h"
#include "generator/manifest.h"
#include "resources/memory_pool.h"
#include "resources/pack_archive.h"

namespace {

constexpr int32_t kWidth = 320, kHeight = 180;
constexpr int32_t kShowPoolMegabytes = 11;
// What a part's own pictures may take (credits, masks, loading screen, backgrounds, closing
// pictures, view-sized buffers), and what must stay free beyond them.
constexpr size_t kPictureAllowance = 2u << 20;
constexpr size_t kSpare = 1u << 20;
constexpr int32_t kHairline = 32; // pixels: 0.06% of the view

struct ExpectedScene {
    const char* name;
    int32_t firstLastFrame, lastLastFrame; // the range lastFrame must lie in
    bool closed;                           // the clear colour never shows
};

const ExpectedScene kScenes[] = {
    {"SCENES\\Plan_1\\PLAN1.FSF", 580, 100000, true},
    {"SCENES\\Plan_2\\PLAN2.FSF", 1690, 100000, true},
    {"SCENES\\PLAN_3\\PLAN3.FSF", 910, 100000, true},
    {"SCENES\\PLAN_4\\PLAN4.FSF", 280, 100000, false},
    {"SCENES\\PLAN_5\\PLAN5.FSF", 300, 450, false},
};

// The show's pool and archive, one scene loaded into them.
class ShowScene : public ::testing::TestWithParam<ExpectedScene> {
protected:
    void SetUp() override
    {
        ASSERT_EQ(InitMemoryPool(kShowPoolMegabytes), 0);
        OpenPack(VELA_CONTENT_PACK);
        ASSERT_GT(PackEntryCount(), 0u) << VELA_CONTENT_PACK;
        ASSERT_EQ(LoadEngineScene(&scene, GetParam().name), kSceneOk) << GetParam().name;
    }
    void TearDown() override
    {
        FreeEngineScene(&scene);
        ClosePack();
        FreeMemoryPool();
    }
    uint8_t* View() { return reinterpret_cast<uint8_t*>(view.data()); }

    Scene scene{};
    std::vector<uint16_t> view = std::vector<uint16_t>(static_cast<size_t>(kWidth) * kHeight, 0);
};

std::string NameOf(const ::testing::TestParamInfo<ExpectedScene>& info)
{
    const std::string name = info.param.name;
    return name.substr(name.rfind('\\') + 1, 5);
}

int32_t CountPixels(const std::vector<uint16_t>& view, uint16_t pixel)
{
    int32_t n = 0;
    for (uint16_t p : view) n += p == pixel;
    return n;
}

uint16_t Pack(int32_t r, int32_t g, int32_t b, int32_t depth)
{
    if (depth == 16) return static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
    return static_cast<uint16_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
}

} // namespace

TEST_P(ShowScene, FitsThePoolWithItsPartsPicturesAndSpare)
{
    // The archive's directory, the scene and the engine's tables and textures, all in the
    // show's own pool.
    ASSERT_EQ(EngineInit(kWidth, kHeight, 16), kEngineOk);
    const size_t used = PoolBytesInUse();
    EXPECT_LE(used + kPictureAllowance + kSpare, static_cast<size_t>(kShowPoolMegabytes) << 20)
        << GetParam().name << " takes " << used << " bytes";
}

TEST_P(ShowScene, SetsUpAndDrawsItsFirstMiddleAndLastFrameAtBothDepths)
{
    const ExpectedScene& expected = GetParam();
    EXPECT_GE(scene.lastFrame, expected.firstLastFrame);
    EXPECT_LE(scene.lastFrame, expected.lastLastFrame);
    for (int32_t depth : {16, 15}) {
        ASSERT_EQ(EngineInit(kWidth, kHeight, depth), kEngineOk) << EngineErrorText(EngineInit(kWidth, kHeight, depth));
        for (float frame : {0.0f, scene.lastFrame / 2.0f, static_cast<float>(scene.lastFrame)}) {
            std::fill(view.begin(), view.end(), 0);
            RenderScene(frame, View(), nullptr);
            // A drawn picture, not one flat colour.
            std::set<uint16_t> colours(view.begin(), view.end());
            EXPECT_GT(colours.size(), 16u) << expected.name << " at frame " << frame << ", " << depth << " bits";
        }
        EngineRelease();
    }
}

TEST_P(ShowScene, ClosedScenesLetNoClearColourThrough)
{
    const ExpectedScene& expected = GetParam();
    if (!expected.closed) GTEST_SKIP() << "its sky is the clear colour";
    // Clearing to a colour no surface has shows every gap: faces turned the wrong way,
    // missing walls, a sky that does not reach the horizon.
    for (int32_t i = 0; i < scene.eventCount; ++i) {
        SceneEvent& e = scene.events[i];
        if (e.kind == kEventBackground) e.a = 255, e.b = 0, e.c = 255;
    }
    ASSERT_EQ(EngineInit(kWidth, kHeight, 16), kEngineOk);
    const uint16_t magenta = Pack(255, 0, 255, 16);
    int32_t worst = 0;
    float worstFrame = 0;
    for (int32_t frame = 0; frame <= scene.lastFrame; frame += 10) {
        RenderScene(static_cast<float>(frame), View(), nullptr);
        const int32_t n = CountPixels(view, magenta);
        if (n > worst) worst = n, worstFrame = static_cast<float>(frame);
    }
    // A wall facing the wrong way or a missing piece shows as thousands of pixels. A shared
    // edge that the view's side planes cut is clipped from opposite ends in its two
    // triangles, which can leave a hairline of single pixels along it; a few are let pass.
    EXPECT_LE(worst, kHairline) << expected.name << ": " << worst << " pixels of the clear colour at frame " << worstFrame;
}

TEST_P(ShowScene, NoCameraGoesIntoASurface)
{
    // A camera inside a wall or a pillar sees a surface right at the eye over much of the
    // view. Nothing in the scenes should come nearer than 2 units over a tenth of it.
    ASSERT_EQ(EngineInit(kWidth, kHeight, 16), kEngineOk);
    std::vector<SceneCamera*> cameras{nullptr}; // the cameras the events choose
    if (!std::strcmp(GetParam().name, "SCENES\\PLAN_4\\PLAN4.FSF")) cameras.push_back(scene.cameras->next);
    constexpr uint32_t kNear = (1u << 24) / 2;
    for (SceneCamera* camera : cameras) {
        for (int32_t frame = 0; frame <= scene.lastFrame; frame += 5) {
            RenderScene(static_cast<float>(frame), View(), camera);
            int32_t near = 0;
            for (int32_t i = 0; i < kWidth * kHeight; ++i) {
                // Written this view (its stamp) and nearer than 2 units.
                const uint32_t value = engine.depthBuffer[i] - engine.frameStamp;
                near += value >= kNear && value < 0x80000000u;
            }
            EXPECT_LT(near, kWidth * kHeight / 10) << GetParam().name << " at frame " << frame;
        }
    }
}

TEST_P(ShowScene, RecordsAreConsistentForThePipeline)
{
    // Events in time order: the pipeline walks them from the first while they are due.
    for (int32_t i = 1; i < scene.eventCount; ++i) EXPECT_LE(scene.events[i - 1].frame, scene.events[i].frame) << i;
    std::set<int32_t> numbers;
    for (const SceneObject* o = scene.objects; o; o = o->next) {
        // One node per object: a shared number would move two objects as one.
        EXPECT_TRUE(numbers.insert(o->number).second) << o->name << " shares number " << o->number;
        // Culling trusts the bounding sphere: every vertex lies inside it.
        for (int32_t v = 0; v < o->vertexCount; ++v) {
            const Vec3 d = o->vertices[v] - o->boundCentre;
            EXPECT_LE(Dot(d, d), o->boundRadius * o->boundRadius * 1.0001f) << o->name << " vertex " << v;
        }
        // A morph blends targets of its own shape, or the engine leaves it unmorphed.
        for (int32_t k = 0; k < o->morphTrack.keyCount; ++k) {
            const SceneObject* t = o->morphTrack.keys[k].target;
            ASSERT_NE(t, nullptr) << o->name;
            EXPECT_EQ(t->vertexCount, o->vertexCount) << o->name;
            EXPECT_EQ(t->faceCount, o->faceCount) << o->name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Scenes, ShowScene, ::testing::ValuesIn(kScenes), NameOf);

namespace {

class NamedScene : public ::testing::Test {
protected:
    void Load(const char* name)
    {
        ASSERT_EQ(InitMemoryPool(kShowPoolMegabytes), 0);
        OpenPack(VELA_CONTENT_PACK);
        ASSERT_EQ(LoadEngineScene(&scene, name), kSceneOk) << name;
    }
    void TearDown() override
    {
        FreeEngineScene(&scene);
        ClosePack();
        FreeMemoryPool();
    }
    // The object exists and its texture offsets loop over more than one key, the last
    // repeating the first: the part re-phases such tracks by moving key values along.
    void ExpectLoopingFlame(const char* name)
    {
        const SceneObject* o = FindSceneObject(scene, name);
        ASSERT_NE(o, nullptr) << name;
        const VectorTrack& t = o->uvTrack;
        EXPECT_NE(t.loop, 0) << name;
        ASSERT_GT(t.keyCount, 1) << name;
        const Vec3 first = t.keys[0].value, last = t.keys[t.keyCount - 1].value;
        EXPECT_TRUE(first.x == last.x && first.y == last.y && first.z == last.z) << name;
        // Flames burn: more than one place in the flip-book.
        bool moves = false;
        for (int32_t k = 1; k < t.keyCount; ++k) moves |= t.keys[k].value.x != first.x || t.keys[k].value.y != first.y;
        EXPECT_TRUE(moves) << name;
    }

    Scene scene{};
};

} // namespace

TEST_F(NamedScene, TheHallOfFireHasEveryFlameThePartLooksFor)
{
    Load("SCENES\\Plan_2\\PLAN2.FSF");
    ExpectLoopingFlame("flammes07");
    for (int k = 1; k <= 13; ++k) ExpectLoopingFlame(("flammes07_" + std::to_string(k)).c_str());
    for (const char* name : {"vela_flammes", "vela_flammes_1", "vela_flammes_2", "vela_flammes_3", "vela_flammes_5",
                             "flamtorch", "flamtorch2"}) {
        ExpectLoopingFlame(name);
    }
}

TEST_F(NamedScene, TheDeckHasEveryFlameThePartLooksFor)
{
    Load("SCENES\\PLAN_3\\PLAN3.FSF");
    for (const char* name : {"vela_flammes", "vela_flammes_1", "vela_flammes_2", "vela_flammes_3", "vela_flammes_5"}) {
        ExpectLoopingFlame(name);
    }
}

TEST_F(NamedScene, TheOrreryKeepsWhatIsUnderItThroughBothDrawings)
{
    Load("SCENES\\PLAN_4\\PLAN4.FSF");
    ASSERT_GE(scene.cameraCount, 2);
    for (int32_t depth : {16, 15}) {
        ASSERT_EQ(EngineInit(kWidth, kHeight, depth), kEngineOk);
        std::vector<uint16_t> view(static_cast<size_t>(kWidth) * kHeight);
        const uint16_t fill = Pack(0, 255, 0, depth);
        for (float frame : {0.0f, 140.0f, static_cast<float>(scene.lastFrame)}) {
            // As part four draws it: the tiles, the main camera, then the second camera.
            std::fill(view.begin(), view.end(), fill);
            RenderScene(frame, reinterpret_cast<uint8_t*>(view.data()), nullptr);
            const int32_t afterMain = CountPixels(view, fill);
            RenderScene(frame, reinterpret_cast<uint8_t*>(view.data()), scene.cameras->next);
            const int32_t afterBoth = CountPixels(view, fill);
            // Most of the view still shows the tiles; each drawing added its own machine.
            EXPECT_GT(afterBoth, kWidth * kHeight / 3) << "frame " << frame;
            EXPECT_LT(afterMain, kWidth * kHeight) << "the main camera drew";
            EXPECT_LT(afterBoth, afterMain) << "the second camera drew over it";
        }
        EngineRelease();
    }
}

TEST_F(NamedScene, TogetherTheScenesUseEveryWordAndFeatureOfTheEngine)
{
    std::set<std::string> used;
    for (const ExpectedScene& expected : kScenes) {
        Load(expected.name);
        for (const SceneObject* o = scene.objects; o; o = o->next) {
            std::vector<int32_t> modes{o->renderMode};
            for (int32_t k = 0; k < o->modeTrack.count; ++k) modes.push_back(TruncateToInt(StepReal(o->modeTrack.keys[k])));
            for (int32_t mode : modes) {
                const RenderMode* row = RenderModeRow(mode);
                ASSERT_NE(row, nullptr) << o->name;
                // "TEXTU_GOURA_TRANS" gives its three words; "Wire" itself.
                std::string name = row->name;
                for (size_t at; (at = name.find('_')) != std::string::npos; name.erase(0, at + 1)) used.insert(name.substr(0, at));
                used.insert(name);
            }
            if (o->faceCount > 0) {
                bool perspective = false;
                for (int32_t k = 0; k < o->switchTrack.count; ++k) perspective |= StepReal(o->switchTrack.keys[k]) != 0.0f;
                used.insert(perspective ? "perspective" : "affine");
            }
            for (int32_t k = 0; k < o->flagTrack.count; ++k) {
                const uint32_t kind = o->flagTrack.keys[k].value & 3;
                if (kind) used.insert("outline" + std::to_string(kind));
            }
            for (int32_t k = 0; k < o->targetTrack.count; ++k) {
                if (o->targetTrack.keys[k].value & 0x80000000u) used.insert("camera texture");
            }
            if (o->morphTrack.keyCount > 1) used.insert("morph");
            if (o->hideToggles.count > 0) used.insert("hide");
            if (o->uvTrack.keyCount > 1) used.insert("texture offsets");
            if (o->parentNumber && (o->pivot.x != 0 || o->pivot.y != 0 || o->pivot.z != 0)) used.insert("pivot");
        }
        for (const Material* m = scene.materials; m; m = m->next) {
            if (m->frameTrack.count > 0) used.insert("texture frames");
            if (m->opacityTrack.keyCount > 0) used.insert("opacity");
        }
        for (const SceneFlare* f = scene.flares; f; f = f->next) used.insert(f->pictureName[0] ? "own flare" : "built-in flare");
        for (const SceneCamera* c = scene.cameras; c; c = c->next) {
            if (c->parent) used.insert("camera on an object");
        }
        const char* kinds[5] = {"camera event", "light event", "far event", "fog event", "background event"};
        for (int32_t i = 0; i < scene.eventCount; ++i) {
            const SceneEvent& e = scene.events[i];
            if (e.kind >= 0 && e.kind < 5) used.insert(kinds[e.kind]);
            if (e.kind == kEventBackground && static_cast<int32_t>(e.a) == -1) used.insert("kept view");
        }
        TearDown();
    }
    for (const char* word : {"Wire",  "NOMAP", "TEXTU", "ENVMA", "TEXTR", "ENVTR", "NOSHA", "SHADE", "FLATY",
                             "GOURA", "FOGGY", "OPAQU", "TRANS", "ADDIT", "SOUST", "affine", "perspective",
                             "outline1", "outline2", "outline3", "camera texture", "morph", "hide",
                             "texture offsets", "pivot", "texture frames", "opacity", "own flare",
                             "built-in flare", "camera on an object", "camera event", "light event",
                             "far event", "fog event", "background event", "kept view"}) {
        EXPECT_TRUE(used.count(word)) << word;
    }
}

TEST(SceneContent, EveryEntryIsTheSameEachTimeItIsMadeAndAsPacked)
{
    ASSERT_EQ(InitMemoryPool(64), 0);
    OpenPack(VELA_CONTENT_PACK);
    int32_t entries = 0;
    for (const content::ContentEntry& e : content::ContentManifest()) {
        if (e.name.rfind("SCENES\\", 0) != 0) continue;
        ++entries;
        const std::vector<uint8_t> once = e.make(), twice = e.make();
        EXPECT_EQ(once, twice) << e.name;
        // The build made the pack in its own process.
        std::vector<uint8_t> packed(PackEntrySize(e.name.c_str()));
        ASSERT_EQ(packed.size(), once.size()) << e.name;
        ASSERT_EQ(ReadPackEntry(e.name.c_str(), packed.data(), 0, static_cast<uint32_t>(packed.size())), 0) << e.name;
        EXPECT_EQ(packed, once) << e.name;
    }
    EXPECT_GE(entries, 5 + 5 * 5);
    ClosePack();
    FreeMemoryPool();
}
