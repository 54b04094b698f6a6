// Whole-pixel enlargement and colour conversion of captured pictures (see media_conversion.h).
// Each source pixel is converted once and its result repeated; rows that repeat are copied.
#include "platform/media_conversion.h"

#include <cstring>
#include <vector>

namespace {

// BT.709 at video range in 16.16 fixed point: luma = 16 + 219/255 (0.2126 R + 0.7152 G +
// 0.0722 B); chroma = 128 + 224/255 of the colour difference over its range. Each chroma row
// sums to zero, so greys have no colour.
constexpr int kYr = 11966, kYg = 40254, kYb = 4063;
constexpr int kUr = -6596, kUb = 28784, kUg = -kUr - kUb;
constexpr int kVr = 28784, kVb = -2639, kVg = -kVr - kVb;

uint8_t Luma(const uint8_t* p)
{
    return static_cast<uint8_t>((kYr * p[0] + kYg * p[1] + kYb * p[2] + (16 << 16) + (1 << 15)) >> 16);
}

// A chroma sample from the sum of four pixels' weighted colours (each weighted sum in 16.16);
// the offset keeps the total positive, and the weighting is linear, so summing weighted
// pixels equals weighting the summed pixels.
uint8_t Chroma(int sumOfFour) { return static_cast<uint8_t>((sumOfFour + (128 << 18) + (1 << 17)) >> 18); }

// Writes one enlarged row of `bytes`-byte pixels, each made once by `make` from its source
// pixel and repeated, then copies the row to the scale-1 rows below.
template <int bytes, typename Make>
void EnlargeRows(const SmallPicture& in, uint8_t* out, ptrdiff_t outStride, Make make)
{
    const size_t rowBytes = static_cast<size_t>(in.width) * in.scale * bytes;
    for (int y = 0; y < in.height; ++y) {
        const uint8_t* src = in.rgb + static_cast<size_t>(y) * in.width * 3;
        uint8_t* first = out + static_cast<ptrdiff_t>(y) * in.scale * outStride;
        uint8_t* o = first;
        for (int x = 0; x < in.width; ++x, src += 3) {
            uint8_t pixel[bytes];
            make(src, pixel);
            for (int k = 0; k < in.scale; ++k, o += bytes) std::memcpy(o, pixel, bytes);
        }
        for (int k = 1; k < in.scale; ++k) std::memcpy(first + k * outStride, first, rowBytes);
    }
}

} // namespace

void EnlargeToRgb(const SmallPicture& in, uint8_t* out, ptrdiff_t outStride)
{
    EnlargeRows<3>(in, out, outStride, [](const uint8_t* s, uint8_t* o) {
        o[0] = s[0];
        o[1] = s[1];
        o[2] = s[2];
    });
}

void EnlargeToBgr0(const SmallPicture& in, uint8_t* out, ptrdiff_t outStride)
{
    EnlargeRows<4>(in, out, outStride, [](const uint8_t* s, uint8_t* o) {
        o[0] = s[2];
        o[1] = s[1];
        o[2] = s[0];
        o[3] = 0;
    });
}

void EnlargeToYuv420(const SmallPicture& in, uint8_t* const planes[3], const int strides[3])
{
    const int scale = in.scale;
    const int width = in.width * scale, height = in.height * scale;

    EnlargeRows<1>(in, planes[0], strides[0], [](const uint8_t* s, uint8_t* o) { o[0] = Luma(s); });

    // Each source pixel's weighted colours once; each chroma sample covers output pixels 2c
    // and 2c+1 across and down, which come from source pixels (2c)/scale and (2c+1)/scale.
    thread_local std::vector<int> weightedU, weightedV, columns;
    const size_t pixels = static_cast<size_t>(in.width) * in.height;
    weightedU.resize(pixels);
    weightedV.resize(pixels);
    int* wu = weightedU.data();
    int* wv = weightedV.data();
    for (size_t i = 0; i < pixels; ++i) {
        const uint8_t* p = in.rgb + i * 3;
        wu[i] = kUr * p[0] + kUg * p[1] + kUb * p[2];
        wv[i] = kVr * p[0] + kVg * p[1] + kVb * p[2];
    }
    columns.resize(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) columns[static_cast<size_t>(x)] = x / scale;
    const int* column = columns.data();
    for (int cy = 0; cy < height / 2; ++cy) {
        const int* topU = weightedU.data() + static_cast<size_t>(2 * cy / scale) * in.width;
        const int* bottomU = weightedU.data() + static_cast<size_t>((2 * cy + 1) / scale) * in.width;
        const int* topV = weightedV.data() + static_cast<size_t>(2 * cy / scale) * in.width;
        const int* bottomV = weightedV.data() + static_cast<size_t>((2 * cy + 1) / scale) * in.width;
        uint8_t* u = planes[1] + static_cast<ptrdiff_t>(cy) * strides[1];
        uint8_t* v = planes[2] + static_cast<ptrdiff_t>(cy) * strides[2];
        for (int cx = 0; cx < width / 2; ++cx) {
            const int left = column[2 * cx], right = column[2 * cx + 1];
            u[cx] = Chroma(topU[left] + topU[right] + bottomU[left] + bottomU[right]);
            v[cx] = Chroma(topV[left] + topV[right] + bottomV[left] + bottomV[right]);
        }
    }
}
