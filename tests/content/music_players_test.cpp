// Each module of the pack loads and plays to its end in the independent players Debian ships,
// openmpt123 and xmp, rendered to WAV files whose length is the module's pass.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/sound_library.h"
#include "resources/pack_archive.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

const char* const kModules[] = {"ZIK\\VELA1.XM", "ZIK\\VELA2.XM", "ZIK\\VELA3.XM"};

bool HasProgram(const std::string& name) { return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0; }

std::vector<uint8_t> ModuleFromPack(const char* name)
{
    OpenPack(VELA_CONTENT_PACK);
    std::vector<uint8_t> bytes(PackEntrySize(name));
    if (!bytes.empty() && ReadPackEntry(name, bytes.data(), 0, static_cast<uint32_t>(bytes.size())) != 0) bytes.clear();
    ClosePack();
    return bytes;
}

// One pass in seconds, as the show's own library measures it.
double PassSeconds(const std::vector<uint8_t>& bytes)
{
    SoundStartup();
    SoundSetOption(kSoundOptionOffline, 1);
    double seconds = 0.0;
    if (SoundInit()) {
        if (SoundModule* m = SoundLoadModuleFromMemory(bytes.data(), static_cast<uint32_t>(bytes.size()))) {
            seconds = SoundModuleInfo(m)->durationSeconds;
        }
    }
    SoundClose();
    return seconds;
}

uint32_t Read32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// Seconds of sound in a PCM WAV file, or -1 when it is not one.
double WavSeconds(const fs::path& path)
{
    const std::vector<uint8_t> b = ReadFileBytes(path);
    if (b.size() < 44 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0) return -1.0;
    uint32_t byteRate = 0;
    for (size_t at = 12; at + 8 <= b.size();) {
        const uint32_t size = Read32(b, at + 4);
        if (std::memcmp(b.data() + at, "fmt ", 4) == 0) byteRate = Read32(b, at + 16);
        if (std::memcmp(b.data() + at, "data", 4) == 0) {
            const size_t bytes = std::min<size_t>(size, b.size() - at - 8);
            return byteRate ? static_cast<double>(bytes) / byteRate : -1.0;
        }
        at += 8 + size + (size & 1);
    }
    return -1.0;
}

// Writes each module into the folder; gives the files with their pass lengths.
std::vector<std::pair<fs::path, double>> ExtractModules(const fs::path& dir)
{
    std::vector<std::pair<fs::path, double>> files;
    for (const char* name : kModules) {
        const std::vector<uint8_t> bytes = ModuleFromPack(name);
        EXPECT_FALSE(bytes.empty()) << name;
        const fs::path file = dir / (std::string(name).substr(4));
        WriteFileBytes(file, bytes);
        files.emplace_back(file, PassSeconds(bytes));
    }
    return files;
}

} // namespace

TEST(MusicPlayers, Openmpt123PlaysEachModuleToItsEnd)
{
    if (!HasProgram("openmpt123")) GTEST_SKIP() << "openmpt123 is not installed (Debian package openmpt123)";
    const fs::path dir = ScratchDir("music-openmpt123");
    for (const auto& [file, seconds] : ExtractModules(dir)) {
        const std::string command = "openmpt123 --batch --quiet --no-float --render '" + file.string() + "' >'" +
                                    (dir / "log").string() + "' 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << file;
        const double rendered = WavSeconds(file.string() + ".wav");
        EXPECT_GT(seconds, 70.0) << file;
        EXPECT_NEAR(rendered, seconds, 0.5) << file;
        fs::remove(file.string() + ".wav");
    }
}

TEST(MusicPlayers, XmpPlaysEachModuleToItsEnd)
{
    if (!HasProgram("xmp")) GTEST_SKIP() << "xmp is not installed (Debian package xmp)";
    const fs::path dir = ScratchDir("music-xmp");
    for (const auto& [file, seconds] : ExtractModules(dir)) {
        const fs::path wav = dir / "out.wav";
        const std::string command =
            "xmp --norc -q -d wav -o '" + wav.string() + "' '" + file.string() + "' >'" + (dir / "log").string() + "' 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << file;
        const std::vector<uint8_t> log = ReadFileBytes(dir / "log");
        EXPECT_EQ(std::string(log.begin(), log.end()).find("nrecognized"), std::string::npos) << file;
        EXPECT_NEAR(WavSeconds(wav), seconds, 0.5) << file;
    }
}
