// Every velatool subcommand that reads a file, given each kind of bad file in turn (empty, cut
// short, a directory, random bytes, and sound files with header fields at their extremes): it
// ends with status 1 and one message naming the file, never a crash or a hang. Extreme fields a
// format can take at face value may also be accepted (status 0).
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "formats/bmp_writer.h"
#include "formats/byte_order.h"
#include "formats/pack_writer.h"
#include "formats/png_file.h"
#include "formats/scene_writer.h"
#include "formats/xm_writer.h"
#include "platform/xm_test_modules.h"
#include "support/test_support.h"
#include "velatool/commands.h"

namespace {

namespace fs = std::filesystem;

enum class Format { Pack, Bmp, Scene, Module, Png };

struct Command {
    int (*run)(int, char**);
    const char* name;
    Format format;
    // The words after the command's name, with the input's path in place of "@".
    std::vector<std::string> words;
};

struct BadFile {
    std::string label;
    std::vector<uint8_t> bytes;
    bool directory = false;
    bool mayBeAccepted = false; // extreme fields that the format can take as they are
};

std::vector<uint8_t> Set32(std::vector<uint8_t> v, size_t at, uint32_t value)
{
    if (at + 4 <= v.size()) StoreLe32(v.data() + at, value);
    return v;
}
std::vector<uint8_t> Set16(std::vector<uint8_t> v, size_t at, uint16_t value)
{
    if (at + 2 <= v.size()) StoreLe16(v.data() + at, value);
    return v;
}

std::vector<uint8_t> SoundFile(Format format, const fs::path& scratch)
{
    switch (format) {
    case Format::Pack: {
        PackBuilder pack;
        AddPackEntry(&pack, "A.BIN", std::vector<uint8_t>(3000, 7), PackMethod::Deflate);
        AddPackEntry(&pack, "B.BIN", {1, 2, 3}, PackMethod::Store);
        return FinishPack(pack);
    }
    case Format::Bmp: return MakeBmp8(16, 8, std::vector<uint8_t>(16 * 8, 1), {10, 20, 30, 40, 50, 60});
    case Format::Scene: {
        FsfScene s;
        s.info = std::array<int32_t, 3>{0, 0, 100};
        FsfCamera camera;
        camera.positionTrack = FsfVectorTrack{0, {MakeVectorKey(0, {0, -100, 0})}};
        camera.targetTrack = FsfVectorTrack{0, {MakeVectorKey(0, {0, 0, 0})}};
        s.cameras = {camera};
        FsfObject o;
        o.name = "tri";
        o.number = 1;
        o.vertices = std::vector<Vec3>{{0, 0, 0}, {10, 0, 0}, {10, 0, 10}};
        o.faces = std::vector<FsfFace>{{0, 0, 1, 2}};
        s.objects = {o};
        s.materials = {FsfMaterial{}};
        s.events = std::vector<FsfEvent>{MakeCameraEvent(0, 0)};
        return WriteFsf(s);
    }
    case Format::Module: {
        XmModule m = MakeTestModule(2, 16);
        PutNote(m, 0, 0, 0);
        PutMark(m, 1, 4, 1, 3);
        return WriteXm(m);
    }
    case Format::Png: {
        RgbImage image{8, 4, std::vector<uint8_t>(8 * 4 * 3, 90)};
        std::string error;
        WritePng((scratch / "sound.png").string(), image, &error);
        return ReadFileBytes(scratch / "sound.png");
    }
    }
    return {};
}

// Header fields at their extremes, per format.
std::vector<BadFile> ExtremeFiles(Format format, const std::vector<uint8_t>& sound)
{
    std::vector<BadFile> files;
    const auto add = [&](const char* label, std::vector<uint8_t> bytes, bool mayBeAccepted = false) {
        files.push_back({label, std::move(bytes), false, mayBeAccepted});
    };
    const size_t n = sound.size();
    switch (format) {
    case Format::Pack:
        add("record count 2^32-1", Set32(sound, n - 8, 0xFFFFFFFFu));
        add("directory offset 2^32-1", Set32(sound, n - 4, 0xFFFFFFFFu));
        add("directory offset 0", Set32(sound, n - 4, 0));
        break;
    case Format::Bmp:
        add("width 2^31-1", Set32(sound, 18, 0x7FFFFFFFu));
        add("height -2^31", Set32(sound, 22, 0x80000000u));
        add("height 0", Set32(sound, 22, 0));
        add("65535 bits per pixel", Set16(sound, 28, 0xFFFF));
        add("2^32-1 palette entries", Set32(sound, 46, 0xFFFFFFFFu));
        add("pixel offset 2^32-1", Set32(sound, 10, 0xFFFFFFFFu));
        add("header size 2^32-1", Set32(sound, 14, 0xFFFFFFFFu), true); // the reader goes by the pixel offset
        break;
    case Format::Scene:
        add("first chunk length 2^32-1", Set32(sound, 4, 0xFFFFFFFFu));
        add("first chunk length 2^31", Set32(sound, 4, 0x80000000u));
        add("first chunk id 2^32-1", Set32(sound, 0, 0xFFFFFFFFu), true); // unknown chunks are skipped
        add("second word 2^32-1", Set32(sound, 12, 0xFFFFFFFFu));
        add("third word 2^32-1", Set32(sound, 16, 0xFFFFFFFFu), true);
        break;
    case Format::Module:
        add("header size 2^32-1", Set32(sound, 60, 0xFFFFFFFFu));
        add("song length 65535", Set16(sound, 64, 0xFFFF), true);
        add("65535 channels", Set16(sound, 68, 0xFFFF), true);
        add("65535 patterns", Set16(sound, 70, 0xFFFF));
        add("65535 instruments", Set16(sound, 72, 0xFFFF));
        add("tempo 65535", Set16(sound, 76, 0xFFFF), true);
        break;
    case Format::Png:
        add("width 2^31-1", Set32(sound, 16, 0xFFFFFF7Fu)); // big-endian field: 0x7FFFFFFF
        add("height 0", Set32(sound, 20, 0));
        break;
    }
    return files;
}

std::vector<BadFile> BadFiles(Format format, const fs::path& scratch)
{
    const std::vector<uint8_t> sound = SoundFile(format, scratch);
    std::mt19937 random(1234 + static_cast<int>(format));
    std::vector<uint8_t> noise(4096);
    for (uint8_t& b : noise) b = static_cast<uint8_t>(random());
    std::vector<BadFile> files = {
        {"empty", {}},
        {"a directory", {}, true},
        {"random bytes", noise},
        {"cut to half", std::vector<uint8_t>(sound.begin(), sound.begin() + sound.size() / 2)},
        {"cut to 10 bytes", std::vector<uint8_t>(sound.begin(), sound.begin() + 10)},
    };
    for (BadFile& f : ExtremeFiles(format, sound)) files.push_back(std::move(f));
    return files;
}

TEST(BadInputSweep, EverySubcommandRefusesEveryKindOfBadFileWithItsName)
{
    const fs::path dir = ScratchDir("bad-input-sweep");
    const std::string out = (dir / "out").string();
    const std::vector<Command> commands = {
        {RunPakCommand, "pak", Format::Pack, {"list", "@"}},
        {RunPakCommand, "pak", Format::Pack, {"verify", "@"}},
        {RunPakCommand, "pak", Format::Pack, {"extract", "@", "A.BIN", "-o", out + ".bin"}},
        {RunPictureCommand, "picture", Format::Bmp, {"info", "@"}},
        {RunPictureCommand, "picture", Format::Bmp, {"topng", "@", out + ".png"}},
        {RunPictureCommand, "picture", Format::Bmp, {"contact", out + ".png", "@"}},
        {RunSceneCommand, "scene", Format::Scene, {"dump", "@"}},
        {RunSceneCommand, "scene", Format::Scene, {"info", "@"}},
        {RunSceneCommand, "scene", Format::Scene, {"render", "@", "--out", out + ".png", "--size", "64x48"}},
        {RunSceneCommand, "scene", Format::Scene, {"contact", "@", "--out", out + ".png", "--frames", "0:50:50"}},
        {RunSceneCommand, "scene", Format::Scene, {"bench", "@", "--frames", "2", "--size", "64x48"}},
        {RunModuleCommand, "module", Format::Module, {"info", "@"}},
        {RunModuleCommand, "module", Format::Module, {"syncs", "@"}},
        {RunModuleCommand, "module", Format::Module, {"render", "@", "--out", out + ".wav", "--seconds", "1"}},
        {RunEffectCommand, "effect", Format::Png, {"fill", "--view", "@", "--out", out + ".png", "--rgb", "1,2,3"}},
        {RunEffectCommand, "effect", Format::Bmp,
         {"mask-fade-add", "--view", (dir / "view.png").string(), "--mask", "@", "--out", out + ".png", "--level", "9"}},
        {RunEffectCommand, "effect", Format::Bmp,
         {"sprite", "--view", (dir / "view.png").string(), "--sprite", "@", "--at", "0,0", "--out", out + ".png"}},
    };
    std::string error;
    ASSERT_TRUE(WritePng((dir / "view.png").string(), RgbImage{320, 180, std::vector<uint8_t>(320 * 180 * 3, 40)}, &error));

    int32_t runs = 0;
    for (const Command& command : commands) {
        const std::vector<BadFile> files = BadFiles(command.format, dir);
        for (size_t i = 0; i < files.size(); ++i) {
            const BadFile& file = files[i];
            const fs::path input = dir / ("input" + std::to_string(i) + (file.directory ? ".d" : ".bad"));
            fs::remove_all(input);
            if (file.directory) fs::create_directory(input);
            else WriteFileBytes(input, file.bytes);
            std::vector<std::string> words = command.words;
            for (std::string& w : words)
                if (w == "@") w = input.string();
            const std::string what = std::string(command.name) + " " + command.words[0] + " on " + file.label;

            testing::internal::CaptureStdout();
            testing::internal::CaptureStderr();
            const int status = RunWithWords(command.run, command.name, words);
            testing::internal::GetCapturedStdout();
            const std::string err = testing::internal::GetCapturedStderr();
            ++runs;
            if (status == 0 && file.mayBeAccepted) continue;
            EXPECT_EQ(status, 1) << what << ": " << err;
            EXPECT_NE(err.find(input.filename().string()), std::string::npos) << what << ": " << err;
            EXPECT_NE(err.find(std::string("velatool ") + command.name), std::string::npos) << what << ": " << err;
        }
    }
    EXPECT_GT(runs, 150);
}

} // namespace
