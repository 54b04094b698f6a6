// velatool scene dump and info, in process, on scenes made with the scene writer.
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <unistd.h>
#include <vector>

#include "authoring/bmp_writer.h"
#include "authoring/pack_writer.h"
#include "authoring/scene_writer.h"
#include "support/test_support.h"
#include "velatool/commands.h"

namespace {

namespace fs = std::filesystem;

int Scene(std::initializer_list<std::string> words) { return RunWithWords(RunSceneCommand, "scene", words); }

FsfScene SmallScene()
{
    FsfScene s;
    s.info = std::array<int32_t, 3>{0, 0, 1200};
    FsfMaterial m;
    m.name = "tex\"quoted\"";
    m.textureName = "WOOD.BMP";
    s.materials = {m};
    s.cameras = {FsfCamera{}, FsfCamera{}};
    FsfObject a;
    a.name = "parent";
    a.number = 4;
    a.renderMode = 21;
    a.vertices = std::vector<Vec3>{{0, 0, 0}, {1, 0, 0}, {1, 0, 1}};
    a.faces = std::vector<FsfFace>{{0, 0, 1, 2}};
    a.modeTrack = std::vector<StepKey>{MakeStepReal(50, 22)};
    FsfObject b = a;
    b.name = "child";
    b.number = 5;
    b.parentNumber = 4;
    b.modeTrack.reset();
    s.objects = {a, b};
    s.events = std::vector<FsfEvent>{MakeCameraEvent(0, 1), MakeFogEvent(5, 10, 200)};
    return s;
}

class SceneCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        previous = fs::current_path();
        fs::current_path(dir);
        std::vector<uint8_t> pixels(256 * 256, 1);
        WriteFileBytes(dir / "WOOD.BMP", MakeBmp8(256, 256, pixels, {10, 20, 30, 40, 50, 60}));
        WriteFileBytes(dir / "PLAN.FSF", WriteFsf(SmallScene()));
    }
    void TearDown() override { fs::current_path(previous); }
    fs::path dir, previous;
};

} // namespace

TEST_F(SceneCommand, DumpPrintsRecordsWithIndexReferences)
{
    testing::internal::CaptureStdout();
    ASSERT_EQ(Scene({"dump", "PLAN.FSF"}), 0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("\"lastFrame\":1200"), std::string::npos);
    EXPECT_NE(out.find("\"name\":\"tex\\\"quoted\\\"\""), std::string::npos);
    EXPECT_NE(out.find("\"renderMode\":21,\"renderModeName\":\"TEXTU_NOSHA_OPAQU\""), std::string::npos);
    EXPECT_NE(out.find("\"number\":4,\"parentNumber\":null"), std::string::npos);
    EXPECT_NE(out.find("\"number\":5,\"parentNumber\":0"), std::string::npos);
    EXPECT_NE(out.find("{\"frame\":50,\"value\":22,\"name\":\"TEXTU_NOSHA_TRANS\"}"), std::string::npos);
    EXPECT_NE(out.find("{\"frame\":0,\"kind\":0,\"a\":1}"), std::string::npos);
    EXPECT_NE(out.find("{\"frame\":5,\"kind\":3,\"a\":10,\"b\":200}"), std::string::npos);
    EXPECT_NE(out.find("\"material\":0"), std::string::npos);
    // Balanced and ending in a newline.
    int depth = 0;
    bool inString = false;
    for (size_t i = 0; i < out.size(); ++i) {
        if (inString) {
            if (out[i] == '\\') ++i;
            else if (out[i] == '"') inString = false;
        } else if (out[i] == '"') {
            inString = true;
        } else if (out[i] == '{' || out[i] == '[') {
            ++depth;
        } else if (out[i] == '}' || out[i] == ']') {
            --depth;
            ASSERT_GE(depth, 0);
        }
    }
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(out.back(), '\n');
}

TEST_F(SceneCommand, InfoCountsModesAndMeasuresTheEngine)
{
    testing::internal::CaptureStdout();
    ASSERT_EQ(Scene({"info", "PLAN.FSF"}), 0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("objects: 2\n"), std::string::npos);
    EXPECT_NE(out.find("cameras: 2\n"), std::string::npos);
    EXPECT_NE(out.find("events: 2\n"), std::string::npos);
    EXPECT_NE(out.find("lastFrame: 1200\n"), std::string::npos);
    EXPECT_NE(out.find("renderMode: 21 TEXTU_NOSHA_OPAQU (2 objects)\n"), std::string::npos);
    EXPECT_NE(out.find("renderMode: 22 TEXTU_NOSHA_TRANS (1 object)\n"), std::string::npos);
    const size_t scene = out.find("sceneBytes: ");
    ASSERT_NE(scene, std::string::npos);
    // The two objects' vertices and faces at least.
    EXPECT_GT(std::stoul(out.substr(scene + 12)), 8u * 12 + 4u * 16);
    const size_t at = out.find("engineBytes: ");
    ASSERT_NE(at, std::string::npos);
    // At least the depth buffer, the glow table and the one texture frame.
    EXPECT_GT(std::stoul(out.substr(at + 13)), 320u * 180 * 4 + 65536 + 65536);

    testing::internal::CaptureStdout();
    EXPECT_EQ(Scene({"info", "PLAN.FSF", "--depth", "15"}), 0);
    testing::internal::GetCapturedStdout();
}

TEST_F(SceneCommand, FromAnArchive)
{
    PackBuilder pack;
    AddPackEntry(&pack, "SCENES\\PLAN\\PLAN.FSF", WriteFsf(SmallScene()), PackMethod::Deflate);
    AddPackEntry(&pack, "SCENES\\PLAN\\WOOD.BMP", ReadFileBytes(dir / "WOOD.BMP"), PackMethod::Deflate);
    fs::create_directories(dir / "pak");
    WriteFileBytes(dir / "pak" / "VELA.PAK", FinishPack(pack));
    testing::internal::CaptureStdout();
    ASSERT_EQ(Scene({"info", "scenes\\plan\\plan.fsf", "--pack", (dir / "pak" / "VELA.PAK").string()}), 0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("scene: scenes\\plan\\plan.FSF\n"), std::string::npos);
}

TEST_F(SceneCommand, FailuresAndUsage)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(Scene({"dump", "NOPE.FSF"}), 1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("File error"), std::string::npos);

    WriteFileBytes(dir / "WOOD.BMP", {'B', 'M'});
    testing::internal::CaptureStderr();
    EXPECT_EQ(Scene({"info", "PLAN.FSF"}), 1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Error: File  WOOD.BMP     acces error"), std::string::npos);

    testing::internal::CaptureStderr();
    EXPECT_EQ(Scene({"info", "PLAN.FSF", "--depth", "24"}), 2);
    EXPECT_EQ(Scene({"dump"}), 2);
    EXPECT_EQ(Scene({"dump", "PLAN.FSF", "--bogus"}), 2);
    testing::internal::GetCapturedStderr();
    testing::internal::CaptureStdout();
    EXPECT_EQ(Scene({"--help"}), 0);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("velatool scene dump"), std::string::npos);
}
