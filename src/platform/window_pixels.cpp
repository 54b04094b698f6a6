// Converting and scaling the frame for the window (see window_pixels.h).
#include "platform/window_pixels.h"

#include <cstddef>
#include <cstring>
#include <vector>

#include "formats/pixel_format.h"

namespace {

// One source row as XRGB pixels.
void ConvertRow(const uint8_t* in, int width, int bytes, int depth, uint32_t* out)
{
    for (int x = 0; x < width; ++x) {
        const uint8_t* p = in + static_cast<size_t>(x) * bytes;
        switch (bytes) {
        case 1: out[x] = p[0] * 0x010101u; break;
        case 2: out[x] = UnpackColour(static_cast<uint32_t>(p[0] | p[1] << 8), depth); break;
        default: out[x] = static_cast<uint32_t>(p[2]) << 16 | p[1] << 8 | p[0]; break;  // B, G, R (, X) in memory
        }
    }
}

// Each of `width` pixels `times` times over.
template <int times>
void Repeat(const uint32_t* in, int width, uint32_t* out)
{
    for (int x = 0; x < width; ++x, out += times) {
        for (int k = 0; k < times; ++k) out[k] = in[x];
    }
}

} // namespace

void ScaleFrameToWindow(const VideoSurface& frame, uint32_t redMask, uint8_t* out, int outPitch, int outWidth, int outHeight)
{
    if (frame.width < 1 || frame.height < 1 || outWidth < 1 || outHeight < 1) return;
    const int bytes = frame.bitsPerPixel <= 8 ? 1 : frame.bitsPerPixel <= 16 ? 2 : frame.bitsPerPixel <= 24 ? 3 : 4;
    thread_local std::vector<uint32_t> row;
    thread_local std::vector<int> columns;
    row.resize(static_cast<size_t>(frame.width));
    columns.resize(static_cast<size_t>(outWidth));
    for (int x = 0; x < outWidth; ++x) {
        columns[static_cast<size_t>(x)] = static_cast<int>(static_cast<int64_t>(x) * frame.width / outWidth);
    }
    const uint32_t* source = row.data();
    const int* column = columns.data();
    int converted = -1;  // the source row in `row`
    const uint8_t* previous = nullptr;
    for (int y = 0; y < outHeight; ++y) {
        const int sy = static_cast<int>(static_cast<int64_t>(y) * frame.height / outHeight);
        uint8_t* line = out + static_cast<ptrdiff_t>(y) * outPitch;
        if (sy == converted && previous) {
            std::memcpy(line, previous, static_cast<size_t>(outWidth) * 4);
        } else {
            ConvertRow(frame.pixels + static_cast<size_t>(sy) * frame.pitch, frame.width, bytes, redMask == 0xF800 ? 16 : 15, row.data());
            uint32_t* o = reinterpret_cast<uint32_t*>(line);
            switch (outWidth == frame.width * 3 ? 3 : outWidth == frame.width * 2 ? 2 : 0) {
            case 3: Repeat<3>(source, frame.width, o); break;  // the usual window sizes
            case 2: Repeat<2>(source, frame.width, o); break;
            default:
                for (int x = 0; x < outWidth; ++x) o[x] = source[column[x]];
            }
            converted = sy;
        }
        previous = line;
    }
}
