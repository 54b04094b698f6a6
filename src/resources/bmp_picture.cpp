// BMP pictures read through the pack archive: 8-bit with palette or 24-bit, uncompressed,
// bottom-up in the file and turned top-down in memory.
#include <cstdio>
#include <cstring>
#include <string>

#include "formats/byte_order.h"
#include "resources/memory_pool.h"
#include "resources/pack_archive.h"
#include "resources/picture.h"
#include "resources/content_events.h"

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

namespace {

// Where a picture's pixels lie in its entry, once its header is accepted.
struct PixelLayout {
    uint64_t lineBytes, stride, offset, readBytes;
};

std::string Describe(const char* format, uint64_t a, uint64_t b = 0, uint64_t c = 0)
{
    char text[160];
    std::snprintf(text, sizeof text, format, static_cast<unsigned long long>(a), static_cast<unsigned long long>(b),
                  static_cast<unsigned long long>(c));
    return text;
}

// Reads the header (and the palette of an 8-bit picture) into `picture` and checks that the
// picture is one LoadPicture reads and lies wholly inside its entry. Empty when it is,
// otherwise what is wrong.
std::string ReadHeader(const char* name, Picture* picture, PixelLayout* layout)
{
    const uint64_t entrySize = PackEntrySize(name);
    if (entrySize == 0) return "missing or empty";
    if (entrySize < kHeaderBytes) return Describe("too short for a BMP header (%llu bytes of 54)", entrySize);
    if (ReadPackEntry(name, picture->header, 0, kHeaderBytes) != 0) return "cannot be read";
    const uint8_t* h = picture->header;
    if (ReadLe16(h) != 0x4D42) return "not a BMP picture (no \"BM\" signature)";
    const uint32_t bits = Bits(h);
    if (bits != 8 && bits != 24) return Describe("a %llu-bit picture (only 8- and 24-bit pictures are read)", bits);
    if (ReadLe32(h + 30) != 0) return "compressed (only uncompressed pictures are read)";

    // The pixel block must be non-empty and lie wholly inside the entry.
    const int32_t width = Width(h), height = Height(h);
    if (height < 0) return "stored top-down (negative height): only bottom-up pictures are read";
    if (width <= 0 || height == 0)
        return "no pixels (width " + std::to_string(width) + ", height " + std::to_string(height) + ")";
    if (width > kMaxWidth) return Describe("%llu pixels wide (at most 65535)", static_cast<uint64_t>(width));
    layout->lineBytes = uint64_t(width) * (bits / 8);
    layout->stride = (layout->lineBytes + 3) & ~uint64_t{3}; // file lines are padded to 4 bytes
    layout->offset = PicturePixelOffset(*picture);
    layout->readBytes = layout->stride * uint64_t(height - 1) + layout->lineBytes;
    if (layout->readBytes > UINT32_MAX || layout->offset + layout->readBytes > entrySize)
        return Describe("truncated: the pixels need %llu bytes from offset %llu, the file holds %llu",
                        layout->readBytes, layout->offset, entrySize);

    if (bits == 8) {
        const uint64_t paletteBytes = uint64_t{PicturePaletteEntries(*picture)} * 4;
        if (paletteBytes > sizeof picture->palette)
            return Describe("a palette of %llu entries (at most 256)", paletteBytes / 4);
        if (paletteBytes > layout->offset)
            return Describe("a palette of %llu entries that would start before the file (pixel offset %llu)",
                            paletteBytes / 4, layout->offset);
        if (ReadPackEntry(name, picture->palette, static_cast<uint32_t>(layout->offset - paletteBytes),
                          static_cast<uint32_t>(paletteBytes)) != 0)
            return "cannot be read";
    }
    return {};
}

} // namespace

std::string PictureProblem(const char* name)
{
    Picture picture{};
    PixelLayout layout{};
    return ReadHeader(name, &picture, &layout);
}

namespace {
int32_t ReadPicture(const char* name, Picture* picture);
} // namespace

ContentEvents contentEvents;

int32_t LoadPicture(const char* name, Picture* picture)
{
    const int32_t loaded = ReadPicture(name, picture);
    if (loaded && contentEvents.pictureLoaded) contentEvents.pictureLoaded(name, picture);
    return loaded;
}

namespace {

int32_t ReadPicture(const char* name, Picture* picture)
{
    picture->pixels = nullptr;
    std::memset(picture->header, 0, sizeof picture->header);
    PixelLayout layout{};
    if (!ReadHeader(name, picture, &layout).empty()) return 0;
    const uint64_t readBytes = layout.readBytes, lineBytes = layout.lineBytes, stride = layout.stride;
    const int32_t height = PictureHeight(*picture);

    uint8_t* pixels = static_cast<uint8_t*>(PoolAlloc(static_cast<uint32_t>(readBytes), 4));
    if (!pixels) return 0;
    if (ReadPackEntry(name, pixels, static_cast<uint32_t>(layout.offset), static_cast<uint32_t>(readBytes)) != 0) {
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

} // namespace

void FreePicture(Picture* picture)
{
    PoolFree(picture->pixels);
    picture->pixels = nullptr;
}
