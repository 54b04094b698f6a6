#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "formats/bmp_writer.h"
#include "effects/fade_ramp.h"
#include "effects/mask_transitions.h"
#include "effects/sprite_drawing.h"
#include "display/screen_geometry.h"
#include "support/test_support.h"
#include "velatool/commands.h"
#include "formats/png_file.h"

namespace {

namespace fs = std::filesystem;

constexpr int kW = 6, kH = 4;

int Effect(std::initializer_list<std::string> words) { return RunWithWords(RunEffectCommand, "effect", words); }

class EffectCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::mt19937 rng(3);
        view.width = kW, view.height = kH, view.rgb.resize(kW * kH * 3);
        for (auto& c : view.rgb) c = static_cast<uint8_t>(rng());
        std::string error;
        ASSERT_TRUE(WritePng(P("view.png"), view, &error)) << error;
    }
    std::string P(const char* name) const { return (dir / name).string(); }

    // The output as packed pixels of `depth`.
    std::vector<uint16_t> Output(int depth) const
    {
        RgbImage out;
        std::string error;
        EXPECT_TRUE(ReadPng(P("out.png"), &out, &error)) << error;
        return PackPixels(out, depth);
    }

    fs::path dir;
    RgbImage view;
};

TEST_F(EffectCommand, MasksAreReadTopRowFirstAndTheViewRoundTripsThroughItsLayout)
{
    // Mask row 0 is 0 (turns first), the other rows 255: at level 255 row 0 is fully white.
    std::vector<uint8_t> mask(kW * kH, 255);
    for (int x = 0; x < kW; ++x) mask[x] = 0;
    WriteFileBytes(dir / "mask.bmp", MakeBmp8(kW, kH, mask, std::vector<uint8_t>(256 * 3, 0)));
    for (int depth : {16, 15}) {
        ASSERT_EQ(Effect({"mask-fade-add", "--view", P("view.png"), "--out", P("out.png"), "--mask", P("mask.bmp"),
                          "--level", "255", "--depth", std::to_string(depth)}),
                  0);
        std::vector<uint16_t> expected = PackPixels(view, depth), out = Output(depth);
        for (int i = 0; i < kW * kH; ++i) {
            if (i < kW) ASSERT_EQ(out[i], depth == 16 ? 0xFFFF : 0x7FFF) << i;
            else ASSERT_EQ(out[i], expected[i]) << i; // black added: unchanged
        }
    }
}

TEST_F(EffectCommand, RevealAndSpritesGiveWhatTheEffectsGive)
{
    std::mt19937 rng(8);
    std::vector<uint8_t> mask(kW * kH), grey(kW * kH), pic(5 * 3), palette(256 * 3);
    for (auto* v : {&mask, &grey, &pic, &palette})
        for (auto& b : *v) b = static_cast<uint8_t>(rng() % 4 == 0 ? 0 : rng());
    WriteFileBytes(dir / "mask.bmp", MakeBmp8(kW, kH, mask, palette));
    WriteFileBytes(dir / "grey.bmp", MakeBmp8(kW, kH, grey, palette));
    WriteFileBytes(dir / "pic.bmp", MakeBmp8(5, 3, pic, palette));

    const ScreenGeometry saved = screen;
    screen.screenWidth = kW, screen.viewHeight = kH, screen.pixelDepth = 15;
    BuildFadeRamp();
    std::vector<uint16_t> expected = PackPixels(view, 15);
    MaskReveal(expected.data(), mask, grey, 300);
    screen = saved;
    for (auto& p : expected) p &= 0x7FFF; // the PNG keeps only the colour bits
    ASSERT_EQ(Effect({"mask-reveal", "--view", P("view.png"), "--out", P("out.png"), "--mask", P("mask.bmp"),
                      "--grey", P("grey.bmp"), "--level", "300", "--depth", "15"}),
              0);
    EXPECT_EQ(Output(15), expected);

    // An indexed sprite faded through palettes that run from white to black: level 127 is black
    // over the sprite's opaque pixels, which at (-2, 2) are columns 0..2 of the last two rows.
    ASSERT_EQ(Effect({"sprite-fade", "--view", P("view.png"), "--out", P("out.png"), "--sprite", P("pic.bmp"),
                      "--at", "-2,2", "--level", "127", "--indexed"}),
              0);
    std::vector<uint16_t> out = Output(16), before = PackPixels(view, 16);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const int sx = x + 2, sy = y - 2;
            const bool opaque = sy >= 0 && sx < 5 && pic[sy * 5 + sx] != 0;
            ASSERT_EQ(out[y * kW + x], opaque ? 0 : before[y * kW + x]) << x << "," << y;
        }
}

TEST_F(EffectCommand, BadFilesEndWithStatus1AndTheFileNamed)
{
    WriteFileBytes(dir / "small.bmp", MakeBmp8(kW, kH - 1, std::vector<uint8_t>(kW * (kH - 1), 1), {0, 0, 0}));
    WriteFileBytes(dir / "mask.bmp", MakeBmp8(kW, kH, std::vector<uint8_t>(kW * kH, 1), {0, 0, 0}));
    WriteFileBytes(dir / "rgb.bmp", MakeBmp24(kW, kH, std::vector<uint8_t>(kW * kH * 3, 1)));
    std::vector<uint8_t> cut = ReadFileBytes(dir / "mask.bmp");
    cut.resize(cut.size() - 3);
    WriteFileBytes(dir / "cut.bmp", cut);
    const std::string v = P("view.png"), o = P("out.png");
    const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
        {{"mask-fade-sub", "--view", v, "--out", o, "--mask", P("small.bmp"), "--level", "3"},
         "small.bmp: the mask has 18 pixels, fewer than the view's 24"},
        {{"mask-fade-sub", "--view", v, "--out", o, "--mask", P("rgb.bmp"), "--level", "3"},
         "rgb.bmp: a mask must be an 8-bit BMP"},
        {{"mask-fade-sub", "--view", v, "--out", o, "--mask", P("cut.bmp"), "--level", "3"}, "cut.bmp: truncated"},
        {{"mask-fade-sub", "--view", v, "--out", o, "--mask", P("none.bmp"), "--level", "3"}, "none.bmp: no such file"},
        {{"mask-fade-sub", "--view", P("missing.png"), "--out", o, "--mask", P("mask.bmp"), "--level", "3"},
         "missing.png: not a readable PNG"},
        {{"sprite", "--view", v, "--out", o, "--sprite", P("rgb.bmp"), "--at", "0,0", "--indexed"},
         "rgb.bmp: --indexed needs an 8-bit BMP"},
    };
    for (const auto& [words, message] : bad) {
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(RunWithWords(RunEffectCommand, "effect", words), 1) << message;
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("velatool effect: "), std::string::npos) << err;
        EXPECT_NE(err.find(message), std::string::npos) << err;
        EXPECT_EQ(err.find("usage:"), std::string::npos) << err;
    }
    EXPECT_FALSE(fs::exists(o));
}

// Like every other subcommand, a bad command line gives status 2, the problem and where the
// help is.
TEST_F(EffectCommand, BadCommandLinesEndWithStatus2AndTheProblem)
{
    const std::string v = P("view.png"), o = P("out.png"), m = P("mask.bmp");
    const std::vector<std::vector<std::string>> bad = {
        {"--view", v, "--out", o},                                               // no operation
        {"blur", "--view", v, "--out", o},                                       // unknown operation
        {"tint", "--view", v, "--out", o, "--rgb", "300,2,3"},
        {"tint", "--view", v, "--out", o, "--rgb", "1,2"},
        {"tint", "--view", v, "--out", o},                                       // no --rgb
        {"fill", "--view", v, "--rgb", "1,2,3"},                                 // no --out
        {"fill", "--out", o, "--rgb", "1,2,3"},                                  // no --view
        {"fill", "--view", v, "--out", o, "--rgb", "1,2,3", "--depth", "24"},
        {"fill", "--view", v, "--out", o, "--rgb", "1,2,3", "extra"},
        {"fill", "--view", v, "--out", o, "--rgb"},                              // missing value
        {"mask-fade-sub", "--view", v, "--out", o, "--mask", m, "--level", "513"},
        {"mask-fade-sub", "--view", v, "--out", o, "--mask", m},                 // no --level
        {"mask-cross-fade", "--view", v, "--out", o, "--mask", m, "--level", "3"}, // no --second
        {"sprite-fade", "--view", v, "--out", o, "--sprite", m, "--at", "0,0", "--level", "128"},
        {"sprite", "--view", v, "--out", o, "--sprite", m, "--at", "0"},
        {"sprite", "--view", v, "--out", o, "--sprite", m, "--at", "0,0", "--palettes", "1,2,3"},
    };
    for (const auto& words : bad) {
        std::string joined;
        for (const auto& w : words) joined += w + " ";
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(RunWithWords(RunEffectCommand, "effect", words), 2) << joined;
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(err.rfind("velatool effect: ", 0), 0u) << joined << err;
        EXPECT_NE(err.find("\nsee 'velatool effect --help'\n"), std::string::npos) << joined << err;
    }
    EXPECT_FALSE(fs::exists(o));
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(Effect({"--help"}), 0);
    EXPECT_NE(::testing::internal::GetCapturedStdout().find("palette index 0"), std::string::npos);
}

TEST_F(EffectCommand, ADashWritesThePictureToStandardOutput)
{
    ::testing::internal::CaptureStdout();
    ASSERT_EQ(Effect({"fill", "--view", P("view.png"), "--out", "-", "--rgb", "255,0,0"}), 0);
    const std::string png = ::testing::internal::GetCapturedStdout();
    WriteFileBytes(dir / "piped.png", std::vector<uint8_t>(png.begin(), png.end()));
    RgbImage out;
    std::string error;
    ASSERT_TRUE(ReadPng(P("piped.png"), &out, &error)) << error;
    EXPECT_EQ(out.width, kW);
    EXPECT_EQ(out.rgb[0], 255);
    EXPECT_FALSE(fs::exists("-"));
}

} // namespace
