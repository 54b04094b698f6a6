#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/bmp_writer.h"
#include "formats/byte_order.h"
#include "formats/pack_writer.h"
#include "formats/pixel_format.h"
#include "resources/memory_pool.h"
#include "resources/pack_archive.h"
#include "resources/picture.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

// One decoded run of a sprite stream.
struct Run {
    bool opaque;
    int count;
    std::vector<uint16_t> pixels; // indices or colours
};

// Reads the run stream line by line, checking that each line's runs cover exactly `width`.
std::vector<std::vector<Run>> ReadRuns(const Sprite& s)
{
    std::vector<std::vector<Run>> lines;
    const uint8_t* p = s.data;
    auto get16 = [&p] {
        const uint16_t v = ReadLe16(p);
        p += 2;
        return v;
    };
    for (int y = 0; y < s.height; ++y) {
        std::vector<Run> line;
        int covered = 0;
        while (covered < s.width) {
            Run r;
            uint16_t tag = get16();
            EXPECT_LE(tag, 1);
            r.opaque = tag == 1;
            r.count = get16();
            EXPECT_GT(r.count, 0);
            if (r.opaque) {
                for (int i = 0; i < r.count; ++i) r.pixels.push_back(s.indexed ? *p++ : get16());
            }
            covered += r.count;
            line.push_back(r);
        }
        EXPECT_EQ(covered, s.width) << "line " << y;
        lines.push_back(line);
    }
    return lines;
}

class PictureTest : public ::testing::Test {
protected:
    fs::path dir;
    void SetUp() override
    {
        ASSERT_EQ(InitMemoryPool(4), 0);
        dir = ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        OpenPack((dir / "NONE.PAK").c_str()); // loose files from the scratch folder
    }
    void TearDown() override
    {
        ClosePack();
        EXPECT_EQ(PoolBytesInUse(), 0u) << "a picture or sprite leaked";
        FreeMemoryPool();
    }
    void Put(const char* name, const std::vector<uint8_t>& bytes) { WriteFileBytes(dir / name, bytes); }
};

TEST_F(PictureTest, TwentyFourBitLinesComeOutTopDown)
{
    std::vector<uint8_t> rgb = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12,  // top line
                                13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24};
    Put("P.BMP", MakeBmp24(4, 2, rgb));
    Picture pic;
    ASSERT_EQ(LoadPicture("p.bmp", &pic), 1);
    EXPECT_EQ(PictureWidth(pic), 4);
    EXPECT_EQ(PictureHeight(pic), 2);
    EXPECT_EQ(PictureBitsPerPixel(pic), 24);
    for (int i = 0; i < 8; ++i) { // blue, green, red in memory
        EXPECT_EQ(pic.pixels[i * 3], rgb[i * 3 + 2]);
        EXPECT_EQ(pic.pixels[i * 3 + 2], rgb[i * 3]);
    }
    FreePicture(&pic);
    EXPECT_EQ(pic.pixels, nullptr);

    Put("ONE.BMP", MakeBmp24(4, 1, {9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 1, 2}));
    ASSERT_EQ(LoadPicture("ONE.BMP", &pic), 1);
    EXPECT_EQ(pic.pixels[0], 7);
    EXPECT_EQ(pic.pixels[11], 0);
    FreePicture(&pic);
}

TEST_F(PictureTest, LinesPaddedInTheFileAreJoinedWithoutGaps)
{
    std::vector<uint8_t> indices;
    for (int i = 0; i < 15; ++i) indices.push_back(static_cast<uint8_t>(i));
    Put("P8.BMP", MakeBmp8(5, 3, indices, std::vector<uint8_t>(16 * 3, 1)));
    std::vector<uint8_t> rgb(5 * 3 * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i);
    Put("P24.BMP", MakeBmp24(5, 3, rgb));
    Picture pic;
    ASSERT_EQ(LoadPicture("P8.BMP", &pic), 1);
    EXPECT_EQ(std::vector<uint8_t>(pic.pixels, pic.pixels + 15), indices);
    FreePicture(&pic);
    ASSERT_EQ(LoadPicture("P24.BMP", &pic), 1);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(pic.pixels[i * 3 + 1], rgb[i * 3 + 1]) << i;
    FreePicture(&pic);
}

TEST_F(PictureTest, ThePaletteIsTheEntriesJustBeforeThePixels)
{
    std::vector<uint8_t> palette(16 * 3);
    for (size_t i = 0; i < palette.size(); ++i) palette[i] = static_cast<uint8_t>(100 + i);
    std::vector<uint8_t> bmp = MakeBmp8(4, 2, {0, 1, 2, 3, 4, 5, 6, 7}, palette);
    // Move the pixels 40 bytes further on, with a decoy where the palette would be read from
    // the header's end.
    std::vector<uint8_t> moved(bmp.begin(), bmp.begin() + 54);
    moved.insert(moved.end(), 40, 0xDD);
    moved.insert(moved.end(), bmp.begin() + 54, bmp.end());
    StoreLe32(moved.data() + 10, 54 + 40 + 64);
    Put("PAL.BMP", moved);

    Picture pic;
    std::memset(pic.palette, 0xAA, sizeof pic.palette);
    ASSERT_EQ(LoadPicture("PAL.BMP", &pic), 1);
    EXPECT_EQ(PicturePaletteEntries(pic), 16u);
    EXPECT_EQ(pic.palette[0], palette[2]); // blue first
    EXPECT_EQ(pic.palette[2], palette[0]);
    EXPECT_EQ(pic.palette[15 * 4 + 1], palette[15 * 3 + 1]);
    EXPECT_EQ(pic.palette[64], 0xAA); // entries beyond those used are not touched
    EXPECT_EQ(pic.pixels[0], 0); // top line first
    EXPECT_EQ(pic.pixels[4], 4);
    FreePicture(&pic);
}

TEST_F(PictureTest, PicturesInsideTheArchiveLoadLikeLooseOnes)
{
    std::vector<uint8_t> rgb(16 * 8 * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i * 7);
    PackBuilder pack;
    AddPackEntry(&pack, "PICS\\FOND.BMP", MakeBmp24(16, 8, rgb), PackMethod::Deflate);
    WriteFileBytes(dir / "VELA.PAK", FinishPack(pack));
    Put("FOND.BMP", MakeBmp24(16, 8, rgb));
    OpenPack((dir / "VELA.PAK").c_str());
    Picture packed, loose;
    ASSERT_EQ(LoadPicture("pics\\fond.bmp", &packed), 1);
    ASSERT_EQ(LoadPicture("FOND.BMP", &loose), 1);
    EXPECT_EQ(std::memcmp(packed.pixels, loose.pixels, rgb.size()), 0);
    FreePicture(&packed);
    FreePicture(&loose);
}

// Every header that is not a plain 8- or 24-bit bottom-up picture lying inside its file.
TEST_F(PictureTest, UnsupportedOrInconsistentHeadersAreRefused)
{
    const std::vector<uint8_t> good = MakeBmp8(8, 4, std::vector<uint8_t>(32, 1), std::vector<uint8_t>(16 * 3, 9));
    auto with32 = [&](size_t at, uint32_t v) {
        std::vector<uint8_t> b = good;
        StoreLe32(b.data() + at, v);
        return b;
    };
    std::vector<uint8_t> fourBit = good;
    fourBit[28] = 4;
    std::vector<uint8_t> notBm = good;
    notBm[1] = 'A';
    std::vector<uint8_t> cut = good;
    cut.resize(cut.size() - 1);
    std::vector<std::pair<const char*, std::vector<uint8_t>>> cases = {
        {"4-bit", fourBit},
        {"compressed", with32(30, 1)},
        {"not BM", notBm},
        {"header only", std::vector<uint8_t>(good.begin(), good.begin() + 30)},
        {"zero width", with32(18, 0)},
        {"negative width", with32(18, 0xFFFFFFF8u)},
        {"top-down", with32(22, 0xFFFFFFFCu)},
        {"wider than a run", with32(18, 65536)},
        {"overflowing size", with32(22, 0x7FFFFFFF)},
        {"pixels past the end", cut},
        {"pixel offset past the end", with32(10, 0xFFFFFF00u)},
        {"palette before the file", with32(10, 20)},
        {"too many palette entries", with32(46, 300)},
    };
    for (auto& [label, bytes] : cases) {
        Put("BAD.BMP", bytes);
        Picture pic;
        pic.pixels = reinterpret_cast<uint8_t*>(&pic); // must be reset
        EXPECT_EQ(LoadPicture("BAD.BMP", &pic), 0) << label;
        EXPECT_EQ(pic.pixels, nullptr) << label;
        EXPECT_NE(PictureProblem("BAD.BMP"), "") << label;
    }
    Picture pic;
    EXPECT_EQ(LoadPicture("MISSING.BMP", &pic), 0);
    EXPECT_EQ(PictureProblem("MISSING.BMP"), "missing or empty");
    Put("GOOD.BMP", good);
    EXPECT_EQ(PictureProblem("GOOD.BMP"), "");
}

TEST_F(PictureTest, SpritesSplitLinesIntoTransparentAndOpaqueRuns)
{
    // Line 0 all black, line 1 no black, line 2 mixed and ending transparent.
    std::vector<uint8_t> indices = {0, 0, 0, 0, 0, 0, 3, 1, 2, 3, 1, 2, 0, 5, 5, 0, 7, 0};
    std::vector<uint8_t> palette(8 * 3);
    for (size_t i = 0; i < palette.size(); ++i) palette[i] = static_cast<uint8_t>(i * 30);
    Put("S.BMP", MakeBmp8(6, 3, indices, palette));
    Picture pic;
    ASSERT_EQ(LoadPicture("S.BMP", &pic), 1);

    Sprite s;
    ASSERT_EQ(MakeSprite(&pic, &s, 320, 240, 16, 1), 1);
    EXPECT_EQ(s.width, 6);
    EXPECT_EQ(s.frameWidth, 320);
    EXPECT_EQ(s.frameHeight, 240);
    EXPECT_EQ(s.extra, nullptr);
    ASSERT_NE(s.palette, nullptr);
    EXPECT_EQ(s.palette[5], PackColour(palette[15], palette[16], palette[17], 16));
    auto lines = ReadRuns(s);
    ASSERT_EQ(lines.size(), 3u);
    ASSERT_EQ(lines[0].size(), 1u);
    EXPECT_FALSE(lines[0][0].opaque);
    EXPECT_EQ(lines[0][0].count, 6);
    ASSERT_EQ(lines[1].size(), 1u);
    EXPECT_EQ(lines[1][0].pixels, (std::vector<uint16_t>{3, 1, 2, 3, 1, 2}));
    ASSERT_EQ(lines[2].size(), 5u);
    EXPECT_EQ(lines[2][1].pixels, (std::vector<uint16_t>{5, 5}));
    EXPECT_EQ(lines[2][4].count, 1);
    FreeSprite(&s);
    EXPECT_EQ(s.data, nullptr);
    EXPECT_EQ(s.palette, nullptr);

    // A colour sprite of the same picture carries converted colours instead of indices.
    ASSERT_EQ(MakeSprite(&pic, &s, 320, 200, 15, 0), 1);
    EXPECT_EQ(s.palette, nullptr);
    lines = ReadRuns(s);
    EXPECT_EQ(lines[2][3].pixels[0], PackColour(palette[21], palette[22], palette[23], 15));
    s.extra = PoolAlloc(65536, 4); // the effects hang fade palettes here; freed with the sprite
    FreeSprite(&s);
    EXPECT_EQ(s.extra, nullptr);
    FreePicture(&pic);
}

TEST_F(PictureTest, TwentyFourBitSpritesConvertEachPixel)
{
    std::vector<uint8_t> rgb = {0, 0, 0, 255, 255, 255, 8, 4, 248, 0, 0, 1};
    Put("C.BMP", MakeBmp24(4, 1, rgb));
    Picture pic;
    ASSERT_EQ(LoadPicture("C.BMP", &pic), 1);
    Sprite s;
    EXPECT_EQ(MakeSprite(&pic, &s, 320, 240, 16, 1), 0); // indexed needs an 8-bit picture
    EXPECT_EQ(s.data, nullptr);
    EXPECT_EQ(s.palette, nullptr);
    ASSERT_EQ(MakeSprite(&pic, &s, 320, 240, 16, 0), 1);
    auto lines = ReadRuns(s);
    ASSERT_EQ(lines[0].size(), 2u);
    EXPECT_EQ(lines[0][1].pixels, (std::vector<uint16_t>{0xFFFF, 0x083F /* 8,4,248 */, 0x0000}));
    FreeSprite(&s);
    ASSERT_EQ(MakeSprite(&pic, &s, 320, 240, 15, 0), 1);
    EXPECT_EQ(ReadRuns(s)[0][1].pixels, (std::vector<uint16_t>{0x7FFF, 0x041F, 0x0000}));
    FreeSprite(&s);
    FreePicture(&pic);

    Picture empty{};
    EXPECT_EQ(MakeSprite(&empty, &s, 320, 240, 16, 0), 0);
}

TEST(ColourConversion, PacksTheTopBitsOfEachChannel)
{
    EXPECT_EQ(PackColour(0, 0, 0xFF, 16), 0x001F);
    EXPECT_EQ(PackColour(0, 0xFF, 0, 16), 0x07E0);
    EXPECT_EQ(PackColour(0xFF, 0, 0, 16), 0xF800);
    EXPECT_EQ(PackColour(0, 0xFF, 0, 15), 0x03E0);
    EXPECT_EQ(PackColour(0xFF, 0, 0, 15), 0x7C00);
    EXPECT_EQ(PackColour(0x07, 0x04, 0x07, 16), 0x0020); // green keeps its sixth bit
    EXPECT_EQ(PackColour(0x07, 0x04, 0x07, 15), 0x0000);
}

} // namespace
