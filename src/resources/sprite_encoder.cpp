// Run-length sprites: each picture line becomes maximal transparent and opaque runs
// (u16 tag, u16 count, then the opaque pixels), black being transparent.
#include <cstring>

#include "formats/byte_order.h"
#include "formats/pixel_format.h"
#include "resources/memory_pool.h"
#include "resources/picture.h"
#include "resources/content_events.h"

namespace {

constexpr int32_t kMaxRun = 65535;

// How one source format reads: pixel size, transparency, and the colour written for it.
struct Indexed8 {
    static constexpr size_t kBytes = 1;
    static bool Transparent(const uint8_t* p) { return p[0] == 0; }
};
struct Rgb24 {
    static constexpr size_t kBytes = 3;
    static bool Transparent(const uint8_t* p) { return (p[0] | p[1] | p[2]) == 0; }
};

// Walks the lines once to size the stream (kWrite false) or to write it (kWrite true).
// `colours` converts palette indices for 8-bit colour sprites; `bits` selects the layout for
// 24-bit pixels; `outputBytes` is 1 (indices) or 2 (colours) per opaque pixel.
template <typename Source, bool kWrite>
uint64_t EncodeRuns(const uint8_t* pixels, int32_t width, int32_t height, size_t outputBytes,
                    const uint16_t* colours, int32_t bits, uint8_t* out)
{
    uint64_t size = 0;
    const uint8_t* p = pixels;
    for (int32_t y = 0; y < height; ++y) {
        int32_t x = 0;
        while (x < width) {
            const bool transparent = Source::Transparent(p + x * Source::kBytes);
            int32_t end = x + 1;
            while (end < width && Source::Transparent(p + end * Source::kBytes) == transparent) ++end;
            const int32_t count = end - x;
            if (transparent) {
                if constexpr (kWrite) {
                    StoreLe16(out + size, 0);
                    StoreLe16(out + size + 2, static_cast<uint16_t>(count));
                }
                size += 4;
            } else {
                if constexpr (kWrite) {
                    uint8_t* run = out + size;
                    StoreLe16(run, 1);
                    uint8_t* o = run + 4;
                    for (int32_t i = x; i < end; ++i) {
                        const uint8_t* s = p + i * Source::kBytes;
                        if (outputBytes == 1) {
                            *o++ = s[0];
                        } else {
                            uint16_t c = Source::kBytes == 1 ? colours[s[0]] : PackColour(s[2], s[1], s[0], bits);
                            StoreLe16(o, c);
                            o += 2;
                        }
                    }
                    StoreLe16(run + 2, static_cast<uint16_t>(count));
                }
                size += 4 + uint64_t(count) * outputBytes;
            }
            x = end;
        }
        p += width * Source::kBytes;
    }
    return size;
}

template <typename Source>
uint64_t Encode(bool write, const uint8_t* pixels, int32_t width, int32_t height, size_t outputBytes,
                const uint16_t* colours, int32_t bits, uint8_t* out)
{
    return write ? EncodeRuns<Source, true>(pixels, width, height, outputBytes, colours, bits, out)
                 : EncodeRuns<Source, false>(pixels, width, height, outputBytes, colours, bits, out);
}

} // namespace

namespace {
int32_t EncodeSprite(const Picture* picture, Sprite* sprite, int32_t frameWidth, int32_t frameHeight, int32_t bitsPerPixel,
                     int32_t indexed);
} // namespace

int32_t MakeSprite(const Picture* picture, Sprite* sprite, int32_t frameWidth, int32_t frameHeight,
                   int32_t bitsPerPixel, int32_t indexed)
{
    const int32_t made = EncodeSprite(picture, sprite, frameWidth, frameHeight, bitsPerPixel, indexed);
    if (made && contentEvents.spriteMade) contentEvents.spriteMade(picture, sprite);
    return made;
}

namespace {

int32_t EncodeSprite(const Picture* picture, Sprite* sprite, int32_t frameWidth, int32_t frameHeight, int32_t bitsPerPixel,
                     int32_t indexed)
{
    std::memset(sprite, 0, sizeof *sprite);
    const int32_t width = PictureWidth(*picture), height = PictureHeight(*picture);
    const int32_t bits = PictureBitsPerPixel(*picture);
    sprite->width = width;
    sprite->height = height;
    sprite->frameWidth = frameWidth;
    sprite->frameHeight = frameHeight;
    sprite->bitsPerPixel = bitsPerPixel;
    sprite->indexed = indexed;
    if (!picture->pixels || (bits != 8 && bits != 24)) return 0;
    if (width <= 0 || height <= 0 || width > kMaxRun) return 0;
    if (indexed && bits != 8) return 0;

    uint16_t colours[256];
    for (int i = 0; i < 256; ++i) {
        const uint8_t* e = picture->palette + i * 4;
        colours[i] = PackColour(e[2], e[1], e[0], bitsPerPixel);
    }
    if (indexed) {
        sprite->palette = static_cast<uint16_t*>(PoolAlloc(sizeof colours, 4));
        if (!sprite->palette) return 0;
        std::memcpy(sprite->palette, colours, sizeof colours);
    }

    const size_t outputBytes = indexed ? 1 : 2;
    const bool eight = bits == 8;
    uint64_t size = eight ? Encode<Indexed8>(false, picture->pixels, width, height, outputBytes, colours, bitsPerPixel, nullptr)
                          : Encode<Rgb24>(false, picture->pixels, width, height, outputBytes, colours, bitsPerPixel, nullptr);
    if (size == 0 || size > UINT32_MAX) {
        FreeSprite(sprite);
        return 0;
    }
    sprite->data = static_cast<uint8_t*>(PoolAlloc(static_cast<uint32_t>(size), 4));
    if (!sprite->data) {
        FreeSprite(sprite);
        return 0;
    }
    if (eight)
        Encode<Indexed8>(true, picture->pixels, width, height, outputBytes, colours, bitsPerPixel, sprite->data);
    else
        Encode<Rgb24>(true, picture->pixels, width, height, outputBytes, colours, bitsPerPixel, sprite->data);
    return 1;
}

} // namespace

void FreeSprite(Sprite* sprite)
{
    PoolFree(sprite->data);
    PoolFree(sprite->palette);
    PoolFree(sprite->extra);
    sprite->data = nullptr;
    sprite->palette = nullptr;
    sprite->extra = nullptr;
}
