// velatool module: info, syncs and render on modules written by the XM writer, from files and
// from archives; and the writer's modules in an independent player.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "formats/byte_order.h"
#include "formats/pack_writer.h"
#include "formats/xm_writer.h"
#include "platform/xm_test_modules.h"
#include "support/test_support.h"
#include "velatool/commands.h"
#include "velatool/xm_extent.h"

namespace {

namespace fs = std::filesystem;

int Module(std::initializer_list<std::string> words) { return RunWithWords(RunModuleCommand, "module", words); }

// Three orders (patterns 0, 1, 0) of 16 rows at 125 BPM, speed 6: 120 ms a row.
XmModule SongWithMarks()
{
    XmModule m = MakeTestModule(2, 16, 4);
    m.title = "marks";
    m.orders = {0, 1, 0};
    PutMark(m, 0, 0, 0, 255);
    PutNote(m, 0, 0, 1);
    PutMark(m, 1, 4, 3, 1);
    PutMark(m, 1, 10, 2, 3);
    return m;
}

class ModuleCommand : public ::testing::Test {
protected:
    fs::path dir;
    std::string P(const char* name) const { return (dir / name).string(); }
    void SetUp() override
    {
        dir = ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        WriteFileBytes(dir / "SONG.XM", WriteXm(SongWithMarks()));
    }
};

// A longer song: 24 patterns of 64 rows with notes in four channels, and two instruments.
XmModule LongSong()
{
    XmModule m = MakeTestModule(24, 64, 4);
    XmInstrument second;
    second.name = "second";
    second.samples.push_back(MakeSquareSample(3000, 20, 9000, false));
    m.instruments.push_back(second);
    m.instruments.push_back(XmInstrument{}); // an instrument without samples
    for (int p = 0; p < 24; ++p)
        for (int row = 0; row < 64; row += 2) PutNote(m, p, row, row % 4, static_cast<uint8_t>(30 + row % 24));
    return m;
}

std::string Captured(bool standardOutput)
{
    return standardOutput ? ::testing::internal::GetCapturedStdout() : ::testing::internal::GetCapturedStderr();
}

} // namespace

TEST_F(ModuleCommand, InfoAndSyncsDescribeOnePass)
{
    ::testing::internal::CaptureStdout();
    ASSERT_EQ(Module({"info", P("SONG.XM")}), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "title: marks\nchannels: 4\npatterns: 2\ninstruments: 1\norders: 3\nduration: 5.760 s\nsync marks: 3\n");

    ::testing::internal::CaptureStdout();
    ASSERT_EQ(Module({"syncs", P("SONG.XM")}), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "0.000 0 0 0 255\n"
              "2400.000 1 1 4 1\n"
              "3120.000 1 1 10 3\n"
              "3840.000 2 0 0 255\n");

    // The same from an archive, deflated.
    PackBuilder pack;
    AddPackEntry(&pack, "ZIK\\SONG.XM", WriteXm(SongWithMarks()), PackMethod::Deflate);
    WriteFileBytes(dir / "TEST.PAK", FinishPack(pack));
    ::testing::internal::CaptureStdout();
    ASSERT_EQ(Module({"syncs", "zik\\song.xm", "--pack", P("TEST.PAK")}), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout().substr(0, 16), "0.000 0 0 0 255\n");
}

TEST_F(ModuleCommand, RenderWritesTheWavAndPrintsEachMark)
{
    ::testing::internal::CaptureStdout();
    ASSERT_EQ(Module({"render", P("SONG.XM"), "--out", P("song.wav"), "--seconds", "3", "--rate", "48000"}), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "sync 255 at 0\nsync 1 at 115200\n");
    std::vector<uint8_t> wav = ReadFileBytes(dir / "song.wav");
    ASSERT_EQ(wav.size(), 44u + 3 * 48000 * 4);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(ReadLe32(wav.data() + 24), 48000u);
    EXPECT_EQ(ReadLe32(wav.data() + 40), 3u * 48000 * 4);
    bool sound = false;
    for (size_t i = 44; i < wav.size(); ++i) sound |= wav[i] != 0;
    EXPECT_TRUE(sound);

    // One pass by default, looped past its end with --seconds; silent at volume 0.
    ::testing::internal::CaptureStdout();
    ASSERT_EQ(Module({"render", P("SONG.XM"), "--out", P("pass.wav"), "--volume", "0"}), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "sync 255 at 0\nsync 1 at 105840\nsync 3 at 137592\nsync 255 at 169344\n");
    wav = ReadFileBytes(dir / "pass.wav");
    EXPECT_NEAR(static_cast<double>(wav.size() - 44) / 4, 5.76 * 44100, 4096);
    for (size_t i = 44; i < wav.size(); ++i) ASSERT_EQ(wav[i], 0);
}

TEST_F(ModuleCommand, BadInputGivesAClearErrorAndAFailingStatus)
{
    EXPECT_EQ(Module({"--help"}), 0);
    EXPECT_EQ(Module({}), 2);
    EXPECT_EQ(Module({"play", P("SONG.XM")}), 2);
    EXPECT_EQ(Module({"render", P("SONG.XM")}), 2);
    EXPECT_EQ(Module({"render", P("SONG.XM"), "--out", P("x.wav"), "--rate", "22050"}), 2);
    EXPECT_EQ(Module({"render", P("SONG.XM"), "--out", P("x.wav"), "--volume", "65"}), 2);
    EXPECT_EQ(Module({"render", P("SONG.XM"), "--out", P("x.wav"), "--seconds", "-1"}), 2);
    EXPECT_EQ(Module({"info", P("SONG.XM"), "--bogus"}), 2);

    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Module({"info", P("MISSING.XM")}), 1);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("MISSING.XM"), std::string::npos);
    WriteFileBytes(dir / "NOTXM.XM", std::vector<uint8_t>(300, 7));
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Module({"syncs", P("NOTXM.XM")}), 1);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("Not an XM module"), std::string::npos);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Module({"info", "ZIK\\NONE.XM", "--pack", P("NOPE.PAK")}), 1);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("NONE.XM"), std::string::npos);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Module({"render", P("SONG.XM"), "--out", P("no/such/dir/x.wav")}), 1);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("x.wav"), std::string::npos);

    // A module the player refuses (no channels) is said to be so once.
    std::vector<uint8_t> silent = WriteXm(SongWithMarks());
    silent[68] = silent[69] = 0;
    WriteFileBytes(dir / "NOCHANNELS.XM", silent);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Module({"info", P("NOCHANNELS.XM")}), 1);
    const std::string refused = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(refused.rfind("velatool module: " + P("NOCHANNELS.XM") + ": The player cannot read the module", 0), 0u)
        << refused;
    EXPECT_EQ(refused.find("cannot read the module", refused.find("cannot read the module") + 1), std::string::npos)
        << refused;
}

TEST(ModuleExtent, WholeModulesMeasureTheirLengthAndCutOnesTheFirstPartCutShort)
{
    for (const XmModule& m : {SongWithMarks(), LongSong(), MakeTestModule(1, 1, 1)}) {
        const std::vector<uint8_t> bytes = WriteXm(m);
        const XmExtent whole = MeasureXmModule(bytes.data(), bytes.size());
        EXPECT_TRUE(whole.measured);
        EXPECT_TRUE(whole.complete) << whole.cutShort;
        EXPECT_EQ(whole.needed, bytes.size());
    }
    const std::vector<uint8_t> bytes = WriteXm(SongWithMarks());
    const XmExtent cut = MeasureXmModule(bytes.data(), bytes.size() - 1);
    EXPECT_FALSE(cut.complete);
    EXPECT_EQ(cut.cutShort, "the samples of instrument 1");
    EXPECT_EQ(cut.needed, bytes.size());
    EXPECT_EQ(MeasureXmModule(bytes.data(), 100).cutShort, "the song header");
    EXPECT_EQ(MeasureXmModule(bytes.data(), 60 + 276 + 20).cutShort, "pattern 0");
    EXPECT_FALSE(MeasureXmModule(bytes.data(), 40).measured);
}

// A module that has lost its end is not described as if it were whole.
TEST_F(ModuleCommand, ATruncatedModuleIsRefusedAndRenderedOnlyWhenForced)
{
    const std::vector<uint8_t> whole = WriteXm(LongSong());
    ASSERT_GT(whole.size(), 10000u);
    WriteFileBytes(dir / "CUT.XM", std::vector<uint8_t>(whole.begin(), whole.begin() + 3000));
    for (const char* command : {"info", "syncs"}) {
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(Module({command, P("CUT.XM")}), 1) << command;
        EXPECT_EQ(Captured(true), "") << command << ": nothing is said about the song";
        const std::string err = Captured(false);
        EXPECT_NE(err.find(P("CUT.XM") + ": truncated: pattern "), std::string::npos) << err;
        EXPECT_NE(err.find("the file holds 3000)"), std::string::npos) << err;
    }
    // Cut within its samples, the module is told in words that agree.
    const std::vector<uint8_t> marked = WriteXm(SongWithMarks());
    WriteFileBytes(dir / "SHORT.XM", std::vector<uint8_t>(marked.begin(), marked.end() - 1));
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Module({"info", P("SHORT.XM")}), 1);
    const std::string shortError = Captured(false);
    EXPECT_NE(shortError.find(": truncated: the samples of instrument 1 end past the end of the file"), std::string::npos)
        << shortError;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Module({"render", P("CUT.XM"), "--out", P("cut.wav")}), 1);
    EXPECT_NE(Captured(false).find("truncated"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "cut.wav"));

    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Module({"render", P("CUT.XM"), "--out", P("cut.wav"), "--force", "--seconds", "1"}), 0);
    Captured(true);
    EXPECT_NE(Captured(false).find("warning: truncated"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(dir / "cut.wav").size(), 44u + 44100 * 4);

    // --force is for render only; a whole module renders without it.
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Module({"info", P("CUT.XM"), "--force"}), 2);
    Captured(false);
    WriteFileBytes(dir / "LONG.XM", whole);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(Module({"info", P("LONG.XM")}), 0);
    EXPECT_NE(Captured(true).find("patterns: 24\n"), std::string::npos);
}

// What is wrong with a file is said once, in its own words.
TEST_F(ModuleCommand, ProblemsWithTheFileAreNamedPlainly)
{
    fs::create_directories(dir / "FOLDER.XM");
    const std::vector<uint8_t> song = ReadFileBytes(dir / "SONG.XM");
    WriteFileBytes(dir / "HEAD.XM", std::vector<uint8_t>(song.begin(), song.begin() + 60));
    WriteFileBytes(dir / "EMPTY.XM", {});
    WriteFileBytes(dir / "NOTXM.XM", std::vector<uint8_t>(300, 7));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"FOLDER.XM", "FOLDER.XM: a directory, not a file\n"},
        {"HEAD.XM", "HEAD.XM: Not an XM module: too short: 60 bytes, where its headers alone take 80\n"},
        {"EMPTY.XM", "EMPTY.XM: empty file\n"},
        {"NOTXM.XM", "NOTXM.XM: Not an XM module: no \"Extended Module: \" signature\n"},
    };
    for (const auto& [file, message] : cases) {
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(Module({"info", P(file.c_str())}), 1) << file;
        EXPECT_EQ(Captured(false), "velatool module: " + (dir / message).string()) << file;
    }
}

TEST_F(ModuleCommand, ADashWritesTheWavToStandardOutputAndTheMarksToTheErrorStream)
{
    for (const std::vector<std::string>& length : {std::vector<std::string>{}, {"--seconds", "2"}}) {
        std::vector<std::string> words = {"render", P("SONG.XM"), "--out", "-", "--volume", "0"};
        words.insert(words.end(), length.begin(), length.end());
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        ASSERT_EQ(RunWithWords(RunModuleCommand, "module", words), 0);
        const std::string wav = Captured(true);
        const std::string marks = Captured(false);
        EXPECT_EQ(marks.substr(0, 14), "sync 255 at 0\n");
        ASSERT_GT(wav.size(), 44u);
        EXPECT_EQ(wav.substr(0, 4), "RIFF");
        // The header, written before the samples, gives their length exactly.
        const auto* header = reinterpret_cast<const uint8_t*>(wav.data());
        EXPECT_EQ(ReadLe32(header + 40), wav.size() - 44);
        EXPECT_EQ(ReadLe32(header + 4), wav.size() - 8);
        if (!length.empty()) {
            EXPECT_EQ(wav.size() - 44, 2u * 44100 * 4);
        }
    }
    EXPECT_FALSE(fs::exists("-"));
}

TEST_F(ModuleCommand, SyncsSaysWhenThereAreNoMarks)
{
    WriteFileBytes(dir / "PLAIN.XM", WriteXm(MakeTestModule(1, 8, 2)));
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(Module({"syncs", P("PLAIN.XM")}), 0);
    EXPECT_EQ(Captured(true), "no sync marks in one pass\n");
}

TEST(ModuleWriter, ModulesPlayInAnIndependentPlayer)
{
    // 8- and 16-bit samples, forward and ping-pong loops, volume and panning envelopes.
    XmModule m = MakeTestModule(2, 32, 4);
    XmInstrument eight;
    eight.name = "eight";
    XmSample s8 = MakeSquareSample(1000, 50, 90, false);
    s8.loopType = kXmPingPongLoop;
    s8.loopStart = 100;
    s8.loopLength = 500;
    eight.samples.push_back(s8);
    eight.volumeEnvelope.on = true;
    eight.volumeEnvelope.sustainOn = true;
    eight.volumeEnvelope.sustainPoint = 1;
    eight.volumeEnvelope.points = {0, 64, 10, 40, 40, 0};
    eight.panningEnvelope.on = true;
    eight.panningEnvelope.points = {0, 0, 20, 64};
    eight.fadeout = 512;
    m.instruments.push_back(eight);
    for (int row = 0; row < 32; row += 4) {
        PutNote(m, 0, row, 0, static_cast<uint8_t>(40 + row / 4));
        m.patterns[1].At(row, 2) = XmCell{static_cast<uint8_t>(50 + row / 4), 2, 0x30, 0, 0};
    }
    PutMark(m, 0, 8, 3, 1);
    const fs::path dir = ScratchDir("module-writer-xmp");
    WriteFileBytes(dir / "WRITER.XM", WriteXm(m));

    // libopenmpt, through the show's own library.
    ::testing::internal::CaptureStdout();
    ASSERT_EQ(Module({"info", (dir / "WRITER.XM").string()}), 0);
    EXPECT_NE(::testing::internal::GetCapturedStdout().find("instruments: 2\n"), std::string::npos);

    if (std::system("command -v xmp >/dev/null 2>&1") != 0) GTEST_SKIP() << "xmp is not installed";
    const std::string command = "xmp --norc -q -d wav -o '" + (dir / "xmp.wav").string() + "' '" +
                                (dir / "WRITER.XM").string() + "' >'" + (dir / "xmp.log").string() + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::vector<uint8_t> log = ReadFileBytes(dir / "xmp.log");
    EXPECT_EQ(std::string(log.begin(), log.end()).find("nrecognized"), std::string::npos);
    std::vector<uint8_t> wav = ReadFileBytes(dir / "xmp.wav");
    ASSERT_GT(wav.size(), 44u + 44100u * 4);
    size_t loud = 0;
    for (size_t i = 44; i + 1 < wav.size(); i += 2) {
        const int16_t v = static_cast<int16_t>(wav[i] | wav[i + 1] << 8);
        if (v > 1000 || v < -1000) ++loud;
    }
    EXPECT_GT(loud, 10000u);
}
