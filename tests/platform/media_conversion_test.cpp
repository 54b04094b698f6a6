// Enlarging captured pictures by whole pixels into the outputs' layouts: every output pixel
// comes from the source pixel it covers, and the 4:2:0 chroma of each two by two block is that
// of the block's mean colour, also where an odd enlargement puts a block across two source
// pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/media_conversion.h"

namespace {

struct Yuv {
    double y, u, v;
};

// BT.709 at video range, in floating point, as the reference for the integer conversion.
Yuv Bt709(double r, double g, double b)
{
    const double luma = 0.2126 * r + 0.7152 * g + 0.0722 * b;
    return {16 + 219.0 / 255 * luma, 128 + 224.0 / 255 * (b - luma) / 1.8556, 128 + 224.0 / 255 * (r - luma) / 1.5748};
}

std::vector<uint8_t> NoisePicture(int width, int height, unsigned seed)
{
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (uint8_t& b : rgb) b = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
    return rgb;
}

} // namespace

TEST(MediaConversion, EveryLayoutAndScaleTakesEachPixelFromTheSourcePixelItCovers)
{
    constexpr int w = 10, h = 6;
    const std::vector<uint8_t> rgb = NoisePicture(w, h, 7);
    for (int scale = 1; scale <= 4; ++scale) {
        const SmallPicture in{rgb.data(), w, h, scale};
        const int W = w * scale, H = h * scale;
        const int rgbStride = W * 3 + 5, bgrStride = W * 4 + 8;  // rows padded, as frames may be
        std::vector<uint8_t> big(static_cast<size_t>(rgbStride) * H, 0xEE), bgr0(static_cast<size_t>(bgrStride) * H, 0xEE);
        EnlargeToRgb(in, big.data(), rgbStride);
        EnlargeToBgr0(in, bgr0.data(), bgrStride);
        std::vector<uint8_t> planes[3] = {std::vector<uint8_t>(static_cast<size_t>(W) * H),
                                          std::vector<uint8_t>(static_cast<size_t>(W / 2) * (H / 2)),
                                          std::vector<uint8_t>(static_cast<size_t>(W / 2) * (H / 2))};
        if (W % 2 == 0 && H % 2 == 0) {
            uint8_t* const out[3] = {planes[0].data(), planes[1].data(), planes[2].data()};
            const int strides[3] = {W, W / 2, W / 2};
            EnlargeToYuv420(in, out, strides);
        }
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
                const uint8_t* s = &rgb[(static_cast<size_t>(y / scale) * w + x / scale) * 3];
                const uint8_t* o = &big[static_cast<size_t>(y) * rgbStride + x * 3];
                const uint8_t* q = &bgr0[static_cast<size_t>(y) * bgrStride + x * 4];
                ASSERT_TRUE(o[0] == s[0] && o[1] == s[1] && o[2] == s[2]) << "rgb scale " << scale << " at " << x << "," << y;
                ASSERT_TRUE(q[0] == s[2] && q[1] == s[1] && q[2] == s[0] && q[3] == 0) << "bgr0 scale " << scale;
                ASSERT_NEAR(planes[0][static_cast<size_t>(y) * W + x], Bt709(s[0], s[1], s[2]).y, 0.51) << "luma scale " << scale;
            }
            // Padding after each row stays as it was.
            EXPECT_EQ(big[static_cast<size_t>(y) * rgbStride + W * 3], 0xEE);
        }
        for (int cy = 0; cy < H / 2; ++cy) {
            for (int cx = 0; cx < W / 2; ++cx) {
                double sum[3] = {};
                for (int k = 0; k < 4; ++k) {
                    const int x = 2 * cx + k % 2, y = 2 * cy + k / 2;
                    for (int c = 0; c < 3; ++c) sum[c] += rgb[(static_cast<size_t>(y / scale) * w + x / scale) * 3 + c] / 4.0;
                }
                const Yuv want = Bt709(sum[0], sum[1], sum[2]);
                const size_t at = static_cast<size_t>(cy) * (W / 2) + cx;
                ASSERT_NEAR(planes[1][at], want.u, 0.51) << "u scale " << scale << " at " << cx << "," << cy;
                ASSERT_NEAR(planes[2][at], want.v, 0.51) << "v scale " << scale << " at " << cx << "," << cy;
            }
        }
    }
}

TEST(MediaConversion, BlackWhiteAndGreysSpanVideoRangeWithoutColour)
{
    for (const int level : {0, 1, 128, 254, 255}) {
        const uint8_t grey[12] = {uint8_t(level), uint8_t(level), uint8_t(level), uint8_t(level), uint8_t(level), uint8_t(level),
                                  uint8_t(level), uint8_t(level), uint8_t(level), uint8_t(level), uint8_t(level), uint8_t(level)};
        uint8_t y[4], u[1], v[1];
        uint8_t* const out[3] = {y, u, v};
        const int strides[3] = {2, 1, 1};
        EnlargeToYuv420(SmallPicture{grey, 2, 2, 1}, out, strides);
        EXPECT_EQ(u[0], 128) << level;
        EXPECT_EQ(v[0], 128) << level;
        EXPECT_EQ(y[0], std::lround(16 + 219.0 * level / 255)) << level;
    }
}
