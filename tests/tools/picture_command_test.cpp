#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "formats/bmp_writer.h"
#include "formats/pack_writer.h"
#include "formats/png_file.h"
#include "support/test_support.h"
#include "velatool/commands.h"

namespace {

namespace fs = std::filesystem;

int Picture(std::initializer_list<std::string> words) { return RunWithWords(RunPictureCommand, "picture", words); }

class PictureCommand : public ::testing::Test {
protected:
    fs::path dir;
    std::string P(const char* name) const { return (dir / name).string(); }
    void SetUp() override { dir = ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name()); }
};

TEST_F(PictureCommand, InfoReportsTheHeaderFromFilesAndArchives)
{
    WriteFileBytes(dir / "pal.bmp", MakeBmp8(6, 3, std::vector<uint8_t>(18, 2), std::vector<uint8_t>(20 * 3, 50)));
    ::testing::internal::CaptureStdout();
    ASSERT_EQ(Picture({"info", P("pal.bmp")}), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "width: 6\nheight: 3\nbits per pixel: 8\npalette entries: 20\npixel offset: 134\n");

    PackBuilder pack;
    AddPackEntry(&pack, "PICS\\T.BMP", MakeBmp24(5, 2, std::vector<uint8_t>(30, 9)), PackMethod::Gzip);
    WriteFileBytes(dir / "V.PAK", FinishPack(pack));
    ::testing::internal::CaptureStdout();
    ASSERT_EQ(Picture({"info", "pics\\t.bmp", "--pack", P("V.PAK")}), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "width: 5\nheight: 2\nbits per pixel: 24\npalette entries: 0\npixel offset: 54\n");
}

TEST_F(PictureCommand, ToPngDrawsTheSpriteOverBlack)
{
    // Red, black (transparent), a grey that 5-bit channels cannot hold exactly, and blue.
    std::vector<uint8_t> rgb = {255, 0, 0, 0, 0, 0, 100, 101, 102, 0, 0, 255};
    WriteFileBytes(dir / "c.bmp", MakeBmp24(2, 2, rgb));
    for (int depth : {16, 15}) {
        ASSERT_EQ(Picture({"topng", P("c.bmp"), P("c.png"), "--depth", std::to_string(depth)}), 0);
        RgbImage image;
        std::string error;
        ASSERT_TRUE(ReadPng(P("c.png"), &image, &error)) << error;
        ASSERT_EQ(image.width, 2);
        ASSERT_EQ(image.height, 2);
        std::vector<uint8_t> expected = {255, 0, 0, 0, 0, 0, 99, depth == 16 ? uint8_t(101) : uint8_t(99), 99, 0, 0, 255};
        EXPECT_EQ(image.rgb, expected) << depth;
    }

    std::vector<uint8_t> palette = {0, 0, 0, 255, 255, 0, 0, 255, 255};
    WriteFileBytes(dir / "i.bmp", MakeBmp8(3, 1, {2, 0, 1}, palette));
    ASSERT_EQ(Picture({"topng", P("i.bmp"), P("i.png"), "--indexed"}), 0);
    RgbImage image;
    std::string error;
    ASSERT_TRUE(ReadPng(P("i.png"), &image, &error)) << error;
    EXPECT_EQ(image.rgb, (std::vector<uint8_t>{0, 255, 255, 0, 0, 0, 255, 255, 0}));
}

TEST_F(PictureCommand, RefusalsFailWithAMessage)
{
    WriteFileBytes(dir / "c.bmp", MakeBmp24(2, 1, std::vector<uint8_t>(6, 80)));
    WriteFileBytes(dir / "junk.bmp", {'B', 'M', 1, 2, 3});
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Picture({"topng", P("c.bmp"), P("c.png"), "--indexed"}), 1); // 24-bit cannot be indexed
    EXPECT_EQ(Picture({"info", P("junk.bmp")}), 1);
    EXPECT_EQ(Picture({"info", P("none.bmp")}), 1);
    EXPECT_EQ(Picture({"topng", P("c.bmp"), P("c.png"), "--depth", "24"}), 2);
    EXPECT_EQ(Picture({"topng", P("c.bmp"), (dir / "no" / "such" / "c.png").string()}), 1);
    std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("junk.bmp: too short for a BMP header (5 bytes of 54)"), std::string::npos) << errors;
    EXPECT_NE(errors.find("indexed"), std::string::npos) << errors;
    EXPECT_FALSE(fs::exists(dir / "c.png"));
}

TEST_F(PictureCommand, ContactSheetTilesPicturesTwiceTheirSizeWithNames)
{
    // A 24-bit 4x2 picture (red, with one black pixel) and an 8-bit 8x3 picture (all index 1, green).
    std::vector<uint8_t> rgb(4 * 2 * 3, 0);
    for (size_t i = 0; i < rgb.size(); i += 3) rgb[i] = 255;
    rgb[0] = 0; // top-left pixel black: transparent, shown as black
    PackBuilder pack;
    AddPackEntry(&pack, "PICS\\RED.BMP", MakeBmp24(4, 2, rgb), PackMethod::Deflate);
    AddPackEntry(&pack, "PICS\\GREEN.BMP", MakeBmp8(8, 3, std::vector<uint8_t>(24, 1), {0, 0, 0, 0, 255, 0}),
                 PackMethod::Deflate);
    AddPackEntry(&pack, "ZIK\\NOT.XM", std::vector<uint8_t>(10, 1), PackMethod::Store);
    WriteFileBytes(dir / "V.PAK", FinishPack(pack));

    auto check = [&](const std::string& png) {
        RgbImage sheet;
        std::string error;
        ASSERT_TRUE(ReadPng(png, &sheet, &error)) << error;
        // Two cells as wide as the widest picture doubled (16), gaps of 12; one row as tall as the
        // tallest doubled (6) plus a label line of 20.
        ASSERT_EQ(sheet.width, 12 + 2 * (16 + 12));
        ASSERT_EQ(sheet.height, 12 + 6 + 20 + 12);
        auto at = [&](int x, int y) {
            const uint8_t* p = &sheet.rgb[(static_cast<size_t>(y) * sheet.width + x) * 3];
            return std::vector<int>{p[0], p[1], p[2]};
        };
        EXPECT_EQ(at(12, 12), (std::vector<int>{0, 0, 0}));    // the black pixel, doubled
        EXPECT_EQ(at(13, 13), (std::vector<int>{0, 0, 0}));
        EXPECT_EQ(at(14, 12), (std::vector<int>{255, 0, 0}));  // its red neighbour
        EXPECT_EQ(at(19, 15), (std::vector<int>{255, 0, 0}));  // bottom-right of the doubled picture
        EXPECT_EQ(at(20, 12), (std::vector<int>{56, 56, 56})); // the ground beside it
        EXPECT_EQ(at(40, 12), (std::vector<int>{0, 255, 0}));  // second cell: the 8-bit picture
        EXPECT_EQ(at(55, 17), (std::vector<int>{0, 255, 0}));
        bool labelInk = false; // some pixel of the name line is lettering
        for (int x = 12; x < 28; ++x)
            for (int y = 20; y < 36; ++y) labelInk = labelInk || at(x, y)[0] > 150;
        EXPECT_TRUE(labelInk);
    };
    ASSERT_EQ(Picture({"contact", P("named.png"), "PICS\\RED.BMP", "PICS\\GREEN.BMP", "--pack", P("V.PAK")}), 0);
    check(P("named.png"));
    // --all takes the BMP entries in pack order and leaves the module out.
    ASSERT_EQ(Picture({"contact", P("all.png"), "--all", "--pack", P("V.PAK")}), 0);
    EXPECT_EQ(ReadFileBytes(dir / "all.png"), ReadFileBytes(dir / "named.png"));

    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Picture({"contact", P("x.png"), "PICS\\NONE.BMP", "--pack", P("V.PAK")}), 1);
    EXPECT_EQ(Picture({"contact", P("x.png"), "--pack", P("V.PAK")}), 2);
    EXPECT_EQ(Picture({"contact", P("x.png"), "--all", "--columns", "0", "--pack", P("V.PAK")}), 2);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("PICS\\NONE.BMP: not in " + P("V.PAK") + ", nor a loose file beside it"), std::string::npos)
        << errors;
    EXPECT_FALSE(fs::exists(dir / "x.png"));
}

// Each kind of file that cannot be loaded is named with what is wrong with it.
TEST_F(PictureCommand, EachRefusalNamesTheFileAndItsProblem)
{
    const std::vector<uint8_t> good = MakeBmp8(4, 2, std::vector<uint8_t>(8, 1), std::vector<uint8_t>(2 * 3, 50));
    std::vector<uint8_t> cut = good, topDown = good, fourBit = good;
    cut.resize(cut.size() - 2);
    topDown[22] = 0xFE, topDown[23] = topDown[24] = topDown[25] = 0xFF; // height -2
    fourBit[28] = 4;
    fs::create_directories(dir / "folder.bmp");
    WriteFileBytes(dir / "empty.bmp", {});
    WriteFileBytes(dir / "cut.bmp", cut);
    WriteFileBytes(dir / "topdown.bmp", topDown);
    WriteFileBytes(dir / "four.bmp", fourBit);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"none.bmp", "none.bmp: no such file"},
        {"folder.bmp", "folder.bmp: a directory, not a file"},
        {"empty.bmp", "empty.bmp: empty file"},
        {"cut.bmp", "cut.bmp: truncated: the pixels need 8 bytes from offset 62, the file holds 68"},
        {"topdown.bmp", "topdown.bmp: stored top-down (negative height)"},
        {"four.bmp", "four.bmp: a 4-bit picture (only 8- and 24-bit pictures are read)"},
    };
    for (const auto& [file, message] : cases) {
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(Picture({"info", P(file.c_str())}), 1) << file;
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("velatool picture: " + P(message.c_str())), std::string::npos) << err;
    }

    // The same through an archive, and an archive that cannot be read at all.
    PackBuilder pack;
    AddPackEntry(&pack, "PICS\\CUT.BMP", cut, PackMethod::Deflate);
    WriteFileBytes(dir / "V.PAK", FinishPack(pack));
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Picture({"info", "pics\\cut.bmp", "--pack", P("V.PAK")}), 1);
    EXPECT_EQ(Picture({"info", "pics\\cut.bmp", "--pack", P("NONE.PAK")}), 1);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("pics\\cut.bmp: truncated"), std::string::npos) << err;
    EXPECT_NE(err.find("pics\\cut.bmp: cannot open the archive " + P("NONE.PAK") + " (no such file)"), std::string::npos)
        << err;
}

TEST_F(PictureCommand, ADashWritesThePngToStandardOutput)
{
    WriteFileBytes(dir / "c.bmp", MakeBmp24(2, 1, {0, 0, 255, 9, 9, 9}));
    ::testing::internal::CaptureStdout();
    ASSERT_EQ(Picture({"topng", P("c.bmp"), "-"}), 0);
    const std::string png = ::testing::internal::GetCapturedStdout();
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    WriteFileBytes(dir / "piped.png", std::vector<uint8_t>(png.begin(), png.end()));
    RgbImage image;
    std::string error;
    ASSERT_TRUE(ReadPng(P("piped.png"), &image, &error)) << error;
    EXPECT_EQ(image.width, 2);
    EXPECT_FALSE(fs::exists("-"));
}

// For an 8-bit picture the sprite leaves palette index 0 transparent whatever its colour, and
// the help says so.
TEST_F(PictureCommand, IndexZeroIsTransparentWhateverItsColourAndTheHelpSaysSo)
{
    const std::vector<uint8_t> palette = {255, 0, 0, 0, 0, 0, 0, 255, 0}; // red, black, green
    WriteFileBytes(dir / "i.bmp", MakeBmp8(3, 1, {0, 1, 2}, palette));
    ASSERT_EQ(Picture({"topng", P("i.bmp"), P("i.png")}), 0);
    RgbImage image;
    std::string error;
    ASSERT_TRUE(ReadPng(P("i.png"), &image, &error)) << error;
    EXPECT_EQ(image.rgb, (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 255, 0})) << "red index 0 is not drawn";

    ::testing::internal::CaptureStdout();
    EXPECT_EQ(Picture({"topng", "--help"}), 0);
    const std::string help = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(help.find("palette index 0 of an 8-bit picture, whatever its\n       colour"), std::string::npos)
        << help;
    EXPECT_EQ(help.find("black transparent"), std::string::npos) << help;
}

} // namespace
