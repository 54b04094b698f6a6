#include "effects/sprite_drawing.h"

#include <algorithm>
#include <cstring>

#include "effects/fade_palettes.h"
#include "effects/pixel_arithmetic.h"
#include "effects/pixel_lanes.h"
#include "resources/content_events.h"

#pragma GCC diagnostic ignored "-Wpsabi" // wide lanes only meet inside forced-inline code

namespace {

enum class Blend { Copy, Add, FadeAdd, Fade };

constexpr int32_t kMaxLevel = kFadePaletteCount - 1;

// How one sprite pixel s meets its destination pixel d. For indexed sprites s already comes from
// the palette that stands in for the call (the fade palette of the level for the fades).
template <Blend B, bool Indexed, int Depth, class T>
[[gnu::always_inline]] inline T Combine(const T& s, const T& d, const T& grey)
{
    if constexpr (B == Blend::Copy) {
        return s;
    } else if constexpr (B == Blend::Add) {
        return SaturatingAddLanes<Depth>(s, d);
    } else if constexpr (B == Blend::FadeAdd) {
        if constexpr (Indexed) return SaturatingAddLanes<Depth>(s, d);
        else return SaturatingAddLanes<Depth>(SaturatingSubLanes<Depth>(s, grey), d);
    } else {
        if constexpr (Indexed) return s;
        else return SaturatingSubLanes<Depth>(s, grey);
    }
}

// Draws the visible part of one opaque run: `count` pixels from the run's pixel bytes `src`,
// N / 2 at a time.
template <int N, Blend B, bool Indexed, int Depth> struct RunDrawer {
    const uint16_t* palette;
    uint16_t grey;

    [[gnu::always_inline]] void operator()(uint16_t* dst, const uint8_t* src, size_t count) const
    {
        if constexpr (B == Blend::Copy && !Indexed) {
            std::memcpy(dst, src, count * sizeof(uint16_t));
            return;
        }
        constexpr bool readsDestination = B == Blend::Add || B == Blend::FadeAdd;
        // Local copies: stores into the destination cannot change them, so they stay in registers.
        const uint16_t* const palette = this->palette;
        const uint16_t grey = this->grey;
        const Lanes<N> greyLanes = SplatLanes<N>(grey);
        size_t i = 0;
        for (; i + kLaneCount<N> <= count; i += kLaneCount<N>) {
            const Lanes<N> s = Indexed ? GatherLanes<N>(palette, src + i) : LoadLanes<N>(src + 2 * i);
            const Lanes<N> d = readsDestination ? LoadLanes<N>(dst + i) : Lanes<N>{};
            StoreLanes(dst + i, Combine<B, Indexed, Depth>(s, d, greyLanes));
        }
        for (; i < count; ++i) {
            uint16_t s;
            if constexpr (Indexed) s = palette[src[i]];
            else std::memcpy(&s, src + 2 * i, sizeof s);
            dst[i] = Combine<B, Indexed, Depth, uint16_t>(s, dst[i], grey);
        }
    }
};

// The clipping walk shared by every drawer. The stream holds, for each sprite row, runs that
// cover exactly `width` pixels: u16 tag (0 transparent, otherwise opaque), u16 count, then for an
// opaque run its count pixels (bytes for indexed sprites, u16 colours otherwise), unaligned.
template <class Draw>
[[gnu::always_inline]] inline void WalkRuns(const Sprite& sprite, DrawTarget target, int32_t x, int32_t y,
                                            const Draw& draw)
{
    const int64_t top = y;
    const int64_t width = sprite.width;
    const int64_t endRow = std::min<int64_t>(top + sprite.height, target.height);
    if (std::max<int64_t>(top, 0) >= endRow || width <= 0) return;
    const size_t pixelBytes = sprite.indexed ? 1 : 2;
    const uint8_t* p = sprite.data;
    for (int64_t row = top; row < endRow; ++row) {
        uint16_t* line = row >= 0 ? target.pixels + row * target.width : nullptr;
        int64_t column = x;
        for (int64_t covered = 0; covered < width;) {
            uint16_t header[2];
            std::memcpy(header, p, sizeof header);
            p += sizeof header;
            const uint16_t count = header[1];
            if (count == 0) return; // never written by the sprite maker: the stream is damaged
            covered += count;
            if (header[0] == 0) {
                column += count;
                continue;
            }
            if (line) {
                const int64_t from = std::max<int64_t>(column, 0);
                const int64_t to = std::min<int64_t>(column + count, target.width);
                if (from < to) draw(line + from, p + (from - column) * pixelBytes, static_cast<size_t>(to - from));
            }
            p += count * pixelBytes;
            column += count;
        }
    }
}

using DrawFunction = void (*)(const Sprite&, DrawTarget, int32_t, int32_t, const uint16_t*, uint16_t);

template <Blend B, bool Indexed, int Depth>
void DrawNarrow(const Sprite& sprite, DrawTarget target, int32_t x, int32_t y, const uint16_t* palette,
                uint16_t grey)
{
    WalkRuns(sprite, target, x, y, RunDrawer<16, B, Indexed, Depth>{palette, grey});
}

#if VELA_WIDE_LANES
template <Blend B, bool Indexed, int Depth>
VELA_WIDE_TARGET void DrawWide(const Sprite& sprite, DrawTarget target, int32_t x, int32_t y,
                               const uint16_t* palette, uint16_t grey)
{
    WalkRuns(sprite, target, x, y, RunDrawer<32, B, Indexed, Depth>{palette, grey});
}
#else
template <Blend B, bool Indexed, int Depth> constexpr DrawFunction DrawWide = DrawNarrow<B, Indexed, Depth>;
#endif

// [narrow, wide][direct, indexed][x-5-5-5, 5-6-5] for one blend.
template <Blend B> constexpr DrawFunction kDrawers[2][2][2] = {
    {{DrawNarrow<B, false, 15>, DrawNarrow<B, false, 16>}, {DrawNarrow<B, true, 15>, DrawNarrow<B, true, 16>}},
    {{DrawWide<B, false, 15>, DrawWide<B, false, 16>}, {DrawWide<B, true, 15>, DrawWide<B, true, 16>}},
};

bool CanDraw(const Sprite& sprite, DrawTarget target)
{
    return target.pixels && sprite.data && target.width == sprite.frameWidth &&
           target.height == sprite.frameHeight && target.width > 0 && target.height > 0;
}

template <Blend B> void Draw(const Sprite& sprite, DrawTarget target, int32_t x, int32_t y, int32_t level)
{
    if (!CanDraw(sprite, target)) return;
    const bool indexed = sprite.indexed != 0;
    const bool fade = B == Blend::FadeAdd || B == Blend::Fade;
    level = std::clamp(level, 0, kMaxLevel);
    const uint16_t* palette = nullptr;
    if (indexed) {
        palette = fade ? FadePalette(sprite, level) : sprite.palette;
        if (!palette) return;
    }
    const uint16_t grey = fade && !indexed ? FadeGrey(level, sprite.bitsPerPixel) : 0;
    kDrawers<B>[UseWideLanes()][indexed][sprite.bitsPerPixel == 16](sprite, target, x, y, palette, grey);
}

} // namespace

uint16_t FadeGrey(int32_t level, int32_t depth)
{
    const uint32_t u = static_cast<uint32_t>(std::clamp(level, 0, kMaxLevel)) / 2;
    if (depth == 16) return static_cast<uint16_t>((u >> 1) << 11 | u << 5 | (u >> 1));
    return static_cast<uint16_t>((u >> 1) << 10 | (u >> 1) << 5 | (u >> 1));
}

void DrawSprite(const Sprite& sprite, DrawTarget target, int32_t x, int32_t y)
{
    if (contentEvents.spriteDrawn) contentEvents.spriteDrawn(&sprite);
    Draw<Blend::Copy>(sprite, target, x, y, 0);
}

void DrawSpriteAdd(const Sprite& sprite, DrawTarget target, int32_t x, int32_t y)
{
    if (contentEvents.spriteDrawn) contentEvents.spriteDrawn(&sprite);
    Draw<Blend::Add>(sprite, target, x, y, 0);
}

void DrawSpriteFadeAdd(const Sprite& sprite, DrawTarget target, int32_t x, int32_t y, int32_t level)
{
    if (contentEvents.spriteDrawn) contentEvents.spriteDrawn(&sprite);
    Draw<Blend::FadeAdd>(sprite, target, x, y, level);
}

void DrawSpriteFade(const Sprite& sprite, DrawTarget target, int32_t x, int32_t y, int32_t level)
{
    if (contentEvents.spriteDrawn) contentEvents.spriteDrawn(&sprite);
    Draw<Blend::Fade>(sprite, target, x, y, level);
}
