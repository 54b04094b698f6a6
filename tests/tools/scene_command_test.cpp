// velatool scene dump and info, in process, on scenes made with the scene writer.
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <unistd.h>
#include <vector>

#include "formats/bmp_writer.h"
#include "formats/pack_writer.h"
#include "formats/scene_writer.h"
#include "support/test_support.h"
#include "velatool/commands.h"

namespace {

namespace fs = std::filesystem;

int RunScene(std::initializer_list<std::string> words) { return RunWithWords(RunSceneCommand, "scene", words); }

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
    ASSERT_EQ(RunScene({"dump", "PLAN.FSF"}), 0);
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
    ASSERT_EQ(RunScene({"info", "PLAN.FSF"}), 0);
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
    EXPECT_EQ(RunScene({"info", "PLAN.FSF", "--depth", "15"}), 0);
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
    ASSERT_EQ(RunScene({"info", "scenes\\plan\\plan.fsf", "--pack", (dir / "pak" / "VELA.PAK").string()}), 0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("scene: scenes\\plan\\plan.FSF\n"), std::string::npos);
}

TEST_F(SceneCommand, FailuresAndUsage)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunScene({"dump", "NOPE.FSF"}), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "velatool scene dump: NOPE.FSF: no such file\n");

    testing::internal::CaptureStderr();
    EXPECT_EQ(RunScene({"info", "PLAN.FSF", "--depth", "24"}), 2);
    EXPECT_EQ(RunScene({"dump"}), 2);
    EXPECT_EQ(RunScene({"dump", "PLAN.FSF", "--bogus"}), 2);
    EXPECT_EQ(RunScene({"dump", "PLAN.FSF", "--depth", "16"}), 2);
    testing::internal::GetCapturedStderr();
    testing::internal::CaptureStdout();
    EXPECT_EQ(RunScene({"--help"}), 0);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("velatool scene dump"), std::string::npos);
}

// A path typed by the user is read where it points, and the file's folder is where its
// pictures are looked for, whatever the working folder.
TEST_F(SceneCommand, APathIsReadFromItsOwnFolder)
{
    FsfScene scene = SmallScene();
    FsfFlare flare;
    flare.name = "sun";
    flare.pictureName = "SUN.BMP";
    scene.flares = {flare};
    fs::create_directories(dir / "elsewhere" / "SCENE.DAT");
    fs::create_directories(dir / "work");
    WriteFileBytes(dir / "elsewhere" / "SCENE.FSF", WriteFsf(scene));
    fs::rename(dir / "WOOD.BMP", dir / "elsewhere" / "WOOD.BMP");
    WriteFileBytes(dir / "elsewhere" / "SCENE.DAT" / "SUN.BMP",
                   MakeBmp8(256, 256, std::vector<uint8_t>(256 * 256, 0), {0, 0, 0}));
    fs::current_path(dir / "work");

    const std::string absolute = (dir / "elsewhere" / "SCENE.FSF").string();
    for (const std::string& path : {absolute, std::string("../elsewhere/SCENE.FSF")}) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_EQ(RunScene({"info", path}), 0) << path;
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_NE(out.find("scene: " + path + "\n"), std::string::npos) << out;
        EXPECT_NE(out.find("flares: 1\n"), std::string::npos) << out;
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunScene({"render", absolute, "--out", "shot.png", "--size", "16x8"}), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(fs::exists(dir / "work" / "shot.png"));

    // The names inside the scene stay below its folder.
    scene.materials[0].textureName = "..\\WOOD.BMP";
    WriteFileBytes(dir / "elsewhere" / "SCENE.FSF", WriteFsf(scene));
    fs::copy(dir / "elsewhere" / "WOOD.BMP", dir / "WOOD.BMP");
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunScene({"info", absolute}), 1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("texture ..\\WOOD.BMP of material \"tex\"quoted\"\": "
                                                          "the name leads outside the scene's folders"),
              std::string::npos);
}

// Every way a scene can fail names the file at fault and what is wrong with it, and info prints
// no counts for a scene that cannot be set up.
TEST_F(SceneCommand, FailuresNameTheFileAtFaultAndItsProblem)
{
    const std::vector<uint8_t> plan = ReadFileBytes(dir / "PLAN.FSF");
    fs::create_directories(dir / "FOLDER.FSF");
    WriteFileBytes(dir / "EMPTY.FSF", {});
    WriteFileBytes(dir / "SHORT.FSF", {1, 0, 0});
    WriteFileBytes(dir / "TEXT.FSF", std::vector<uint8_t>(40, 'x'));
    WriteFileBytes(dir / "CUT.FSF", std::vector<uint8_t>(plan.begin(), plan.begin() + static_cast<long>(plan.size() / 2)));
    const std::vector<std::pair<std::string, std::string>> files = {
        {"NONE.FSF", "NONE.FSF: no such file"},
        {"FOLDER.FSF", "FOLDER.FSF: a directory, not a file"},
        {"EMPTY.FSF", "EMPTY.FSF: empty file"},
        {"SHORT.FSF", "SHORT.FSF: too short for a scene file (3 bytes)"},
        {"TEXT.FSF", "TEXT.FSF: not a scene file (it does not begin with a scene chunk)"},
        {"CUT.FSF", "CUT.FSF: truncated: the chunk at offset 0 needs " + std::to_string(plan.size()) +
                        " bytes, the file holds " + std::to_string(plan.size() / 2) + " from there"},
    };
    for (const auto& [file, message] : files) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(RunScene({"dump", file}), 1) << file;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "velatool scene dump: " + message + "\n");
    }

    // Pictures: the texture of the textured objects, then the flare pictures.
    auto failure = [&](const FsfScene& scene) {
        WriteFileBytes(dir / "PICS.FSF", WriteFsf(scene));
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_EQ(RunScene({"info", "PICS.FSF"}), 1);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "no counts for a scene that cannot be set up";
        return testing::internal::GetCapturedStderr();
    };
    const std::string prefix = "velatool scene info: PICS.FSF: ";
    const std::string material = " of material \"tex\"quoted\"\": ";
    WriteFileBytes(dir / "WOOD.BMP", {'B', 'M'});
    EXPECT_EQ(failure(SmallScene()), prefix + "texture WOOD.BMP" + material + "too short for a BMP header (2 bytes of 54)\n");
    WriteFileBytes(dir / "WOOD.BMP", MakeBmp24(256, 256, std::vector<uint8_t>(256 * 256 * 3, 9)));
    EXPECT_EQ(failure(SmallScene()), prefix + "texture WOOD.BMP" + material +
                                         "a 256x256 24-bit picture: a texture is an 8-bit picture 256 pixels wide and a "
                                         "whole number of 256-line frames high\n");
    fs::remove(dir / "WOOD.BMP");
    EXPECT_EQ(failure(SmallScene()),
              prefix + "texture WOOD.BMP" + material + "not found (looked for WOOD.BMP and PICS.DAT\\WOOD.BMP)\n");
    FsfScene unnamed = SmallScene();
    unnamed.materials[0].textureName.reset();
    EXPECT_EQ(failure(unnamed), prefix + "texture" + material + "the scene names no picture for it\n");

    // A texture only untextured objects use is never looked for; a flare's picture is.
    FsfScene flat = SmallScene();
    flat.objects[0].renderMode = 1;
    flat.objects[0].modeTrack.reset();
    flat.objects[1].renderMode = 1;
    FsfFlare flare;
    flare.name = "sun";
    flare.pictureName = "SUN.BMP";
    flat.flares = {flare};
    WriteFileBytes(dir / "SUN.BMP", MakeBmp8(256, 100, std::vector<uint8_t>(25600, 1), {1, 2, 3}));
    EXPECT_EQ(failure(flat), prefix + "flare picture SUN.BMP of flare \"sun\": a 256x100 8-bit picture: a flare picture "
                                      "is an 8-bit picture 256 pixels wide with a 256-line frame\n");
}
