// velatool scene render and scene bench, in process, on scenes made with the scene writer.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "formats/pack_writer.h"
#include "formats/png_file.h"
#include "formats/scene_writer.h"
#include "support/bench_scene.h"
#include "support/test_support.h"
#include "velatool/commands.h"

namespace {

namespace fs = std::filesystem;

int Scene(std::initializer_list<std::string> words) { return RunWithWords(RunSceneCommand, "scene", words); }

// Runs the command with stderr captured; returns the exit status and keeps the text.
int Quiet(std::initializer_list<std::string> words, std::string* err = nullptr)
{
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    const int status = Scene(words);
    testing::internal::GetCapturedStdout();
    const std::string text = testing::internal::GetCapturedStderr();
    if (err) *err = text;
    return status;
}

// A scene that only clears the view to one background colour.
std::vector<uint8_t> BackgroundScene(int r, int g, int b)
{
    FsfScene s;
    s.info = std::array<int32_t, 3>{0, 0, 100};
    s.cameras = {FsfCamera{}};
    s.events = std::vector<FsfEvent>{MakeBackgroundEvent(0, r, g, b)};
    return WriteFsf(s);
}

class SceneRender : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        previous = fs::current_path();
        fs::current_path(dir);
        ASSERT_TRUE(WriteBenchScene(dir));
        WriteFileBytes(dir / "PLAIN.FSF", BackgroundScene(200, 100, 50));
    }
    void TearDown() override { fs::current_path(previous); }

    RgbImage Read(const std::string& path)
    {
        RgbImage image;
        std::string error;
        EXPECT_TRUE(ReadPng(path, &image, &error)) << error;
        return image;
    }

    fs::path dir, previous;
};

// Pixels that differ from the first one.
int CountNotLike(const RgbImage& image, const uint8_t rgb[3])
{
    int n = 0;
    for (size_t i = 0; i + 2 < image.rgb.size(); i += 3) {
        if (image.rgb[i] != rgb[0] || image.rgb[i + 1] != rgb[1] || image.rgb[i + 2] != rgb[2]) ++n;
    }
    return n;
}

} // namespace

TEST_F(SceneRender, WritesTheViewWithChannelsWidenedByBitReplication)
{
    ASSERT_EQ(Quiet({"render", "PLAIN.FSF", "--out", "a.png"}), 0);
    RgbImage a = Read("a.png");
    ASSERT_EQ(a.width, 320);
    ASSERT_EQ(a.height, 180);
    // 200, 100, 50 packed as 5-6-5 is 25, 25, 6; widened 206, 101, 49 everywhere.
    const uint8_t at16[3] = {206, 101, 49};
    EXPECT_EQ(CountNotLike(a, at16), 0);

    ASSERT_EQ(Quiet({"render", "PLAIN.FSF", "--out", "b.png", "--depth", "15", "--size", "64x48", "--frame", "12.5"}), 0);
    RgbImage b = Read("b.png");
    ASSERT_EQ(b.width, 64);
    ASSERT_EQ(b.height, 48);
    const uint8_t at15[3] = {206, 99, 49}; // green has 5 bits here: 12 -> 99
    EXPECT_EQ(CountNotLike(b, at15), 0);
}

TEST_F(SceneRender, DrawsTheSceneAndTheChosenCamera)
{
    // The bench scene switches its camera on at frame 0: the grid covers the whole view.
    ASSERT_EQ(Quiet({"render", kBenchSceneName, "--out", "grid.png", "--size", "96x54"}), 0);
    const RgbImage grid = Read("grid.png");
    const uint8_t black[3] = {0, 0, 0};
    EXPECT_EQ(CountNotLike(grid, black), 96 * 54) << "every pixel of the view shows the grid";

    // Without the camera event only the clear is drawn, unless --camera names the camera.
    FsfScene s = MakeBenchScene();
    s.events = std::vector<FsfEvent>{MakeLightEvent(0, 0)};
    WriteFileBytes(dir / "NOCAM.FSF", WriteFsf(s));
    ASSERT_EQ(Quiet({"render", "NOCAM.FSF", "--out", "none.png", "--size", "96x54"}), 0);
    EXPECT_EQ(CountNotLike(Read("none.png"), black), 0);
    ASSERT_EQ(Quiet({"render", "NOCAM.FSF", "--out", "cam.png", "--size", "96x54", "--camera", "0"}), 0);
    EXPECT_EQ(CountNotLike(Read("cam.png"), black), 96 * 54);

    std::string err;
    EXPECT_EQ(Quiet({"render", "NOCAM.FSF", "--out", "x.png", "--camera", "1"}, &err), 1);
    EXPECT_NE(err.find("--camera 1: NOCAM.FSF has 1 camera"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists("x.png"));
}

TEST_F(SceneRender, SeriesAreNumberedInOrder)
{
    ASSERT_EQ(Quiet({"render", "PLAIN.FSF", "--frames", "0:20:10", "--out", "shot.PNG", "--size", "16x8"}), 0);
    EXPECT_TRUE(fs::exists("shot-00000.png"));
    EXPECT_TRUE(fs::exists("shot-00001.png"));
    EXPECT_TRUE(fs::exists("shot-00002.png"));
    EXPECT_FALSE(fs::exists("shot-00003.png"));
    EXPECT_FALSE(fs::exists("shot.PNG"));

    // A step that does not divide the range stops at the last frame not beyond the end; a
    // name without the extension gets one.
    ASSERT_EQ(Quiet({"render", "PLAIN.FSF", "--frames", "1:2:0.3", "--out", "part", "--size", "16x8"}), 0);
    EXPECT_TRUE(fs::exists("part-00003.png"));
    EXPECT_FALSE(fs::exists("part-00004.png"));
    ASSERT_EQ(Quiet({"render", "PLAIN.FSF", "--frames", "5:5:1", "--out", "one.png", "--size", "16x8"}), 0);
    EXPECT_TRUE(fs::exists("one-00000.png"));
    EXPECT_FALSE(fs::exists("one-00001.png"));
}

TEST_F(SceneRender, BadOptionsAreUsageErrors)
{
    const std::vector<std::vector<std::string>> cases = {
        {"render", "PLAIN.FSF"},                                   // no --out
        {"render", "--out", "a.png"},                              // no scene
        {"render", "PLAIN.FSF", "--out", "a.png", "--size", "320"},
        {"render", "PLAIN.FSF", "--out", "a.png", "--size", "0x10"},
        {"render", "PLAIN.FSF", "--out", "a.png", "--size", "321x180"},
        {"render", "PLAIN.FSF", "--out", "a.png", "--size", "320x1025"},
        {"render", "PLAIN.FSF", "--out", "a.png", "--size", "99999999999x2"},
        {"render", "PLAIN.FSF", "--out", "a.png", "--depth", "24"},
        {"render", "PLAIN.FSF", "--out", "a.png", "--frame", "ten"},
        {"render", "PLAIN.FSF", "--out", "a.png", "--frame", "nan"},
        {"render", "PLAIN.FSF", "--out", "a.png", "--frame", "1e99"},
        {"render", "PLAIN.FSF", "--out", "a.png", "--frame"},
        {"render", "PLAIN.FSF", "--out", "a.png", "--camera", "-1"},
        {"render", "PLAIN.FSF", "--out", "a.png", "--frames", "5:1:1"},
        {"render", "PLAIN.FSF", "--out", "a.png", "--frames", "0:1:0"},
        {"render", "PLAIN.FSF", "--out", "a.png", "--frames", "0:1"},
        {"render", "PLAIN.FSF", "--out", "a.png", "--frames", "0:1e9:1"},
        {"render", "PLAIN.FSF", "--out", "a.png", "--frame", "1", "--frames", "0:1:1"},
        {"render", "PLAIN.FSF", "--out", "a.png", "--bogus"},
        {"render", "PLAIN.FSF", "--out", "a.png", "--fill", "1,2"},
        {"render", "PLAIN.FSF", "--out", "a.png", "--fill", "1,2,256"},
        {"render", "PLAIN.FSF", "--out", "a.png", "--overlay", "-1"},
        {"render", "PLAIN.FSF", "--out", "a.png", "--zoom", "2"},
        {"render", "PLAIN.FSF", "--out", "-", "--frames", "0:1:1"},
        {"contact", "PLAIN.FSF"},
        {"contact", "PLAIN.FSF", "--out", "a.png", "--columns", "0"},
        {"contact", "PLAIN.FSF", "--out", "a.png", "--zoom", "9"},
        {"contact", "PLAIN.FSF", "--out", "a.png", "--frames", "0:100000:1"},
        {"contact", "PLAIN.FSF", "--out", "a.png", "--frame", "1"},
        {"bench", "PLAIN.FSF", "--frames", "0"},
        {"bench", "PLAIN.FSF", "--frames", "2.5"},
        {"bench", "PLAIN.FSF", "--camera", "0"},
        {"bench", "PLAIN.FSF", "--out", "a.png"},
        {"bench", "PLAIN.FSF", "--range", "5"},
        {"bench", "PLAIN.FSF", "--range", "5:1"},
        {"bench", "PLAIN.FSF", "--repeat", "0"},
    };
    for (const auto& words : cases) {
        std::vector<std::string> storage = {"scene"};
        storage.insert(storage.end(), words.begin(), words.end());
        std::vector<char*> argv;
        for (std::string& w : storage) argv.push_back(w.data());
        testing::internal::CaptureStderr();
        const int status = RunSceneCommand(static_cast<int>(argv.size()), argv.data());
        const std::string err = testing::internal::GetCapturedStderr();
        std::string joined;
        for (const auto& w : words) joined += w + " ";
        EXPECT_EQ(status, 2) << joined;
        EXPECT_NE(err.find("see 'velatool scene " + words[0] + " --help'"), std::string::npos) << joined << err;
    }
    EXPECT_FALSE(fs::exists("a.png"));

    testing::internal::CaptureStdout();
    EXPECT_EQ(Scene({"render", "--help"}), 0);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("FILE-00000.png"), std::string::npos);
    testing::internal::CaptureStdout();
    EXPECT_EQ(Scene({"bench", "--help"}), 0);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("pixels written per second"), std::string::npos);
}

// A scene that keeps the view: its background event has red -1 and it draws nothing.
std::vector<uint8_t> KeepingScene()
{
    FsfScene s;
    s.info = std::array<int32_t, 3>{0, 0, 40};
    s.cameras = {FsfCamera{}, FsfCamera{}};
    s.events = std::vector<FsfEvent>{MakeBackgroundEvent(0, -1, 0, 0)};
    return WriteFsf(s);
}

TEST_F(SceneRender, ContactSheetsTileTheFramesInRows)
{
    ASSERT_EQ(Quiet({"contact", "PLAIN.FSF", "--out", "sheet.png", "--size", "16x8"}), 0);
    // 0 .. 100 every 50 frames: three tiles in one row, 2-pixel grey borders round each.
    RgbImage sheet = Read("sheet.png");
    EXPECT_EQ(sheet.width, 3 * (16 + 2) + 2);
    EXPECT_EQ(sheet.height, 8 + 4);
    const uint8_t grey[3] = {64, 64, 64};
    const uint8_t colour[3] = {206, 101, 49};
    auto at = [&](const RgbImage& image, int x, int y) {
        const size_t i = (static_cast<size_t>(y) * image.width + x) * 3;
        return std::vector<uint8_t>(image.rgb.begin() + static_cast<long>(i), image.rgb.begin() + static_cast<long>(i) + 3);
    };
    EXPECT_EQ(at(sheet, 0, 0), std::vector<uint8_t>(grey, grey + 3));
    EXPECT_EQ(at(sheet, 19, 5), std::vector<uint8_t>(grey, grey + 3));
    EXPECT_EQ(at(sheet, 2, 2), std::vector<uint8_t>(colour, colour + 3));
    EXPECT_EQ(at(sheet, 53, 9), std::vector<uint8_t>(colour, colour + 3));

    // Five frames, two to a row, each pixel shown 2 x 2: three rows, the last one half empty.
    ASSERT_EQ(Quiet({"contact", "PLAIN.FSF", "--out", "z.png", "--size", "8x4", "--frames", "0:4:1", "--columns", "2",
                     "--zoom", "2"}),
              0);
    sheet = Read("z.png");
    EXPECT_EQ(sheet.width, 2 * (16 + 2) + 2);
    EXPECT_EQ(sheet.height, 3 * (8 + 2) + 2);
    EXPECT_EQ(at(sheet, 20 + 15, 12 + 7), std::vector<uint8_t>(colour, colour + 3)) << "the fourth tile";
    EXPECT_EQ(at(sheet, 20 + 5, 22 + 5), std::vector<uint8_t>(grey, grey + 3)) << "no sixth tile";

    testing::internal::CaptureStdout();
    EXPECT_EQ(Scene({"contact", "--help"}), 0);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("--columns N"), std::string::npos);
}

TEST_F(SceneRender, FillAndOverlayDrawAsThePartDoes)
{
    WriteFileBytes(dir / "KEEP.FSF", KeepingScene());
    // The scene keeps the view, so the fill shows; the overlay camera draws nothing either.
    ASSERT_EQ(Quiet({"render", "KEEP.FSF", "--out", "k.png", "--size", "8x4", "--fill", "0,255,0", "--overlay", "1"}), 0);
    const uint8_t green[3] = {0, 255, 0};
    EXPECT_EQ(CountNotLike(Read("k.png"), green), 0);
    // A scene that clears covers the fill.
    ASSERT_EQ(Quiet({"render", "PLAIN.FSF", "--out", "p.png", "--size", "8x4", "--fill", "0,255,0"}), 0);
    EXPECT_EQ(CountNotLike(Read("p.png"), green), 8 * 4);

    std::string err;
    EXPECT_EQ(Quiet({"contact", "KEEP.FSF", "--out", "x.png", "--overlay", "2"}, &err), 1);
    EXPECT_NE(err.find("--overlay 2: KEEP.FSF has 2 cameras"), std::string::npos) << err;
}

TEST_F(SceneRender, FailuresNameTheFile)
{
    std::string err;
    EXPECT_EQ(Quiet({"render", "NOPE.FSF", "--out", "a.png"}, &err), 1);
    EXPECT_NE(err.find("velatool scene render: NOPE.FSF: no such file"), std::string::npos) << err;
    EXPECT_EQ(Quiet({"bench", "PLAIN.FSF", "--pack", "MISSING.PAK"}, &err), 1);
    EXPECT_NE(err.find("MISSING.PAK: cannot open the archive (no such file)"), std::string::npos) << err;
    WriteFileBytes(dir / "JUNK.PAK", std::vector<uint8_t>(100, 3));
    EXPECT_EQ(Quiet({"bench", "PLAIN.FSF", "--pack", "JUNK.PAK"}, &err), 1);
    EXPECT_NE(err.find("JUNK.PAK: damaged archive directory"), std::string::npos) << err;

    // A texture that cannot be read fails the engine set-up, with the picture's name.
    fs::remove(dir / kBenchTextureName);
    EXPECT_EQ(Quiet({"render", kBenchSceneName, "--out", "a.png"}, &err), 1);
    EXPECT_NE(err.find("texture BENCHTEX.BMP"), std::string::npos) << err;
    EXPECT_NE(err.find("not found"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists("a.png"));

    EXPECT_EQ(Quiet({"render", "PLAIN.FSF", "--out", "no/such/folder/a.png"}, &err), 1);
    EXPECT_NE(err.find("no/such/folder/a.png"), std::string::npos) << err;

    // Everything was released: the next command runs as if first.
    EXPECT_EQ(Quiet({"render", "PLAIN.FSF", "--out", "after.png", "--size", "8x8"}), 0);
}

TEST_F(SceneRender, FromAnArchive)
{
    PackBuilder pack;
    AddPackEntry(&pack, "SCENES\\BENCH\\BENCH.FSF", WriteFsf(MakeBenchScene()), PackMethod::Deflate);
    AddPackEntry(&pack, "SCENES\\BENCH\\BENCHTEX.BMP", MakeBenchTexture(), PackMethod::Deflate);
    fs::create_directories(dir / "pak");
    WriteFileBytes(dir / "pak" / "VELA.PAK", FinishPack(pack));
    ASSERT_EQ(Quiet({"render", "scenes\\bench\\bench.fsf", "--pack", (dir / "pak" / "VELA.PAK").string(), "--out",
                     "p.png", "--size", "32x18"}),
              0);
    const uint8_t black[3] = {0, 0, 0};
    EXPECT_EQ(CountNotLike(Read("p.png"), black), 32 * 18);
}

TEST_F(SceneRender, BenchPrintsItsFiveFigures)
{
    testing::internal::CaptureStdout();
    ASSERT_EQ(Scene({"bench", kBenchSceneName, "--frames", "3", "--size", "64x36", "--depth", "15"}), 0);
    const std::string out = testing::internal::GetCapturedStdout();
    auto figure = [&](const std::string& label) {
        const size_t at = out.find(label + ": ");
        EXPECT_NE(at, std::string::npos) << label << " in\n" << out;
        return at == std::string::npos ? 0.0 : std::stod(out.substr(at + label.size() + 2));
    };
    const double fps = figure("frames per second");
    const double mean = figure("mean microseconds per frame");
    const double median = figure("median microseconds per frame");
    const double worst = figure("worst microseconds per frame");
    const double pixels = figure("pixels written per second");
    EXPECT_GT(fps, 0);
    EXPECT_GE(worst, mean);
    EXPECT_GE(worst, median);
    EXPECT_NEAR(fps * mean, 1e6, 1e6 * 0.01);
    EXPECT_NEAR(pixels / fps, 64.0 * 36.0, 64.0 * 36.0 * 0.01);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 5);

    // The slowest frames follow, from a range of frames, each timed by its median of three;
    // the overlay draws every frame twice.
    testing::internal::CaptureStdout();
    ASSERT_EQ(Scene({"bench", kBenchSceneName, "--frames", "4", "--size", "64x36", "--range", "10:20", "--repeat", "3",
                     "--slowest", "2", "--overlay", "0"}),
              0);
    const std::string more = testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::count(more.begin(), more.end(), '\n'), 7) << more;
    for (size_t at = 0; (at = more.find("slow frame ", at)) != std::string::npos; ++at) {
        const double frame = std::stod(more.substr(at + 11));
        EXPECT_GE(frame, 10.0);
        EXPECT_LT(frame, 20.0);
    }
    const size_t pixelsAt = more.find("pixels written per second: "), fpsAt = more.find("frames per second: ");
    ASSERT_NE(pixelsAt, std::string::npos);
    EXPECT_NEAR(std::stod(more.substr(pixelsAt + 27)) / std::stod(more.substr(fpsAt + 19)), 2 * 64.0 * 36.0, 64.0 * 36.0 * 0.02);
}
