// PNG files: what the writer stores reads back as the same pixels in every layout and at both
// compressions, the bytes depend on nothing but the pixels and the settings, and every failure
// names the file.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "formats/png_file.h"
#include "support/test_support.h"

namespace {

// A picture whose every byte differs from its neighbours, so a row or channel out of place shows.
std::vector<uint8_t> Pattern(int width, int height, int channels)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(width) * height * channels);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 37 + i / 7);
    return bytes;
}

std::vector<uint8_t> Written(const std::string& path, const PngPixels& pixels, PngCompression compression)
{
    std::string error;
    EXPECT_TRUE(WritePng(path, pixels, compression, &error)) << error;
    return ReadFileBytes(path);
}

} // namespace

TEST(PngFile, EveryLayoutReadsBackAsItsPixelsAtBothCompressions)
{
    const auto dir = ScratchDir("png_layouts");
    constexpr int kWidth = 23, kHeight = 9;
    for (PngCompression compression : {PngCompression::Default, PngCompression::Fast}) {
        const std::string tag = compression == PngCompression::Fast ? "fast" : "default";
        std::string error;

        const std::vector<uint8_t> rgb = Pattern(kWidth, kHeight, 3);
        const std::string rgbPath = (dir / ("rgb-" + tag + ".png")).string();
        Written(rgbPath, PngPixels{kWidth, kHeight, PngChannels::Rgb, rgb.data()}, compression);
        RgbImage image;
        ASSERT_TRUE(ReadPng(rgbPath, &image, &error)) << error;
        EXPECT_EQ(image.width, kWidth);
        EXPECT_EQ(image.height, kHeight);
        EXPECT_EQ(image.rgb, rgb) << tag;

        // Grey comes back with the three channels equal.
        const std::vector<uint8_t> grey = Pattern(kWidth, kHeight, 1);
        const std::string greyPath = (dir / ("grey-" + tag + ".png")).string();
        const std::vector<uint8_t> greyFile = Written(greyPath, PngPixels{kWidth, kHeight, PngChannels::Grey, grey.data()}, compression);
        ASSERT_GT(greyFile.size(), 26u);
        EXPECT_EQ(greyFile[25], 0); // colour type: grey
        ASSERT_TRUE(ReadPng(greyPath, &image, &error)) << error;
        ASSERT_EQ(image.rgb.size(), grey.size() * 3);
        for (size_t i = 0; i < grey.size(); ++i) {
            ASSERT_EQ(image.rgb[i * 3], grey[i]) << i;
            ASSERT_EQ(image.rgb[i * 3 + 1], grey[i]) << i;
            ASSERT_EQ(image.rgb[i * 3 + 2], grey[i]) << i;
        }

        // RGB with alpha keeps its fourth channel in the file; opaque pixels read back unchanged.
        std::vector<uint8_t> rgba = Pattern(kWidth, kHeight, 4);
        for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 255;
        const std::string rgbaPath = (dir / ("rgba-" + tag + ".png")).string();
        const std::vector<uint8_t> rgbaFile = Written(rgbaPath, PngPixels{kWidth, kHeight, PngChannels::Rgba, rgba.data()}, compression);
        ASSERT_GT(rgbaFile.size(), 26u);
        EXPECT_EQ(rgbaFile[25], 6); // colour type: RGB with alpha
        ASSERT_TRUE(ReadPng(rgbaPath, &image, &error)) << error;
        ASSERT_EQ(image.rgb.size(), rgb.size());
        for (size_t i = 0; i < static_cast<size_t>(kWidth) * kHeight; ++i) {
            for (size_t c = 0; c < 3; ++c) ASSERT_EQ(image.rgb[i * 3 + c], rgba[i * 4 + c]) << i;
        }
    }
}

TEST(PngFile, SamePixelsAndSettingsGiveTheSameBytesByPathOrOpenFile)
{
    const auto dir = ScratchDir("png_bytes");
    const std::vector<uint8_t> rgb = Pattern(64, 48, 3);
    const PngPixels pixels{64, 48, PngChannels::Rgb, rgb.data()};
    for (PngCompression compression : {PngCompression::Default, PngCompression::Fast}) {
        const std::vector<uint8_t> first = Written((dir / "a.png").string(), pixels, compression);
        const std::vector<uint8_t> second = Written((dir / "b.png").string(), pixels, compression);
        EXPECT_EQ(first, second);

        FILE* file = std::fopen((dir / "c.png").string().c_str(), "wb");
        ASSERT_NE(file, nullptr);
        EXPECT_TRUE(EncodePng(file, pixels, compression));
        ASSERT_EQ(std::fclose(file), 0);
        EXPECT_EQ(ReadFileBytes(dir / "c.png"), first);
    }
    // The RGB image form is the default compression of the same pixels.
    std::string error;
    ASSERT_TRUE(WritePng((dir / "d.png").string(), RgbImage{64, 48, rgb}, &error)) << error;
    EXPECT_EQ(ReadFileBytes(dir / "d.png"), Written((dir / "e.png").string(), pixels, PngCompression::Default));
}

TEST(PngFile, FailuresNameTheFileAndWhatWentWrong)
{
    const auto dir = ScratchDir("png_failures");
    const std::vector<uint8_t> rgb = Pattern(4, 4, 3);
    std::string error;

    const std::string nowhere = (dir / "missing" / "a.png").string();
    EXPECT_FALSE(WritePng(nowhere, PngPixels{4, 4, PngChannels::Rgb, rgb.data()}, PngCompression::Default, &error));
    EXPECT_EQ(error.rfind(nowhere + ": cannot create: ", 0), 0u) << error;

    // An empty picture is refused by the encoder, not written as a broken file that reads back.
    const std::string empty = (dir / "empty.png").string();
    EXPECT_FALSE(WritePng(empty, PngPixels{0, 4, PngChannels::Rgb, rgb.data()}, PngCompression::Default, &error));
    EXPECT_EQ(error, empty + ": cannot write: the PNG encoder failed");
    FILE* sink = std::fopen((dir / "sink.png").string().c_str(), "wb");
    ASSERT_NE(sink, nullptr);
    EXPECT_FALSE(EncodePng(sink, PngPixels{4, 4, PngChannels::Rgb, nullptr}));
    std::fclose(sink);

    RgbImage image;
    const std::string text = (dir / "text.png").string();
    WriteFileBytes(text, std::vector<uint8_t>(100, 'x'));
    EXPECT_FALSE(ReadPng(text, &image, &error));
    EXPECT_EQ(error.rfind(text + ": not a readable PNG (", 0), 0u) << error;

    EXPECT_FALSE(ReadPng((dir / "absent.png").string(), &image, &error));
    EXPECT_EQ(error.rfind((dir / "absent.png").string() + ": not a readable PNG", 0), 0u) << error;

    // A file cut short after its header reads as damaged.
    const std::vector<uint8_t> whole = Written((dir / "whole.png").string(), PngPixels{4, 4, PngChannels::Rgb, rgb.data()},
                                               PngCompression::Default);
    const std::string cut = (dir / "cut.png").string();
    WriteFileBytes(cut, std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<long>(whole.size() / 2 + 10)));
    EXPECT_FALSE(ReadPng(cut, &image, &error));
    EXPECT_EQ(error.rfind(cut + ": damaged PNG (", 0), 0u) << error;
}
