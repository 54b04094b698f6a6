// Members and pictures made by the standard tools (Info-ZIP zip, GNU gzip, ImageMagick),
// so the reader is held to the formats as others write them, not only as our writer does.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/pack_writer.h"
#include "resources/memory_pool.h"
#include "resources/pack_archive.h"
#include "resources/picture.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

bool HaveTool(const char* name) { return Shell(std::string("command -v ") + name + " >/dev/null 2>&1"); }

class RealTools : public ::testing::Test {
protected:
    fs::path dir;
    std::vector<uint8_t> contents;
    void SetUp() override
    {
        dir = ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::string text;
        for (int i = 0; i < 20000; ++i) text += std::to_string(i * 7919 % 10007) + (i % 13 ? " " : "\n");
        contents.assign(text.begin(), text.end());
        WriteFileBytes(dir / "data.txt", contents);
    }
    void TearDown() override { ClosePack(); }
    std::string In(const char* file) const { return "'" + (dir / file).string() + "'"; }
    std::string Cd() const { return "cd '" + dir.string() + "' && "; }
};

TEST_F(RealTools, ZipAndGzipMembersReadBackExactly)
{
    if (!HaveTool("zip") || !HaveTool("gzip")) GTEST_SKIP() << "zip or gzip missing";
    ASSERT_TRUE(Shell(Cd() + "zip -q -X -0 -fz- stored.zip data.txt"));
    ASSERT_TRUE(Shell(Cd() + "zip -q -X -9 -fz- deflated.zip data.txt"));
    // From standard input into a pipe: sizes and CRC follow the data in a descriptor.
    ASSERT_TRUE(Shell(Cd() + "zip -q -fz- - - < data.txt | cat > streamed.zip"));
    // zip's default from a pipe: a Zip64 extra field, and 8-byte sizes in the descriptor.
    ASSERT_TRUE(Shell(Cd() + "zip -q - - < data.txt | cat > streamed64.zip"));
    ASSERT_TRUE(Shell(Cd() + "gzip -9 -c data.txt > named.gz && gzip -n -c data.txt > plain.gz"));
    ASSERT_EQ(ReadFileBytes(dir / "streamed.zip")[6] & 8, 8) << "expected a data descriptor";

    PackBuilder pack;
    const uint32_t size = static_cast<uint32_t>(contents.size());
    for (const char* file : {"stored.zip", "deflated.zip", "streamed.zip", "streamed64.zip", "named.gz", "plain.gz"})
        AddRawPackMember(&pack, std::string("M\\") + file, ReadFileBytes(dir / file), size);
    WriteFileBytes(dir / "VELA.PAK", FinishPack(pack));
    OpenPack((dir / "VELA.PAK").c_str());

    for (const char* name : {"m\\stored.zip", "m\\deflated.zip", "m\\streamed.zip", "m\\streamed64.zip", "m\\named.gz", "m\\plain.gz"}) {
        ASSERT_EQ(PackEntrySize(name), size) << name;
        std::vector<uint8_t> out(size);
        ASSERT_EQ(ReadPackEntry(name, out.data(), 0, size), 0) << name;
        EXPECT_EQ(out, contents) << name;
        std::vector<uint8_t> middle(1000);
        ASSERT_EQ(ReadPackEntry(name, middle.data(), 40000, 1000), 0);
        EXPECT_TRUE(std::equal(middle.begin(), middle.end(), contents.begin() + 40000)) << name;
    }
    for (uint32_t i = 0; i < PackEntryCount(); ++i) {
        const char* message = nullptr;
        EXPECT_EQ(CheckPackEntry(i, &message), 0) << message;
    }
}

TEST_F(RealTools, GzipMembersFromOurWriterUnpackWithGzip)
{
    if (!HaveTool("gzip")) GTEST_SKIP() << "gzip missing";
    WriteFileBytes(dir / "d.gz", MakeGzipMember(contents, "data.txt"));
    ASSERT_TRUE(Shell(Cd() + "gzip -dc d.gz > from-gz.txt"));
    EXPECT_EQ(ReadFileBytes(dir / "from-gz.txt"), contents);
}

// The pixels ImageMagick itself reports for a file, as 8-bit RGB top-down.
std::vector<uint8_t> MagickRgb(const fs::path& file)
{
    fs::path out = file;
    out += ".rgb";
    if (!Shell("convert '" + file.string() + "' -depth 8 'rgb:" + out.string() + "'")) return {};
    return ReadFileBytes(out);
}

TEST_F(RealTools, ImageMagickPicturesLoadToTheSamePixels)
{
    if (!HaveTool("convert")) GTEST_SKIP() << "ImageMagick missing";
    ASSERT_EQ(InitMemoryPool(2), 0);
    // 13 wide: the file's lines carry padding in both depths.
    ASSERT_TRUE(Shell(Cd() + "convert -size 13x7 gradient:red-blue -type truecolor BMP3:true.bmp"));
    ASSERT_TRUE(Shell(Cd() + "convert -size 13x60 -seed 4 plasma: -colors 64 -type palette -compress none BMP3:palette.bmp"));
    ASSERT_TRUE(Shell(Cd() + "convert -size 16x8 gradient:white-black -colors 8 -type palette BMP3:four.bmp"));
    ASSERT_TRUE(Shell(Cd() + "convert -size 13x60 -seed 4 plasma: -colors 64 -type palette BMP3:rle.bmp"));
    OpenPack((dir / "NONE.PAK").c_str());

    Picture pic;
    ASSERT_EQ(LoadPicture("TRUE.BMP", &pic), 1);
    std::vector<uint8_t> expected = MagickRgb(dir / "true.bmp");
    ASSERT_EQ(expected.size(), 13u * 7 * 3);
    EXPECT_EQ(PictureBitsPerPixel(pic), 24);
    for (size_t i = 0; i < 13 * 7; ++i) {
        ASSERT_EQ(pic.pixels[i * 3 + 2], expected[i * 3]) << i;
        ASSERT_EQ(pic.pixels[i * 3 + 1], expected[i * 3 + 1]) << i;
        ASSERT_EQ(pic.pixels[i * 3], expected[i * 3 + 2]) << i;
    }
    FreePicture(&pic);

    ASSERT_EQ(LoadPicture("palette.BMP", &pic), 1);
    ASSERT_EQ(PictureBitsPerPixel(pic), 8);
    expected = MagickRgb(dir / "palette.bmp");
    ASSERT_EQ(expected.size(), 13u * 60 * 3);
    for (size_t i = 0; i < 13 * 60; ++i) {
        const uint8_t* entry = pic.palette + pic.pixels[i] * 4;
        ASSERT_EQ(entry[2], expected[i * 3]) << i;
        ASSERT_EQ(entry[1], expected[i * 3 + 1]) << i;
        ASSERT_EQ(entry[0], expected[i * 3 + 2]) << i;
    }
    Sprite s;
    ASSERT_EQ(MakeSprite(&pic, &s, 320, 240, 16, 1), 1);
    FreeSprite(&s);
    FreePicture(&pic);

    EXPECT_EQ(LoadPicture("FOUR.BMP", &pic), 0); // 8 colours are written with 4 bits
    EXPECT_EQ(LoadPicture("RLE.BMP", &pic), 0);  // run-length compressed
    EXPECT_EQ(PoolBytesInUse(), 0u);
    FreeMemoryPool();
}

} // namespace
