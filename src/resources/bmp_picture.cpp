// BMP pictures read through the pack archive: 8-bit with palette or 24-bit, uncompressed,
// bottom-up in the file and turned top-down in memory.
#include <cstring>

#include "platform/byte_order.h"
#include "resources/memory_pool.h"
#include "resources/pack_archive.h"
#include "resources/picture.h"

namespace {

constexpr uint32_t kHeaderBytes = 54;
constexpr int32_t kMaxWidth = 65535; // a sprite run count is 16 bits

int32_t Width(const uint8_t* header) { return static_cast<int32_t>(ReadLe32(header + 18)); }
int32_t Height(const uint8_t* header) { return static_cast<int32_t>(ReadLe32(header + 22)); }
uint32_t Bits(const uint8_t* header) { return ReadLe16(header + 28); }

// Swaps line i with line height - 1 - i for every line above the middle.
void FlipLines(uint8_t* pixels, size_t lineBytes, uint32_t height)
{
    uint8_t* top = pixels;
    uint8_t* bottom = pixels + (height - 1) * lineBytes;
    for (uint32_t i = 0; i < height / 2; ++i, top += lineBytes, bottom -= lineBytes) {
        for (size_t x = 0; x < lineBytes; ++x) {
            uint8_t t = top[x];
            top[x] = bottom[x];
            bottom[x] = t;
        }
    }
}

} // namespace

int32_t PictureWidth(const Picture& picture) { return Width(picture.header); }
int32_t PictureHeight(const Picture& picture) { return Height(picture.header); }
int32_t PictureBitsPerPixel(const Picture& picture) { return static_cast<int32_t>(Bits(picture.header)); }
uint32_t PicturePixelOffset(const Picture& picture) { return ReadLe32(picture.header + 10); }

uint32_t PicturePaletteEntries(const Picture& picture)
{
    uint32_t n = ReadLe32(picture.header + 46);
    return n == 0 ? 256 : n;
}

int32_t LoadPicture(const char* name, Picture* picture)
{
    picture->pixels = nullptr;
    std::memset(picture->header, 0, sizeof picture->header);
    const uint64_t entrySize = PackEntrySize(name);
    if (entrySize < kHeaderBytes) return 0;
    if (ReadPackEntry(name, picture->header, 0, kHeaderBytes) != 0) return 0;
    const uint8_t* h = picture->header;
    if (ReadLe16(h) != 0x4D42) return 0;
    const uint32_t bits = Bits(h);
    if (bits != 8 && bits != 24) return 0;
    if (ReadLe32(h + 30) != 0) return 0;

    // The pixel block must be non-empty and lie wholly inside the entry.
    const int32_t width = Width(h), height = Height(h);
    if (width <= 0 || height <= 0 || width > kMaxWidth) return 0;
    const uint64_t lineBytes = uint64_t(width) * (bits / 8);
    const uint64_t stride = (lineBytes + 3) & ~uint64_t{3}; // file lines are padded to 4 bytes
    const uint64_t pixelOffset = PicturePixelOffset(*picture);
    const uint64_t readBytes = stride * uint64_t(height - 1) + lineBytes;
    if (readBytes > UINT32_MAX || pixelOffset + readBytes > entrySize) return 0;

    if (bits == 8) {
        const uint64_t paletteBytes = uint64_t{PicturePaletteEntries(*picture)} * 4;
        if (paletteBytes > sizeof picture->palette || paletteBytes > pixelOffset) return 0;
        if (ReadPackEntry(name, picture->palette, static_cast<uint32_t>(pixelOffset - paletteBytes),
                          static_cast<uint32_t>(paletteBytes)) != 0)
            return 0;
    }

    uint8_t* pixels = static_cast<uint8_t*>(PoolAlloc(static_cast<uint32_t>(readBytes), 4));
    if (!pixels) return 0;
    if (ReadPackEntry(name, pixels, static_cast<uint32_t>(pixelOffset), static_cast<uint32_t>(readBytes)) != 0) {
        PoolFree(pixels);
        return 0;
    }
    // Drop the line padding so lines follow each other with no gap.
    if (stride != lineBytes) {
        for (uint64_t y = 1; y < uint64_t(height); ++y) std::memmove(pixels + y * lineBytes, pixels + y * stride, lineBytes);
    }
    if (height >= 2) FlipLines(pixels, lineBytes, static_cast<uint32_t>(height));
    picture->pixels = pixels;
    return 1;
}

void FreePicture(Picture* picture)
{
    PoolFree(picture->pixels);
    picture->pixels = nullptr;
}
