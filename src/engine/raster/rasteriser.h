// Triangle rasterisers: fill one screen triangle into the current view with depth test and
// the blend of the object's render mode. Vertices are given in 1/16 pixel with 1/depth and the
// fill's attributes; pixels are filled by the top-left rule (rows from ceil(top) to
// ceil(bottom) - 1, columns from ceil(left) to ceil(right) - 1), so triangles sharing an edge
// fill each pixel once. A pixel is drawn when its depth value (frame stamp + 1/depth x 2^24)
// is >= the stored one; drawing writes both the depth value and the pixel.
#pragma once

#include <cstdint>

// What the frame pipeline sets before it hands an object to its renderer.
struct RasterState {
    uint8_t* colourBase = nullptr; // the view's first pixel; rows at engine.colourRows
    int32_t blend = 0;             // BlendKind of the object's render mode
    int32_t colourKey = 0;         // non-zero: texel 0 is transparent (textured fills)
};

extern RasterState raster;

struct FlatVertex {
    int32_t x16, y16;
    float invDepth;
};
struct ShadedVertex {
    int32_t x16, y16;
    float invDepth;
    float shade; // ramp index, 16.16
};
// u and v in 16.16 texels; for the perspective fills u / depth and v / depth.
struct TextureVertex {
    int32_t x16, y16;
    float invDepth;
    float u, v;
};
struct TextureShadedVertex {
    int32_t x16, y16;
    float invDepth;
    float u, v;
    float shade;
};
static_assert(sizeof(FlatVertex) == 12 && sizeof(ShadedVertex) == 16, "vertex records");
static_assert(sizeof(TextureVertex) == 20 && sizeof(TextureShadedVertex) == 24, "vertex records");

// One colour for the whole triangle.
void FillFlat(const FlatVertex* vertices, uint16_t colour);
// Colour ramp[(index >> 16) & 255] of the interpolated ramp index; ramp has 256 entries.
void FillShaded(const ShadedVertex* vertices, const uint16_t* ramp);
// palette[texel] of a 256x256 texture of palette indices (u and v wrap every 256 texels),
// interpolated linearly in screen space.
void FillTexture(const TextureVertex* vertices, const uint8_t* texture, const uint16_t* palette);
// The same with perspective-correct u and v (exact every 16 pixels, linear in between).
void FillTexturePersp(const TextureVertex* vertices, const uint8_t* texture, const uint16_t* palette);
// shadeTable[ramp index][texel]: 256 rows of 256 colours.
void FillTextureShaded(const TextureShadedVertex* vertices, const uint8_t* texture, const uint16_t* shadeTable);
// The same with perspective-correct u and v.
void FillTextureShadedPersp(const TextureShadedVertex* vertices, const uint8_t* texture,
                            const uint16_t* shadeTable);
// A camera texture: 16-bit pixels 256 apart per row, u and v wrapping at `size` texels (a power
// of two, 2..256). Always opaque, never colour-keyed.
void FillPicture16(const TextureVertex* vertices, const uint16_t* picture, int32_t size);
// The same with perspective-correct u and v.
void FillPicture16Persp(const TextureVertex* vertices, const uint16_t* picture, int32_t size);
