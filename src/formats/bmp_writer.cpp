#include "formats/bmp_writer.h"
#include "formats/byte_order.h"

#include <cstddef>

namespace {

std::vector<uint8_t> Header(int width, int height, int bits, uint32_t paletteEntries, uint32_t rowBytes)
{
    uint32_t pixelOffset = 54 + paletteEntries * 4;
    uint32_t fileSize = pixelOffset + rowBytes * static_cast<uint32_t>(height);
    std::vector<uint8_t> out(pixelOffset, 0);
    out[0] = 'B';
    out[1] = 'M';
    StoreLe32(out.data() + 2, fileSize);
    StoreLe32(out.data() + 10, pixelOffset);
    StoreLe32(out.data() + 14, 40);
    StoreLe32(out.data() + 18, static_cast<uint32_t>(width));
    StoreLe32(out.data() + 22, static_cast<uint32_t>(height));
    StoreLe16(out.data() + 26, 1);
    StoreLe16(out.data() + 28, static_cast<uint32_t>(bits));
    StoreLe32(out.data() + 34, rowBytes * static_cast<uint32_t>(height));
    StoreLe32(out.data() + 46, paletteEntries == 256 ? 0 : paletteEntries);
    return out;
}

} // namespace

std::vector<uint8_t> MakeBmp8(int width, int height, const std::vector<uint8_t>& pixels,
                              const std::vector<uint8_t>& paletteRgb)
{
    uint32_t entries = static_cast<uint32_t>(paletteRgb.size() / 3);
    if (entries == 0) entries = 1;
    uint32_t rowBytes = (static_cast<uint32_t>(width) + 3u) & ~3u;
    std::vector<uint8_t> out = Header(width, height, 8, entries, rowBytes);
    for (uint32_t i = 0; i < paletteRgb.size() / 3; ++i) {
        out[54 + i * 4] = paletteRgb[i * 3 + 2];
        out[54 + i * 4 + 1] = paletteRgb[i * 3 + 1];
        out[54 + i * 4 + 2] = paletteRgb[i * 3];
    }
    for (int y = height - 1; y >= 0; --y) {
        std::size_t start = out.size();
        out.resize(start + rowBytes, 0);
        for (int x = 0; x < width; ++x) out[start + x] = pixels[static_cast<std::size_t>(y) * width + x];
    }
    return out;
}

std::vector<uint8_t> MakeBmp24(int width, int height, const std::vector<uint8_t>& rgb)
{
    uint32_t rowBytes = (static_cast<uint32_t>(width) * 3u + 3u) & ~3u;
    std::vector<uint8_t> out = Header(width, height, 24, 0, rowBytes);
    out.resize(54);
    StoreLe32(out.data() + 10, 54);
    StoreLe32(out.data() + 46, 0);
    for (int y = height - 1; y >= 0; --y) {
        std::size_t start = out.size();
        out.resize(start + rowBytes, 0);
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
            out[start + x * 3] = p[2];
            out[start + x * 3 + 1] = p[1];
            out[start + x * 3 + 2] = p[0];
        }
    }
    StoreLe32(out.data() + 2, static_cast<uint32_t>(out.size()));
    return out;
}
