// RGB pictures and the frame's packed pixels: every packed pixel survives the trip to 8-bit RGB
// and back at both depths, and expansion fills the low bits so white stays white.
#include <gtest/gtest.h>

#include <vector>

#include "formats/rgb_image.h"

TEST(RgbImage, EveryPackedPixelRoundTripsAtBothDepths)
{
    for (int depth : {15, 16}) {
        const int count = depth == 16 ? 65536 : 32768;
        std::vector<uint16_t> pixels(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) pixels[static_cast<size_t>(i)] = static_cast<uint16_t>(i);
        const RgbImage image = UnpackPixels(pixels.data(), 256, count / 256, depth);
        ASSERT_EQ(image.rgb.size(), pixels.size() * 3);
        EXPECT_EQ(PackPixels(image, depth), pixels) << depth;
    }
}

TEST(RgbImage, ExpansionReplicatesTheHighBits)
{
    const uint16_t pixels16[] = {0xFFFF, 0x0000, 0xF800, 0x07E0, 0x001F, 0x8410};
    const RgbImage a = UnpackPixels(pixels16, 6, 1, 16);
    const std::vector<uint8_t> expected16 = {255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 132, 130, 132};
    EXPECT_EQ(a.rgb, expected16);

    const uint16_t pixels15[] = {0x7FFF, 0x7C00, 0x03E0, 0x001F, 0x4210};
    const RgbImage b = UnpackPixels(pixels15, 5, 1, 15);
    const std::vector<uint8_t> expected15 = {255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 255, 132, 132, 132};
    EXPECT_EQ(b.rgb, expected15);
}
